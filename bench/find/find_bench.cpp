// Finding segments in an opened document the way the find bar does: from
// the document's root (a fresh search) and again from each hit (F3). Per
// query: the time to the first match, the time of one whole pass (a text
// that matches nothing goes once round the document), and the number of
// matches. The document is opened as the program opens it, segments keeping
// their elements lazily.
//   orrindale_bench_find FILE TYPE [--defs DIR] [--regex] [--case] [TEXT ...]
// Without TEXT: a few typical queries. One line of key=value per query.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/common/BenchEnv.h"
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "doctree/EdiDocument.h"
#include "doctree/clsTreeDFind.h"
#include "edi/modGuessEdi.h"
#include "schema/clsDefFiles.h"

namespace {

namespace fs = std::filesystem;
using namespace orr;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

void Measure(EdiDocument& doc, const clsTreeDFind::Query& query)
{
    clsTreeDFind find;
    find.SetDelimiter(doc.Delimiter());
    if (!find.SetQuery(query)) {
        std::printf("query=\"%s\" error=\"%s\"\n", query.sText.c_str(), find.sError().c_str());
        return;
    }
    const NodeId root = doc.Root().Id();
    auto t0 = Clock::now();
    clsTreeDFind::Hit hit = find.FindNext(doc.Tree(), root, root);
    const double dFirst = Seconds(t0);
    // Every match once: F3 from hit to hit until the search goes round.
    std::size_t nMatches = 0;
    t0 = Clock::now();
    for (NodeId from = root; hit.node && !hit.bWrapped; hit = find.FindNext(doc.Tree(), root, from)) {
        ++nMatches;
        from = hit.node;
    }
    const double dPass = Seconds(t0);
    std::printf("query=\"%s\" regex=%d case=%d first_s=%.6f pass_s=%.6f matches=%zu\n", query.sText.c_str(),
                int(query.bRegex), int(query.bMatchCase), dFirst, dPass, nMatches);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: orrindale_bench_find FILE TYPE [--defs DIR] [--regex] [--case] [TEXT ...]\n");
        return 2;
    }
    const std::string sFile = argv[1], sType = argv[2];
    std::string sDefs = fs::path(argv[0]).parent_path().string();
    std::vector<clsTreeDFind::Query> queries;
    bool bRegex = false, bCase = false;
    for (int i = 3; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--defs") && i + 1 < argc)
            sDefs = argv[++i];
        else if (!std::strcmp(argv[i], "--regex"))
            bRegex = true;
        else if (!std::strcmp(argv[i], "--case"))
            bCase = true;
        else
            queries.push_back({argv[i], bRegex, bCase});
    }
    if (queries.empty())
        queries = {{"PO1", false, true},          {"po1*", false, false},         {"IEA", false, true},
                   {"no such text", false, false}, {"^REF\\*[A-Z]{2}\\*", true, false}, {"nothing[0-9]here", true, true}};
    BenchEnv env(sDefs, "orrindale-bench-find");
    clsConfig& config = env.config;
    clsDefFiles& files = env.files;
    if (!files.RefreshBinFile()) {
        std::fprintf(stderr, "cannot read %s\n", config.DefinitionFile.c_str());
        return 1;
    }
    SepCode nDelimiter = 0, nSelimiter = 0;
    if (!gfGuessEdi(sFile, nDelimiter, nSelimiter))
        return 1;
    EdiDocument doc;
    doc.SetSeparators(nDelimiter, nSelimiter);
    if (!doc.LoadDefinition(sType))
        return 1;
    const auto t0 = Clock::now();
    doc.Open(sFile, EdiDocument::OpenMode::Batch);
    std::printf("bytes=%llu open_s=%.6f segments=%zu\n", static_cast<unsigned long long>(fs::file_size(sFile)),
                Seconds(t0), doc.BuildSegments());
    for (const clsTreeDFind::Query& query : queries)
        Measure(doc, query);
    return 0;
}
