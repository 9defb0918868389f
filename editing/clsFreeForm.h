#pragma once
// The editing rules of a free-form document: transactions of plain
// segments, segments of data elements, no system loops. Segments move up
// and down, single segments are cut, copied and pasted, and data elements
// are added and removed freely.
#include "doctree/EdiDocument.h"
#include "editing/EditClipboard.h"
#include "editing/modEdit.h"

namespace orr {

class clsFreeForm {
public:
    struct Moves {
        bool bDown = false, bUp = false;
    };
    struct Inserts {
        bool bChild = false, bSibling = false;
    };
    // The enabling results of SetButtons, in its order.
    struct Buttons {
        bool bMoveDown = false, bMoveUp = false, bInsertChild = false, bInsertSibling = false, bCutCopy = false,
             bPaste = false, bDelete = false, bEdit = false;
    };

    explicit clsFreeForm(EdiDocument& doc) : mDoc(doc) {}

    Moves CanMove(const TreeNode& nd);
    // Whether the current node's value may be edited.
    bool CanEdit();
    Buttons SetButtons(const TreeNode& nd);
    Inserts CanInsert(const TreeNode& nd);
    // The clipboard node goes beside nd: one of its kind (a segment beside
    // a segment, a group beside a group) under a parent of the same link,
    // and a cut node leaves its parent only where it could be deleted.
    bool CanPaste(const TreeNode& nd);
    bool CanDeleteNode();

    // Each a single undo step on the current node; the caller moves only
    // what CanMove allows.
    void MoveUp() { Move(true); }
    void MoveDown() { Move(false); }
    void ClearCopyCutImage() { mClipboard.Clear(); }
    void CutCopyNode(const TreeNode& nd, bool bCut);
    // Only where SetButtons enables it; an empty clipboard is said.
    void PasteNode();
    bool NewChild();
    bool NewSibling(bool bBefore);
    void DeleteNode();

private:
    void Move(bool bUp);
    EditEnd NewChildOf(TreeEdit& edit, const TreeNode& nd);
    EditEnd NewSiblingOf(TreeEdit& edit, const TreeNode& nd, bool bBefore);
    EditEnd Delete(TreeEdit& edit, const TreeNode& nd);
    // Why nd may not leave its parent (the message a delete shows): it is
    // the last loop or segment of its kind there; null when it may.
    static const char* LastOfItsKind(const TreeNode& nd);
    // A new empty optional element at the relation to ndRel, then the
    // segment's elements renumbered.
    void AddElement(TreeEdit& edit, const TreeNode& ndSegment, NodeId rel, Relation relation);

    EdiDocument& mDoc;
    EditClipboard mClipboard;
};

}  // namespace orr
