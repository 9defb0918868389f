#include "doctree/modNodeD.h"

#include <algorithm>
#include <optional>

#include "app/UiService.h"
#include "app/modSystem.h"
#include "app/modText.h"
#include "schema/modNodeS.h"

namespace orr {
namespace {

// The second "*" field of a tag, or nullopt when the tag has no "*".
std::optional<std::string_view> LinkOf(std::string_view sTag)
{
    const auto star = sTag.find('*');
    if (star == std::string_view::npos)
        return std::nullopt;
    const auto end = sTag.find('*', star + 1);
    return sTag.substr(star + 1, end == std::string_view::npos ? std::string_view::npos : end - star - 1);
}

}  // namespace

std::string gfDnodeNewTag(std::string_view sKind, std::string_view sCode, std::string_view sNumber)
{
    const std::string sNumbered = "0000" + std::string(sNumber);
    return gfDnodeLinkedTag(sKind, sCode, std::string_view(sNumbered).substr(sNumbered.size() - 5));
}

std::string gfDnodeLinkedTag(std::string_view sKind, std::string_view sCode, std::string_view sLink)
{
    std::string s;
    gfDnodeLinkedTagInto(s, sKind, sCode, sLink);
    return s;
}

void gfDnodeLinkedTagInto(std::string& s, std::string_view sKind, std::string_view sCode, std::string_view sLink)
{
    s.clear();
    s.reserve(sKind.size() + 4 + sLink.size());
    s.append(sKind).append(sCode.substr(0, 3)).append(3 - std::min<std::size_t>(sCode.size(), 3), ' ');
    s.append(1, '*').append(sLink);
}

std::string gfDnodeElementTag(std::size_t nPosition)
{
    const unsigned n = unsigned(nPosition % 100);
    return {'E', char('0' + n / 10), char('0' + n % 10)};
}

std::string gfDnodeTagWithLink(std::string_view sTag, std::string_view sLink)
{
    const auto star = sTag.find('*');
    if (star == std::string_view::npos)
        return std::string(sTag);
    const auto end = sTag.find('*', star + 1);
    std::string s(sTag.substr(0, star + 1));
    s += sLink;
    if (end != std::string_view::npos)
        s += sTag.substr(end);
    return s;
}

void gfDnodeLinkSchema(const TreeNode& nd, const TreeNode& ndSchema)
{
    nd.SetTag(gfDnodeTagWithLink(nd.Tag(), gfSnodeFQN(ndSchema)));
}

std::string_view gfDnodeSegmentText(const clsTree& tree, NodeId segment, char cDelimiter, std::string& buffer)
{
    if (const std::optional<std::string_view> payload = tree.Payload(segment);
        payload && (tree.PayloadSeparator() == cDelimiter || tree.PayloadSeparator() == '\0'))
        return *payload;
    buffer.assign(tree.Text(segment));
    for (NodeId child = tree.FirstChild(segment); child; child = tree.Next(child)) {
        buffer += cDelimiter;
        buffer += tree.Text(child);
    }
    return buffer;
}

NodeId gfDnodeNextInOrder(const clsTree& tree, NodeId root, NodeId node)
{
    const std::string& sTag = tree.Tag(node);
    if (sTag.empty() || sTag[0] != 'S')
        if (const NodeId first = tree.FirstChild(node))
            return first;
    for (; node && node != root; node = tree.Parent(node))
        if (const NodeId next = tree.Next(node))
            return next;
    return {};
}

char gfDnodeType(const TreeNode& nd)
{
    if (!nd || nd.Tag().empty())
        gfSystemIllogic("gfDnodeType = 0");
    return gfUpper(nd.Tag()[0]);
}

std::string gfDnodeSegType(const TreeNode& nd)
{
    if (!nd || nd.Tag().empty())
        gfSystemIllogic("gfDnodeSegType = 0");
    return gfTrimSpaces(gfUpper(std::string(nd.Tag().substr(1, 3))));
}

bool gfDnodeIsEnvelope(const TreeNode& nd)
{
    const std::string_view s = nd.Text();
    return s == "ISA" || s == "IEA" || s == "GS" || s == "GE" || s == "ST" || s == "SE";
}

bool gfDnodeIsPlaceholder(const TreeNode& nd)
{
    return nd.Image().ends_with("nullsegment") && !nd.Tree()->HasChildren(nd.Id());
}

std::string gfDnodeSchemaPath(const TreeNode& nd)
{
    const auto link = nd ? LinkOf(nd.Tag()) : std::nullopt;
    if (!link) {
        gfMsgBox("Illogic.", MsgIcon::Critical);
        return {};
    }
    return std::string(*link);
}

std::string_view gfDnodeTagLink(std::string_view sTag) { return LinkOf(sTag).value_or(std::string_view()); }

std::string gfDnodeSchemaKey(const TreeNode& nd)
{
    const auto link = nd ? LinkOf(nd.Tag()) : std::nullopt;
    if (!link) {
        gfMsgBox("Illogic.", MsgIcon::Critical);
        return "K00000";
    }
    const auto dot = link->rfind('.');
    return "K" + std::string(dot == std::string_view::npos ? *link : link->substr(dot + 1));
}

int gfDnodeRunCount(const TreeNode& nd)
{
    const auto link = LinkOf(nd.Tag());
    auto same = [&](const TreeNode& n) { return LinkOf(n.Tag()) == link; };
    int n = 1;
    for (TreeNode p = nd.Previous(); p && same(p); p = p.Previous())
        ++n;
    for (TreeNode p = nd.Next(); p && same(p); p = p.Next())
        ++n;
    return n;
}

int gfDnodeSiblingCount(const TreeNode& nd)
{
    const TreeNode parent = nd.Parent();
    if (!parent)
        return 0;
    const char kind = gfDnodeType(nd);
    int n = 0;
    if (kind == 'X' || kind == 'F' || kind == 'T') {
        for (TreeNode c = parent.FirstChild(); c; c = c.Next())
            n += gfDnodeType(c) == kind;
        return n;
    }
    if (kind != 'Z') {
        gfIllogic(std::string("Should not count this node-") + kind);
        return 0;
    }
    const std::string code = gfDnodeSegType(nd);
    if (code == "HLS" || code == "ELS" || code == "ESS")
        return 0;
    if (code != "LS") {
        gfIllogic("Unknown system loop-" + code);
        return 0;
    }
    const auto link = LinkOf(nd.Tag());
    for (TreeNode c = parent.FirstChild(); c; c = c.Next())
        n += LinkOf(c.Tag()) == link;
    return n;
}

}  // namespace orr
