// clsTree: adding, attaching, moving and removing nodes; swapping and compacting the whole store.
#include "store/TreeStorage.h"

#include <algorithm>
#include <vector>

namespace orr {
namespace {

using Ix = TreeStorage::Ix;
constexpr Ix kNone = TreeStorage::kNone;

}  // namespace

NodeId clsTree::AddLike(NodeId parent, NodeId kind, std::string_view sPayload, std::size_t nPayloadHead)
{
    // Add's way for a live parent and a kind with a shared class, without a
    // NodeInit to read; anything else goes the general way.
    TreeStorage& s = *mS;
    const Ix p = s.ToIx(parent), k = s.ToIx(kind);
    if (p == kNone || k == kNone || s.mNodes.Class(k) == TreeStorage::kOwnClass) [[unlikely]] {
        NodeInit init;
        init.kindOf = kind;
        init.sPayload = sPayload;
        init.nPayloadHead = nPayloadHead;
        return Add(parent, Relation::Child, init);
    }
    const TreeStorage::ClassId cls = s.mNodes.Class(k);
    if (s.AppendLikeInBulk(p, cls, sPayload, nPayloadHead)) [[likely]]
        return s.ToId(Ix(s.mNodes.size() - 1));
    const Ix ix = s.NextIx();
    s.PushNode(sPayload, nPayloadHead, s.RefClass(cls), TreeStorage::PayloadFlags(sPayload));
    if (!s.AppendInBulk(p, ix))
        s.Place(p, Relation::Child, ix);
    return s.ToId(ix);
}

NodeId clsTree::Add(NodeId rel, Relation relation, const NodeInit& init)
{
    TreeStorage& s = *mS;
    Ix relIx = 0;
    if (rel)
        relIx = s.CheckedIx(rel, "Add");
    else if (relation != Relation::Child)
        throw TreeError("Add: a sibling needs a reference node");
    if (relation != Relation::Child && relation != Relation::Next && relation != Relation::Previous)
        throw TreeError("Add: invalid relation");
    if (relation != Relation::Child && s.ParentOf(relIx) == kNone)
        throw TreeError("Add: a detached node has no siblings");
    const Ix ix = s.NewNode(init, 0);
    if (relation != Relation::Child || !s.AppendInBulk(relIx, ix))
        s.Place(relIx, relation, ix);
    return s.ToId(ix);
}

NodeId clsTree::AddDetached(const NodeInit& init)
{
    TreeStorage& s = *mS;
    return s.ToId(s.NewNode(init, TreeStorage::kDetached));
}

void TreeStorage::SetDetached(Ix top, bool bDetached)
{
    auto mark = [&](Ix ix) {
        mNodes.Flags(ix) = bDetached ? std::uint8_t(mNodes.Flags(ix) | kDetached)
                                     : std::uint8_t(mNodes.Flags(ix) & ~kDetached);
    };
    if (CountOf(top) == 0) {  // most moves are of one leaf: no stack
        mark(top);
        return;
    }
    std::vector<Ix>& stack = mWalk;
    stack.assign(1, top);
    while (!stack.empty()) {
        const Ix ix = stack.back();
        stack.pop_back();
        mark(ix);
        for (std::uint32_t i = 0; i < CountOf(ix); ++i)
            stack.push_back(ChildAt(ix, i));
    }
}

void clsTree::Attach(NodeId detached, NodeId rel, Relation relation)
{
    TreeStorage& s = *mS;
    const Ix ix = s.CheckedIx(detached, "Attach");
    if (s.ParentOf(ix) != kNone)
        throw TreeError("Attach: the node is not detached");
    Ix relIx = 0;
    if (rel)
        relIx = s.CheckedIx(rel, "Attach");
    else if (relation != Relation::Child)
        throw TreeError("Attach: a sibling needs a reference node");
    for (Ix up = relIx; up != kNone && up != 0; up = s.ParentOf(up))
        if (up == ix)
            throw TreeError("Attach: a node cannot go below itself");
    s.Place(relIx, relation, ix);
}

void clsTree::Detach(NodeId node)
{
    TreeStorage& s = *mS;
    s.Settle();
    const Ix ix = s.CheckedIx(node, "Detach");
    const Ix parent = s.ParentOf(ix);
    if (parent == kNone)
        throw TreeError("Detach: the node is detached already");
    const std::uint32_t nRow = s.RowOf(ix);
    const bool bNotify = !s.Quiet() && !(s.mNodes.Flags(parent) & TreeStorage::kDetached);
    if (bNotify)
        for (TreeObserver* o : s.mObservers)
            o->AboutToRemove(s.ToId(parent), nRow, nRow);
    s.CutRange(parent, nRow, 1, false);
    s.SetDetached(ix, true);
    s.TouchChildOf(parent);
    if (bNotify)
        for (TreeObserver* o : s.mObservers)
            o->Removed(s.ToId(parent), nRow, nRow);
}

void clsTree::Move(NodeId node, NodeId rel, Relation relation)
{
    TreeStorage& s = *mS;
    s.Settle();
    const Ix ix = s.CheckedIx(node, "Move");
    const Ix from = s.ParentOf(ix);
    if (from == kNone)
        throw TreeError("Move: the node is detached");
    const Ix relIx = rel ? s.CheckedIx(rel, "Move") : 0;
    Ix to = relIx;
    std::uint32_t nDest = 0;
    if (relation == Relation::Child) {
        s.Materialise(to);
        nDest = s.CountOf(to);
    } else if (rel && (relation == Relation::Next || relation == Relation::Previous)) {
        to = s.ParentOf(relIx);
        if (to == kNone)
            throw TreeError("Move: a detached node has no siblings");
        nDest = s.RowOf(relIx) + (relation == Relation::Next ? 1 : 0);
    } else {
        throw TreeError("Move: invalid relation");
    }
    for (Ix up = to; up != kNone && up != 0; up = s.ParentOf(up))
        if (up == ix)
            throw TreeError("Move: a node cannot go below itself");
    if ((s.mNodes.Flags(from) & TreeStorage::kDetached) != (s.mNodes.Flags(to) & TreeStorage::kDetached))
        throw TreeError("Move: between a detached subtree and the tree");
    const std::uint32_t nRow = s.RowOf(ix);
    if (from == to && (nDest == nRow || nDest == nRow + 1))
        return;
    const bool bNotify = !s.Quiet() && !(s.mNodes.Flags(from) & TreeStorage::kDetached);
    if (bNotify)
        for (TreeObserver* o : s.mObservers)
            o->AboutToMove(s.ToId(from), nRow, s.ToId(to), nDest);
    s.CutRange(from, nRow, 1, false);
    s.InsertChild(to, from == to && nDest > nRow ? nDest - 1 : nDest, ix);
    s.TouchChildOf(from);
    if (to != from)
        s.TouchChildOf(to);
    if (bNotify)
        for (TreeObserver* o : s.mObservers)
            o->Moved(s.ToId(from), nRow, s.ToId(to), nDest);
}

void clsTree::SwapContents(clsTree& other)
{
    if (&other == this)
        return;
    mS->Settle();
    other.mS->Settle();
    auto notify = [](TreeStorage& t, bool bBefore) {
        if (t.mBulk == 0)
            for (TreeObserver* o : t.mObservers)
                bBefore ? o->AboutToReset() : o->Reset();
    };
    notify(*mS, true);
    notify(*other.mS, true);
    std::swap(mS, other.mS);
    // Observers, bulk updates and the materialiser's depth stay with their tree.
    std::swap(mS->mObservers, other.mS->mObservers);
    std::swap(mS->mBulk, other.mS->mBulk);
    std::swap(mS->mSilent, other.mS->mSilent);
    std::swap(mS->mOwner, other.mS->mOwner);
    notify(*mS, false);
    notify(*other.mS, false);
}

void clsTree::StartIdsAfter(const clsTree& other)
{
    TreeStorage& s = *mS;
    const TreeStorage& o = *other.mS;
    if (s.mNodes.size() != 1)
        throw TreeError("StartIdsAfter: the tree is not empty");
    const std::uint64_t nNext =
        std::max<std::uint64_t>(std::uint64_t(s.mIdBase) + s.mNodes.size(), std::uint64_t(o.mIdBase) + o.mNodes.size());
    s.mIdBase = nNext > 0xF0000000u ? 0 : std::uint32_t(nNext);
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

void clsTree::ReserveNodes(std::size_t nCount)
{
    TreeStorage& s = *mS;
    s.mNodes.reserve(s.mNodes.size() + nCount);
}

void clsTree::ReserveDistinctNodes(std::size_t nCount)
{
    ReserveNodes(nCount);
    TreeStorage& s = *mS;
    s.mTags.Reserve(nCount);
    s.mClassIds.reserve(s.mClassIds.size() + nCount);
    s.mByKey.reserve(s.mByKey.size() + nCount);
    s.mKeyOf.reserve(s.mKeyOf.size() + nCount);
}

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

void clsTree::RemoveChildren(NodeId parentId, std::uint32_t nFirst, std::uint32_t nCount)
{
    TreeStorage& s = *mS;
    s.Settle();
    const Ix parent = parentId ? s.CheckedIx(parentId, "RemoveChildren") : 0;
    s.Materialise(parent);
    const std::uint32_t nHave = s.CountOf(parent);
    if (nFirst >= nHave || nCount == 0)
        return;
    nCount = std::min(nCount, nHave - nFirst);
    const bool bNotify = !s.Quiet() && !(s.mNodes.Flags(parent) & TreeStorage::kDetached);
    if (bNotify)
        for (TreeObserver* o : s.mObservers)
            o->AboutToRemove(s.ToId(parent), nFirst, nFirst + nCount - 1);
    s.CutRange(parent, nFirst, nCount, true);
    s.TouchChildOf(parent);
    if (bNotify)
        for (TreeObserver* o : s.mObservers)
            o->Removed(s.ToId(parent), nFirst, nFirst + nCount - 1);
}

void clsTree::Remove(NodeId node)
{
    TreeStorage& s = *mS;
    s.Settle();
    const Ix ix = s.CheckedIx(node, "Remove");
    if (s.ParentOf(ix) == kNone) {
        s.MarkRemoved(ix);  // a detached subtree: nobody saw it
        return;
    }
    RemoveChildren(s.ToId(s.ParentOf(ix)), s.RowOf(ix), 1);
}

void clsTree::RemoveAll()
{
    TreeStorage& s = *mS;
    const bool bNotify = !s.Quiet();
    if (bNotify)
        for (TreeObserver* o : s.mObservers)
            o->AboutToReset();
    s.Clear();
    if (bNotify)
        for (TreeObserver* o : s.mObservers)
            o->Reset();
}

void TreeStorage::Clear()
{
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
    mnChildIdsReady = mnChildIdsFaulted = 0;
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
}

void clsTree::Compact()
{
    TreeStorage& s = *mS;
    s.Settle();
    s.CompactChildIds(true);
    s.mNodes.shrink_to_fit();
    s.mChildIds.shrink_to_fit();
    s.mPromoted.shrink_to_fit();
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
