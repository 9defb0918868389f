#pragma once
// Empty-node folders: for one loop-like document node, an empty placeholder
// for every schema child that has no instance there, in schema order among
// the existing children, and their removal. Placeholders are where the user
// inserts new segments and loops.
#include <vector>

#include "store/TreeNode.h"

namespace orr {

class clsTreeDNullFolder {
public:
    // True for an existing node with children of kind D, X, F or T, or Z with
    // code LS. Z nodes with HLS, ELS or ESS, and kinds S and E give false;
    // unknown kinds and codes warn ("unknown node:").
    bool CanExpandNull(const TreeNode& nd);
    // Hides the placeholders when the node shows any (it has an empty
    // child), else shows them; true when it acted. A missing node: "You must
    // select a folder first." and false.
    bool ToggleNullFolder(clsTree& docTree, clsTree& schemaTree, const TreeNode& ndDoc, const TreeNode& ndSchema);
    // Placeholders for the schema children of ndSchema (the schema node ndDoc
    // is an instance of) that ndDoc has no instance of, unless ndDoc already
    // has an empty child.
    void ShowNullFolder(clsTree& docTree, clsTree& schemaTree, const TreeNode& ndDoc, const TreeNode& ndSchema);
    // Removes the empty children of ndDoc.
    void HideNullFolder(clsTree& docTree, const TreeNode& ndDoc);
    // The children HideNullFolder removes, in tree order; a childless Z child
    // of an unknown code is warned about ("Unknown node:") and stays.
    std::vector<NodeId> EmptyChildren(const TreeNode& ndDoc);

    // A child without children of kind S, T, F, X or Z (elements never count).
    static bool IsEmptyNode(const TreeNode& nd);
    static bool HasEmptyChild(const TreeNode& nd);

private:
    // A placeholder for the schema node, placed at the relation to rel; the
    // missing node when the schema node is of an unknown kind (warned).
    TreeNode AddPlaceholder(clsTree& docTree, const TreeNode& ndSchema, const TreeNode& ndRel, Relation relation);
};

}  // namespace orr
