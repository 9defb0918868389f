#pragma once
// Tree utilities shared by the editing engines and the windows.
#include "store/TreeNode.h"

namespace orr {

// Removes every descendant of nd (and nd itself when bRemoveSelf).
void gfRemoveSubtree(const TreeNode& nd, bool bRemoveSelf);
// Re-creates the descendants of ndSource under ndTarget, in order; then the
// target takes over the source's key, text, tag, images and expanded state.
void gfCopySubtree(const TreeNode& ndSource, const TreeNode& ndTarget);
// Sets the expanded state of every node that has children.
void gfExpandCollapseAll(clsTree& tree, bool bExpanded);
// Expands the roots and the first three levels below them as the display
// settings say: document nodes other than segments and elements, schema
// system nodes only.
void gfExpandLevels(const TreeNode& ndDocRoot, const TreeNode& ndSchemaRoot);
// Sets the tags of a segment's children to "E01", "E02", ... in order.
void gfRenumberDEs(const TreeNode& ndSegment);

}  // namespace orr
