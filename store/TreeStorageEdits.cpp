// Adding, attaching, moving and removing nodes; swapping and compacting the whole store.
#include "store/TreeStorage.h"

#include <algorithm>
#include <vector>

namespace orr {

NodeId TreeStorage::Add(NodeId rel, Relation relation, const NodeInit& init)
{
    Ix relIx = 0;
    if (rel)
        relIx = CheckedIx(rel, "Add");
    else if (relation != Relation::Child)
        throw TreeError("Add: a sibling needs a reference node");
    if (relation != Relation::Child && relation != Relation::Next && relation != Relation::Previous)
        throw TreeError("Add: invalid relation");
    if (relation != Relation::Child && ParentOf(relIx) == kNone)
        throw TreeError("Add: a detached node has no siblings");
    const Ix ix = NewNode(init, 0);
    if (relation != Relation::Child || !AppendInBulk(relIx, ix))
        Place(relIx, relation, ix);
    return ToId(ix);
}

NodeId TreeStorage::AddDetached(const NodeInit& init) { return ToId(NewNode(init, kDetached)); }

void TreeStorage::SetDetached(Ix top, bool bDetached)
{
    std::vector<Ix> stack{top};
    while (!stack.empty()) {
        const Ix ix = stack.back();
        stack.pop_back();
        if (bDetached)
            mNodes.Flags(ix) |= kDetached;
        else
            mNodes.Flags(ix) &= std::uint8_t(~kDetached);
        for (std::uint32_t i = 0; i < CountOf(ix); ++i)
            stack.push_back(ChildAt(ix, i));
    }
}

void TreeStorage::Attach(NodeId detached, NodeId rel, Relation relation)
{
    const Ix ix = CheckedIx(detached, "Attach");
    if (ParentOf(ix) != kNone)
        throw TreeError("Attach: the node is not detached");
    Ix relIx = 0;
    if (rel)
        relIx = CheckedIx(rel, "Attach");
    else if (relation != Relation::Child)
        throw TreeError("Attach: a sibling needs a reference node");
    for (Ix up = relIx; up != kNone && up != 0; up = ParentOf(up))
        if (up == ix)
            throw TreeError("Attach: a node cannot go below itself");
    Place(relIx, relation, ix);
}

void TreeStorage::Detach(NodeId node)
{
    Settle();
    const Ix ix = CheckedIx(node, "Detach");
    const Ix parent = ParentOf(ix);
    if (parent == kNone)
        throw TreeError("Detach: the node is detached already");
    const std::uint32_t nRow = RowOf(ix);
    const bool bNotify = !Quiet() && !(mNodes.Flags(parent) & kDetached);
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->AboutToRemove(ToId(parent), nRow, nRow);
    CutRange(parent, nRow, 1, false);
    SetDetached(ix, true);
    TouchChildOf(parent);
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->Removed(ToId(parent), nRow, nRow);
}

void TreeStorage::Move(NodeId node, NodeId rel, Relation relation)
{
    Settle();
    const Ix ix = CheckedIx(node, "Move");
    const Ix from = ParentOf(ix);
    if (from == kNone)
        throw TreeError("Move: the node is detached");
    const Ix relIx = rel ? CheckedIx(rel, "Move") : 0;
    Ix to = relIx;
    std::uint32_t nDest = 0;
    if (relation == Relation::Child) {
        Materialise(to);
        nDest = CountOf(to);
    } else if (rel && (relation == Relation::Next || relation == Relation::Previous)) {
        to = ParentOf(relIx);
        if (to == kNone)
            throw TreeError("Move: a detached node has no siblings");
        nDest = RowOf(relIx) + (relation == Relation::Next ? 1 : 0);
    } else {
        throw TreeError("Move: invalid relation");
    }
    for (Ix up = to; up != kNone && up != 0; up = ParentOf(up))
        if (up == ix)
            throw TreeError("Move: a node cannot go below itself");
    if ((mNodes.Flags(from) & kDetached) != (mNodes.Flags(to) & kDetached))
        throw TreeError("Move: between a detached subtree and the tree");
    const std::uint32_t nRow = RowOf(ix);
    if (from == to && (nDest == nRow || nDest == nRow + 1))
        return;
    const bool bNotify = !Quiet() && !(mNodes.Flags(from) & kDetached);
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->AboutToMove(ToId(from), nRow, ToId(to), nDest);
    CutRange(from, nRow, 1, false);
    InsertChild(to, from == to && nDest > nRow ? nDest - 1 : nDest, ix);
    TouchChildOf(from);
    if (to != from)
        TouchChildOf(to);
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->Moved(ToId(from), nRow, ToId(to), nDest);
}

void TreeStorage::SwapContents(TreeStorage& other)
{
    if (&other == this)
        return;
    Settle();
    other.Settle();
    auto notify = [](TreeStorage& t, bool bBefore) {
        if (t.mBulk == 0)
            for (TreeObserver* o : t.mObservers)
                bBefore ? o->AboutToReset() : o->Reset();
    };
    notify(*this, true);
    notify(other, true);
    mNodes.swap(other.mNodes);
    mChildIds.swap(other.mChildIds);
    std::swap(mPromoted, other.mPromoted);
    std::swap(mGarbage, other.mGarbage);
    std::swap(mIdBase, other.mIdBase);
    std::swap(mLive, other.mLive);
    std::swap(mTags, other.mTags);
    std::swap(mImages, other.mImages);
    std::swap(mArena, other.mArena);
    std::swap(mPalette, other.mPalette);
    std::swap(mClasses, other.mClasses);
    std::swap(mFreeClasses, other.mFreeClasses);
    std::swap(mClassIds, other.mClassIds);
    std::swap(mOwnClasses, other.mOwnClasses);
    std::swap(mClassCache, other.mClassCache);
    std::swap(mByKey, other.mByKey);
    std::swap(mKeyOf, other.mKeyOf);
    std::swap(mFarParents, other.mFarParents);
    std::swap(mRows, other.mRows);
    std::swap(mHeads, other.mHeads);
    std::swap(mSharedTexts, other.mSharedTexts);
    std::swap(mMaterialiser, other.mMaterialiser);
    std::swap(mcPayloadSeparator, other.mcPayloadSeparator);
    notify(*this, false);
    notify(other, false);
}

void TreeStorage::StartIdsAfter(const TreeStorage& other)
{
    if (mNodes.size() != 1)
        throw TreeError("StartIdsAfter: the tree is not empty");
    const std::uint64_t nNext = std::max<std::uint64_t>(std::uint64_t(mIdBase) + mNodes.size(),
                                                        std::uint64_t(other.mIdBase) + other.mNodes.size());
    mIdBase = nNext > 0xF0000000u ? 0 : std::uint32_t(nNext);
}

TextRef TreeStorage::SharedText(std::string_view sText)
{
    if (sText.empty() || sText.size() > kSharedTextMax)
        return mArena.Add(sText);
    if (auto it = mSharedTexts.find(sText); it != mSharedTexts.end())
        return it->second;
    const TextRef r = mArena.Add(sText);
    if (mSharedTexts.size() < kSharedTextsMax)
        mSharedTexts.emplace(mArena.View(r), r);
    return r;
}

void TreeStorage::ReserveNodes(std::size_t nCount) { mNodes.reserve(mNodes.size() + nCount); }

// ---- Removing --------------------------------------------------------------------

void TreeStorage::MarkRemoved(Ix top)
{
    std::vector<Ix> stack{top};
    while (!stack.empty()) {
        const Ix ix = stack.back();
        stack.pop_back();
        for (std::uint32_t i = 0; i < CountOf(ix); ++i)
            stack.push_back(ChildAt(ix, i));
        if (HasRange(ix))
            mGarbage += Room(ix);
        mNodes.Flags(ix) |= kRemoved;
        --mLive;
        if (mNodes.Flags(ix) & kHasKey) {
            auto it = mKeyOf.find(ix);
            mByKey.erase(mByKey.find(*it->second));
            mKeyOf.erase(it);
        }
        ReleaseClass(ix);
        if (!mHeads.empty())
            mHeads.erase(ix);
        if (!mRows.empty())
            mRows.erase(ix);
        SetParent(ix, kNone);
    }
}

void TreeStorage::RemoveChildren(NodeId parentId, std::uint32_t nFirst, std::uint32_t nCount)
{
    Settle();
    const Ix parent = parentId ? CheckedIx(parentId, "RemoveChildren") : 0;
    Materialise(parent);
    const std::uint32_t nHave = CountOf(parent);
    if (nFirst >= nHave || nCount == 0)
        return;
    nCount = std::min(nCount, nHave - nFirst);
    const bool bNotify = !Quiet() && !(mNodes.Flags(parent) & kDetached);
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->AboutToRemove(ToId(parent), nFirst, nFirst + nCount - 1);
    CutRange(parent, nFirst, nCount, true);
    TouchChildOf(parent);
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->Removed(ToId(parent), nFirst, nFirst + nCount - 1);
}

void TreeStorage::Remove(NodeId node)
{
    Settle();
    const Ix ix = CheckedIx(node, "Remove");
    if (ParentOf(ix) == kNone) {
        MarkRemoved(ix);  // a detached subtree: nobody saw it
        return;
    }
    RemoveChildren(ToId(ParentOf(ix)), RowOf(ix), 1);
}

void TreeStorage::RemoveAll()
{
    const bool bNotify = !Quiet();
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->AboutToReset();
    // The next ids start above every id given out so far. After some four
    // billion nodes in one tree's life they start from the bottom again.
    const std::uint64_t nNext = std::uint64_t(mIdBase) + mNodes.size();
    mIdBase = nNext > 0xF0000000u ? 0 : std::uint32_t(nNext);
    // The arrays keep their memory for the next document.
    mNodes.clear();
    mChildIds.clear();
    mPromoted.clear();
    mnDeferred = 0;
    mnDeferredChildren = 0;
    mDeferredFrom = kNone;
    mGarbage = 0;
    mLive = 0;
    mTags.Clear();
    ResetClasses();
    mSharedTexts.clear();
    mArena.Clear();
    mByKey.clear();
    mKeyOf.clear();
    mFarParents.clear();
    mRows.clear();
    mHeads.clear();
    // The hidden top node, index 0.
    mNodes.push_back({}, 0, 0, kExpanded);
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->Reset();
}

void TreeStorage::Compact()
{
    Settle();
    CompactChildIds(true);
    mNodes.shrink_to_fit();
    mChildIds.shrink_to_fit();
    mPromoted.shrink_to_fit();
}

void TreeStorage::CompactChildIds(bool bReshape)
{
    // Copies every stretch into a new array without spare room; bReshape
    // also turns stretches that hold a run into runs and drops the rows of
    // stretches that are in order again.
    Settle();
    auto dropRows = [this](const Ix* ids, std::uint32_t n) {
        for (std::uint32_t i = 0; i < n; ++i)
            mRows.erase(ids[i]);
    };
    clsTreeArray<Ix> ids;
    for (Ix ix = 0; ix < mNodes.size(); ++ix) {
        if ((mNodes.Flags(ix) & kRemoved) || !HasRange(ix))
            continue;
        Body& r = RangeOf(ix);
        const std::uint32_t n = r.b & kCountMask;
        if (n == 0 || (r.b & kRun))
            continue;
        const Ix* from = mChildIds.data() + r.a;
        if (bReshape) {
            bool bRun = true;
            for (std::uint32_t i = 1; i < n && bRun; ++i)
                bRun = from[i] == from[0] + i;
            if (bRun || ((r.b & kUnordered) && std::is_sorted(from, from + n))) {
                if (r.b & kUnordered)
                    dropRows(from, n);
                r.b &= ~kUnordered;
            }
            if (bRun) {
                r = {from[0], n | kRun};
                continue;
            }
        }
        const std::uint32_t nBegin = std::uint32_t(ids.size());
        for (std::uint32_t i = 0; i < n; ++i)
            ids.push_back(from[i]);
        r.a = nBegin;
        r.b |= kTight;
    }
    mChildIds = std::move(ids);
    mGarbage = 0;
}

}  // namespace orr
