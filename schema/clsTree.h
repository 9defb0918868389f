#pragma once
// The tree store behind the schema tree and the document tree: nodes with a
// key, display text, tag, image key, expanded-image key, expanded flag and
// background colour, kept compact enough for documents of tens of millions
// of nodes.
//
// Shape. Struct-of-arrays indexed by the node's index; a NodeId is the index
// plus a base that grows with every RemoveAll, so ids are never reused while
// the tree lives. Index 0 is a hidden node whose children are the top-level
// nodes. Each parent's children sit contiguously in one child-id array
// (compressed sparse row): row-in-parent is slot - first slot of the parent,
// so Row, Child(row), Next and Previous are O(1). A range that fills up moves
// to the end of the array with double the room; inserting in the middle
// renumbers the later siblings' slots (O(siblings)).
//
// Lazy children. A node may hold a payload (a document segment's text) whose
// children are made only when someone first looks at them (ChildCount, a
// child, FirstChild, ...): the materialiser hook installed by the document
// builder adds them then, silently, since to every observer they always
// existed. Until a child is changed, Payload() gives the untouched text back
// (the writer's fast path).
//
// Notifications. Observers get about-to/done pairs around every structure
// change and Changed() after data changes; a bulk update replaces them with
// one reset. Nothing here includes Qt.
//
// Editing. Every change has an inverse, so an edit can be undone exactly:
// Add <-> Detach (the subtree keeps its ids while it is out), Detach <->
// Attach, Move <-> Move back, Set* <-> Set* with the old value.
//
// Threading. One thread only: readers materialise lazy children and settle
// deferred ranges, so even const calls write.
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "schema/TreeIds.h"
#include "schema/TreeObserver.h"
#include "schema/clsStringPool.h"
#include "schema/clsTextArena.h"

namespace orr {

class TreeNode;

// Where Add puts a node relative to another (the editing engines' relation codes).
enum class Relation : int {
    Next = 2,      // the new node follows the reference node
    Previous = 3,  // the new node precedes it
    Child = 4,     // the new node becomes its last child; a null reference: the top level
};

// A misuse of the store (an unknown reference node, a key already taken).
// Callers that trap run-time errors report it like any other.
struct TreeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Everything a new node carries; the unset parts are empty.
struct NodeInit {
    std::string_view sKey = {};
    std::string_view sText = {};
    std::string_view sTag = {};
    ImageId image = {};
    ImageId expandedImage = {};
    bool bExpanded = false;
    // A payload (a document segment's text) makes the node's children lazy:
    // they come from the materialiser on first access, and the node's text
    // is the payload's first nPayloadHead characters (sText is not used).
    std::string_view sPayload = {};
    std::size_t nPayloadHead = 0;
    // With sTag empty: the tag of an existing node of the same tree
    // (TagIdOf), taken without looking the text up again.
    TagId tag = {};
    // Without a payload and with sText empty: the text of this node of the
    // same tree (one without a payload), shared rather than stored again.
    NodeId textOf = {};
};

inline constexpr std::uint32_t kWhite = 0xFFFFFF;  // the default background, 0xRRGGBB

class clsTree {
public:
    // Makes the children of a node with a payload (AddPayloadChild, Add).
    using Materialiser = std::function<void(clsTree& tree, NodeId node, std::string_view sPayload)>;

    // ---- Memory budget (per node; keep to it) -------------------------------
    // 33 bytes in the arrays below: parent, slot, first child slot, child
    // count (4 x 4), tag id 4, text reference 8, image and expanded-image ids,
    // flags, palette index, payload head length (5 x 1). A range's room is
    // not stored: it is its count rounded up to a power of two (at least 4),
    // or the count itself for ranges made to measure (kTight). Plus 4 bytes
    // for the node's entry in the child-id array,
    // and at most as much again as spare room (compacted when more than half
    // the array is spare). No heap allocation per node: tags and image keys are
    // interned, texts live in an arena (a payload child's text is a slice of
    // the payload, 0 bytes). Only nodes with a key pay for a hash-map entry.
    static constexpr std::size_t kBytesPerNode = 33;

    clsTree();
    ~clsTree();
    clsTree(const clsTree&) = delete;
    clsTree& operator=(const clsTree&) = delete;

    // ---- Adding and removing ---------------------------------------------
    // Adds a node at the relation to rel (a null rel with Relation::Child: at
    // the end of the top level). Throws TreeError when rel is not a node of
    // this tree, when Next/Previous is given without rel, or when the key is
    // taken.
    NodeId Add(NodeId rel, Relation relation, const NodeInit& init);
    // The same with image keys as texts.
    NodeId Add(NodeId rel, Relation relation, std::string_view sKey, std::string_view sText,
               std::string_view sImage = {}, std::string_view sExpandedImage = {});
    // A node outside the tree: its subtree is built without notifications and
    // placed by Attach with one notification pair.
    NodeId AddDetached(const NodeInit& init);
    void Attach(NodeId detached, NodeId rel, Relation relation);
    // Takes the node with its subtree out of the tree, as Remove would, but
    // keeps it: its ids stay valid, and Attach puts it back.
    void Detach(NodeId node);
    // Moves the node with its subtree to the relation to rel (a null rel
    // with Relation::Child: the end of the top level). Observers see one
    // move. Throws TreeError for a detached node or a place below the node
    // itself; a move to where the node already stands does nothing.
    void Move(NodeId node, NodeId rel, Relation relation);
    // Removes the node with its subtree (also a detached one).
    void Remove(NodeId node);
    // Removes nCount children of parent (null: the top level) from row nFirst.
    void RemoveChildren(NodeId parent, std::uint32_t nFirst, std::uint32_t nCount);
    // Removes every node; ids given out before stay invalid for good.
    void RemoveAll();
    // Exchanges every node, text and interned key with other; observers
    // stay with their tree and see a reset. A scratch tree built with
    // StartIdsAfter(*this) then swapped in never gives out an old id again.
    void SwapContents(clsTree& other);
    // For an empty tree: its ids start above every id other has given out.
    void StartIdsAfter(const clsTree& other);
    // Room for nCount more nodes in the per-node arrays, so that a large
    // build does not copy them as they grow (address space only: pages are
    // touched as nodes are added).
    void ReserveNodes(std::size_t nCount);

    // ---- Node data ----------------------------------------------------------
    bool IsValid(NodeId node) const;
    // True for a node of a subtree taken out by Detach or built by AddDetached.
    bool IsDetached(NodeId node) const;
    NodeId FindKey(std::string_view sKey) const;
    std::string_view Key(NodeId node) const;  // "" when it has none
    void SetKey(NodeId node, std::string_view sKey);
    // Views stay valid until the node's text changes or RemoveAll.
    std::string_view Text(NodeId node) const;
    void SetText(NodeId node, std::string_view sText);
    const std::string& Tag(NodeId node) const;  // valid until the tag changes
    TagId TagIdOf(NodeId node) const;
    void SetTag(NodeId node, std::string_view sTag);
    const std::string& Image(NodeId node) const;
    const std::string& ExpandedImage(NodeId node) const;
    ImageId ImageOf(NodeId node) const;
    ImageId ExpandedImageOf(NodeId node) const;
    void SetImage(NodeId node, std::string_view sImage);
    void SetImage(NodeId node, ImageId image);
    void SetExpandedImage(NodeId node, std::string_view sImage);
    void SetExpandedImage(NodeId node, ImageId image);
    bool Expanded(NodeId node) const;
    void SetExpanded(NodeId node, bool bExpanded);
    std::uint32_t BackColor(NodeId node) const;  // 0xRRGGBB; kWhite by default
    void SetBackColor(NodeId node, std::uint32_t nRgb);
    // The palette index of the background: 0 for kWhite (the view's own colour).
    std::uint8_t BackColorIndex(NodeId node) const;
    std::uint32_t PaletteColor(std::uint8_t nIndex) const { return mPalette[nIndex]; }

    // Image keys are few (at most 255 per tree): intern them once and add
    // nodes by id.
    ImageId InternImage(std::string_view sImage);
    const std::string& ImageText(ImageId image) const;
    std::size_t ImageCount() const { return mImages.Count(); }

    // ---- Navigation (a null result: none) ------------------------------------
    // Asking for the children of a node with a payload makes them first.
    NodeId Parent(NodeId node) const;  // null for top-level and detached nodes
    NodeId FirstChild(NodeId node) const;
    NodeId LastChild(NodeId node) const;
    NodeId Next(NodeId node) const;
    NodeId Previous(NodeId node) const;
    NodeId FirstSibling(NodeId node) const;
    NodeId LastSibling(NodeId node) const;
    NodeId Root(NodeId node) const;  // the top-level ancestor (the node itself at the top)
    // Children of node; a null node: the top level.
    std::uint32_t ChildCount(NodeId node) const;
    NodeId Child(NodeId node, std::uint32_t nRow) const;
    std::uint32_t Row(NodeId node) const;  // row in the parent; 0 for a null node
    // Without making lazy children: true when the node has or will have
    // children (a payload with n separators makes n children).
    bool HasChildren(NodeId node) const;
    // ChildCount without making lazy children.
    std::uint32_t PeekChildCount(NodeId node) const;
    // Sets the expanded flag of every node that has children, without
    // notifications: the view expands or collapses everything itself.
    void SetAllExpanded(bool bExpanded);
    TreeNode Node(NodeId node);

    // ---- View requests ------------------------------------------------------------
    // Asks the view to show the node; the view expands its ancestors and
    // reports each expansion back through SetExpanded.
    void ScrollIntoView(NodeId node);
    // Asks the view to repaint now (long builds call it between pieces of work).
    void RequestRepaint();

    // ---- Lazy children ------------------------------------------------------
    // cSeparator is the character that separates the children's texts in a
    // payload, so that a writer can copy an untouched payload with another one.
    void SetMaterialiser(Materialiser fn, char cSeparator = '\0')
    {
        mMaterialiser = std::move(fn);
        mcPayloadSeparator = cSeparator;
    }
    char PayloadSeparator() const { return mcPayloadSeparator; }
    // The payload while no child has been changed, added or removed and the
    // node's own text is unchanged.
    std::optional<std::string_view> Payload(NodeId node) const;
    // True while the children have not been made yet.
    bool ChildrenPending(NodeId node) const;
    // For the materialiser: adds a last child of node whose text is
    // sPayload[nPos, nPos + nLength) of node's payload, without copying.
    // Throws TreeError when the node has no payload (any more).
    NodeId AddPayloadChild(NodeId node, std::size_t nPos, std::size_t nLength, std::string_view sTag,
                           ImageId image, ImageId expandedImage = {});

    // ---- Observers and bulk updates --------------------------------------------
    void AddObserver(TreeObserver* pObserver);
    void RemoveObserver(TreeObserver* pObserver);
    // Between the outermost Begin and End, observers get nothing but
    // AboutToReset (at Begin) and Reset (at End). Nested calls count.
    void BeginBulk();
    void EndBulk();
    // BeginBulk for a scope.
    class BulkUpdate {
    public:
        explicit BulkUpdate(clsTree& tree) : mTree(tree) { mTree.BeginBulk(); }
        ~BulkUpdate() { mTree.EndBulk(); }
        BulkUpdate(const BulkUpdate&) = delete;
        BulkUpdate& operator=(const BulkUpdate&) = delete;

    private:
        clsTree& mTree;
    };

    // ---- Statistics ----------------------------------------------------------
    std::size_t NodeCount() const { return mLive; }
    // Bytes in use by the per-node arrays and the child-id array (the budget above).
    std::size_t NodeBytes() const;
    // Bytes of the text arena's blocks.
    std::size_t TextBytes() const { return mArena.Bytes(); }
    // All of it: nodes, texts, interned tags and images, keys.
    std::size_t MemoryBytes() const;
    // Rebuilds the child-id array without spare room and gives unused
    // capacity of the arrays back.
    void Compact();

private:
    friend class TreeNode;
    using Ix = std::uint32_t;  // index into the arrays; 0 is the hidden top
    static constexpr Ix kNone = 0xFFFFFFFFu;

    enum Flag : std::uint8_t {
        kRemoved = 1u << 0,
        kExpanded = 1u << 1,
        kHasKey = 1u << 2,
        kDetached = 1u << 3,  // in a subtree built by AddDetached, not yet attached
        kPending = 1u << 4,   // payload children not made yet
        kPayload = 1u << 5,   // mText holds the payload; the text is its head
        kDeferred = 1u << 6,  // children appended in a bulk update, not in mChildIds yet (AppendDeferred)
        kTight = 1u << 7,     // the child range has no spare room (see Room)
    };
    static constexpr std::uint8_t kLongHead = 0xFF;  // head length in mLongHeads

    Ix ToIx(NodeId node) const;       // kNone when not a live node
    Ix CheckedIx(NodeId node, const char* sWhat) const;  // throws TreeError
    NodeId ToId(Ix ix) const { return ix == 0 || ix == kNone ? NodeId{} : NodeId{mIdBase + ix}; }

    Ix NewNode(const NodeInit& init, std::uint8_t nFlags);
    void InsertChild(Ix parent, std::uint32_t nRow, Ix child);
    void AppendDeferred(Ix parent, Ix child);
    // Gives deferred children their ranges; every reader of ranges and slots calls it.
    void Settle() const
    {
        if (mnDeferred)
            SettleDeferred();
    }
    void SettleDeferred() const;
    std::uint32_t Room(Ix ix) const;  // entries the child range owns
    void GrowRoom(Ix parent);          // room for one more child
    void Place(Ix rel, Relation relation, Ix child);
    void ClearDetached(Ix top);
    void MarkDetached(Ix top);
    // Takes ix out of its parent's range (the later siblings close up).
    void Unlink(Ix ix);
    std::uint32_t PayloadChildren(Ix ix) const;
    void MarkRemoved(Ix top);
    void Materialise(Ix ix) const;
    void DropPayload(Ix ix);
    void TouchChildOf(Ix parent);  // a child changed: the payload is no longer the truth
    void SetTextRef(Ix ix, TextRef r);
    TextRef SharedText(std::string_view sText);
    static constexpr std::size_t kSharedTextMax = 64;       // longer texts are stored each time
    static constexpr std::size_t kSharedTextsMax = 1 << 16;  // distinct texts kept for sharing
    std::string_view TextOf(Ix ix) const;
    bool Quiet() const { return mObservers.empty() || mBulk > 0 || mSilent > 0; }
    void NotifyChanged(Ix ix, unsigned nWhat);
    void SetImageOf(std::vector<std::uint8_t>& images, Ix ix, ImageId image);
    void CompactChildIds();
    std::uint8_t PaletteIndex(std::uint32_t nRgb);

    // Per node (see the budget above).
    std::vector<Ix> mParent;
    std::vector<std::uint32_t> mSlot;
    std::vector<std::uint32_t> mChildBegin;
    std::vector<std::uint32_t> mChildCount;
    std::vector<std::uint32_t> mTag;
    std::vector<std::uint8_t> mImage;
    std::vector<std::uint8_t> mExpImage;
    std::vector<TextRef> mText;
    std::vector<std::uint8_t> mFlags;
    std::vector<std::uint8_t> mColor;
    std::vector<std::uint8_t> mHead;

    std::vector<Ix> mChildIds;
    std::size_t mGarbage = 0;  // child-id entries owned by no range
    std::size_t mnDeferred = 0;  // parents with kDeferred
    std::size_t mnDeferredChildren = 0;  // children appended to them

    std::uint32_t mIdBase = 0;
    std::size_t mLive = 0;

    clsStringPool mTags{true};
    clsStringPool mImages{false};
    clsTextArena mArena;
    std::vector<std::uint32_t> mPalette;  // 0xRRGGBB by index; 0 is kWhite

    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>()(s); }
    };
    struct KeyEq {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const noexcept { return a == b; }
    };
    std::unordered_map<std::string, Ix, KeyHash, KeyEq> mByKey;
    std::unordered_map<Ix, const std::string*> mKeyOf;
    std::unordered_map<Ix, std::uint32_t> mLongHeads;  // payload heads of 255 characters or more
    // Short texts of nodes without a payload, stored once (loop nodes repeat
    // "Name (3 of 200)" in their thousands). Arena texts never change, so
    // nodes may share one.
    std::unordered_map<std::string_view, TextRef> mSharedTexts;

    Materialiser mMaterialiser;
    char mcPayloadSeparator = '\0';
    std::vector<TreeObserver*> mObservers;
    int mBulk = 0;
    mutable int mSilent = 0;  // inside the materialiser
};

// ---- Hot accessors, inline ---------------------------------------------------

inline clsTree::Ix clsTree::ToIx(NodeId node) const
{
    if (node.value <= mIdBase)
        return kNone;
    const Ix ix = node.value - mIdBase;
    if (ix >= mParent.size() || (mFlags[ix] & kRemoved))
        return kNone;
    return ix;
}

inline bool clsTree::IsValid(NodeId node) const { return ToIx(node) != kNone; }

inline NodeId clsTree::Parent(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? NodeId{} : ToId(mParent[ix]);
}

inline NodeId clsTree::Next(NodeId node) const
{
    Settle();
    const Ix ix = ToIx(node);
    if (ix == kNone || mParent[ix] == kNone)
        return {};
    const Ix p = mParent[ix];
    return mSlot[ix] + 1 < mChildBegin[p] + mChildCount[p] ? ToId(mChildIds[mSlot[ix] + 1]) : NodeId{};
}

}  // namespace orr
