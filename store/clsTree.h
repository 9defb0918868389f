#pragma once
// The tree store behind the schema tree and the document tree: nodes with a
// key, display text, tag, image key, expanded-image key, expanded flag and
// background colour, kept compact enough for documents of tens of millions
// of nodes (store/TreeStorage.h holds the representation).
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
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "store/TreeIds.h"
#include "store/TreeObserver.h"

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
    // A live node of the same tree whose tag, images, colour and branch
    // text the new node takes as they are, for a builder that makes many
    // nodes of one kind: sTag, tag, the images, sText and textOf are then
    // not looked at (a payload still is).
    NodeId kindOf = {};
};

inline constexpr std::uint32_t kWhite = 0xFFFFFF;  // the default background, 0xRRGGBB

class clsFileMapping;
class TreeStorage;

class clsTree {
public:
    // Makes the children of a node with a payload (AddPayloadChild, Add).
    using Materialiser = std::function<void(clsTree& tree, NodeId node, std::string_view sPayload)>;

    // 13 bytes a node in the per-node arrays (TreeStorage.h has the whole budget).
    static constexpr std::size_t kBytesPerNode = 13;

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
    // A builder's usual case, cheaper: the same as Add(parent,
    // Relation::Child, init) with only init.kindOf = kind, init.sPayload and
    // init.nPayloadHead set.
    NodeId AddLike(NodeId parent, NodeId kind, std::string_view sPayload = {}, std::size_t nPayloadHead = 0);
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
    // The same for nodes that each bring a tag and a key of their own (a
    // schema tree): room in the tables of tags, keys and classes too, so that
    // adding them does not rehash the long tags again and again.
    void ReserveDistinctNodes(std::size_t nCount);
    // Payloads inside file->Text() are kept where they lie instead of copied
    // (the tree keeps the file mapped until RemoveAll or its end).
    void AdoptText(std::unique_ptr<clsFileMapping> file);

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
    std::uint32_t PaletteColor(std::uint8_t nIndex) const;

    // Image keys are few (at most 255 per tree): intern them once and add
    // nodes by id.
    ImageId InternImage(std::string_view sImage);
    const std::string& ImageText(ImageId image) const;
    std::size_t ImageCount() const;

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
    void SetMaterialiser(Materialiser fn, char cSeparator = '\0');
    char PayloadSeparator() const;
    // The payload while no child has been changed, added or removed and the
    // node's own text is unchanged.
    std::optional<std::string_view> Payload(NodeId node) const;
    // True while the children have not been made yet.
    bool ChildrenPending(NodeId node) const;
    // For the materialiser: adds a last child of node whose text is
    // sPayload[nPos, nPos + nLength) of node's payload, without copying.
    // Throws TreeError when the node has no payload (any more).
    NodeId AddPayloadChild(NodeId node, std::size_t nPos, std::size_t nLength, std::string_view sTag, ImageId image,
                           ImageId expandedImage = {});

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
    std::size_t NodeCount() const;
    // Bytes in use by the per-node arrays and the child-id array (the budget above).
    std::size_t NodeBytes() const;
    // Bytes of the text arena's blocks.
    std::size_t TextBytes() const;
    // All of it: nodes, texts, interned tags and images, keys.
    std::size_t MemoryBytes() const;
    // Rebuilds the child-id array without spare room and gives unused
    // capacity of the arrays back.
    void Compact();

private:
    std::unique_ptr<TreeStorage> mS;
};

}  // namespace orr
