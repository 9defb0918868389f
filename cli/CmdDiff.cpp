// diff: two documents compared along their trees.
#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>

#include "cli/CliCommands.h"
#include "doctree/BatchOpen.h"
#include "doctree/DocumentDiff.h"
#include "doctree/EdiDocument.h"
#include "doctree/TextCodec.h"

namespace orr {
namespace {

const char* KindName(DiffEntry::Kind kind)
{
    switch (kind) {
    case DiffEntry::Kind::Changed: return "changed";
    case DiffEntry::Kind::Added: return "added";
    default: return "removed";
    }
}

std::string Number(std::uint32_t n) { return n ? std::to_string(n) : std::string("-"); }

nlohmann::ordered_json Json(const DiffEntry& e)
{
    const auto number = [](std::uint32_t n) { return n ? nlohmann::ordered_json(n) : nlohmann::ordered_json(); };
    nlohmann::ordered_json o;
    o["kind"] = KindName(e.kind);
    o["segmentA"] = number(e.nSegmentA);
    o["segmentB"] = number(e.nSegmentB);
    o["segmentId"] = TextCodec::Utf8(e.sSegmentId);
    if (e.kind == DiffEntry::Kind::Changed) {
        o["position"] = e.sPosition;
        o["old"] = TextCodec::Utf8(e.sOld);
        o["new"] = TextCodec::Utf8(e.sNew);
    } else {
        o["segment"] = TextCodec::Utf8(e.kind == DiffEntry::Kind::Added ? e.sNew : e.sOld);
    }
    return o;
}

void PrintText(const std::vector<DiffEntry>& entries)
{
    for (const DiffEntry& e : entries) {
        if (e.kind == DiffEntry::Kind::Changed)
            std::cout << "changed\t" << e.nSegmentA << '\t' << e.nSegmentB << '\t' << e.sSegmentId << '\t'
                      << e.sPosition << '\t' << e.sOld << '\t' << e.sNew << '\n';
        else
            std::cout << KindName(e.kind) << '\t' << Number(e.nSegmentA) << '\t' << Number(e.nSegmentB) << '\t'
                      << (e.kind == DiffEntry::Kind::Added ? e.sNew : e.sOld) << '\n';
    }
}

}  // namespace

int gfCmdDiff(const CliArgs& args)
{
    args.Require(3, {"--type", "--ignore-envelope", "--format"});
    const std::string sFormat = args.Option("--format").empty() ? "text" : args.Option("--format");
    if (sFormat != "text" && sFormat != "json")
        throw UsageError("diff needs --format text|json");
    const std::string sType = args.Option("--type").empty() ? BatchOpen::kAuto : args.Option("--type");
    CliSession session(args);
    if (!session.Start())
        return 2;
    EdiDocument a, b;
    for (auto [pDoc, sFile] : {std::pair{&a, args.positional[1]}, std::pair{&b, args.positional[2]}}) {
        if (!BatchOpen::Open(*pDoc, sFile, BatchOpen::TypeFor(sType, sFile))) {
            std::fprintf(stderr, "error: %s cannot be read\n", sFile.c_str());
            return 2;
        }
        if (pDoc->BuildError())
            std::fprintf(stderr, "warning: %s: %s\n", sFile.c_str(), pDoc->BuildErrorText().c_str());
    }
    DocumentDiff diff;
    diff.SetIgnoreEnvelope(args.Flag("--ignore-envelope"));
    const std::vector<DiffEntry> entries = diff.Compare(a, b);
    if (sFormat == "json") {
        nlohmann::ordered_json o;
        o["a"] = TextCodec::Utf8(args.positional[1]);
        o["b"] = TextCodec::Utf8(args.positional[2]);
        o["equal"] = entries.empty();
        o["differences"] = nlohmann::ordered_json::array();
        for (const DiffEntry& e : entries)
            o["differences"].push_back(Json(e));
        std::cout << o.dump(2) << '\n';
    } else {
        PrintText(entries);
    }
    std::cout.flush();
    return entries.empty() ? 0 : 1;
}

}  // namespace orr
