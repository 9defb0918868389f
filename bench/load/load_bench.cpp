// One measured load of one document into a database:
//   open: separator detection + schema build + read and match (as the
//         command line's load reads it)
//   load: DocumentLoader::Load, one transaction: every row of the file,
//         its segments and element pieces, with the tables' indexes
// Prints one line of key=value pairs: bytes, segments, elements, rows,
// open_s, load_s, load_mib_s (file MiB per second of load) and total_mib_s
// (open and load). The database is used as it is: give a fresh one for a
// first load, the same one again to measure a reload (which deletes the
// earlier rows first).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench/common/BenchEnv.h"
#include "db/DatabaseSettings.h"
#include "db/DocumentLoader.h"
#include "db/ReadDocument.h"
#include "doctree/EdiDocument.h"

namespace {

namespace fs = std::filesystem;
using namespace orr;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: orrindale_bench_load FILE TYPE --db TARGET [--defs DIR]\n");
        return 2;
    }
    const std::string sFile = argv[1], sType = argv[2];
    std::string sDefs = fs::path(argv[0]).parent_path().string(), sTarget;
    for (int i = 3; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--defs"))
            sDefs = argv[++i];
        else if (!std::strcmp(argv[i], "--db"))
            sTarget = argv[++i];
    }
    BenchEnv env(sDefs, "orrindale-bench-load");
    if (!env.files.RefreshBinFile()) {
        std::fprintf(stderr, "cannot read %s\n", env.config.DefinitionFile.c_str());
        return 1;
    }
    try {
        const auto db = gfOpenDatabase(sTarget.empty() ? "sqlite:" + (env.dir / "bench.sqlite").string() : sTarget);
        DocumentLoader loader(*db);
        EdiDocument doc;
        std::string sError;
        const auto t0 = Clock::now();
        if (!gfReadDocument(doc, sFile, sType, sError)) {
            std::fprintf(stderr, "error: %s\n", sError.c_str());
            return 1;
        }
        const double dOpen = Seconds(t0);
        const auto t1 = Clock::now();
        const LoadCounts c = loader.Load(doc, sFile);
        const double dLoad = Seconds(t1);
        const double dMiB = double(fs::file_size(sFile)) / (1024.0 * 1024.0);
        std::printf(
            "db=%s bytes=%llu segments=%zu elements=%zu rows=%zu open_s=%.3f load_s=%.3f load_mib_s=%.2f "
            "total_mib_s=%.2f\n",
            db->GetKind() == Database::Kind::Sqlite ? "sqlite" : "postgresql",
            static_cast<unsigned long long>(fs::file_size(sFile)), c.nSegments, c.nElements, c.Rows(), dOpen, dLoad,
            dMiB / dLoad, dMiB / (dOpen + dLoad));
        return 0;
    } catch (const DatabaseError& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
}
