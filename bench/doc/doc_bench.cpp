// One measured run over one document, the way the program handles it:
//   open:     separator detection + schema build + read, parse, match and
//             build the document tree (segment nodes keep their elements
//             lazily, as in the program)
//   validate: clsTreeDValid round trip (write the work file, rebuild it in
//             place of the document, in the tree's own memory); revalidate:
//             the same again
//   check:    the element check of every value and envelope (clsTreeDCheck),
//             with the lines of its findings looked up in the file
//   save:     clsTreeDSave::WriteX12 to a new file (then compared with the input)
// Prints one line of key=value pairs; bench/run takes medians over runs.
// The peak RSS after opening (VmHWM) is read before validation starts.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "bench/common/BenchEnv.h"
#include "doctree/EdiDocument.h"
#include "doctree/clsTreeD.h"
#include "doctree/clsTreeDCheck.h"
#include "doctree/clsTreeDSave.h"
#include "edi/modGuessEdi.h"
#include "schema/clsDefFiles.h"
#include "schema/clsTreeS.h"
#include "store/clsTreeMemory.h"

namespace {

namespace fs = std::filesystem;
using namespace orr;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

// A "VmHWM:" / "VmRSS:" line of /proc/self/status in bytes.
long long StatusBytes(const char* sKey)
{
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long long n = -1;
    const std::size_t nKey = std::strlen(sKey);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, sKey, nKey) == 0)
            n = std::atoll(line + nKey) * 1024;
    std::fclose(f);
    return n;
}

// User plus system CPU seconds of this process so far.
double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool SameFiles(const std::string& a, const std::string& b)
{
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    return std::equal(std::istreambuf_iterator<char>(fa), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(fb), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: orrindale_bench_doc FILE TYPE [--defs DIR] [--no-validate] [--no-check] [--no-save]\n");
        return 2;
    }
    const std::string sFile = argv[1], sType = argv[2];
    std::string sDefs = fs::path(argv[0]).parent_path().string();
    bool bValidate = true, bCheck = true, bSave = true;
    for (int i = 3; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--defs") && i + 1 < argc)
            sDefs = argv[++i];
        else if (!std::strcmp(argv[i], "--no-validate"))
            bValidate = false;
        else if (!std::strcmp(argv[i], "--no-check"))
            bCheck = false;
        else if (!std::strcmp(argv[i], "--no-save"))
            bSave = false;
    }
    BenchEnv env(sDefs, "orrindale-bench-doc");
    clsConfig& config = env.config;
    clsDefFiles& files = env.files;
    const fs::path& dir = env.dir;
    if (!files.RefreshBinFile()) {
        std::fprintf(stderr, "cannot read %s\n", config.DefinitionFile.c_str());
        return 1;
    }
    const long long nBytes = static_cast<long long>(fs::file_size(sFile));
    const long long nRssBefore = StatusBytes("VmRSS:");

    // ---- open ----
    auto t0 = Clock::now();
    double c0 = CpuSeconds();
    SepCode nDelimiter = 0, nSelimiter = 0;
    if (!gfGuessEdi(sFile, nDelimiter, nSelimiter)) {
        std::fprintf(stderr, "no separators found in %s\n", sFile.c_str());
        return 1;
    }
    EdiDocument doc;
    doc.SetSeparators(nDelimiter, nSelimiter);
    if (!doc.LoadDefinition(sType)) {
        std::fprintf(stderr, "no definition for %s\n", sType.c_str());
        return 1;
    }
    doc.Open(sFile, EdiDocument::OpenMode::Batch);
    TreeNode root = doc.Root();
    const double dOpen = Seconds(t0), dOpenCpu = CpuSeconds() - c0;
    const long long nRssOpen = StatusBytes("VmHWM:");
    doc.SetFileName(sFile, false);  // as the window names it
    clsTree& tree = doc.Tree();
    std::printf("bytes=%lld open_s=%.6f open_cpu=%.6f rss_before=%lld rss_open=%lld nodes=%zu segments=%zu nerror=%d "
                "tree_bytes=%zu node_bytes=%zu text_bytes=%zu hugepages=%d",
                nBytes, dOpen, dOpenCpu, nRssBefore, nRssOpen, tree.NodeCount(), doc.BuildSegments(),
                int(doc.BuildError()), tree.MemoryBytes(), tree.NodeBytes(), tree.TextBytes(), int(clsTreeMemory::HugePages()));
    if (doc.BuildError() != 0)
        std::fprintf(stderr, "%s\n", doc.BuildErrorText().c_str());

    // ---- validate ----
    if (bValidate && root) {
        t0 = Clock::now();
        c0 = CpuSeconds();
        const bool bValid = doc.Validate() && doc.BuildError() == 0;
        const double dValidate = Seconds(t0), dValidateCpu = CpuSeconds() - c0;
        root = doc.Root();
        std::printf(" validate_s=%.6f validate_cpu=%.6f valid=%d", dValidate, dValidateCpu, int(bValid));
        // Once more: the scratch tree now has the first tree's memory.
        t0 = Clock::now();
        c0 = CpuSeconds();
        const bool bValidAgain = doc.Validate() && doc.BuildError() == 0;
        const double dAgain = Seconds(t0), dAgainCpu = CpuSeconds() - c0;
        root = doc.Root();
        std::printf(" revalidate_s=%.6f revalidate_cpu=%.6f", dAgain, dAgainCpu);
        if (!bValidAgain)
            std::printf(" valid=0");
    }

    // ---- check ----
    if (bCheck && root) {
        t0 = Clock::now();
        c0 = CpuSeconds();
        EdiFindings findings = clsTreeDCheck().Check(doc);
        const double dFound = Seconds(t0);
        clsTreeDCheck::LocateLines(findings, sFile, nDelimiter, nSelimiter);
        const double dCheck = Seconds(t0), dCheckCpu = CpuSeconds() - c0;
        std::printf(" check_s=%.6f check_cpu=%.6f lines_s=%.6f findings=%zu", dCheck, dCheckCpu, dCheck - dFound,
                    findings.size());
    }

    // ---- save ----
    if (bSave && root) {
        const std::string sOut = (dir / "saved.edi").string();
        clsTreeDSave writer;
        writer.SetDelimiter(nDelimiter);
        writer.SetSelimiter(nSelimiter);
        t0 = Clock::now();
        c0 = CpuSeconds();
        const bool bOk = writer.WriteX12(sOut, root, false);
        const double dSave = Seconds(t0), dSaveCpu = CpuSeconds() - c0;
        std::printf(" save_s=%.6f save_cpu=%.6f saved=%d same=%d", dSave, dSaveCpu, int(bOk), int(bOk && SameFiles(sFile, sOut)));
    }
    std::printf(" rss_peak=%lld\n", StatusBytes("VmHWM:"));

    return 0;
}
