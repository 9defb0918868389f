#include "doctree/JsonExport.h"

#include <nlohmann/json.hpp>

#include <ostream>

#include "doctree/TextCodec.h"

namespace orr {
namespace {

using Json = nlohmann::ordered_json;

Json Text(std::string_view s) { return TextCodec::Utf8(s); }

Json Components(const SegmentValues::Components& c)
{
    Json a = Json::array();
    for (std::string_view s : c)
        a.push_back(Text(s));
    return a;
}

Json Element(const SegmentValues& values, std::size_t n)
{
    Json e;
    e["position"] = n;
    const SegmentValues::Repetitions parts = values.Parts(n);
    if (parts.size() > 1) {
        Json r = Json::array();
        for (const SegmentValues::Components& c : parts)
            r.push_back(c.size() > 1 ? Components(c) : Text(c.front()));
        e["repetitions"] = std::move(r);
    } else if (parts.size() == 1 && parts.front().size() > 1) {
        e["components"] = Components(parts.front());
    } else {
        e["value"] = Text(values.Element(n));
    }
    return e;
}

std::string Indent(int nDepth) { return std::string(std::size_t(nDepth), ' '); }

}  // namespace

void JsonExport::Next(std::ostream& out, int nDepth)
{
    out << (mbFirst ? "\n" : ",\n") << Indent(nDepth);
    mbFirst = false;
}

void JsonExport::Begin(std::ostream& out, const std::string& sType, const Separators& separators)
{
    Json head;
    head["format"] = "orrindale-edi";
    head["version"] = kFormatVersion;
    head["type"] = Text(sType);
    head["separators"] = {{"element", separators.nElement},
                          {"segment", separators.nSegment},
                          {"lineEnd", separators.sLineEnd}};
    const std::string s = head.dump();
    out << s.substr(0, s.size() - 1) << ",\n \"nodes\": [";
    mbFirst = true;
}

void JsonExport::BeginLoop(std::ostream& out, const Loop& loop, int nDepth)
{
    Next(out, nDepth);
    Json o;
    o["kind"] = loop.sKind;
    o["name"] = Text(loop.sName);
    o["id"] = Text(loop.sId);
    const std::string s = o.dump();
    out << s.substr(0, s.size() - 1) << ",\"nodes\":[";
    mbFirst = true;
}

void JsonExport::EndLoop(std::ostream& out, const Loop&, int nDepth)
{
    if (!mbFirst)
        out << "\n" << Indent(nDepth);
    out << "]}";
    mbFirst = false;
}

void JsonExport::Segment(std::ostream& out, const SegmentValues& values, bool bMatched, int nDepth)
{
    Next(out, nDepth);
    Json o;
    o["kind"] = "segment";
    o["id"] = Text(values.Id());
    if (!bMatched)
        o["matched"] = false;
    Json elements = Json::array();
    for (std::size_t n = 1; n <= values.Count(); ++n)
        elements.push_back(Element(values, n));
    o["elements"] = std::move(elements);
    out << o.dump();
}

void JsonExport::End(std::ostream& out) { out << (mbFirst ? "]}\n" : "\n ]}\n"); }

}  // namespace orr
