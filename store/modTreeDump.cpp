#include "store/modTreeDump.h"

#include <ostream>
#include <sstream>
#include <utility>
#include <vector>

namespace orr {
namespace {

void Field(std::string& s, std::string_view sValue)
{
    for (char c : sValue) {
        switch (c) {
        case '\t': s += "\\t"; break;
        case '\r': s += "\\r"; break;
        case '\n': s += "\\n"; break;
        default: s += c;
        }
    }
}

}  // namespace

void gfDumpTree(const clsTree& tree, std::ostream& out, NodeId from)
{
    std::vector<std::pair<NodeId, std::uint32_t>> stack;  // node, depth
    if (from) {
        stack.emplace_back(from, 0);
    } else {
        for (std::uint32_t i = tree.ChildCount(NodeId{}); i-- > 0;)
            stack.emplace_back(tree.Child(NodeId{}, i), 0);
    }
    std::string buffer;
    while (!stack.empty()) {
        const auto [node, depth] = stack.back();
        stack.pop_back();
        buffer += std::to_string(depth);
        buffer += '\t';
        Field(buffer, tree.Key(node));
        buffer += '\t';
        Field(buffer, tree.Tag(node));
        buffer += '\t';
        Field(buffer, tree.Text(node));
        buffer += '\t';
        Field(buffer, tree.Image(node));
        buffer += '\t';
        Field(buffer, tree.ExpandedImage(node));
        buffer += '\n';
        if (buffer.size() > 1 << 16) {
            out << buffer;
            buffer.clear();
        }
        for (std::uint32_t i = tree.ChildCount(node); i-- > 0;)
            stack.emplace_back(tree.Child(node, i), depth + 1);
    }
    out << buffer;
}

std::string gfDumpTreeText(const clsTree& tree, NodeId from)
{
    std::ostringstream s;
    gfDumpTree(tree, s, from);
    return s.str();
}

}  // namespace orr
