#include "doctree/XmlImport.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <charconv>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "doctree/ImportWriter.h"
#include "doctree/XmlExport.h"

namespace orr {
namespace {

const char* C(const xmlChar* s) { return reinterpret_cast<const char*>(s); }

bool Is(const xmlNode* n, const char* sName)
{
    return n->type == XML_ELEMENT_NODE && std::string_view(C(n->name)) == sName;
}

// An attribute's value; "" when it is not there (bRequired: an error then).
std::string Attribute(const xmlNode* n, const char* sName, bool bRequired = true)
{
    xmlChar* v = xmlGetProp(n, reinterpret_cast<const xmlChar*>(sName));
    if (!v) {
        if (bRequired)
            throw std::runtime_error(std::string("<") + C(n->name) + "> has no " + sName + " attribute");
        return {};
    }
    std::string s = C(v);
    xmlFree(v);
    return s;
}

std::size_t Number(const xmlNode* n, const char* sName)
{
    const std::string s = Attribute(n, sName);
    std::size_t v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size())
        throw std::runtime_error(std::string("<") + C(n->name) + "> " + sName + " is not a number: " + s);
    return v;
}

std::string Content(const xmlNode* n)
{
    xmlChar* v = xmlNodeGetContent(n);
    std::string s = v ? C(v) : "";
    xmlFree(v);
    return s;
}

std::string FromHex(const std::string& s)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < s.size(); i += 2)
        out += char(std::stoi(s.substr(i, 2), nullptr, 16));
    return out;
}

std::vector<std::string> Components(const xmlNode* n, const std::function<std::string(std::string_view)>& latin1)
{
    std::vector<std::string> c;
    for (const xmlNode* k = n->children; k; k = k->next)
        if (Is(k, "component"))
            c.push_back(latin1(Content(k)));
    return c;
}

bool HasChild(const xmlNode* n, const char* sName)
{
    for (const xmlNode* k = n->children; k; k = k->next)
        if (Is(k, sName))
            return true;
    return false;
}

}  // namespace

DocumentImport::Result XmlImport::Convert(const std::string& sIn, std::ostream& out, const Options& options)
{
    const std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> doc(
        xmlReadFile(sIn.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING), xmlFreeDoc);
    if (!doc)
        throw std::runtime_error(sIn + " is not well-formed XML");
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!root || !Is(root, "edi") || !root->ns || std::string_view(C(root->ns->href)) != XmlExport::kNamespace ||
        Number(root, "version") > std::size_t(DocumentExport::kFormatVersion))
        throw std::runtime_error(sIn + " is not an export of this program (<edi xmlns=\"" +
                                 XmlExport::kNamespace + "\" version=\"1\">)");
    const xmlNode* seps = root->children;
    while (seps && seps->type != XML_ELEMENT_NODE)
        seps = seps->next;
    if (!seps || !Is(seps, "separators"))
        throw std::runtime_error("<edi> does not start with <separators>");
    Result r;
    r.sType = Latin1(Attribute(root, "type"));
    r.separators = Chosen({SepCode(Number(seps, "element")), SepCode(Number(seps, "segment")),
                           Attribute(seps, "lineEnd", false)},
                          options);
    ImportWriter writer(out, r.separators.nElement, r.separators.nSegment, r.separators.sLineEnd);
    const auto latin1 = [](std::string_view s) { return Latin1(s); };
    // Loops within loops without recursion: the next node of each level.
    std::vector<const xmlNode*> stack{seps->next};
    while (!stack.empty()) {
        const xmlNode* n = stack.back();
        if (!n) {
            stack.pop_back();
            continue;
        }
        stack.back() = n->next;
        if (n->type != XML_ELEMENT_NODE)
            continue;
        if (!Is(n, "segment")) {
            stack.push_back(n->children);
            continue;
        }
        std::map<std::size_t, ImportWriter::Parts> elements;
        for (const xmlNode* e = n->children; e; e = e->next) {
            if (!Is(e, "element"))
                continue;
            const std::size_t nPosition = Number(e, "position");
            if (nPosition == 0)
                throw std::runtime_error("element positions count from 1");
            ImportWriter::Parts& parts = elements[nPosition];
            if (const std::string sHex = Attribute(e, "hex", false); !sHex.empty())
                parts.push_back({FromHex(sHex)});
            else if (HasChild(e, "repetition"))
                for (const xmlNode* k = e->children; k; k = k->next) {
                    if (Is(k, "repetition"))
                        parts.push_back(HasChild(k, "component") ? Components(k, latin1)
                                                                 : std::vector{Latin1(Content(k))});
                }
            else if (HasChild(e, "component"))
                parts.push_back(Components(e, latin1));
            else
                parts.push_back({Latin1(Content(e))});
        }
        writer.Segment(Latin1(Attribute(n, "id")), elements);
    }
    return r;
}

}  // namespace orr
