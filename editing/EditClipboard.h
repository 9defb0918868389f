#pragma once
// The one-entry clipboard of the delete/cut/copy/paste and free-form
// engines: a node waiting to be pasted stays where it is and shows it by the
// prefix "cut" or "cop" on its image keys. The marks are what the view
// shows of the clipboard, not edits: they are never recorded for undo.
#include <optional>
#include <string>

#include "doctree/TreeEdit.h"
#include "store/TreeNode.h"

namespace orr {

class EditClipboard {
public:
    // Clears the clipboard, then keeps nd as the cut node (bCut) or the copy
    // node and prefixes its images.
    void Mark(const TreeNode& nd, bool bCut);
    // Removes the marks and forgets both nodes.
    void Clear();
    // Clears the clipboard when nd is the marked node: an edit is about to
    // set its images, and the mark must not be recorded as one of them.
    void Release(NodeId nd);
    // The node to paste: the copy node if set, else the cut node; missing
    // when neither is set or the node has left the tree (deleted, undone).
    TreeNode Source(clsTree& tree) const;
    bool BothSet() const { return mCopy && mCut; }
    // Whether nd and the clipboard node have parents carrying the same link.
    bool SameParentLink(const TreeNode& nd, clsTree& tree) const;
    // The cut node when a paste after ndAnchor takes it away from its own
    // parent, which then loses it as by a delete (so only where a delete
    // would be allowed); none for a copy or a cut pasted among its siblings.
    TreeNode CutLeaving(const TreeNode& ndAnchor, clsTree& tree) const;
    // Clears the clipboard and adds a copy of the source (texts, tags,
    // images, expanded states) after ndAnchor, with the display text sText
    // (none: the source's own); a cut source is then removed. The copy, or
    // none when there was nothing to paste.
    NodeId Paste(TreeEdit& edit, const TreeNode& ndAnchor, const std::optional<std::string>& sText);

private:
    static void Unmark(clsTree& tree, NodeId node);

    clsTree* mTree = nullptr;
    NodeId mCopy, mCut;
};

}  // namespace orr
