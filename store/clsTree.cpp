#include "store/clsTree.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "store/TreeNode.h"

namespace orr {
namespace {

const std::string kNoText;

// Compaction pays off only for arrays of some size.
constexpr std::size_t kCompactFloor = 1u << 16;

std::uint32_t RoomFor(std::uint32_t nCount) { return std::max(4u, std::bit_ceil(nCount)); }

}  // namespace

clsTree::clsTree()
{
    mPalette.push_back(kWhite);
    RemoveAll();
}

clsTree::~clsTree() = default;

// ---- Indices ------------------------------------------------------------------

void clsTree::NotANode(const char* sWhat) { throw TreeError(std::string(sWhat) + ": not a node of this tree"); }

// ---- Classes ---------------------------------------------------------------------

std::size_t clsTree::ClassHash::operator()(const NodeClass& c) const noexcept
{
    const std::uint64_t h = c.Look() * 0x9E3779B97F4A7C15ull ^ c.text.bits * 0xBF58476D1CE4E5B9ull;
    return std::size_t(h ^ (h >> 31));
}

void clsTree::ResetClasses()
{
    mClasses.assign(1, NodeClass{});
    mFreeClasses.clear();
    mClassIds.clear();
    mClassIds.emplace(mClasses[0], ClassId(0));
    mOwnClasses.clear();
    std::fill(std::begin(mClassCache), std::end(mClassCache), ClassId(0));
}

clsTree::ClassId clsTree::InternNewClass(const NodeClass& c, Ix ix, ClassId& cached)
{
    if (auto it = mClassIds.find(c); it != mClassIds.end()) {
        cached = it->second;
        if (cached != 0)
            ++mClasses[cached].nRefs;
        return cached;
    }
    ClassId id;
    if (!mFreeClasses.empty()) {
        id = mFreeClasses.back();
        mFreeClasses.pop_back();
    } else if (mClasses.size() < kOwnClass) {
        id = ClassId(mClasses.size());
        mClasses.emplace_back();
    } else {
        // Every id taken (an unusual tree: tens of thousands of distinct
        // tags or texts on branches): this node keeps its own.
        NodeClass& own = mOwnClasses[ix];
        own = c;
        own.nRefs = 1;
        mTags.AddRef(c.tag);
        return kOwnClass;
    }
    mClasses[id] = c;
    mClasses[id].nRefs = 1;
    mTags.AddRef(c.tag);
    mClassIds.emplace(c, id);
    cached = id;
    return id;
}

void clsTree::ReleaseClass(Ix ix)
{
    const ClassId id = mNodes.Class(ix);
    mNodes.Class(ix) = 0;
    if (id == kOwnClass) {
        auto it = mOwnClasses.find(ix);
        mTags.Release(it->second.tag);
        mOwnClasses.erase(it);
    } else if (id != 0 && --mClasses[id].nRefs == 0) {
        mTags.Release(mClasses[id].tag);
        mClassIds.erase(mClasses[id]);
        mFreeClasses.push_back(id);
    }
}

void clsTree::Reclass(Ix ix, const NodeClass& c)
{
    if (ClassOf(ix).Same(c))
        return;
    mTags.AddRef(c.tag);  // the tag may have no other user than the class going away
    ReleaseClass(ix);
    mNodes.Class(ix) = InternClass(c, ix);
    mTags.Release(c.tag);
}

// ---- Adding ---------------------------------------------------------------------

TextRef clsTree::BranchText(const NodeInit& init)
{
    if (init.sText.empty() && init.textOf) {
        const Ix from = ToIx(init.textOf);
        if (from != kNone && !(mNodes.Flags(from) & kPayload))
            return (mNodes.Flags(from) & kLeaf) ? OwnText(from) : ClassOf(from).text;
    }
    return SharedText(init.sText);
}

clsTree::Ix clsTree::NewNode(const NodeInit& init, std::uint8_t nFlags)
{
    if (!init.sKey.empty() && mByKey.find(init.sKey) != mByKey.end())
        throw TreeError("Key is not unique in collection");
    const Ix ix = NextIx();
    nFlags |= PayloadFlags(init.sPayload);
    if (init.bExpanded)
        nFlags |= kExpanded;
    PushNode(init.sPayload, init.nPayloadHead, ClassFor(init, nFlags, ix), nFlags);
    if (!init.sKey.empty()) {
        auto [pos, bNew] = mByKey.emplace(std::string(init.sKey), ix);
        mKeyOf[ix] = &pos->first;
        mNodes.Flags(ix) |= kHasKey;
    }
    return ix;
}

void clsTree::TooManyNodes() { throw TreeError("too many nodes"); }

clsTree::ClassId clsTree::ClassFromParts(const NodeInit& init, std::uint8_t nFlags, Ix ix)
{
    if (const Ix kind = init.kindOf ? ToIx(init.kindOf) : kNone; kind != kNone) {
        NodeClass c = ClassOf(kind);  // the kind keeps a class of its own: a copy
        c.nRefs = 0;
        return InternClass(c, ix);
    }
    NodeClass c;
    c.tag = init.sTag.empty() && init.tag ? init.tag.value : mTags.Intern(init.sTag);
    c.image = std::uint8_t(init.image.value);
    c.expImage = std::uint8_t(init.expandedImage.value);
    if (!(nFlags & kLeaf))
        c.text = BranchText(init);
    return InternClass(c, ix);
}

// ---- Child ranges -------------------------------------------------------------------

void clsTree::SetFarParent(Ix ix, Ix parent)
{
    const bool bWasFar = mNodes.Parent(ix) == kFar;
    if (parent == kNone)
        mNodes.Parent(ix) = 0;
    else if (parent < ix && ix - parent < kFar)
        mNodes.Parent(ix) = std::uint16_t(ix - parent);
    else {
        mNodes.Parent(ix) = kFar;
        mFarParents[ix] = parent;
        return;
    }
    if (bWasFar)
        mFarParents.erase(ix);
}

void clsTree::Promote(Ix ix)
{
    // A leaf gets children: its text moves to a side record, its id stays.
    if (mPromoted.size() >= kNone)
        TooManyNodes();
    mPromoted.push_back({OwnText(ix), Body{}});
    mNodes.Body(ix) = {Ix(mPromoted.size() - 1), 0};
    mNodes.Flags(ix) |= kPromoted;
}

clsTree::Ix clsTree::ChildAt(Ix parent, std::uint32_t nRow) const
{
    const Body& r = RangeOf(parent);
    return (r.b & kRun) ? r.a + nRow : mChildIds[std::size_t(r.a) + nRow];
}

std::uint32_t clsTree::RowOf(Ix ix) const
{
    const Body& r = RangeOf(ParentOf(ix));
    if (r.b & kRun)
        return ix - r.a;
    if (r.b & kUnordered)
        return mRows.find(ix)->second;
    const Ix* first = mChildIds.data() + r.a;
    return std::uint32_t(std::lower_bound(first, first + (r.b & kCountMask), ix) - first);
}

std::uint32_t clsTree::Room(Ix ix) const
{
    const Body& r = RangeOf(ix);
    const std::uint32_t n = r.b & kCountMask;
    if (r.b & kRun)
        return 0;
    return (r.b & kTight) || n == 0 ? n : RoomFor(n);
}

void clsTree::GrowRoom(Ix parent)
{
    // A stretch holds Room(count) entries: a full one moves to the end of
    // the array with twice the room, or grows where it is when it is last.
    Body& r = RangeOf(parent);
    const std::uint32_t nCount = r.b & kCountMask;
    if (nCount < Room(parent))
        return;
    if (mGarbage > mChildIds.size() / 2 && mChildIds.size() > kCompactFloor)
        CompactChildIds(false);
    const std::uint32_t nOld = Room(parent);
    const std::uint32_t nNew = RoomFor(nCount + 1);
    r.b &= ~kTight;
    if (nOld > 0 && std::size_t(r.a) + nOld == mChildIds.size()) {
        mChildIds.resize(std::size_t(r.a) + nNew);
        return;
    }
    ChildIdsFit(nNew);
    const std::uint32_t nBegin = std::uint32_t(mChildIds.size());
    mChildIds.resize(std::size_t(nBegin) + nNew);
    std::copy_n(mChildIds.data() + r.a, nCount, mChildIds.data() + nBegin);
    mGarbage += nOld;
    r.a = nBegin;
}

void clsTree::MakeStretch(Ix parent)
{
    Body& r = RangeOf(parent);
    const std::uint32_t n = r.b & kCountMask;
    const std::uint32_t nRoom = RoomFor(n + 1);
    ChildIdsFit(nRoom);
    const std::uint32_t nBegin = std::uint32_t(mChildIds.size());
    mChildIds.resize(std::size_t(nBegin) + nRoom);
    for (std::uint32_t i = 0; i < n; ++i)
        mChildIds[std::size_t(nBegin) + i] = r.a + i;
    r = {nBegin, n};
}

void clsTree::MakeUnordered(Ix parent)
{
    Body& r = RangeOf(parent);
    r.b |= kUnordered;
    for (std::uint32_t i = 0; i < (r.b & kCountMask); ++i)
        mRows[mChildIds[std::size_t(r.a) + i]] = i;
}

void clsTree::InsertChild(Ix parent, std::uint32_t nRow, Ix child)
{
    Body& r = EnsureRange(parent);
    const std::uint32_t n = r.b & kCountMask;
    if (n == kCountMask)
        TooManyNodes();
    SetParent(child, parent);
    if (n == 0) {
        r = {child, 1 | kRun};
        return;
    }
    if (r.b & kRun) {
        if (nRow == n && child == r.a + n) {
            ++r.b;
            return;
        }
        if (nRow == 0 && child + 1 == r.a) {
            --r.a;
            ++r.b;
            return;
        }
        MakeStretch(parent);
    }
    GrowRoom(parent);
    Ix* ids = mChildIds.data() + r.a;
    if (!(r.b & kUnordered) && !((nRow == 0 || ids[nRow - 1] < child) && (nRow == n || child < ids[nRow])))
        MakeUnordered(parent);
    const bool bRows = r.b & kUnordered;
    for (std::uint32_t i = n; i > nRow; --i) {
        ids[i] = ids[i - 1];
        if (bRows)
            mRows[ids[i]] = i;
    }
    ids[nRow] = child;
    if (bRows)
        mRows[child] = nRow;
    ++r.b;
}

void clsTree::CutRange(Ix parent, std::uint32_t nFirst, std::uint32_t nCount, bool bRemove)
{
    const std::uint32_t nRoom = Room(parent);
    for (std::uint32_t i = nFirst; i < nFirst + nCount; ++i) {
        const Ix child = ChildAt(parent, i);
        if (bRemove) {
            MarkRemoved(child);
        } else {
            SetParent(child, kNone);
            if (!mRows.empty())
                mRows.erase(child);
        }
    }
    Body& r = RangeOf(parent);
    const std::uint32_t nHave = r.b & kCountMask;
    if (nHave == nCount) {
        mGarbage += nRoom;
        r = {};
        return;
    }
    if (r.b & kRun) {
        if (nFirst + nCount == nHave) {
            r.b -= nCount;
            return;
        }
        if (nFirst == 0) {
            r.a += nCount;
            r.b -= nCount;
            return;
        }
        MakeStretch(parent);
    }
    Ix* ids = mChildIds.data() + r.a;
    const bool bRows = r.b & kUnordered;
    for (std::uint32_t i = nFirst + nCount; i < nHave; ++i) {
        ids[i - nCount] = ids[i];
        if (bRows)
            mRows[ids[i - nCount]] = i - nCount;
    }
    r.b -= nCount;
}

void clsTree::SettleDeferred() const
{
    auto* self = const_cast<clsTree*>(this);  // logically const: the ranges always existed
    ChildIdsFit(mnDeferredChildren);
    const std::size_t nTotal = mChildIds.size() + mnDeferredChildren;
    // Deferred children were appended in the order they were made, after
    // their parent: one pass from the last index down meets every child
    // before its parent and a parent's children last to first, so each
    // stretch fills from its end, and a parent is complete when it is met.
    std::uint32_t nOffset = std::uint32_t(mChildIds.size());
    self->mChildIds.resize_for_overwrite(nTotal);  // every new entry is written below
    // Nothing before the first deferred parent takes part.
    for (Ix ix = Ix(mNodes.size()); ix-- > mDeferredFrom;) {
        if (mNodes.Flags(ix) & kRemoved)
            continue;  // removed before this bulk update: never a deferred child or parent
        if (HasRange(ix)) {
            Body& r = self->RangeOf(ix);
            if (r.b & kDeferred) {
                const std::uint32_t n = r.b & kCountMask;
                if (r.b & kGap)
                    r.b = n | kTight;  // filled: a is the first slot
                else
                    r = {r.a - (n - 1), n | kRun};
            }
        }
        const Ix p = ParentOf(ix);
        if (p == kNone)
            continue;
        Body& pr = self->RangeOf(p);
        if ((pr.b & (kDeferred | kGap)) != (kDeferred | kGap))
            continue;
        if (!(pr.b & kTight)) {  // its last child: the stretch ends here
            pr.a = nOffset + (pr.b & kCountMask);
            nOffset = pr.a;
            pr.b |= kTight;
        }
        self->mChildIds[--pr.a] = ix;
    }
    self->mnDeferred = 0;
    self->mnDeferredChildren = 0;
    self->mDeferredFrom = kNone;
}

void clsTree::Place(Ix rel, Relation relation, Ix child)
{
    Ix parent;
    std::uint32_t nRow;
    switch (relation) {
    case Relation::Child: {
        parent = rel;
        const std::uint8_t nFlags = mNodes.Flags(parent);
        if (nFlags & kPending)
            Materialise(parent);  // lazy children come first
        if (Deferrable(parent, child) && AppendDeferred(parent, child)) {
            if (nFlags & kPayload)
                TouchChildOf(parent);
            return;
        }
        Settle();
        nRow = CountOf(parent);
        break;
    }
    case Relation::Next:
    case Relation::Previous:
        Settle();
        parent = ParentOf(rel);
        if (parent == kNone)
            throw TreeError("Add: a detached node has no siblings");
        nRow = RowOf(rel) + (relation == Relation::Next ? 1 : 0);
        break;
    default:
        throw TreeError("Add: invalid relation");
    }
    const bool bDetached = mNodes.Flags(parent) & kDetached;
    const bool bNotify = !Quiet() && !bDetached;
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->AboutToInsert(ToId(parent), nRow, nRow);
    InsertChild(parent, nRow, child);
    if (bDetached)
        mNodes.Flags(child) |= kDetached;
    else if (mNodes.Flags(child) & kDetached)
        SetDetached(child, false);
    TouchChildOf(parent);
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->Inserted(ToId(parent), nRow, nRow);
}

NodeId clsTree::Add(NodeId rel, Relation relation, const NodeInit& init)
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

NodeId clsTree::Add(NodeId rel, Relation relation, std::string_view sKey, std::string_view sText,
                    std::string_view sImage, std::string_view sExpandedImage)
{
    NodeInit init;
    init.sKey = sKey;
    init.sText = sText;
    init.image = InternImage(sImage);
    init.expandedImage = InternImage(sExpandedImage);
    return Add(rel, relation, init);
}

NodeId clsTree::AddDetached(const NodeInit& init) { return ToId(NewNode(init, kDetached)); }

void clsTree::SetDetached(Ix top, bool bDetached)
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

void clsTree::Attach(NodeId detached, NodeId rel, Relation relation)
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

void clsTree::Detach(NodeId node)
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

void clsTree::Move(NodeId node, NodeId rel, Relation relation)
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

void clsTree::SwapContents(clsTree& other)
{
    if (&other == this)
        return;
    Settle();
    other.Settle();
    auto notify = [](clsTree& t, bool bBefore) {
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

void clsTree::StartIdsAfter(const clsTree& other)
{
    if (mNodes.size() != 1)
        throw TreeError("StartIdsAfter: the tree is not empty");
    const std::uint64_t nNext = std::max<std::uint64_t>(std::uint64_t(mIdBase) + mNodes.size(),
                                                        std::uint64_t(other.mIdBase) + other.mNodes.size());
    mIdBase = nNext > 0xF0000000u ? 0 : std::uint32_t(nNext);
}

TextRef clsTree::SharedText(std::string_view sText)
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
    mNodes.reserve(mNodes.size() + nCount);
}

// ---- Removing --------------------------------------------------------------------

void clsTree::MarkRemoved(Ix top)
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

void clsTree::Remove(NodeId node)
{
    Settle();
    const Ix ix = CheckedIx(node, "Remove");
    if (ParentOf(ix) == kNone) {
        MarkRemoved(ix);  // a detached subtree: nobody saw it
        return;
    }
    RemoveChildren(ToId(ParentOf(ix)), RowOf(ix), 1);
}

void clsTree::RemoveAll()
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

void clsTree::Compact()
{
    Settle();
    CompactChildIds(true);
    mNodes.shrink_to_fit();
    mChildIds.shrink_to_fit();
    mPromoted.shrink_to_fit();
}

void clsTree::CompactChildIds(bool bReshape)
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

// ---- Texts and lazy children -------------------------------------------------------------

TextRef clsTree::OwnText(Ix ix) const
{
    if (mNodes.Flags(ix) & kPromoted)
        return mPromoted[mNodes.Body(ix).a].text;
    return TextRef{(std::uint64_t(mNodes.Body(ix).b) << 32) | mNodes.Body(ix).a};
}

void clsTree::SetOwnText(Ix ix, TextRef r)
{
    if (mNodes.Flags(ix) & kPromoted)
        mPromoted[mNodes.Body(ix).a].text = r;
    else
        mNodes.Body(ix) = {std::uint32_t(r.bits), std::uint32_t(r.bits >> 32)};
}

std::size_t clsTree::DefaultHead(std::string_view sPayload) const
{
    const std::size_t n = mcPayloadSeparator ? sPayload.find(mcPayloadSeparator) : std::string_view::npos;
    return n == std::string_view::npos ? sPayload.size() : n;
}

bool clsTree::IsDefaultHead(std::string_view sPayload, std::size_t nHead) const
{
    // The head is a segment's identifier: a few characters, no library search.
    if (!mcPayloadSeparator)
        return nHead == sPayload.size();
    if (nHead < sPayload.size() && sPayload[nHead] != mcPayloadSeparator)
        return false;
    for (std::size_t i = 0; i < nHead; ++i)
        if (sPayload[i] == mcPayloadSeparator)
            return false;
    return true;
}

std::size_t clsTree::HeadOf(Ix ix, std::string_view sPayload) const
{
    if (!mHeads.empty())
        if (auto it = mHeads.find(ix); it != mHeads.end())
            return std::min<std::size_t>(it->second, sPayload.size());
    return DefaultHead(sPayload);
}

void clsTree::SetMaterialiser(Materialiser fn, char cSeparator)
{
    // Payload heads not stored are read up to the separator: nodes made
    // with another one keep theirs.
    if (cSeparator != mcPayloadSeparator)
        for (Ix ix = 1; ix < mNodes.size(); ++ix)
            if ((mNodes.Flags(ix) & (kPayload | kRemoved)) == kPayload && !mHeads.count(ix))
                mHeads[ix] = std::uint32_t(DefaultHead(mArena.View(OwnText(ix))));
    mMaterialiser = std::move(fn);
    mcPayloadSeparator = cSeparator;
}

void clsTree::MakePayloadChildren(Ix ix) const
{
    auto* self = const_cast<clsTree*>(this);  // logically const: the children always existed
    self->mNodes.Flags(ix) &= std::uint8_t(~kPending);
    if (!mMaterialiser)
        return;
    ++mSilent;
    try {
        mMaterialiser(*self, ToId(ix), mArena.View(OwnText(ix)));
    } catch (...) {
        --mSilent;
        throw;
    }
    --mSilent;
}

void clsTree::DropPayload(Ix ix)
{
    if (!(mNodes.Flags(ix) & kPayload))
        return;
    Materialise(ix);
    const TextRef full = OwnText(ix);
    SetOwnText(ix, mArena.Slice(full, 0, HeadOf(ix, mArena.View(full))));
    mNodes.Flags(ix) &= std::uint8_t(~kPayload);
    if (!mHeads.empty())
        mHeads.erase(ix);
}

void clsTree::TouchChildOf(Ix parent)
{
    if (mSilent == 0 && parent != kNone && (mNodes.Flags(parent) & kPayload))
        DropPayload(parent);
}

std::optional<std::string_view> clsTree::Payload(NodeId node) const
{
    const Ix ix = ToIx(node);
    if (ix == kNone || !(mNodes.Flags(ix) & kPayload))
        return std::nullopt;
    return mArena.View(OwnText(ix));
}

bool clsTree::ChildrenPending(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix != kNone && (mNodes.Flags(ix) & kPending);
}

NodeId clsTree::AddPayloadChild(NodeId node, std::size_t nPos, std::size_t nLength, std::string_view sTag,
                                ImageId image, ImageId expandedImage)
{
    const Ix ix = CheckedIx(node, "AddPayloadChild");
    if (!(mNodes.Flags(ix) & kPayload))
        throw TreeError("AddPayloadChild: the node has no payload");
    const TextRef r = mArena.Slice(OwnText(ix), nPos, nLength);
    NodeInit init;
    init.sTag = sTag;
    init.image = image;
    init.expandedImage = expandedImage;
    const Ix child = NewNode(init, kLeaf);
    SetOwnText(child, r);
    Place(ix, Relation::Child, child);
    return ToId(child);
}

std::uint32_t clsTree::PayloadChildren(Ix ix) const
{
    if (!mcPayloadSeparator || !mMaterialiser)
        return 0;
    const std::string_view s = mArena.View(OwnText(ix));
    return std::uint32_t(std::count(s.begin(), s.end(), mcPayloadSeparator));
}

// ---- Node data --------------------------------------------------------------------------

void clsTree::NotifyChanged(Ix ix, unsigned nWhat)
{
    if (Quiet() || (mNodes.Flags(ix) & kDetached))
        return;
    for (TreeObserver* o : mObservers)
        o->Changed(ToId(ix), nWhat);
}

bool clsTree::IsDetached(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix != kNone && (mNodes.Flags(ix) & kDetached);
}

NodeId clsTree::FindKey(std::string_view sKey) const
{
    auto it = mByKey.find(sKey);
    return it == mByKey.end() ? NodeId{} : ToId(it->second);
}

std::string_view clsTree::Key(NodeId node) const
{
    const Ix ix = ToIx(node);
    if (ix == kNone || !(mNodes.Flags(ix) & kHasKey))
        return {};
    return *mKeyOf.find(ix)->second;
}

void clsTree::SetKey(NodeId node, std::string_view sKey)
{
    const Ix ix = CheckedIx(node, "SetKey");
    if (Key(node) == sKey)
        return;
    if (!sKey.empty() && mByKey.find(sKey) != mByKey.end())
        throw TreeError("Key is not unique in collection");
    if (mNodes.Flags(ix) & kHasKey) {
        auto it = mKeyOf.find(ix);
        mByKey.erase(mByKey.find(*it->second));
        mKeyOf.erase(it);
        mNodes.Flags(ix) &= std::uint8_t(~kHasKey);
    }
    if (!sKey.empty()) {
        auto [pos, bNew] = mByKey.emplace(std::string(sKey), ix);
        mKeyOf[ix] = &pos->first;
        mNodes.Flags(ix) |= kHasKey;
    }
    NotifyChanged(ix, kChangeKey);
}

std::string_view clsTree::TextOf(Ix ix) const
{
    if (!(mNodes.Flags(ix) & kLeaf))
        return mArena.View(ClassOf(ix).text);
    const std::string_view s = mArena.View(OwnText(ix));
    return (mNodes.Flags(ix) & kPayload) ? s.substr(0, HeadOf(ix, s)) : s;
}

std::string_view clsTree::Text(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? std::string_view() : TextOf(ix);
}

void clsTree::SetText(NodeId node, std::string_view sText)
{
    const Ix ix = CheckedIx(node, "SetText");
    DropPayload(ix);
    if (mNodes.Flags(ix) & kLeaf) {
        SetOwnText(ix, mArena.Add(sText));
    } else {
        NodeClass c = ClassOf(ix);
        c.text = SharedText(sText);
        Reclass(ix, c);
    }
    TouchChildOf(ParentOf(ix));
    NotifyChanged(ix, kChangeText);
}

const std::string& clsTree::Tag(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? kNoText : mTags.Text(ClassOf(ix).tag);
}

TagId clsTree::TagIdOf(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? TagId{} : TagId{ClassOf(ix).tag};
}

void clsTree::SetTag(NodeId node, std::string_view sTag)
{
    const Ix ix = CheckedIx(node, "SetTag");
    NodeClass c = ClassOf(ix);
    c.tag = mTags.Intern(sTag);
    Reclass(ix, c);
    TouchChildOf(ParentOf(ix));
    NotifyChanged(ix, kChangeTag);
}

ImageId clsTree::InternImage(std::string_view sImage)
{
    const std::uint32_t n = mImages.Intern(sImage);
    if (n > std::numeric_limits<std::uint8_t>::max())
        throw TreeError("too many image keys");
    return ImageId{std::uint16_t(n)};
}

const std::string& clsTree::ImageText(ImageId image) const
{
    return image.value < mImages.Count() ? mImages.Text(image.value) : kNoText;
}

const std::string& clsTree::Image(NodeId node) const { return ImageText(ImageOf(node)); }

const std::string& clsTree::ExpandedImage(NodeId node) const { return ImageText(ExpandedImageOf(node)); }

ImageId clsTree::ImageOf(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? ImageId{} : ImageId{ClassOf(ix).image};
}

ImageId clsTree::ExpandedImageOf(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? ImageId{} : ImageId{ClassOf(ix).expImage};
}

void clsTree::SetImage(NodeId node, std::string_view sImage) { SetImage(node, InternImage(sImage)); }

void clsTree::SetImage(NodeId node, ImageId image) { SetImageOf(CheckedIx(node, "SetImage"), image, false); }

void clsTree::SetExpandedImage(NodeId node, std::string_view sImage) { SetExpandedImage(node, InternImage(sImage)); }

void clsTree::SetExpandedImage(NodeId node, ImageId image)
{
    SetImageOf(CheckedIx(node, "SetExpandedImage"), image, true);
}

void clsTree::SetImageOf(Ix ix, ImageId image, bool bExpanded)
{
    NodeClass c = ClassOf(ix);
    std::uint8_t& n = bExpanded ? c.expImage : c.image;
    if (n == image.value)
        return;
    n = std::uint8_t(image.value);
    Reclass(ix, c);
    NotifyChanged(ix, kChangeImage);
}

bool clsTree::Expanded(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix != kNone && (mNodes.Flags(ix) & kExpanded);
}

void clsTree::SetExpanded(NodeId node, bool bExpanded)
{
    const Ix ix = CheckedIx(node, "SetExpanded");
    if (bool(mNodes.Flags(ix) & kExpanded) == bExpanded)
        return;
    if (bExpanded)
        mNodes.Flags(ix) |= kExpanded;
    else
        mNodes.Flags(ix) &= std::uint8_t(~kExpanded);
    NotifyChanged(ix, kChangeExpanded);
}

std::uint8_t clsTree::PaletteIndex(std::uint32_t nRgb)
{
    nRgb &= 0xFFFFFF;
    auto it = std::find(mPalette.begin(), mPalette.end(), nRgb);
    if (it != mPalette.end())
        return std::uint8_t(it - mPalette.begin());
    if (mPalette.size() > std::numeric_limits<std::uint8_t>::max())
        throw TreeError("too many background colours");
    mPalette.push_back(nRgb);
    return std::uint8_t(mPalette.size() - 1);
}

std::uint32_t clsTree::BackColor(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? kWhite : mPalette[ClassOf(ix).color];
}

std::uint8_t clsTree::BackColorIndex(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? 0 : ClassOf(ix).color;
}

void clsTree::SetBackColor(NodeId node, std::uint32_t nRgb)
{
    const Ix ix = CheckedIx(node, "SetBackColor");
    NodeClass c = ClassOf(ix);
    const std::uint8_t n = PaletteIndex(nRgb);
    if (c.color == n)
        return;
    c.color = n;
    Reclass(ix, c);
    NotifyChanged(ix, kChangeBackColor);
}

// ---- Navigation ------------------------------------------------------------------------------

std::uint32_t clsTree::ChildCount(NodeId node) const
{
    const Ix ix = node ? ToIx(node) : 0;
    if (ix == kNone)
        return 0;
    Materialise(ix);
    return CountOf(ix);
}

NodeId clsTree::Child(NodeId node, std::uint32_t nRow) const
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

NodeId clsTree::FirstChild(NodeId node) const { return node ? Child(node, 0) : NodeId{}; }

NodeId clsTree::LastChild(NodeId node) const
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

bool clsTree::HasChildren(NodeId node) const { return PeekChildCount(node) > 0; }

std::uint32_t clsTree::PeekChildCount(NodeId node) const
{
    const Ix ix = node ? ToIx(node) : 0;
    if (ix == kNone)
        return 0;
    return (mNodes.Flags(ix) & kPending) ? PayloadChildren(ix) : CountOf(ix);
}

void clsTree::SetAllExpanded(bool bExpanded)
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

std::uint32_t clsTree::Row(NodeId node) const
{
    Settle();
    const Ix ix = ToIx(node);
    if (ix == kNone || ParentOf(ix) == kNone)
        return 0;
    return RowOf(ix);
}

NodeId clsTree::Next(NodeId node) const
{
    Settle();
    const Ix ix = ToIx(node);
    if (ix == kNone || ParentOf(ix) == kNone)
        return {};
    const Ix p = ParentOf(ix);
    const std::uint32_t nRow = RowOf(ix) + 1;
    return nRow < CountOf(p) ? ToId(ChildAt(p, nRow)) : NodeId{};
}

NodeId clsTree::Previous(NodeId node) const
{
    Settle();
    const Ix ix = ToIx(node);
    if (ix == kNone || ParentOf(ix) == kNone)
        return {};
    const std::uint32_t nRow = RowOf(ix);
    return nRow > 0 ? ToId(ChildAt(ParentOf(ix), nRow - 1)) : NodeId{};
}

NodeId clsTree::FirstSibling(NodeId node) const
{
    Settle();
    const Ix ix = ToIx(node);
    if (ix == kNone)
        return {};
    const Ix p = ParentOf(ix);
    return p == kNone ? node : ToId(ChildAt(p, 0));
}

NodeId clsTree::LastSibling(NodeId node) const
{
    Settle();
    const Ix ix = ToIx(node);
    if (ix == kNone)
        return {};
    const Ix p = ParentOf(ix);
    return p == kNone ? node : ToId(ChildAt(p, CountOf(p) - 1));
}

NodeId clsTree::Root(NodeId node) const
{
    Ix ix = ToIx(node);
    if (ix == kNone)
        return {};
    while (ParentOf(ix) != 0 && ParentOf(ix) != kNone)
        ix = ParentOf(ix);
    return ToId(ix);
}

// ---- View requests, observers ---------------------------------------------------------------------

void clsTree::ScrollIntoView(NodeId node)
{
    const Ix ix = ToIx(node);
    if (ix == kNone || Quiet() || (mNodes.Flags(ix) & kDetached))
        return;
    for (TreeObserver* o : mObservers)
        o->ScrollRequested(node);
}

void clsTree::RequestRepaint()
{
    for (TreeObserver* o : mObservers)
        o->RepaintRequested();
}

void clsTree::AddObserver(TreeObserver* pObserver)
{
    if (pObserver && std::find(mObservers.begin(), mObservers.end(), pObserver) == mObservers.end())
        mObservers.push_back(pObserver);
}

void clsTree::RemoveObserver(TreeObserver* pObserver)
{
    mObservers.erase(std::remove(mObservers.begin(), mObservers.end(), pObserver), mObservers.end());
}

void clsTree::BeginBulk()
{
    if (mBulk++ == 0)
        for (TreeObserver* o : mObservers)
            o->AboutToReset();
}

void clsTree::EndBulk()
{
    if (mBulk == 0)
        return;
    if (--mBulk == 0) {
        Settle();
        for (TreeObserver* o : mObservers)
            o->Reset();
    }
}

std::size_t clsTree::NodeBytes() const
{
    return mNodes.size() * kBytesPerNode + mChildIds.size() * sizeof(Ix) + mPromoted.size() * sizeof(Promoted) +
           mClasses.size() * sizeof(NodeClass);
}

std::size_t clsTree::MemoryBytes() const
{
    // Hash-map entries at about 32 bytes, a string key and a class twice that.
    const std::size_t nSide = (mByKey.size() + mKeyOf.size() + mOwnClasses.size() + mClassIds.size()) * 64 +
                              (mRows.size() + mHeads.size() + mFarParents.size()) * 32;
    return NodeBytes() + TextBytes() + mTags.Bytes() + mImages.Bytes() + nSide;
}

// ---- TreeNode ---------------------------------------------------------------------------------

const std::string& TreeNode::Tag() const { return mTree ? mTree->Tag(mId) : kNoText; }
const std::string& TreeNode::Image() const { return mTree ? mTree->Image(mId) : kNoText; }
const std::string& TreeNode::ExpandedImage() const { return mTree ? mTree->ExpandedImage(mId) : kNoText; }

}  // namespace orr
