// Walking the tree, view requests, observers and the statistics.
#include "store/TreeStorage.h"

#include <algorithm>

namespace orr {

// ---- Navigation ------------------------------------------------------------------------------

std::uint32_t TreeStorage::ChildCount(NodeId node) const
{
    const Ix ix = node ? ToIx(node) : 0;
    if (ix == kNone)
        return 0;
    Materialise(ix);
    return CountOf(ix);
}

NodeId TreeStorage::Child(NodeId node, std::uint32_t nRow) const
{
    const Ix ix = node ? ToIx(node) : 0;
    if (ix == kNone)
        return {};
    Materialise(ix);
    const std::uint32_t n = CountOf(ix);
    if (nRow >= n)
        return {};
    if (RangeOf(ix).b & kDeferred) {
        if (nRow + 1 == n)
            return ToId(RangeOf(ix).a);  // the last child, without settling
        Settle();
    }
    return ToId(ChildAt(ix, nRow));
}

NodeId TreeStorage::FirstChild(NodeId node) const { return node ? Child(node, 0) : NodeId{}; }

NodeId TreeStorage::LastChild(NodeId node) const
{
    // Child(node, ChildCount(node) - 1) in one look: a builder asks it for every segment.
    const Ix ix = node ? ToIx(node) : kNone;
    if (ix == kNone)
        return {};
    Materialise(ix);
    const std::uint32_t n = CountOf(ix);
    if (n == 0)
        return {};
    const Body& r = RangeOf(ix);
    return ToId((r.b & kDeferred) ? r.a : ChildAt(ix, n - 1));
}

std::uint32_t TreeStorage::PeekChildCount(NodeId node) const
{
    const Ix ix = node ? ToIx(node) : 0;
    if (ix == kNone)
        return 0;
    return (mNodes.Flags(ix) & kPending) ? PayloadChildren(ix) : CountOf(ix);
}

void TreeStorage::SetAllExpanded(bool bExpanded)
{
    for (Ix ix = 1; ix < mNodes.size(); ++ix) {
        if (mNodes.Flags(ix) & kRemoved)
            continue;
        const bool bHas = (mNodes.Flags(ix) & kPending) ? PayloadChildren(ix) > 0 : CountOf(ix) > 0;
        if (bHas && bExpanded)
            mNodes.Flags(ix) |= kExpanded;
        else if (bHas)
            mNodes.Flags(ix) &= std::uint8_t(~kExpanded);
    }
}

std::uint32_t TreeStorage::Row(NodeId node) const
{
    Settle();
    const Ix ix = ToIx(node);
    if (ix == kNone || ParentOf(ix) == kNone)
        return 0;
    return RowOf(ix);
}

NodeId TreeStorage::Next(NodeId node) const
{
    Settle();
    const Ix ix = ToIx(node);
    if (ix == kNone || ParentOf(ix) == kNone)
        return {};
    const Ix p = ParentOf(ix);
    const std::uint32_t nRow = RowOf(ix) + 1;
    return nRow < CountOf(p) ? ToId(ChildAt(p, nRow)) : NodeId{};
}

NodeId TreeStorage::Previous(NodeId node) const
{
    Settle();
    const Ix ix = ToIx(node);
    if (ix == kNone || ParentOf(ix) == kNone)
        return {};
    const std::uint32_t nRow = RowOf(ix);
    return nRow > 0 ? ToId(ChildAt(ParentOf(ix), nRow - 1)) : NodeId{};
}

NodeId TreeStorage::FirstSibling(NodeId node) const
{
    Settle();
    const Ix ix = ToIx(node);
    if (ix == kNone)
        return {};
    const Ix p = ParentOf(ix);
    return p == kNone ? node : ToId(ChildAt(p, 0));
}

NodeId TreeStorage::LastSibling(NodeId node) const
{
    Settle();
    const Ix ix = ToIx(node);
    if (ix == kNone)
        return {};
    const Ix p = ParentOf(ix);
    return p == kNone ? node : ToId(ChildAt(p, CountOf(p) - 1));
}

NodeId TreeStorage::Root(NodeId node) const
{
    Ix ix = ToIx(node);
    if (ix == kNone)
        return {};
    while (ParentOf(ix) != 0 && ParentOf(ix) != kNone)
        ix = ParentOf(ix);
    return ToId(ix);
}

// ---- View requests, observers ---------------------------------------------------------------------

void TreeStorage::ScrollIntoView(NodeId node)
{
    const Ix ix = ToIx(node);
    if (ix == kNone || Quiet() || (mNodes.Flags(ix) & kDetached))
        return;
    for (TreeObserver* o : mObservers)
        o->ScrollRequested(node);
}

void TreeStorage::RequestRepaint()
{
    for (TreeObserver* o : mObservers)
        o->RepaintRequested();
}

void TreeStorage::AddObserver(TreeObserver* pObserver)
{
    if (pObserver && std::find(mObservers.begin(), mObservers.end(), pObserver) == mObservers.end())
        mObservers.push_back(pObserver);
}

void TreeStorage::RemoveObserver(TreeObserver* pObserver)
{
    mObservers.erase(std::remove(mObservers.begin(), mObservers.end(), pObserver), mObservers.end());
}

void TreeStorage::BeginBulk()
{
    if (mBulk++ == 0)
        for (TreeObserver* o : mObservers)
            o->AboutToReset();
}

void TreeStorage::EndBulk()
{
    if (mBulk == 0)
        return;
    if (--mBulk == 0) {
        Settle();
        for (TreeObserver* o : mObservers)
            o->Reset();
    }
}

std::size_t TreeStorage::NodeBytes() const
{
    return mNodes.size() * kBytesPerNode + mChildIds.size() * sizeof(Ix) + mPromoted.size() * sizeof(Promoted) +
           mClasses.size() * sizeof(NodeClass);
}

std::size_t TreeStorage::MemoryBytes() const
{
    // Hash-map entries at about 32 bytes, a string key and a class twice that.
    const std::size_t nSide = (mByKey.size() + mKeyOf.size() + mOwnClasses.size() + mClassIds.size()) * 64 +
                              (mRows.size() + mHeads.size() + mFarParents.size()) * 32;
    return NodeBytes() + TextBytes() + mTags.Bytes() + mImages.Bytes() + nSide;
}

}  // namespace orr
