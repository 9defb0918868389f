#include "doctree/JsonImport.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <stdexcept>

#include "doctree/ImportWriter.h"

namespace orr {
namespace {

using Json = nlohmann::json;

const Json& Member(const Json& o, const char* sName)
{
    const auto it = o.find(sName);
    if (it == o.end())
        throw std::runtime_error(std::string("the export has no \"") + sName + "\" where one is needed");
    return *it;
}

}  // namespace

DocumentImport::Result JsonImport::Convert(const std::string& sIn, std::ostream& out, const Options& options)
{
    std::ifstream in(sIn, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + sIn);
    Json doc;
    try {
        doc = Json::parse(in);
        if (Member(doc, "format") != "orrindale-edi" || Member(doc, "version").get<int>() > DocumentExport::kFormatVersion)
            throw std::runtime_error(sIn + " is not an export of this program (format orrindale-edi, version 1)");
        const Json& seps = Member(doc, "separators");
        Result r;
        r.sType = Latin1(Member(doc, "type").get<std::string>());
        r.separators = Chosen({Member(seps, "element").get<SepCode>(), Member(seps, "segment").get<SepCode>(),
                               seps.value("lineEnd", std::string("none"))},
                              options);
        ImportWriter writer(out, r.separators.nElement, r.separators.nSegment, r.separators.sLineEnd);
        // Loops within loops without recursion: the nodes lists still to walk.
        std::vector<std::pair<const Json*, std::size_t>> stack{{&Member(doc, "nodes"), 0}};
        while (!stack.empty()) {
            auto& [pList, nNext] = stack.back();
            if (nNext == pList->size()) {
                stack.pop_back();
                continue;
            }
            const Json& node = (*pList)[nNext++];
            if (Member(node, "kind") != "segment") {
                stack.emplace_back(&Member(node, "nodes"), 0);
                continue;
            }
            std::map<std::size_t, ImportWriter::Parts> elements;
            for (const Json& e : Member(node, "elements")) {
                ImportWriter::Parts& parts = elements[Member(e, "position").get<std::size_t>()];
                const auto components = [&](const Json& list) {
                    std::vector<std::string> c;
                    for (const Json& v : list)
                        c.push_back(Latin1(v.get<std::string>()));
                    return c;
                };
                if (e.contains("repetitions"))
                    for (const Json& rep : e["repetitions"])
                        parts.push_back(rep.is_array() ? components(rep) : std::vector{Latin1(rep.get<std::string>())});
                else if (e.contains("components"))
                    parts.push_back(components(e["components"]));
                else
                    parts.push_back({Latin1(Member(e, "value").get<std::string>())});
            }
            if (elements.count(0))
                throw std::runtime_error("element positions count from 1");
            writer.Segment(Latin1(Member(node, "id").get<std::string>()), elements);
        }
        return r;
    } catch (const Json::exception& e) {
        throw std::runtime_error(sIn + ": " + e.what());
    }
}

}  // namespace orr
