#pragma once
// Deleting the current node of a document edited with its schema, and
// moving or duplicating whole transmissions, groups and transaction sets
// through a one-entry clipboard: cutting or copying only marks a node, the
// copy is made when the user pastes, and a cut node is removed only then.
#include "doctree/EdiDocument.h"
#include "editing/EditClipboard.h"
#include "editing/modEdit.h"
#include "schema/SchemaIndex.h"

namespace orr {

class clsTreeDDcp {
public:
    explicit clsTreeDDcp(EdiDocument& doc) : mDoc(doc) {}

    // Whether the current node may be deleted (quiet but for illogic reports).
    bool CanDelete();
    // Deletes the current node as one undo step (the caller checks
    // CanDelete first); its next sibling, else its parent, becomes current.
    bool DeleteNode();
    // Whether the current node may be cut or copied.
    bool CanCC();
    // Quiet test for enabling the paste command: the current node is an
    // instance of the clipboard node's definition.
    bool CanPaste();
    // The test made when the user pastes after ndAnchor, with messages;
    // anchorDef is the anchor's schema entry.
    bool CanPasteHere(const TreeNode& ndAnchor, SchemaIx anchorDef);
    void ClearCopyCutImage() { mClipboard.Clear(); }
    void CutNode() { Mark(true); }
    void CopyNode() { Mark(false); }
    // Pastes after the current node, whose schema entry is anchorDef, as
    // one undo step.
    bool PasteNode(SchemaIx anchorDef);

private:
    bool CanDeleteSegment(const TreeNode& nd, const SchemaEntry& def);
    bool CanDeleteLoop(const TreeNode& nd, const SchemaEntry& def);
    // Whether the paste after ndAnchor leaves every parent as a delete
    // could: a cut node taken from another parent must be deletable there.
    bool CutMayLeave(const TreeNode& ndAnchor);
    EditEnd Delete(TreeEdit& edit, const TreeNode& nd);
    void Mark(bool bCut);

    EdiDocument& mDoc;
    EditClipboard mClipboard;
};

}  // namespace orr
