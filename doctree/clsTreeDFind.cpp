#include "doctree/clsTreeDFind.h"

#include <algorithm>
#include <cctype>

#include "doctree/modNodeD.h"

namespace orr {
namespace {

char Fold(char c) { return char(std::tolower(static_cast<unsigned char>(c))); }

bool IsSegment(const clsTree& tree, NodeId node)
{
    const std::string& sTag = tree.Tag(node);
    return !sTag.empty() && sTag[0] == 'S';
}

bool IsBelow(const clsTree& tree, NodeId root, NodeId node)
{
    while (node && node != root)
        node = tree.Parent(node);
    return node == root;
}

}  // namespace

std::size_t clsTreeDFind::FoldHash::operator()(char c) const { return std::size_t(static_cast<unsigned char>(Fold(c))); }

bool clsTreeDFind::FoldEqual::operator()(char a, char b) const { return Fold(a) == Fold(b); }

bool clsTreeDFind::SetQuery(const Query& query)
{
    mQuery = query;
    mRegex.reset();
    mFolded.reset();
    msError.clear();
    if (mQuery.sText.empty()) {
        msError = "Nothing to find.";
        return false;
    }
    if (mQuery.bRegex) {
        auto flags = std::regex::ECMAScript | std::regex::nosubs | std::regex::optimize;
        if (!mQuery.bMatchCase)
            flags |= std::regex::icase;
        try {
            mRegex.emplace(mQuery.sText, flags);
        } catch (const std::regex_error& e) {
            msError = std::string("Not a valid regular expression: ") + e.what();
            return false;
        }
    } else if (!mQuery.bMatchCase) {
        mFolded.emplace(mQuery.sText.cbegin(), mQuery.sText.cend());
    }
    return true;
}

bool clsTreeDFind::Matches(std::string_view sSegment) const
{
    if (mRegex)
        return std::regex_search(sSegment.begin(), sSegment.end(), *mRegex);
    if (mFolded)
        return std::search(sSegment.begin(), sSegment.end(), *mFolded) != sSegment.end();
    return !mQuery.sText.empty() && sSegment.find(mQuery.sText) != std::string_view::npos;
}

clsTreeDFind::Hit clsTreeDFind::FindNext(const clsTree& tree, NodeId root, NodeId from) const
{
    if (!tree.IsValid(root) || (!mRegex && !mFolded && mQuery.sText.empty()))
        return {};
    if (!IsBelow(tree, root, from))
        from = root;
    if (const NodeId parent = tree.Parent(from); parent && !IsSegment(tree, from) && IsSegment(tree, parent))
        from = parent;  // an element: its segment
    std::string buffer;
    bool bWrapped = false;
    NodeId node = from;
    for (;;) {
        node = gfDnodeNextInOrder(tree, root, node);
        if (!node) {
            bWrapped = true;
            node = root;
        }
        if (IsSegment(tree, node) && Matches(gfDnodeSegmentText(tree, node, mcDelimiter, buffer)))
            return {node, bWrapped};
        if (node == from)
            return {};
    }
}

}  // namespace orr
