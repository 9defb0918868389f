#pragma once
// How clsTree keeps its nodes; for the store's own files only (users of
// the store include store/clsTree.h).
//
// Shape. Struct-of-arrays indexed by the node's index; a NodeId is the index
// plus a base that grows with every RemoveAll, so an id is not reused until
// some four billion ids have been given out in the tree's life (the base
// then starts from 0 again). Index 0 is a hidden node whose children are the top-level
// nodes. A parent's children form one range: either a run of consecutive
// indices (a parent whose children were made one after another, the usual
// case for a document read from a file: no array entry at all), or a stretch
// of one shared child-id array (compressed sparse row). Row-in-parent is the
// index minus the run's first, a binary search in a stretch whose ids
// ascend, or, in a stretch an edit has put out of order, a look-up in a side
// table; Child(row) is O(1), Row and Next O(log children) at worst. A
// stretch that fills up moves to the end of the array with double the room;
// inserting in the middle shifts the later siblings (O(siblings)).
//
// Two kinds of node. A branch keeps its child range in the node and its
// text with its tag, image keys and colour in an interned class (loop nodes
// of one schema node and count share one); a leaf (a document segment with
// its elements still in the payload, or an element) keeps its own text
// instead and has no child range. A leaf that gets children keeps its id
// and moves its text and range to a side record ("promoted"), so the kinds
// are invisible from outside.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/clsStringPool.h"
#include "store/clsTextArena.h"
#include "store/clsTree.h"
#include "store/clsTreeArray.h"
#include "store/clsTreeNodes.h"

namespace orr {

// The representation behind clsTree, whose calls (store/clsTree*.cpp) work on it.
class TreeStorage {
public:
    using Materialiser = clsTree::Materialiser;

    // ---- Memory budget (per node; keep to it) -------------------------------
    // 13 bytes in the arrays below: distance to the parent 2, flags 1, class
    // id 2, and 8 of body: a branch's child range (first child or first slot 4, count
    // and range flags 4), a leaf's text reference. A child in a stretch of
    // the child-id array adds 4 (a run of consecutive children adds
    // nothing), and a stretch may own as much again as spare room
    // (compacted when more than half the array is spare). Per distinct
    // (tag, images, colour, branch text) one class of 24 bytes, shared by
    // every node of that kind: a read document has a few hundred. No heap
    // allocation per node: tags and image keys are interned, texts live in
    // an arena (an element's text is a slice of its segment's payload, 0
    // bytes; a segment read in place is a slice of the file's pages, 0 bytes
    // of ours), the arrays sit in 2 MiB blocks (clsTreeMemory). Side tables
    // only for what editing or unusual input brings: a promoted leaf 16
    // bytes, a node with a key, a parent 65 535 or more nodes before it, a row in a stretch out of order, a payload
    // head other than the text before the first separator, a class beyond
    // the 65 534 that fit in the id (a hash-map entry each).
    //
    // What a read document costs (bench/run, generated files): 837P makes
    // 1.72 nodes per 21-byte segment, 58 % leaves, 52 % of children in
    // consecutive runs: 13 + 0.48 x 4 = 14.9 bytes per node, 1.22 times the
    // file; 850: 1.66 nodes per 30-byte segment, 0.8 times the file. Of the
    // children in stretches only 30 % (837P) and 42 % (850) are leaves, the
    // rest loops: leaves without a slot would save 4 % and 6 % of it.
    static constexpr std::size_t kBytesPerNode = clsTreeNodes::kBytesPerNode;
    static_assert(kBytesPerNode == clsTree::kBytesPerNode);

    explicit TreeStorage(clsTree& owner);
    TreeStorage(const TreeStorage&) = delete;
    TreeStorage& operator=(const TreeStorage&) = delete;

    // RemoveAll without the notifications.
    void Clear();

    static const std::string kNoText;  // the text of a missing node's tag or image

    using Ix = std::uint32_t;  // index into the arrays; 0 is the hidden top
    static constexpr Ix kNone = 0xFFFFFFFFu;

    enum Flag : std::uint8_t {
        kRemoved = 1u << 0,
        kExpanded = 1u << 1,
        kHasKey = 1u << 2,
        kDetached = 1u << 3,  // in a subtree built by AddDetached, not yet attached
        kPending = 1u << 4,   // payload children not made yet
        kPayload = 1u << 5,   // the own text is the payload; the text is its head
        kLeaf = 1u << 6,      // the body is the own text, not a child range
        kPromoted = 1u << 7,  // a leaf with children: the body names its side record
    };

    // A child range (a branch's body): a is the first child (a run), the
    // first slot (a stretch) or the last child (deferred), b the count and
    // the range bits below. A leaf's body is its text reference in two halves.
    using Body = TreeBody;
    static constexpr std::uint32_t kRun = 1u << 31;        // children are indices a, a + 1, ...
    static constexpr std::uint32_t kUnordered = 1u << 30;  // a stretch whose ids do not ascend: rows in mRows
    static constexpr std::uint32_t kDeferred = 1u << 29;   // appended in a bulk update, not placed yet
    static constexpr std::uint32_t kGap = 1u << 28;        // deferred children that are no run
    static constexpr std::uint32_t kTight = 1u << 27;      // a stretch without spare room
    static constexpr std::uint32_t kCountMask = kTight - 1;

    // What nodes of one kind share: tag, image keys, colour, and a branch's text.
    struct NodeClass {
        std::uint32_t tag = 0;
        std::uint8_t image = 0, expImage = 0, color = 0, unused = 0;
        TextRef text;
        std::uint32_t nRefs = 0;
        // Tag, images and colour in one word.
        std::uint64_t Look() const
        {
            return tag | std::uint64_t(image) << 32 | std::uint64_t(expImage) << 40 | std::uint64_t(color) << 48;
        }
        bool Same(const NodeClass& o) const { return Look() == o.Look() && text.bits == o.text.bits; }
    };
    struct ClassHash {
        std::size_t operator()(const NodeClass& c) const noexcept;
    };
    struct ClassEq {
        bool operator()(const NodeClass& x, const NodeClass& y) const noexcept { return x.Same(y); }
    };
    using ClassId = std::uint16_t;
    static constexpr ClassId kOwnClass = 0xFFFF;  // the node's class is in mOwnClasses
    static constexpr std::size_t kClassCache = 4096;

    struct Promoted {
        TextRef text;
        Body range;
    };

    Ix ToIx(NodeId node) const;                         // kNone when not a live node
    Ix CheckedIx(NodeId node, const char* sWhat) const  // throws TreeError
    {
        const Ix ix = ToIx(node);
        if (ix == kNone) [[unlikely]]
            NotANode(sWhat);
        return ix;
    }
    [[noreturn, gnu::cold]] static void NotANode(const char* sWhat);
    NodeId ToId(Ix ix) const { return ix == 0 || ix == kNone ? NodeId{} : NodeId{mIdBase + ix}; }

    Ix NewNode(const NodeInit& init, std::uint8_t nFlags);
    // The index the next node gets; throws when the ids would run out.
    Ix NextIx() const
    {
        const std::size_t n = mNodes.size();
        if (std::uint64_t(mIdBase) + n >= std::numeric_limits<std::uint32_t>::max()) [[unlikely]]
            TooManyNodes();
        return Ix(n);
    }
    [[noreturn, gnu::cold]] static void TooManyNodes();
    // Throws when nMore child ids more would not be numbered by an Ix.
    void ChildIdsFit(std::size_t nMore) const
    {
        if (mChildIds.size() + nMore > std::numeric_limits<std::uint32_t>::max()) [[unlikely]]
            TooManyNodes();
    }
    // A payload makes a node a leaf whose children are made when first looked at.
    static std::uint8_t PayloadFlags(std::string_view sPayload)
    {
        return sPayload.empty() ? 0 : kLeaf | kPayload | kPending;
    }
    // Appends node NextIx() to the arrays, without a parent: its class
    // (referenced already), its flags and, for a payload, the payload's text.
    void PushNode(std::string_view sPayload, std::size_t nPayloadHead, ClassId cls, std::uint8_t nFlags,
                  std::uint16_t nParentDistance = 0)
    {
        const Ix ix = Ix(mNodes.size());
        Body body;
        if (nFlags & kPayload) {
            const TextRef r = mArena.Add(sPayload);
            body = {std::uint32_t(r.bits), std::uint32_t(r.bits >> 32)};
        }
        mNodes.push_back(body, nParentDistance, cls, nFlags);
        if (nFlags & kPayload) {
            const std::size_t nHead = std::min(nPayloadHead, sPayload.size());
            if (!IsDefaultHead(sPayload, nHead)) [[unlikely]]
                mHeads[ix] = std::uint32_t(std::min<std::size_t>(nHead, std::numeric_limits<std::uint32_t>::max()));
        }
        ++mLive;
    }
    ClassId RefClass(ClassId id)
    {
        if (id != 0)
            ++mClasses[id].nRefs;
        return id;
    }
    // The class of a new node, referenced once more: that of init.kindOf
    // inline (a builder's usual case), else made from init's parts.
    ClassId ClassFor(const NodeInit& init, std::uint8_t nFlags, Ix ix)
    {
        if (const Ix kind = init.kindOf ? ToIx(init.kindOf) : kNone; kind != kNone) {
            if (const ClassId id = mNodes.Class(kind); id != kOwnClass)
                return RefClass(id);
        }
        return ClassFromParts(init, nFlags, ix);
    }
    ClassId ClassFromParts(const NodeInit& init, std::uint8_t nFlags, Ix ix);
    TextRef BranchText(const NodeInit& init);

    // ---- ranges
    bool HasRange(Ix ix) const { return (mNodes.Flags(ix) & (kLeaf | kPromoted)) != kLeaf; }
    Body& RangeOf(Ix ix)
    {
        return (mNodes.Flags(ix) & kPromoted) ? mPromoted[mNodes.Body(ix).a].range : mNodes.Body(ix);
    }
    const Body& RangeOf(Ix ix) const
    {
        return (mNodes.Flags(ix) & kPromoted) ? mPromoted[mNodes.Body(ix).a].range : mNodes.Body(ix);
    }
    std::uint32_t CountOf(Ix ix) const { return HasRange(ix) ? RangeOf(ix).b & kCountMask : 0; }
    Body& EnsureRange(Ix ix)  // promotes a leaf
    {
        if (!HasRange(ix)) [[unlikely]]
            Promote(ix);
        return RangeOf(ix);
    }
    void Promote(Ix ix);
    Ix ChildAt(Ix parent, std::uint32_t nRow) const;  // settled ranges
    std::uint32_t RowOf(Ix ix) const;                 // settled ranges; ix has a parent
    void MakeStretch(Ix parent);                      // a run becomes a stretch of the child-id array
    void MakeUnordered(Ix parent);                    // a stretch's rows go to mRows
    void DropRange(Ix parent);                        // an emptied range gives its room back
    void InsertChild(Ix parent, std::uint32_t nRow, Ix child);
    bool AppendDeferred(Ix parent, Ix child);
    bool Defer(Body& r, Ix parent, Ix child);  // AppendDeferred on parent's range r, without the parent link
    // AddLike's usual case in a bulk update at once: node NextIx() of class
    // cls (referenced here) as parent's next deferred child, for a branch
    // parent neither detached nor a payload, near enough for the short
    // parent distance. False, with nothing changed, for anything else.
    bool AppendLikeInBulk(Ix parent, ClassId cls, std::string_view sPayload, std::size_t nHead);
    // Gives deferred children their ranges; every reader of ranges and rows calls it.
    void Settle() const
    {
        if (mnDeferred)
            SettleDeferred();
    }
    void SettleDeferred() const;
    // Room for the child-id entries the settle will write, made while the
    // deferred children come in; see TreeStorage.cpp.
    void PrepareChildIds();
    std::uint32_t Room(Ix ix) const;  // entries a stretch owns
    void GrowRoom(Ix parent);         // room for one more child
    void Place(Ix rel, Relation relation, Ix child);
    // Place's usual case in a bulk update, without its other work: a new
    // child appended to a parent that is neither detached nor a payload.
    bool AppendInBulk(Ix parent, Ix child)
    {
        return !(mNodes.Flags(parent) & (kPending | kPayload)) && Deferrable(parent, child) &&
               AppendDeferred(parent, child);
    }
    // Whether child may join parent's children as a deferred append (AppendDeferred decides the rest).
    bool Deferrable(Ix parent, Ix child) const
    {
        return mBulk > 0 && child > parent && !((mNodes.Flags(parent) | mNodes.Flags(child)) & kDetached);
    }
    void SetDetached(Ix top, bool bDetached);
    // Takes nCount children from row nFirst out of parent's range (the later
    // siblings close up); bRemove also removes them for good.
    void CutRange(Ix parent, std::uint32_t nFirst, std::uint32_t nCount, bool bRemove);
    void MarkRemoved(Ix top);
    void CompactChildIds(bool bReshape);

    // ---- texts
    TextRef OwnText(Ix ix) const;  // a leaf's
    void SetOwnText(Ix ix, TextRef r);
    std::size_t HeadOf(Ix ix, std::string_view sPayload) const;
    std::size_t DefaultHead(std::string_view sPayload) const;
    bool IsDefaultHead(std::string_view sPayload, std::size_t nHead) const;
    std::uint32_t PayloadChildren(Ix ix) const;
    void Materialise(Ix ix) const
    {
        if (mNodes.Flags(ix) & kPending) [[unlikely]]
            MakePayloadChildren(ix);
    }
    void MakePayloadChildren(Ix ix) const;
    void DropPayload(Ix ix);
    void TouchChildOf(Ix parent);  // a child changed: the payload is no longer the truth
    TextRef SharedText(std::string_view sText);
    static constexpr std::size_t kSharedTextMax = 64;        // longer texts are stored each time
    static constexpr std::size_t kSharedTextsMax = 1 << 16;  // distinct texts kept for sharing
    std::string_view TextOf(Ix ix) const;

    // ---- classes
    const NodeClass& ClassOf(Ix ix) const
    {
        return mNodes.Class(ix) == kOwnClass ? mOwnClasses.find(ix)->second : mClasses[mNodes.Class(ix)];
    }
    // Nodes come in runs of the same kind: a small cache by hash saves the map.
    ClassId InternClass(const NodeClass& c, Ix ix)
    {
        ClassId& cached = mClassCache[(ClassHash()(c) >> 20) % kClassCache];
        if (cached == 0 && c.Same(mClasses[0]))
            return 0;
        if (cached != 0 && cached < mClasses.size() && mClasses[cached].nRefs > 0 && mClasses[cached].Same(c)) {
            ++mClasses[cached].nRefs;
            return cached;
        }
        return InternNewClass(c, ix, cached);
    }
    ClassId InternNewClass(const NodeClass& c, Ix ix, ClassId& cached);
    void ReleaseClass(Ix ix);
    void Reclass(Ix ix, const NodeClass& c);
    void SetImageOf(Ix ix, ImageId image, bool bExpanded);
    void ResetClasses();

    bool Quiet() const { return mObservers.empty() || mBulk > 0 || mSilent > 0; }
    void NotifyChanged(Ix ix, unsigned nWhat);
    std::uint8_t PaletteIndex(std::uint32_t nRgb);

    // The parent of ix: ix minus its distance, which fits 16 bits for all
    // but a few nodes of a read document (a parent comes shortly before its
    // children); the rest are in mFarParents.
    Ix ParentOf(Ix ix) const
    {
        const std::uint16_t d = mNodes.Parent(ix);
        return d == 0 ? kNone : d != kFar ? ix - d : mFarParents.find(ix)->second;
    }
    void SetParent(Ix ix, Ix parent)
    {
        // The usual case inline: a node without a far parent, placed under one shortly before it.
        if (parent < ix && ix - parent < kFar && mNodes.Parent(ix) != kFar) [[likely]]
            mNodes.Parent(ix) = std::uint16_t(ix - parent);
        else
            SetFarParent(ix, parent);
    }
    void SetFarParent(Ix ix, Ix parent);
    static constexpr std::uint16_t kFar = 0xFFFF;

    // Per node (see the budget above).
    // Body, distance to the parent (0: none), class id, flags.
    clsTreeNodes mNodes;

    clsTreeArray<Ix> mChildIds;
    std::vector<Promoted> mPromoted;
    std::size_t mGarbage = 0;            // child-id entries owned by no range
    std::size_t mnDeferred = 0;          // parents with kDeferred
    std::size_t mnDeferredChildren = 0;  // children of those with kGap
    std::size_t mnChildIdsReady = 0;     // PrepareChildIds: room made for entries below this,
    std::size_t mnChildIdsFaulted = 0;   // and their pages asked for below this
    Ix mDeferredFrom = kNone;            // the first parent with kDeferred

    std::uint32_t mIdBase = 0;
    std::size_t mLive = 0;
    std::vector<Ix> mWalk;  // SetDetached's stack, kept between calls

    // The nodes of the small maps below come and go with the tree: from one
    // pool, not an allocation each (a document copied or read back makes
    // hundreds of tags and classes).
    std::pmr::unsynchronized_pool_resource mSmall;
    clsStringPool mTags{true, &mSmall};
    clsStringPool mImages{false, &mSmall};
    clsTextArena mArena;
    std::vector<std::uint32_t> mPalette;  // 0xRRGGBB by index; 0 is kWhite

    std::vector<NodeClass> mClasses;  // 0: no tag, image, colour or text
    std::vector<ClassId> mFreeClasses;
    std::pmr::unordered_map<NodeClass, ClassId, ClassHash, ClassEq> mClassIds{&mSmall};
    std::pmr::unordered_map<Ix, NodeClass> mOwnClasses{&mSmall};
    ClassId mClassCache[kClassCache] = {};  // by hash: the last class seen there

    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>()(s); }
    };
    struct KeyEq {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const noexcept { return a == b; }
    };
    std::unordered_map<std::string, Ix, KeyHash, KeyEq> mByKey;
    std::pmr::unordered_map<Ix, const std::string*> mKeyOf{&mSmall};
    std::pmr::unordered_map<Ix, Ix> mFarParents{&mSmall};
    std::pmr::unordered_map<Ix, std::uint32_t> mRows{&mSmall};   // children of unordered stretches
    std::pmr::unordered_map<Ix, std::uint32_t> mHeads{&mSmall};  // payload heads other than DefaultHead
    // Short texts of branches, stored once (loop nodes repeat "Name (3 of
    // 200)" in their thousands). Arena texts never change, so nodes may share one.
    std::pmr::unordered_map<std::string_view, TextRef> mSharedTexts{&mSmall};

    clsTree* mOwner;  // what the materialiser is given
    Materialiser mMaterialiser;
    char mcPayloadSeparator = '\0';
    std::vector<TreeObserver*> mObservers;
    int mBulk = 0;
    mutable int mSilent = 0;  // inside the materialiser
};

// ---- Hot accessors, inline ---------------------------------------------------

inline TreeStorage::Ix TreeStorage::ToIx(NodeId node) const
{
    if (node.value <= mIdBase)
        return kNone;
    const Ix ix = node.value - mIdBase;
    if (ix >= mNodes.size() || (mNodes.Flags(ix) & kRemoved))
        return kNone;
    return ix;
}

inline bool TreeStorage::IsDefaultHead(std::string_view sPayload, std::size_t nHead) const
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

inline bool TreeStorage::AppendDeferred(Ix parent, Ix child)
{
    if (!Defer(EnsureRange(parent), parent, child))
        return false;
    SetParent(child, parent);
    return true;
}

inline bool TreeStorage::Defer(Body& r, Ix parent, Ix child)
{
    // The children of a parent filled in a bulk update are only counted (a
    // holds the last one) and get their range when first asked for, all in
    // one pass. Children made one after another, with nothing in between,
    // become a run and take no room in the child-id array. Only a parent
    // without children, or one filled so far, and children made after it.
    const std::uint32_t b = r.b, n = b & kCountMask;
    if (!(b & kDeferred)) {
        if (n != 0)
            return false;
        r = {child, 1 | kDeferred};
        ++mnDeferred;
        mDeferredFrom = std::min(mDeferredFrom, parent);
        return true;
    }
    if (child <= r.a)
        return false;
    if (n == kCountMask)
        TooManyNodes();
    std::uint32_t nb = b + 1;
    if (!(b & kGap) && child != r.a + 1) {
        nb |= kGap;
        mnDeferredChildren += n;
    }
    if (nb & kGap) {
        ++mnDeferredChildren;
        if (mChildIds.size() + mnDeferredChildren > mnChildIdsReady) [[unlikely]]
            PrepareChildIds();
    }
    r = {child, nb};
    return true;
}

inline bool TreeStorage::AppendLikeInBulk(Ix parent, ClassId cls, std::string_view sPayload, std::size_t nHead)
{
    // Each test once: a store through the byte-wide arrays makes the
    // compiler read the arrays' addresses and the parent's fields again.
    const Ix ix = NextIx();
    if (mBulk <= 0 || ix - parent >= kFar || (mNodes.Flags(parent) & (kPending | kPayload | kDetached | kLeaf)))
        return false;
    const std::uint32_t b = mNodes.Body(parent).b;
    if (!(b & kDeferred) && (b & kCountMask) != 0)
        return false;
    PushNode(sPayload, nHead, RefClass(cls), PayloadFlags(sPayload), std::uint16_t(ix - parent));
    Defer(mNodes.Body(parent), parent, ix);  // after the push, which may move the arrays
    return true;
}

}  // namespace orr
