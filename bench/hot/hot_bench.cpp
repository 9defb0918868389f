// Google Benchmark figures of the hot paths, on generated 850 and 837P
// documents (bench/gen) of a few MiB:
//   cut/TYPE     the stream parser cutting segments (64 KiB pieces, counting listener)
//   open/TYPE    clsTreeD::Build: read, cut, match every segment, build the tree
//   write/TYPE   clsTreeDSave::ToText of the opened tree (untouched payloads)
//   store/add    clsTree::Add of loop and segment nodes with payloads
//   store/expand making the elements of every segment (lazy children)
// Bytes per second are of the document text. Run from bin/ (needs EdiDef.bin):
//   bin/orrindale_bench_hot [--benchmark_filter=open] [--mib=4]
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "app/MemorySettings.h"
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "bench/gen/EdiGen.h"
#include "doctree/clsTreeD.h"
#include "doctree/clsTreeDSave.h"
#include "edi/clsEdiAsyncParser.h"
#include "schema/clsDefFiles.h"
#include "schema/clsTreeS.h"

namespace {

namespace fs = std::filesystem;
using namespace orr;

struct Document {
    std::string sText;
    std::string sFile;
};
std::map<std::string, Document> gDocs;

struct Counter final : EdiParserListener {
    std::size_t nSegments = 0;
    void TriggerIsa(bool, std::string_view) override { ++nSegments; }
    void TriggerGs(bool, std::string_view) override { ++nSegments; }
    void TriggerSt(bool, std::string_view) override { ++nSegments; }
    void TriggerSeg(std::string_view) override { ++nSegments; }
};

void Cut(benchmark::State& state, const std::string& sType)
{
    const std::string& sText = gDocs[sType].sText;
    std::size_t nSegments = 0;
    for (auto _ : state) {
        Counter counter;
        clsEdiAsyncParser parser(&counter);
        parser.SetDelimiter('*');
        parser.SetSelimiter('~');
        parser.bGsTrigger = parser.bStTrigger = parser.bSegTrigger = true;
        const std::string_view all(sText);
        for (std::size_t i = 0; i < all.size(); i += 1 << 16)
            parser.ParseData(all.substr(i, 1 << 16));
        parser.EndData();
        nSegments = counter.nSegments;
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(sText.size()));
    state.counters["segments"] = double(nSegments);
}

void Open(benchmark::State& state, const std::string& sType)
{
    const Document& d = gDocs[sType];
    clsTree schema;
    clsTreeS schemaBuilder;
    schemaBuilder.Build(schema, bench::EdiGen::DefinitionType(sType));
    std::size_t nNodes = 0;
    for (auto _ : state) {
        auto doc = std::make_unique<clsTree>();
        clsTreeD builder;
        builder.SetDelimiter('*');
        builder.SetSelimiter('~');
        benchmark::DoNotOptimize(builder.Build(*doc, d.sFile, schema));
        if (builder.nError() != 0)
            state.SkipWithError(builder.sError().c_str());
        nNodes = doc->NodeCount();
        state.PauseTiming();  // freeing the tree is not opening
        doc.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(d.sText.size()));
    state.counters["nodes"] = double(nNodes);
}

void Write(benchmark::State& state, const std::string& sType)
{
    const Document& d = gDocs[sType];
    clsTree schema, doc;
    clsTreeS schemaBuilder;
    schemaBuilder.Build(schema, bench::EdiGen::DefinitionType(sType));
    clsTreeD builder;
    builder.SetDelimiter('*');
    builder.SetSelimiter('~');
    const TreeNode root = builder.Build(doc, d.sFile, schema);
    clsTreeDSave writer;
    writer.SetDelimiter('*');
    writer.SetSelimiter('~');
    for (auto _ : state) {
        const std::string s = writer.ToText(root, false);
        if (s.size() != d.sText.size())
            state.SkipWithError("the written text differs from the file");
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(d.sText.size()));
}

const std::string kSegment = "N1*BT*ACME CORPORATION PURCHASING*92*123456789";

void BuildStore(clsTree& tree, int nSegments)
{
    clsTreeD::InstallElementMaterialiser(tree, '*');
    const ImageId closed = tree.InternImage("closed"), open = tree.InternImage("open");
    const NodeId root = tree.Add({}, Relation::Child, {.sKey = "Root", .sText = "file.edi"});
    NodeId loop;
    for (int i = 0; i < nSegments; ++i) {
        if (i % 5 == 0)
            loop = tree.Add(root, Relation::Child,
                            {.sText = "Party name loop (1 of 200)", .sTag = "ZLS *00000.00001.00004", .image = closed,
                             .expandedImage = open});
        tree.Add(loop, Relation::Child,
                 {.sTag = "SN1 *00000.00001.00004.00005", .image = closed, .expandedImage = open,
                  .sPayload = kSegment, .nPayloadHead = 2});
    }
}

void StoreAdd(benchmark::State& state)
{
    const int n = int(state.range(0));
    for (auto _ : state) {
        auto tree = std::make_unique<clsTree>();
        tree->BeginBulk();
        BuildStore(*tree, n);
        tree->EndBulk();
        benchmark::DoNotOptimize(tree->NodeCount());
        state.PauseTiming();
        tree.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void StoreExpand(benchmark::State& state)
{
    const int n = int(state.range(0));
    std::size_t nElements = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = std::make_unique<clsTree>();
        BuildStore(*tree, n);
        state.ResumeTiming();
        nElements = 0;
        const NodeId root = tree->Child({}, 0);
        for (std::uint32_t l = 0; l < tree->ChildCount(root); ++l) {
            const NodeId loop = tree->Child(root, l);
            for (std::uint32_t s = 0; s < tree->ChildCount(loop); ++s)
                nElements += tree->ChildCount(tree->Child(loop, s));
        }
        state.PauseTiming();
        tree.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(nElements));
}

}  // namespace

int main(int argc, char** argv)
{
    double dMib = 4;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--mib=", 6) == 0)
            dMib = std::atof(argv[i] + 6);
    benchmark::Initialize(&argc, argv);

    const fs::path dir = fs::temp_directory_path() / ("orrindale-bench-hot-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    MemorySettings settings;
    clsConfig config(fs::path(argv[0]).parent_path().string(), dir.string());
    gConfig = &config;
    gSettings = &settings;
    clsDefFiles files;
    gDefFiles = &files;
    if (!files.RefreshBinFile()) {
        std::fprintf(stderr, "cannot read %s\n", config.DefinitionFile.c_str());
        return 1;
    }
    for (const char* sType : {"850", "837P"}) {
        bench::GenOptions o;
        o.sType = sType;
        o.nBytes = std::uint64_t(dMib * double(1 << 20));
        Document& d = gDocs[sType];
        d.sText = bench::EdiGen::Text(o);
        d.sFile = (dir / (std::string(sType) + ".edi")).string();
        std::ofstream(d.sFile, std::ios::binary) << d.sText;
        benchmark::RegisterBenchmark((std::string("cut/") + sType).c_str(), Cut, std::string(sType))
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("open/") + sType).c_str(), Open, std::string(sType))
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("write/") + sType).c_str(), Write, std::string(sType))
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("store/add", StoreAdd)->Arg(200000)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("store/expand", StoreExpand)->Arg(100000)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    gDefFiles = nullptr;
    gConfig = nullptr;
    gSettings = nullptr;
    fs::remove_all(dir);
    return 0;
}
