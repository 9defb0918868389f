// stats: opens a document as the tree command does and prints its figures,
// one "name<TAB>value" line each: the file's size, its segments, the
// interchanges, groups and transaction sets, the tree's nodes, the builder's
// error code, the seconds the open took (separators, definition, reading and
// matching) and the process's peak resident memory. bench/run takes its open
// figures from here.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <unordered_map>
#include <vector>

#include "cli/CliCommands.h"
#include "doctree/EdiDocument.h"
#include "doctree/modNodeD.h"

namespace orr {
namespace {

struct Counts {
    std::size_t nSegments = 0, nInterchanges = 0, nGroups = 0, nTransactions = 0;
};

// The envelope nodes, and every segment node, matched or not. Segments are
// not entered, so their elements stay unmade. A document read without an
// error has a node for each segment the builder counted: then the walk
// stops at the transaction sets (most of the nodes lie below them).
Counts CountNodes(EdiDocument& doc)
{
    clsTree& tree = doc.Tree();
    const bool bWhole = doc.BuildError() != 0;
    Counts c;
    std::unordered_map<std::uint32_t, char> types;  // node type by tag: few tags, many nodes
    std::vector<NodeId> stack{doc.Root().Id()};
    while (!stack.empty()) {
        const NodeId node = stack.back();
        stack.pop_back();
        auto [type, bNew] = types.try_emplace(tree.TagIdOf(node).value);
        if (bNew)
            type->second = gfDnodeType(tree.Node(node));
        switch (type->second) {
        case 'S': ++c.nSegments; continue;
        case 'X': ++c.nInterchanges; break;
        case 'F': ++c.nGroups; break;
        case 'T':
            ++c.nTransactions;
            if (!bWhole)
                continue;
            break;
        default: break;
        }
        for (std::uint32_t i = 0, n = tree.ChildCount(node); i < n; ++i)
            stack.push_back(tree.Child(node, i));
    }
    if (!bWhole)
        c.nSegments = doc.BuildSegments();
    return c;
}

long long PeakRssBytes()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<long long>(u.ru_maxrss) * 1024;  // KiB on Linux
}

}  // namespace

int gfCmdStats(const CliArgs& args)
{
    args.Require(2, {"--type", "--delimiter", "--selimiter"});
    CliSession session(args);
    EdiDocument& doc = gfCliDocument();
    if (!session.Start())
        return 1;
    const auto t0 = std::chrono::steady_clock::now();
    if (!gfCliLoadDocument(args, doc))
        return 1;
    const double dOpen = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const long long nPeak = PeakRssBytes();
    const Counts c = CountNodes(doc);
    std::error_code ec;
    const auto nBytes = std::filesystem::file_size(args.positional[1], ec);
    std::printf("bytes\t%llu\nsegments\t%zu\ninterchanges\t%zu\ngroups\t%zu\ntransactions\t%zu\nnodes\t%zu\n"
                "nError\t%d\nopen_seconds\t%.6f\npeak_rss_bytes\t%lld\n",
                static_cast<unsigned long long>(ec ? 0 : nBytes), c.nSegments, c.nInterchanges, c.nGroups,
                c.nTransactions, doc.Tree().NodeCount(), int(doc.BuildError()), dOpen, nPeak);
    return 0;
}

}  // namespace orr
