// clsTree: walking the tree, view requests, observers and the statistics.
#include "store/TreeStorage.h"

#include <algorithm>

namespace orr {

namespace {

using Ix = TreeStorage::Ix;
constexpr Ix kNone = TreeStorage::kNone;

// The sibling nStep rows from node; null when there is none.
NodeId SiblingOf(const TreeStorage& s, NodeId node, int nStep)
{
    s.Settle();
    const Ix ix = s.ToIx(node);
    if (ix == kNone || s.ParentOf(ix) == kNone)
        return {};
    const Ix p = s.ParentOf(ix);
    const std::int64_t nRow = std::int64_t(s.RowOf(ix)) + nStep;
    return nRow >= 0 && nRow < s.CountOf(p) ? s.ToId(s.ChildAt(p, std::uint32_t(nRow))) : NodeId{};
}

// The first or last child of node's parent; node itself at the top.
NodeId EndSiblingOf(const TreeStorage& s, NodeId node, bool bLast)
{
    s.Settle();
    const Ix ix = s.ToIx(node);
    if (ix == kNone)
        return {};
    const Ix p = s.ParentOf(ix);
    return p == kNone ? node : s.ToId(s.ChildAt(p, bLast ? s.CountOf(p) - 1 : 0));
}

}  // namespace

// ---- Navigation ------------------------------------------------------------------------------

std::uint32_t clsTree::ChildCount(NodeId node) const
{
    const TreeStorage& s = *mS;
    const Ix ix = node ? s.ToIx(node) : 0;
    if (ix == kNone)
        return 0;
    s.Materialise(ix);
    return s.CountOf(ix);
}

NodeId clsTree::Child(NodeId node, std::uint32_t nRow) const
{
    const TreeStorage& s = *mS;
    const Ix ix = node ? s.ToIx(node) : 0;
    if (ix == kNone)
        return {};
    s.Materialise(ix);
    const std::uint32_t n = s.CountOf(ix);
    if (nRow >= n)
        return {};
    if (s.RangeOf(ix).b & TreeStorage::kDeferred) {
        if (nRow + 1 == n)
            return s.ToId(s.RangeOf(ix).a);  // the last child, without settling
        s.Settle();
    }
    return s.ToId(s.ChildAt(ix, nRow));
}

NodeId clsTree::FirstChild(NodeId node) const { return node ? Child(node, 0) : NodeId{}; }

NodeId clsTree::LastChild(NodeId node) const
{
    const TreeStorage& s = *mS;
    // Child(node, ChildCount(node) - 1) in one look: a builder asks it for every segment.
    const Ix ix = node ? s.ToIx(node) : kNone;
    if (ix == kNone)
        return {};
    s.Materialise(ix);
    const std::uint32_t n = s.CountOf(ix);
    if (n == 0)
        return {};
    const TreeStorage::Body& r = s.RangeOf(ix);
    return s.ToId((r.b & TreeStorage::kDeferred) ? r.a : s.ChildAt(ix, n - 1));
}

std::uint32_t clsTree::PeekChildCount(NodeId node) const
{
    const TreeStorage& s = *mS;
    const Ix ix = node ? s.ToIx(node) : 0;
    if (ix == kNone)
        return 0;
    return (s.mNodes.Flags(ix) & TreeStorage::kPending) ? s.PayloadChildren(ix) : s.CountOf(ix);
}

void clsTree::SetAllExpanded(bool bExpanded)
{
    TreeStorage& s = *mS;
    for (Ix ix = 1; ix < s.mNodes.size(); ++ix) {
        if (s.mNodes.Flags(ix) & TreeStorage::kRemoved)
            continue;
        const bool bHas = (s.mNodes.Flags(ix) & TreeStorage::kPending) ? s.PayloadChildren(ix) > 0 : s.CountOf(ix) > 0;
        if (bHas && bExpanded)
            s.mNodes.Flags(ix) |= TreeStorage::kExpanded;
        else if (bHas)
            s.mNodes.Flags(ix) &= std::uint8_t(~TreeStorage::kExpanded);
    }
}

std::uint32_t clsTree::Row(NodeId node) const
{
    const TreeStorage& s = *mS;
    s.Settle();
    const Ix ix = s.ToIx(node);
    if (ix == kNone || s.ParentOf(ix) == kNone)
        return 0;
    return s.RowOf(ix);
}

NodeId clsTree::Next(NodeId node) const { return SiblingOf(*mS, node, 1); }

NodeId clsTree::Previous(NodeId node) const { return SiblingOf(*mS, node, -1); }

NodeId clsTree::FirstSibling(NodeId node) const { return EndSiblingOf(*mS, node, false); }

NodeId clsTree::LastSibling(NodeId node) const { return EndSiblingOf(*mS, node, true); }

NodeId clsTree::Root(NodeId node) const
{
    const TreeStorage& s = *mS;
    Ix ix = s.ToIx(node);
    if (ix == kNone)
        return {};
    while (s.ParentOf(ix) != 0 && s.ParentOf(ix) != kNone)
        ix = s.ParentOf(ix);
    return s.ToId(ix);
}

// ---- View requests, observers ---------------------------------------------------------------------

void clsTree::ScrollIntoView(NodeId node)
{
    TreeStorage& s = *mS;
    const Ix ix = s.ToIx(node);
    if (ix == kNone || s.Quiet() || (s.mNodes.Flags(ix) & TreeStorage::kDetached))
        return;
    for (TreeObserver* o : s.mObservers)
        o->ScrollRequested(node);
}

void clsTree::RequestRepaint()
{
    TreeStorage& s = *mS;
    for (TreeObserver* o : s.mObservers)
        o->RepaintRequested();
}

void clsTree::AddObserver(TreeObserver* pObserver)
{
    TreeStorage& s = *mS;
    if (pObserver && std::find(s.mObservers.begin(), s.mObservers.end(), pObserver) == s.mObservers.end())
        s.mObservers.push_back(pObserver);
}

void clsTree::RemoveObserver(TreeObserver* pObserver)
{
    TreeStorage& s = *mS;
    s.mObservers.erase(std::remove(s.mObservers.begin(), s.mObservers.end(), pObserver), s.mObservers.end());
}

void clsTree::BeginBulk()
{
    TreeStorage& s = *mS;
    if (s.mBulk++ == 0)
        for (TreeObserver* o : s.mObservers)
            o->AboutToReset();
}

void clsTree::EndBulk()
{
    TreeStorage& s = *mS;
    if (s.mBulk == 0)
        return;
    if (--s.mBulk == 0) {
        s.Settle();
        for (TreeObserver* o : s.mObservers)
            o->Reset();
    }
}

std::size_t clsTree::NodeBytes() const
{
    const TreeStorage& s = *mS;
    return s.mNodes.size() * TreeStorage::kBytesPerNode + s.mChildIds.size() * sizeof(Ix) +
           s.mPromoted.size() * sizeof(TreeStorage::Promoted) + s.mClasses.size() * sizeof(TreeStorage::NodeClass);
}

std::size_t clsTree::MemoryBytes() const
{
    const TreeStorage& s = *mS;
    // Hash-map entries at about 32 bytes, a string key and a class twice that.
    const std::size_t nSide = (s.mByKey.size() + s.mKeyOf.size() + s.mOwnClasses.size() + s.mClassIds.size()) * 64 +
                              (s.mRows.size() + s.mHeads.size() + s.mFarParents.size()) * 32;
    return NodeBytes() + TextBytes() + s.mTags.Bytes() + s.mImages.Bytes() + nSide;
}

}  // namespace orr
