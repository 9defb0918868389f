// Two figures of the definition engine:
//  1. building the schema tree of a generated definition (default 5 000
//     lines), once written out line by line and once through segment
//     references that the flattening expands;
//  2. the tree store under a document-sized load: segments with lazy element
//     children, bytes per node, and the cost of making the elements.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/GlobalsScope.h"
#include "app/MemorySettings.h"
#include "app/clsConfig.h"
#include "schema/clsDefFiles.h"
#include "schema/clsDefPacker.h"
#include "schema/clsTreeS.h"
#include "store/clsTree.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace orr;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A body of loops, segments and elements of about nLines lines, the shape
// real definitions have: envelope loops around repeated detail loops.
std::string PlainDefinition(int nLines)
{
    std::string s = "???*DESCRIPTION*Generated\nA??*LS*0001*99999*ISA*Interchange\nISA*0*M*1*Header\n"
                    "A??*LS*0002*99999*GS*Group\nGS*0*M*1*Header\nA??*LS*0003*99999*ST*Set\nST*0*M*1*Header\n";
    int n = 7, loop = 0;
    while (n < nLines - 6) {
        s += "A??*LS*" + std::to_string(1000 + loop) + "*>1**Detail loop " + std::to_string(loop) + "\n";
        for (int seg = 0; seg < 3 && n < nLines - 6; ++seg) {
            s += "S" + std::to_string(seg) + "X*0*O*1*Segment " + std::to_string(seg) + "*K1,K2\n";
            ++n;
            for (int e = 1; e <= 12 && n < nLines - 6; ++e, ++n)
                s += std::to_string(100 + e) + "*" + std::to_string(e) + "*O*AN*1*35*Element description " +
                     std::to_string(e) + "\n";
        }
        s += "A??*LE\n";
        n += 2;
        ++loop;
    }
    s += "SE*0*M*1*Trailer\nA??*LE\nGE*0*M*1*Trailer\nA??*LE\nIEA*0*M*1*Trailer\nA??*LE\n";
    return s;
}

// The same size through references: each reference line expands into a
// segment line and twelve element lines.
void ReferenceDefinition(int nLines, clsDefPacker& packer)
{
    std::string doc = "???*PREFIX*BN\nA??*LS*0001*99999*ISA*Interchange\n";
    const int nRefs = nLines / 13;
    for (int r = 0; r < nRefs; ++r)
        doc += "R" + std::to_string(r % 40) + "*O*1*Referenced segment*K" + std::to_string(r) + "\n";
    doc += "A??*LE\n";
    packer.AddFile("docBREF.def", "", "DD", doc);
    for (int k = 0; k < 40; ++k) {
        std::string std = "R" + std::to_string(k) + "*Segment\n", spec = "R" + std::to_string(k) + "*0\n";
        for (int e = 1; e <= 12; ++e) {
            std += std::to_string(200 + e) + "*" + std::to_string(e) + "*AN*1*35*Standard element " +
                   std::to_string(e) + "\n";
            spec += std::to_string(200 + e) + "*" + std::to_string(e) + "*O\n";
        }
        packer.AddFile("R" + std::to_string(k) + ".def", "", "SD", std);
        packer.AddFile("BN-R" + std::to_string(k) + ".def", "", "SD", spec);
    }
}

void BenchBuild(const char* sType, int nRuns)
{
    std::vector<double> times;
    std::size_t nNodes = 0;
    for (int i = 0; i < nRuns; ++i) {
        clsTree tree;
        clsTreeS builder;
        const auto t0 = Clock::now();
        builder.Build(tree, sType);
        times.push_back(Ms(Clock::now() - t0));
        nNodes = tree.NodeCount();
    }
    std::sort(times.begin(), times.end());
    std::printf("schema %-5s %6zu nodes: median %.2f ms, best %.2f ms (%d runs)\n", sType, nNodes,
                times[times.size() / 2], times.front(), nRuns);
}

void BenchStore(int nSegments)
{
    clsTree tree;
    tree.SetMaterialiser([](clsTree& t, NodeId seg, std::string_view s) {
        static const ImageId dde = t.InternImage("dde");
        static const char* const kTags[] = {"E01", "E02", "E03", "E04", "E05", "E06", "E07", "E08", "E09"};
        std::size_t start = s.find('*');
        for (int n = 0; start != std::string_view::npos && n < 9; ++n) {
            const std::size_t end = s.find('*', start + 1);
            t.AddPayloadChild(seg, start + 1, (end == std::string_view::npos ? s.size() : end) - start - 1,
                              kTags[n], dde);
            start = end;
        }
    });
    const ImageId closed = tree.InternImage("closed"), open = tree.InternImage("open");
    const ImageId closedData = tree.InternImage("closeddata"), openData = tree.InternImage("opendata");
    const std::string segment = "N1*BT*Acme Corporation Purchasing Department*92*123456789";

    const auto t0 = Clock::now();
    const NodeId root = tree.Add({}, Relation::Child, {.sKey = "Root", .sText = "file.edi"});
    NodeId loop;
    for (int i = 0; i < nSegments; ++i) {
        if (i % 5 == 0)
            loop = tree.Add(root, Relation::Child,
                            {.sText = "Name (1 of 200)", .sTag = "Z   *00000.00001.00004", .image = closedData,
                             .expandedImage = openData});
        tree.Add(loop, Relation::Child,
                 {.sTag = "SN1 *00000.00001.00004.00005", .image = closed, .expandedImage = open,
                  .sPayload = segment, .nPayloadHead = 2});
    }
    const auto t1 = Clock::now();
    const std::size_t nBuilt = tree.NodeCount();
    std::printf("store: %zu nodes (segments with lazy elements) in %.0f ms: %.1f bytes/node in the node arrays, "
                "%.1f of texts (the segment texts), %.1f in all\n",
                nBuilt, Ms(t1 - t0), double(tree.NodeBytes()) / double(nBuilt),
                double(tree.TextBytes()) / double(nBuilt), double(tree.MemoryBytes()) / double(nBuilt));

    // Touch every segment's children once, as a walk over all elements would.
    std::size_t nElements = 0;
    const auto t2 = Clock::now();
    for (std::uint32_t l = 0; l < tree.ChildCount(root); ++l) {
        const NodeId lp = tree.Child(root, l);
        for (std::uint32_t s = 0; s < tree.ChildCount(lp); ++s)
            nElements += tree.ChildCount(tree.Child(lp, s));
    }
    const auto t3 = Clock::now();
    std::printf("store: made %zu element nodes in %.0f ms (%.0f ns each); %zu nodes: %.1f bytes/node in the "
                "node arrays, %.1f in all\n",
                nElements, Ms(t3 - t2), Ms(t3 - t2) * 1e6 / double(nElements), tree.NodeCount(),
                double(tree.NodeBytes()) / double(tree.NodeCount()),
                double(tree.MemoryBytes()) / double(tree.NodeCount()));
    const auto t4 = Clock::now();
    tree.Compact();
    std::printf("store: Compact in %.0f ms: %.1f bytes/node in the node arrays\n", Ms(Clock::now() - t4),
                double(tree.NodeBytes()) / double(tree.NodeCount()));
}

}  // namespace

int main(int argc, char** argv)
{
    const int nLines = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int nSegments = argc > 2 ? std::atoi(argv[2]) : 2000000;

    const fs::path dir = fs::temp_directory_path() / ("orrindale-bench-schema-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    MemorySettings settings;
    clsConfig config(dir.string(), dir.string());
    clsDefFiles files;
    const GlobalsScope globals(&config, &settings, &files);
    clsDefPacker packer;
    const std::string plain = PlainDefinition(nLines);
    packer.AddFile("docBENCH.def", "", "DD", plain);
    ReferenceDefinition(nLines, packer);
    packer.Write(config.DefinitionFile);
    if (!files.RefreshBinFile()) {
        std::fprintf(stderr, "cannot read %s\n", config.DefinitionFile.c_str());
        return 1;
    }
    std::printf("definition: %ld lines written out; references expanding to about as many\n",
                long(std::count(plain.begin(), plain.end(), '\n')));
    BenchBuild("BENCH", 21);
    BenchBuild("BREF", 21);
    BenchStore(nSegments);

    fs::remove_all(dir);
    return 0;
}
