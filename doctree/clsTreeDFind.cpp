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

char clsTreeDFind::FoldTraits::translate_nocase(char c) const { return Fold(c); }

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
    msLiteral = mQuery.sText;
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
        msLiteral = RequiredLiteral(mQuery.sText);
    }
    if (!mQuery.bMatchCase && !msLiteral.empty())
        mFolded.emplace(msLiteral.cbegin(), msLiteral.cend());
    return true;
}

std::string clsTreeDFind::RequiredLiteral(std::string_view sPattern)
{
    // A "|" outside character classes and groups offers another way to match.
    int nDepth = 0;
    bool bClass = false;
    for (std::size_t i = 0; i < sPattern.size(); ++i) {
        const char c = sPattern[i];
        if (c == '\\')
            ++i;
        else if (bClass)
            bClass = c != ']';
        else if (c == '[')
            bClass = true;
        else if (c == '(' || c == ')')
            nDepth += c == '(' ? 1 : -1;
        else if (c == '|' && nDepth == 0)
            return {};
    }
    std::string sLiteral;
    std::size_t i = sPattern.starts_with('^') ? 1 : 0;
    for (; i < sPattern.size(); ++i) {
        const char c = sPattern[i];
        if (c == '\\' && i + 1 < sPattern.size() && std::ispunct(static_cast<unsigned char>(sPattern[i + 1])))
            sLiteral += sPattern[++i];
        else if (c == '\\' || std::string_view(".[]()*+?{}|^$").find(c) != std::string_view::npos)
            break;
        else
            sLiteral += c;
    }
    // A character that may be left out is not required.
    if (i < sPattern.size() && std::string_view("*?{").find(sPattern[i]) != std::string_view::npos &&
        !sLiteral.empty())
        sLiteral.pop_back();
    return sLiteral;
}

bool clsTreeDFind::Matches(std::string_view sSegment) const
{
    // The literal is cheap to look for and rules out most segments before
    // the expression runs.
    if (mFolded ? std::search(sSegment.begin(), sSegment.end(), *mFolded) == sSegment.end()
                : sSegment.find(msLiteral) == std::string_view::npos)
        return false;
    return !mRegex || std::regex_search(sSegment.begin(), sSegment.end(), *mRegex);
}

clsTreeDFind::Hit clsTreeDFind::FindNext(const clsTree& tree, NodeId root, NodeId from) const
{
    if (!tree.IsValid(root) || mQuery.sText.empty() || !msError.empty())
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
