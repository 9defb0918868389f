#pragma once
// One user command's changes to a document tree, recorded as they are made
// so that the whole command can be undone and redone exactly. Every step is
// a store operation with an inverse: a removed subtree is only detached and
// keeps its ids, an added one is detached again on undo, a move goes back
// to its old row, a set restores the old value.
//
// An engine asks all its questions first, then makes its changes through a
// TreeEdit and hands it to the document (EdiDocument::Commit).
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "store/TreeNode.h"

namespace orr {

class TreeEdit {
public:
    explicit TreeEdit(clsTree& tree, std::string sName = {}) : mTree(&tree), msName(std::move(sName)) {}
    TreeEdit(TreeEdit&&) noexcept = default;
    TreeEdit& operator=(TreeEdit&&) noexcept = default;
    // A command left out of the history frees the subtrees it holds detached.
    ~TreeEdit();

    const std::string& Name() const { return msName; }
    bool Empty() const { return mSteps.empty(); }
    clsTree& Tree() const { return *mTree; }

    // ---- the changes, made at once --------------------------------------------
    NodeId Add(NodeId rel, Relation relation, const NodeInit& init);
    // Adds a subtree built with AddDetached.
    void Attach(NodeId detached, NodeId rel, Relation relation);
    void Remove(NodeId node);
    void Move(NodeId node, NodeId rel, Relation relation);
    void SetText(NodeId node, std::string_view sText);
    void SetTag(NodeId node, std::string_view sTag);
    void SetImages(NodeId node, std::string_view sImage, std::string_view sExpandedImage);
    void SetExpanded(NodeId node, bool bExpanded);
    // Records a node that a builder has just added to the tree by itself, as
    // if Add had made it. Adopt new siblings in tree order.
    void Adopt(NodeId node);
    // Exchanges the whole tree with other (a tree built with StartIdsAfter
    // of this one), which the edit keeps: undo and redo exchange them again.
    // Node ids of the edits recorded before name the tree put aside.
    void SwapTree(std::unique_ptr<clsTree> other);
    bool SwapsTree() const;
    // Drops what the edit holds without touching the tree (its nodes live
    // in a tree put aside by a later SwapTree, freed with it).
    void Forget() { mSteps.clear(); }

    // An edit of what the view shows only (empty-node placeholders, which
    // are never written): undone like any other, it leaves the document
    // unmodified.
    void SetViewOnly(bool bViewOnly) { mbViewOnly = bViewOnly; }
    bool ViewOnly() const { return mbViewOnly; }

    // The node to make current after the command, and after its undo.
    NodeId selectAfter, selectBefore;

    // ---- history ----------------------------------------------------------------
    void Undo();
    void Redo();

private:
    // Where a node stands: its parent (null: the top level) and row.
    struct Place {
        NodeId parent;
        std::uint32_t nRow = 0;
    };
    struct Inserted {  // Add or Attach: undone by detaching
        NodeId node;
        Place at;
    };
    struct Removed {  // undone by attaching again
        NodeId node;
        Place at;
    };
    struct Moved {
        NodeId node;
        Place from, to;
    };
    struct Text {
        NodeId node;
        std::string sOld, sNew;
        bool bTag;  // the tag rather than the text
    };
    struct Images {
        NodeId node;
        std::string sOld, sOldExpanded, sNew, sNewExpanded;
    };
    struct Expanded {
        NodeId node;
        bool bNew;
    };
    struct Swapped {  // done and undone alike
        std::unique_ptr<clsTree> other;
    };
    using Step = std::variant<Inserted, Removed, Moved, Text, Images, Expanded, Swapped>;

    Place PlaceOf(NodeId node) const;
    void PutAt(NodeId node, Place at, bool bDetached);
    void Apply(const Step& step);
    void Revert(const Step& step);

    clsTree* mTree;
    std::string msName;
    std::vector<Step> mSteps;
    bool mbApplied = true;
    bool mbViewOnly = false;
};

}  // namespace orr
