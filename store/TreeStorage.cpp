// The store's representation: classes, making nodes, child ranges and where a new node goes.
#include "store/TreeStorage.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace orr {

namespace {

// Compaction pays off only for arrays of some size.
constexpr std::size_t kCompactFloor = 1u << 16;

std::uint32_t RoomFor(std::uint32_t nCount) { return std::max(4u, std::bit_ceil(nCount)); }

}  // namespace

TreeStorage::TreeStorage(clsTree& owner) : mOwner(&owner)
{
    mPalette.push_back(kWhite);
    Clear();
}

// ---- Indices ------------------------------------------------------------------

void TreeStorage::NotANode(const char* sWhat) { throw TreeError(std::string(sWhat) + ": not a node of this tree"); }

// ---- Classes ---------------------------------------------------------------------

std::size_t TreeStorage::ClassHash::operator()(const NodeClass& c) const noexcept
{
    const std::uint64_t h = c.Look() * 0x9E3779B97F4A7C15ull ^ c.text.bits * 0xBF58476D1CE4E5B9ull;
    return std::size_t(h ^ (h >> 31));
}

void TreeStorage::ResetClasses()
{
    mClasses.assign(1, NodeClass{});
    mFreeClasses.clear();
    mClassIds.clear();
    mClassIds.emplace(mClasses[0], ClassId(0));
    mOwnClasses.clear();
    std::fill(std::begin(mClassCache), std::end(mClassCache), ClassId(0));
}

TreeStorage::ClassId TreeStorage::InternNewClass(const NodeClass& c, Ix ix, ClassId& cached)
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

void TreeStorage::ReleaseClass(Ix ix)
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

void TreeStorage::Reclass(Ix ix, const NodeClass& c)
{
    if (ClassOf(ix).Same(c))
        return;
    mTags.AddRef(c.tag);  // the tag may have no other user than the class going away
    ReleaseClass(ix);
    mNodes.Class(ix) = InternClass(c, ix);
    mTags.Release(c.tag);
}

// ---- Adding ---------------------------------------------------------------------

TextRef TreeStorage::BranchText(const NodeInit& init)
{
    if (init.sText.empty() && init.textOf) {
        const Ix from = ToIx(init.textOf);
        if (from != kNone && !(mNodes.Flags(from) & kPayload))
            return (mNodes.Flags(from) & kLeaf) ? OwnText(from) : ClassOf(from).text;
    }
    return SharedText(init.sText);
}

TreeStorage::Ix TreeStorage::NewNode(const NodeInit& init, std::uint8_t nFlags)
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

void TreeStorage::TooManyNodes() { throw TreeError("too many nodes"); }

TreeStorage::ClassId TreeStorage::ClassFromParts(const NodeInit& init, std::uint8_t nFlags, Ix ix)
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

void TreeStorage::SetFarParent(Ix ix, Ix parent)
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

void TreeStorage::Promote(Ix ix)
{
    // A leaf gets children: its text moves to a side record, its id stays.
    if (mPromoted.size() >= kNone)
        TooManyNodes();
    mPromoted.push_back({OwnText(ix), Body{}});
    mNodes.Body(ix) = {Ix(mPromoted.size() - 1), 0};
    mNodes.Flags(ix) |= kPromoted;
}

TreeStorage::Ix TreeStorage::ChildAt(Ix parent, std::uint32_t nRow) const
{
    const Body& r = RangeOf(parent);
    return (r.b & kRun) ? r.a + nRow : mChildIds[std::size_t(r.a) + nRow];
}

std::uint32_t TreeStorage::RowOf(Ix ix) const
{
    const Body& r = RangeOf(ParentOf(ix));
    if (r.b & kRun)
        return ix - r.a;
    if (r.b & kUnordered)
        return mRows.find(ix)->second;
    const Ix* first = mChildIds.data() + r.a;
    return std::uint32_t(std::lower_bound(first, first + (r.b & kCountMask), ix) - first);
}

std::uint32_t TreeStorage::Room(Ix ix) const
{
    const Body& r = RangeOf(ix);
    const std::uint32_t n = r.b & kCountMask;
    if (r.b & kRun)
        return 0;
    return (r.b & kTight) || n == 0 ? n : RoomFor(n);
}

void TreeStorage::GrowRoom(Ix parent)
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

void TreeStorage::MakeStretch(Ix parent)
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

void TreeStorage::MakeUnordered(Ix parent)
{
    Body& r = RangeOf(parent);
    r.b |= kUnordered;
    for (std::uint32_t i = 0; i < (r.b & kCountMask); ++i)
        mRows[mChildIds[std::size_t(r.a) + i]] = i;
}

void TreeStorage::InsertChild(Ix parent, std::uint32_t nRow, Ix child)
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

void TreeStorage::CutRange(Ix parent, std::uint32_t nFirst, std::uint32_t nCount, bool bRemove)
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

void TreeStorage::PrepareChildIds()
{
    // The settle writes one child-id entry for each deferred child in a gap,
    // at the end of the read and on one core. Once they are many, their
    // room is reserved a step at a time as they come in, and clsTreeMemory's
    // helper faults its pages in meanwhile: on our virtual machines a fresh
    // page's first touch is what costs. A small tree's settle touches little,
    // and the room ahead would only add to its peak.
    constexpr std::size_t kStep = std::size_t(1) << 18;  // entries: 1 MiB
    constexpr std::size_t kMany = std::size_t(1) << 20;  // entries: 4 MiB
    const std::size_t nNeed = mChildIds.size() + mnDeferredChildren;
    mnChildIdsReady = nNeed + kStep;
    if (nNeed < kMany)
        return;
    const std::size_t nFrom = std::max(mnChildIdsFaulted, mChildIds.size());  // the entries not written yet
    mChildIds.reserve(mnChildIdsReady);
    clsTreeMemory::Prefault(reinterpret_cast<char*>(mChildIds.data() + nFrom), (mnChildIdsReady - nFrom) * sizeof(Ix));
    mnChildIdsFaulted = mnChildIdsReady;
}

void TreeStorage::SettleDeferred() const
{
    auto* self = const_cast<TreeStorage*>(this);  // logically const: the ranges always existed
    ChildIdsFit(mnDeferredChildren);
    const std::size_t nTotal = mChildIds.size() + mnDeferredChildren;
    // Deferred children were appended in the order they were made, after
    // their parent: one pass from the last index down meets every child
    // before its parent and a parent's children last to first, so each
    // stretch fills from its end, and a parent is complete when it is met.
    std::uint32_t nOffset = std::uint32_t(mChildIds.size());
    self->mChildIds.resize_for_overwrite(nTotal);  // every new entry is written below
    // Nothing before the first deferred parent takes part. The arrays are
    // walked a chunk at a time, with the chunk's field addresses at hand.
    const Ix nFrom = mDeferredFrom;
    for (Ix nEnd = Ix(mNodes.size()); nEnd > nFrom;) {
        const Ix nChunkFirst = std::max<Ix>(nFrom, (nEnd - 1) & ~Ix(clsTreeNodes::kMask));
        const clsTreeNodes::ChunkFields c = self->mNodes.FieldsOf(nEnd - 1);
        // A parent in this chunk (most are) is read through c too.
        const auto rangeOf = [&](Ix ix) -> Body& {
            if (ix < nChunkFirst)
                return self->RangeOf(ix);
            const std::size_t i = ix & clsTreeNodes::kMask;
            return (c.flags[i] & kPromoted) ? self->mPromoted[c.body[i].a].range : c.body[i];
        };
        for (Ix ix = nEnd; ix-- > nChunkFirst;) {
            const std::size_t i = ix & clsTreeNodes::kMask;
            const std::uint8_t nFlags = c.flags[i];
            if (nFlags & kRemoved)
                continue;  // removed before this bulk update: never a deferred child or parent
            if ((nFlags & (kLeaf | kPromoted)) != kLeaf) {
                Body& r = rangeOf(ix);
                if (r.b & kDeferred) {
                    const std::uint32_t n = r.b & kCountMask;
                    if (r.b & kGap)
                        r.b = n | kTight;  // filled: a is the first slot
                    else
                        r = {r.a - (n - 1), n | kRun};
                }
            }
            const std::uint16_t d = c.parent[i];
            if (d == 0)
                continue;
            Body& pr = rangeOf(d != kFar ? ix - d : mFarParents.find(ix)->second);
            if ((pr.b & (kDeferred | kGap)) != (kDeferred | kGap))
                continue;
            if (!(pr.b & kTight)) {  // its last child: the stretch ends here
                pr.a = nOffset + (pr.b & kCountMask);
                nOffset = pr.a;
                pr.b |= kTight;
            }
            self->mChildIds[--pr.a] = ix;
        }
        nEnd = nChunkFirst;
    }
    self->mnDeferred = 0;
    self->mnDeferredChildren = 0;
    self->mDeferredFrom = kNone;
}

void TreeStorage::Place(Ix rel, Relation relation, Ix child)
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
    default: throw TreeError("Add: invalid relation");
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

}  // namespace orr
