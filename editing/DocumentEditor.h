#pragma once
// The Edit commands of a document window without the window: which commands
// the current node allows (the Edit menu's and the toolbar's states) and
// what each command does, with the schema engines or, for a free-form
// document, the free-form engine. The document window and the command
// line's edit command both call these.
#include <string>

#include "doctree/EdiDocument.h"
#include "doctree/clsTreeDNullFolder.h"
#include "editing/clsFreeForm.h"
#include "editing/clsTreeDDcp.h"
#include "editing/clsTreeDNew.h"

namespace orr {

// What the current node allows.
struct EditPermissions {
    bool bMoveDown = false, bMoveUp = false, bInsertChild = false, bInsertSibling = false, bCutCopy = false,
         bPaste = false, bDelete = false, bEdit = false;
    bool bShowNull = false;  // Hide/Show Empty Folder, schema mode only

    bool operator==(const EditPermissions&) const = default;
};

class DocumentEditor {
public:
    // Edits by the rules the document holds (EdiDocument::FreeForm).
    explicit DocumentEditor(EdiDocument& doc);

    // ---- states ----------------------------------------------------------------------
    // The permission set of the current node: nothing without one or for a
    // read-only document.
    EditPermissions Permissions();
    // The "Create New Sibling" submenu: both entries follow this.
    bool CanInsertSibling();
    // The "Move" submenu entries (down, up), the free-form rule in both modes.
    clsFreeForm::Moves CanMove();
    // Whether the current node's label may be edited.
    bool CanEditLabel();

    // ---- commands on the current node ----------------------------------------------------
    void NewChild();
    void NewSibling(bool bBefore);
    void ToggleEmptyFolder();
    void MoveUp() { Move(true); }
    void MoveDown() { Move(false); }
    void Cut() { CutCopy(true); }
    void Copy() { CutCopy(false); }
    void Paste();
    void Delete();
    void ClearCut();
    // Label editing: refused with a message when the current node may not be
    // edited; emptying a value asks first. One undo step.
    void EditLabel(const std::string& sText);
    // The clipboard is emptied first: its marks are no edits.
    void Undo();
    void Redo();

private:
    struct Inserts {
        bool bChild = false, bSibling = false;
    };
    // The schema-mode insertion test.
    Inserts SchemaInserts(const TreeNode& nd);
    // The schema-mode edit test.
    bool SchemaEditable(const TreeNode& nd);
    void Move(bool bUp);
    void CutCopy(bool bCut);
    TreeNode Current() { return mDoc.Tree().Node(mDoc.Current()); }

    bool FreeForm() const { return mDoc.FreeForm(); }

    EdiDocument& mDoc;
    clsTreeDNew mNew;
    clsTreeDDcp mDcp;
    clsFreeForm mFreeForm;
    clsTreeDNullFolder mNullFolder;
};

}  // namespace orr
