#include "schema/clsTree.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "schema/TreeNode.h"

namespace orr {
namespace {

const std::string kNoText;

// Compaction pays off only for arrays of some size.
constexpr std::size_t kCompactFloor = 1u << 16;

}  // namespace

clsTree::clsTree()
{
    mPalette.push_back(kWhite);
    RemoveAll();
}

clsTree::~clsTree() = default;

// ---- Indices ------------------------------------------------------------------

clsTree::Ix clsTree::CheckedIx(NodeId node, const char* sWhat) const
{
    const Ix ix = ToIx(node);
    if (ix == kNone)
        throw TreeError(std::string(sWhat) + ": not a node of this tree");
    return ix;
}


// ---- Adding ---------------------------------------------------------------------

clsTree::Ix clsTree::NewNode(const NodeInit& init, std::uint8_t nFlags)
{
    if (!init.sKey.empty() && mByKey.find(init.sKey) != mByKey.end())
        throw TreeError("Key is not unique in collection");
    const std::size_t n = mParent.size();
    if (std::uint64_t(mIdBase) + n >= std::numeric_limits<std::uint32_t>::max())
        throw TreeError("too many nodes");
    const Ix ix = Ix(n);
    const bool bPayload = !init.sPayload.empty();
    mParent.push_back(kNone);
    mSlot.push_back(0);
    mChildBegin.push_back(0);
    mChildCount.push_back(0);
    if (init.sTag.empty() && init.tag) {
        mTags.AddRef(init.tag.value);
        mTag.push_back(init.tag.value);
    } else {
        mTag.push_back(mTags.Assign(0, init.sTag));
    }
    mImage.push_back(std::uint8_t(init.image.value));
    mExpImage.push_back(std::uint8_t(init.expandedImage.value));
    if (bPayload) {
        mText.push_back(mArena.Add(init.sPayload));
    } else if (const Ix from = init.sText.empty() && init.textOf ? ToIx(init.textOf) : kNone;
               from != kNone && !(mFlags[from] & kPayload)) {
        mText.push_back(mText[from]);
    } else {
        mText.push_back(SharedText(init.sText));
    }
    mColor.push_back(0);
    std::uint8_t nHead = 0;
    if (bPayload) {
        nFlags |= kPayload | kPending;
        const std::size_t nLen = std::min(init.nPayloadHead, init.sPayload.size());
        if (nLen >= kLongHead) {
            nHead = kLongHead;
            mLongHeads[ix] = std::uint32_t(std::min<std::size_t>(nLen, std::numeric_limits<std::uint32_t>::max()));
        } else {
            nHead = std::uint8_t(nLen);
        }
    }
    mHead.push_back(nHead);
    if (init.bExpanded)
        nFlags |= kExpanded;
    if (!init.sKey.empty()) {
        auto [pos, bNew] = mByKey.emplace(std::string(init.sKey), ix);
        mKeyOf[ix] = &pos->first;
        nFlags |= kHasKey;
    }
    mFlags.push_back(nFlags);
    ++mLive;
    return ix;
}

std::uint32_t clsTree::Room(Ix ix) const
{
    const std::uint32_t n = mChildCount[ix];
    if ((mFlags[ix] & kTight) || n == 0)
        return n;
    return std::max(4u, std::bit_ceil(n));
}

void clsTree::GrowRoom(Ix parent)
{
    // A range holds Room(count) entries: a full one moves to the end of the
    // array with twice the room, or grows where it is when it is last.
    const std::uint32_t nCount = mChildCount[parent];
    if (nCount < Room(parent))
        return;
    if (mGarbage > mChildIds.size() / 2 && mChildIds.size() > kCompactFloor)
        CompactChildIds();
    const std::uint32_t nOld = Room(parent);
    const std::uint32_t nNew = std::max(4u, std::bit_ceil(nCount + 1));
    mFlags[parent] &= std::uint8_t(~kTight);
    if (nOld > 0 && std::size_t(mChildBegin[parent]) + nOld == mChildIds.size()) {
        mChildIds.resize(mChildBegin[parent] + std::size_t(nNew));
        return;
    }
    if (std::size_t(mChildIds.size()) + nNew > std::numeric_limits<std::uint32_t>::max())
        throw TreeError("too many nodes");
    const std::uint32_t nBegin = std::uint32_t(mChildIds.size());
    const std::uint32_t nFrom = mChildBegin[parent];
    mChildIds.resize(std::size_t(nBegin) + nNew);
    for (std::uint32_t i = 0; i < nCount; ++i) {
        const Ix child = mChildIds[nFrom + i];
        mChildIds[nBegin + i] = child;
        mSlot[child] = nBegin + i;
    }
    mGarbage += nOld;
    mChildBegin[parent] = nBegin;
}

void clsTree::InsertChild(Ix parent, std::uint32_t nRow, Ix child)
{
    GrowRoom(parent);
    const std::uint32_t b = mChildBegin[parent];
    for (std::uint32_t i = mChildCount[parent]; i > nRow; --i) {
        const Ix moved = mChildIds[b + i - 1];
        mChildIds[b + i] = moved;
        mSlot[moved] = b + i;
    }
    mChildIds[b + nRow] = child;
    mSlot[child] = b + nRow;
    mParent[child] = parent;
    ++mChildCount[parent];
}

void clsTree::Place(Ix rel, Relation relation, Ix child)
{
    Ix parent;
    std::uint32_t nRow;
    switch (relation) {
    case Relation::Child:
        parent = rel;
        if (mFlags[parent] & kPending)
            Materialise(parent);  // lazy children come first
        if (mBulk > 0 && !(mFlags[parent] & kDetached) && !(mFlags[child] & kDetached) && child > parent &&
            ((mFlags[parent] & kDeferred) ? child > mChildBegin[parent]
                                          : mChildCount[parent] == 0)) {
            AppendDeferred(parent, child);
            TouchChildOf(parent);
            return;
        }
        Settle();
        nRow = mChildCount[parent];
        break;
    case Relation::Next:
    case Relation::Previous:
        Settle();
        parent = mParent[rel];
        if (parent == kNone)
            throw TreeError("Add: a detached node has no siblings");
        nRow = mSlot[rel] - mChildBegin[parent] + (relation == Relation::Next ? 1 : 0);
        break;
    default:
        throw TreeError("Add: invalid relation");
    }
    const bool bDetached = mFlags[parent] & kDetached;
    const bool bNotify = !Quiet() && !bDetached;
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->AboutToInsert(ToId(parent), nRow, nRow);
    InsertChild(parent, nRow, child);
    if (bDetached)
        mFlags[child] |= kDetached;
    else if (mFlags[child] & kDetached)
        ClearDetached(child);
    TouchChildOf(parent);
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->Inserted(ToId(parent), nRow, nRow);
}

void clsTree::AppendDeferred(Ix parent, Ix child)
{
    // The children of a parent filled in a bulk update are only counted
    // (mChildBegin holds the last one, mSlot the child's row) and get their
    // range of the child-id array when first asked for, all in one pass.
    if (!(mFlags[parent] & kDeferred)) {
        mFlags[parent] |= kDeferred;
        ++mnDeferred;
    }
    mChildBegin[parent] = child;
    mSlot[child] = mChildCount[parent];
    mParent[child] = parent;
    ++mChildCount[parent];
    ++mnDeferredChildren;
}

void clsTree::SettleDeferred() const
{
    auto* self = const_cast<clsTree*>(this);  // logically const: the ranges always existed
    const std::size_t nTotal = mChildIds.size() + mnDeferredChildren;
    if (nTotal > std::numeric_limits<std::uint32_t>::max())
        throw TreeError("too many nodes");
    // A parent comes before its children, and deferred children were
    // appended in the order they were made: one pass in index order puts
    // each in its place.
    std::uint32_t nOffset = std::uint32_t(mChildIds.size());
    self->mChildIds.resize(nTotal);
    for (Ix ix = 0; ix < mParent.size(); ++ix) {
        if (mFlags[ix] & kRemoved)
            continue;  // removed before this bulk update: never a deferred child or parent
        const Ix p = mParent[ix];
        if (p != kNone && (mFlags[p] & kDeferred)) {
            const std::uint32_t nRow = mSlot[ix];
            const std::uint32_t nSlot = mChildBegin[p] + nRow;
            self->mChildIds[nSlot] = ix;
            self->mSlot[ix] = nSlot;
            if (nRow + 1 == mChildCount[p])
                self->mFlags[p] = std::uint8_t((mFlags[p] & ~kDeferred) | kTight);
        }
        if (mFlags[ix] & kDeferred) {
            self->mChildBegin[ix] = nOffset;
            nOffset += mChildCount[ix];
        }
    }
    self->mnDeferred = 0;
    self->mnDeferredChildren = 0;
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
    if (relation != Relation::Child && mParent[relIx] == kNone)
        throw TreeError("Add: a detached node has no siblings");
    const Ix ix = NewNode(init, 0);
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

void clsTree::ClearDetached(Ix top)
{
    std::vector<Ix> stack{top};
    while (!stack.empty()) {
        const Ix ix = stack.back();
        stack.pop_back();
        mFlags[ix] &= std::uint8_t(~kDetached);
        for (std::uint32_t i = 0; i < mChildCount[ix]; ++i)
            stack.push_back(mChildIds[mChildBegin[ix] + i]);
    }
}

void clsTree::Attach(NodeId detached, NodeId rel, Relation relation)
{
    const Ix ix = CheckedIx(detached, "Attach");
    if (mParent[ix] != kNone)
        throw TreeError("Attach: the node is not detached");
    Ix relIx = 0;
    if (rel)
        relIx = CheckedIx(rel, "Attach");
    else if (relation != Relation::Child)
        throw TreeError("Attach: a sibling needs a reference node");
    for (Ix up = relIx; up != kNone && up != 0; up = mParent[up])
        if (up == ix)
            throw TreeError("Attach: a node cannot go below itself");
    Place(relIx, relation, ix);
}

void clsTree::MarkDetached(Ix top)
{
    std::vector<Ix> stack{top};
    while (!stack.empty()) {
        const Ix ix = stack.back();
        stack.pop_back();
        mFlags[ix] |= kDetached;
        for (std::uint32_t i = 0; i < mChildCount[ix]; ++i)
            stack.push_back(mChildIds[mChildBegin[ix] + i]);
    }
}

void clsTree::Unlink(Ix ix)
{
    const Ix parent = mParent[ix];
    const std::uint32_t b = mChildBegin[parent];
    const std::uint32_t nCount = mChildCount[parent];
    for (std::uint32_t i = mSlot[ix] - b + 1; i < nCount; ++i) {
        const Ix moved = mChildIds[b + i];
        mChildIds[b + i - 1] = moved;
        mSlot[moved] = b + i - 1;
    }
    mChildCount[parent] = nCount - 1;
    mParent[ix] = kNone;
}

void clsTree::Detach(NodeId node)
{
    Settle();
    const Ix ix = CheckedIx(node, "Detach");
    const Ix parent = mParent[ix];
    if (parent == kNone)
        throw TreeError("Detach: the node is detached already");
    const std::uint32_t nRow = mSlot[ix] - mChildBegin[parent];
    const bool bNotify = !Quiet() && !(mFlags[parent] & kDetached);
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->AboutToRemove(ToId(parent), nRow, nRow);
    Unlink(ix);
    MarkDetached(ix);
    TouchChildOf(parent);
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->Removed(ToId(parent), nRow, nRow);
}

void clsTree::Move(NodeId node, NodeId rel, Relation relation)
{
    Settle();
    const Ix ix = CheckedIx(node, "Move");
    const Ix from = mParent[ix];
    if (from == kNone)
        throw TreeError("Move: the node is detached");
    const Ix relIx = rel ? CheckedIx(rel, "Move") : 0;
    Ix to = relIx;
    std::uint32_t nDest = 0;
    if (relation == Relation::Child) {
        Materialise(to);
        nDest = mChildCount[to];
    } else if (rel && (relation == Relation::Next || relation == Relation::Previous)) {
        to = mParent[relIx];
        if (to == kNone)
            throw TreeError("Move: a detached node has no siblings");
        nDest = mSlot[relIx] - mChildBegin[to] + (relation == Relation::Next ? 1 : 0);
    } else {
        throw TreeError("Move: invalid relation");
    }
    for (Ix up = to; up != kNone && up != 0; up = mParent[up])
        if (up == ix)
            throw TreeError("Move: a node cannot go below itself");
    if ((mFlags[from] & kDetached) != (mFlags[to] & kDetached))
        throw TreeError("Move: between a detached subtree and the tree");
    const std::uint32_t nRow = mSlot[ix] - mChildBegin[from];
    if (from == to && (nDest == nRow || nDest == nRow + 1))
        return;
    const bool bNotify = !Quiet() && !(mFlags[from] & kDetached);
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->AboutToMove(ToId(from), nRow, ToId(to), nDest);
    Unlink(ix);
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
    std::swap(mParent, other.mParent);
    std::swap(mSlot, other.mSlot);
    std::swap(mChildBegin, other.mChildBegin);
    std::swap(mChildCount, other.mChildCount);
    std::swap(mTag, other.mTag);
    std::swap(mImage, other.mImage);
    std::swap(mExpImage, other.mExpImage);
    std::swap(mText, other.mText);
    std::swap(mFlags, other.mFlags);
    std::swap(mColor, other.mColor);
    std::swap(mHead, other.mHead);
    std::swap(mChildIds, other.mChildIds);
    std::swap(mGarbage, other.mGarbage);
    std::swap(mIdBase, other.mIdBase);
    std::swap(mLive, other.mLive);
    std::swap(mTags, other.mTags);
    std::swap(mImages, other.mImages);
    std::swap(mArena, other.mArena);
    std::swap(mPalette, other.mPalette);
    std::swap(mByKey, other.mByKey);
    std::swap(mKeyOf, other.mKeyOf);
    std::swap(mLongHeads, other.mLongHeads);
    std::swap(mSharedTexts, other.mSharedTexts);
    std::swap(mMaterialiser, other.mMaterialiser);
    std::swap(mcPayloadSeparator, other.mcPayloadSeparator);
    notify(*this, false);
    notify(other, false);
}

void clsTree::StartIdsAfter(const clsTree& other)
{
    if (mParent.size() != 1)
        throw TreeError("StartIdsAfter: the tree is not empty");
    const std::uint64_t nNext = std::max<std::uint64_t>(std::uint64_t(mIdBase) + mParent.size(),
                                                        std::uint64_t(other.mIdBase) + other.mParent.size());
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
    const std::size_t n = mParent.size() + nCount;
    for (auto* v : {&mParent, &mSlot, &mChildBegin, &mChildCount, &mTag})
        v->reserve(n);
    mImage.reserve(n);
    mExpImage.reserve(n);
    mText.reserve(n);
    mFlags.reserve(n);
    mColor.reserve(n);
    mHead.reserve(n);
}

// ---- Removing --------------------------------------------------------------------

void clsTree::MarkRemoved(Ix top)
{
    std::vector<Ix> stack{top};
    while (!stack.empty()) {
        const Ix ix = stack.back();
        stack.pop_back();
        for (std::uint32_t i = 0; i < mChildCount[ix]; ++i)
            stack.push_back(mChildIds[mChildBegin[ix] + i]);
        mFlags[ix] |= kRemoved;
        --mLive;
        if (mFlags[ix] & kHasKey) {
            auto it = mKeyOf.find(ix);
            mByKey.erase(mByKey.find(*it->second));
            mKeyOf.erase(it);
        }
        mTags.Release(mTag[ix]);
        mTag[ix] = 0;
        if (mHead[ix] == kLongHead)
            mLongHeads.erase(ix);
        mGarbage += Room(ix);
    }
}

void clsTree::RemoveChildren(NodeId parentId, std::uint32_t nFirst, std::uint32_t nCount)
{
    Settle();
    const Ix parent = parentId ? CheckedIx(parentId, "RemoveChildren") : 0;
    Materialise(parent);
    const std::uint32_t nHave = mChildCount[parent];
    if (nFirst >= nHave || nCount == 0)
        return;
    nCount = std::min(nCount, nHave - nFirst);
    const bool bNotify = !Quiet() && !(mFlags[parent] & kDetached);
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->AboutToRemove(ToId(parent), nFirst, nFirst + nCount - 1);
    const std::uint32_t b = mChildBegin[parent];
    for (std::uint32_t i = nFirst; i < nFirst + nCount; ++i)
        MarkRemoved(mChildIds[b + i]);
    for (std::uint32_t i = nFirst + nCount; i < nHave; ++i) {
        const Ix moved = mChildIds[b + i];
        mChildIds[b + i - nCount] = moved;
        mSlot[moved] = b + i - nCount;
    }
    mChildCount[parent] = nHave - nCount;
    TouchChildOf(parent);
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->Removed(ToId(parent), nFirst, nFirst + nCount - 1);
}

void clsTree::Remove(NodeId node)
{
    Settle();
    const Ix ix = CheckedIx(node, "Remove");
    if (mParent[ix] == kNone) {
        MarkRemoved(ix);  // a detached subtree: nobody saw it
        return;
    }
    const Ix parent = mParent[ix];
    RemoveChildren(ToId(parent), mSlot[ix] - mChildBegin[parent], 1);
}

void clsTree::RemoveAll()
{
    const bool bNotify = !Quiet();
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->AboutToReset();
    // The next ids start above every id given out so far. After some four
    // billion nodes in one tree's life they start from the bottom again.
    const std::uint64_t nNext = std::uint64_t(mIdBase) + mParent.size();
    mIdBase = nNext > 0xF0000000u ? 0 : std::uint32_t(nNext);
    for (auto* v : {&mParent, &mSlot, &mChildBegin, &mChildCount, &mTag})
        v->clear();
    mImage.clear();
    mExpImage.clear();
    mText.clear();
    mFlags.clear();
    mColor.clear();
    mHead.clear();
    mChildIds.clear();
    mnDeferred = 0;
    mnDeferredChildren = 0;
    mGarbage = 0;
    mLive = 0;
    mTags.Clear();
    mSharedTexts.clear();
    mArena.Clear();
    mByKey.clear();
    mKeyOf.clear();
    mLongHeads.clear();
    // The hidden top node, index 0.
    mParent.push_back(kNone);
    mSlot.push_back(0);
    mChildBegin.push_back(0);
    mChildCount.push_back(0);
    mTag.push_back(0);
    mImage.push_back(0);
    mExpImage.push_back(0);
    mText.push_back({});
    mFlags.push_back(kExpanded);
    mColor.push_back(0);
    mHead.push_back(0);
    if (bNotify)
        for (TreeObserver* o : mObservers)
            o->Reset();
}

void clsTree::Compact()
{
    Settle();
    CompactChildIds();
    for (auto* v : {&mParent, &mSlot, &mChildBegin, &mChildCount, &mTag})
        v->shrink_to_fit();
    mImage.shrink_to_fit();
    mExpImage.shrink_to_fit();
    mText.shrink_to_fit();
    mFlags.shrink_to_fit();
    mColor.shrink_to_fit();
    mHead.shrink_to_fit();
}

void clsTree::CompactChildIds()
{
    Settle();
    std::vector<Ix> ids;
    ids.reserve(mLive + 1);
    for (Ix ix = 0; ix < mParent.size(); ++ix) {
        if (mFlags[ix] & kRemoved)
            continue;
        const std::uint32_t nBegin = std::uint32_t(ids.size());
        for (std::uint32_t i = 0; i < mChildCount[ix]; ++i) {
            const Ix child = mChildIds[mChildBegin[ix] + i];
            mSlot[child] = nBegin + i;
            ids.push_back(child);
        }
        mChildBegin[ix] = nBegin;
        mFlags[ix] |= kTight;
    }
    mChildIds = std::move(ids);
    mGarbage = 0;
}

// ---- Lazy children -------------------------------------------------------------------

void clsTree::Materialise(Ix ix) const
{
    if (!(mFlags[ix] & kPending))
        return;
    auto* self = const_cast<clsTree*>(this);  // logically const: the children always existed
    self->mFlags[ix] &= std::uint8_t(~kPending);
    if (!mMaterialiser)
        return;
    ++mSilent;
    try {
        mMaterialiser(*self, ToId(ix), mArena.View(mText[ix]));
    } catch (...) {
        --mSilent;
        throw;
    }
    --mSilent;
}

void clsTree::DropPayload(Ix ix)
{
    if (!(mFlags[ix] & kPayload))
        return;
    Materialise(ix);
    const std::size_t nHead = mHead[ix] == kLongHead ? mLongHeads[ix] : mHead[ix];
    mText[ix] = mArena.Slice(mText[ix], 0, nHead);
    mFlags[ix] &= std::uint8_t(~kPayload);
    mHead[ix] = 0;
    mLongHeads.erase(ix);
}

void clsTree::TouchChildOf(Ix parent)
{
    if (mSilent == 0 && parent != kNone && (mFlags[parent] & kPayload))
        DropPayload(parent);
}

std::optional<std::string_view> clsTree::Payload(NodeId node) const
{
    const Ix ix = ToIx(node);
    if (ix == kNone || !(mFlags[ix] & kPayload))
        return std::nullopt;
    return mArena.View(mText[ix]);
}

bool clsTree::ChildrenPending(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix != kNone && (mFlags[ix] & kPending);
}

NodeId clsTree::AddPayloadChild(NodeId node, std::size_t nPos, std::size_t nLength, std::string_view sTag,
                                ImageId image, ImageId expandedImage)
{
    const Ix ix = CheckedIx(node, "AddPayloadChild");
    if (!(mFlags[ix] & kPayload))
        throw TreeError("AddPayloadChild: the node has no payload");
    const TextRef r = mArena.Slice(mText[ix], nPos, nLength);
    NodeInit init;
    init.sTag = sTag;
    init.image = image;
    init.expandedImage = expandedImage;
    const Ix child = NewNode(init, 0);
    mText[child] = r;
    Place(ix, Relation::Child, child);
    return ToId(child);
}

// ---- Node data --------------------------------------------------------------------------

void clsTree::NotifyChanged(Ix ix, unsigned nWhat)
{
    if (Quiet() || (mFlags[ix] & kDetached))
        return;
    for (TreeObserver* o : mObservers)
        o->Changed(ToId(ix), nWhat);
}

bool clsTree::IsDetached(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix != kNone && (mFlags[ix] & kDetached);
}

NodeId clsTree::FindKey(std::string_view sKey) const
{
    auto it = mByKey.find(sKey);
    return it == mByKey.end() ? NodeId{} : ToId(it->second);
}

std::string_view clsTree::Key(NodeId node) const
{
    const Ix ix = ToIx(node);
    if (ix == kNone || !(mFlags[ix] & kHasKey))
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
    if (mFlags[ix] & kHasKey) {
        auto it = mKeyOf.find(ix);
        mByKey.erase(mByKey.find(*it->second));
        mKeyOf.erase(it);
        mFlags[ix] &= std::uint8_t(~kHasKey);
    }
    if (!sKey.empty()) {
        auto [pos, bNew] = mByKey.emplace(std::string(sKey), ix);
        mKeyOf[ix] = &pos->first;
        mFlags[ix] |= kHasKey;
    }
    NotifyChanged(ix, kChangeKey);
}

std::string_view clsTree::TextOf(Ix ix) const
{
    const std::string_view s = mArena.View(mText[ix]);
    if (!(mFlags[ix] & kPayload))
        return s;
    const std::size_t nHead = mHead[ix] == kLongHead ? mLongHeads.find(ix)->second : mHead[ix];
    return s.substr(0, nHead);
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
    mText[ix] = mArena.Add(sText);
    TouchChildOf(mParent[ix]);
    NotifyChanged(ix, kChangeText);
}

const std::string& clsTree::Tag(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? kNoText : mTags.Text(mTag[ix]);
}

TagId clsTree::TagIdOf(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? TagId{} : TagId{mTag[ix]};
}

void clsTree::SetTag(NodeId node, std::string_view sTag)
{
    const Ix ix = CheckedIx(node, "SetTag");
    mTag[ix] = mTags.Assign(mTag[ix], sTag);
    TouchChildOf(mParent[ix]);
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
    return ix == kNone ? ImageId{} : ImageId{mImage[ix]};
}

ImageId clsTree::ExpandedImageOf(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? ImageId{} : ImageId{mExpImage[ix]};
}

void clsTree::SetImage(NodeId node, std::string_view sImage) { SetImage(node, InternImage(sImage)); }

void clsTree::SetImage(NodeId node, ImageId image) { SetImageOf(mImage, CheckedIx(node, "SetImage"), image); }

void clsTree::SetExpandedImage(NodeId node, std::string_view sImage) { SetExpandedImage(node, InternImage(sImage)); }

void clsTree::SetExpandedImage(NodeId node, ImageId image)
{
    SetImageOf(mExpImage, CheckedIx(node, "SetExpandedImage"), image);
}

void clsTree::SetImageOf(std::vector<std::uint8_t>& images, Ix ix, ImageId image)
{
    if (images[ix] == image.value)
        return;
    images[ix] = std::uint8_t(image.value);
    NotifyChanged(ix, kChangeImage);
}

bool clsTree::Expanded(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix != kNone && (mFlags[ix] & kExpanded);
}

void clsTree::SetExpanded(NodeId node, bool bExpanded)
{
    const Ix ix = CheckedIx(node, "SetExpanded");
    if (bool(mFlags[ix] & kExpanded) == bExpanded)
        return;
    if (bExpanded)
        mFlags[ix] |= kExpanded;
    else
        mFlags[ix] &= std::uint8_t(~kExpanded);
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
    return ix == kNone ? kWhite : mPalette[mColor[ix]];
}

std::uint8_t clsTree::BackColorIndex(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? 0 : mColor[ix];
}

void clsTree::SetBackColor(NodeId node, std::uint32_t nRgb)
{
    const Ix ix = CheckedIx(node, "SetBackColor");
    const std::uint8_t n = PaletteIndex(nRgb);
    if (mColor[ix] == n)
        return;
    mColor[ix] = n;
    NotifyChanged(ix, kChangeBackColor);
}

// ---- Navigation ------------------------------------------------------------------------------

std::uint32_t clsTree::ChildCount(NodeId node) const
{
    const Ix ix = node ? ToIx(node) : 0;
    if (ix == kNone)
        return 0;
    Materialise(ix);
    return mChildCount[ix];
}

NodeId clsTree::Child(NodeId node, std::uint32_t nRow) const
{
    const Ix ix = node ? ToIx(node) : 0;
    if (ix == kNone)
        return {};
    Materialise(ix);
    if (nRow >= mChildCount[ix])
        return {};
    if (mFlags[ix] & kDeferred) {
        if (nRow + 1 == mChildCount[ix])
            return ToId(mChildBegin[ix]);  // the last child, without settling
        Settle();
    }
    return ToId(mChildIds[mChildBegin[ix] + nRow]);
}

NodeId clsTree::FirstChild(NodeId node) const { return node ? Child(node, 0) : NodeId{}; }

NodeId clsTree::LastChild(NodeId node) const
{
    const std::uint32_t n = node ? ChildCount(node) : 0;
    return n == 0 ? NodeId{} : Child(node, n - 1);
}

std::uint32_t clsTree::PayloadChildren(Ix ix) const
{
    if (!mcPayloadSeparator || !mMaterialiser)
        return 0;
    const std::string_view s = mArena.View(mText[ix]);
    return std::uint32_t(std::count(s.begin(), s.end(), mcPayloadSeparator));
}

bool clsTree::HasChildren(NodeId node) const { return PeekChildCount(node) > 0; }

std::uint32_t clsTree::PeekChildCount(NodeId node) const
{
    const Ix ix = node ? ToIx(node) : 0;
    if (ix == kNone)
        return 0;
    return (mFlags[ix] & kPending) ? PayloadChildren(ix) : mChildCount[ix];
}

void clsTree::SetAllExpanded(bool bExpanded)
{
    for (Ix ix = 1; ix < mParent.size(); ++ix) {
        if (mFlags[ix] & kRemoved)
            continue;
        const bool bHas = (mFlags[ix] & kPending) ? PayloadChildren(ix) > 0 : mChildCount[ix] > 0;
        if (bHas && bExpanded)
            mFlags[ix] |= kExpanded;
        else if (bHas)
            mFlags[ix] &= std::uint8_t(~kExpanded);
    }
}

std::uint32_t clsTree::Row(NodeId node) const
{
    Settle();
    const Ix ix = ToIx(node);
    if (ix == kNone || mParent[ix] == kNone)
        return 0;
    return mSlot[ix] - mChildBegin[mParent[ix]];
}

NodeId clsTree::Previous(NodeId node) const
{
    Settle();
    const Ix ix = ToIx(node);
    if (ix == kNone || mParent[ix] == kNone)
        return {};
    return mSlot[ix] > mChildBegin[mParent[ix]] ? ToId(mChildIds[mSlot[ix] - 1]) : NodeId{};
}

NodeId clsTree::FirstSibling(NodeId node) const
{
    Settle();
    const Ix ix = ToIx(node);
    if (ix == kNone)
        return {};
    const Ix p = mParent[ix];
    return p == kNone ? node : ToId(mChildIds[mChildBegin[p]]);
}

NodeId clsTree::LastSibling(NodeId node) const
{
    Settle();
    const Ix ix = ToIx(node);
    if (ix == kNone)
        return {};
    const Ix p = mParent[ix];
    return p == kNone ? node : ToId(mChildIds[mChildBegin[p] + mChildCount[p] - 1]);
}

NodeId clsTree::Root(NodeId node) const
{
    Ix ix = ToIx(node);
    if (ix == kNone)
        return {};
    while (mParent[ix] != 0 && mParent[ix] != kNone)
        ix = mParent[ix];
    return ToId(ix);
}

// ---- View requests, observers ---------------------------------------------------------------------

void clsTree::ScrollIntoView(NodeId node)
{
    const Ix ix = ToIx(node);
    if (ix == kNone || Quiet() || (mFlags[ix] & kDetached))
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
    return mParent.size() * kBytesPerNode + mChildIds.size() * sizeof(Ix);
}

std::size_t clsTree::MemoryBytes() const
{
    const std::size_t nKeys = (mByKey.size() + mKeyOf.size()) * 64 + mLongHeads.size() * 32;
    return NodeBytes() + TextBytes() + mTags.Bytes() + mImages.Bytes() + nKeys;
}

// ---- TreeNode ---------------------------------------------------------------------------------

const std::string& TreeNode::Tag() const { return mTree ? mTree->Tag(mId) : kNoText; }
const std::string& TreeNode::Image() const { return mTree ? mTree->Image(mId) : kNoText; }
const std::string& TreeNode::ExpandedImage() const { return mTree ? mTree->ExpandedImage(mId) : kNoText; }

}  // namespace orr
