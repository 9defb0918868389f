#include "editing/DocumentEditor.h"

#include "app/UiService.h"
#include "app/modSystem.h"
#include "doctree/modNodeD.h"

namespace orr {

DocumentEditor::DocumentEditor(EdiDocument& doc) : mDoc(doc), mNew(doc), mDcp(doc), mFreeForm(doc) {}

EditPermissions DocumentEditor::Permissions()
{
    EditPermissions p;
    const TreeNode nd = Current();
    if (!nd || mDoc.ReadOnly())
        return p;
    if (FreeForm()) {
        const clsFreeForm::Buttons b = mFreeForm.SetButtons(nd);
        p.bMoveDown = b.bMoveDown;
        p.bMoveUp = b.bMoveUp;
        p.bInsertChild = b.bInsertChild;
        p.bInsertSibling = b.bInsertSibling;
        p.bCutCopy = b.bCutCopy;
        p.bPaste = b.bPaste;
        p.bDelete = b.bDelete;
        p.bEdit = b.bEdit;
        return p;
    }
    // Moves are free-form only.
    p.bEdit = SchemaEditable(nd);
    p.bShowNull = mNullFolder.CanExpandNull(nd);
    const Inserts in = SchemaInserts(nd);
    p.bInsertChild = in.bChild;
    p.bInsertSibling = in.bSibling;
    p.bCutCopy = mDcp.CanCC();
    p.bPaste = mDcp.CanPaste();
    p.bDelete = mDcp.CanDelete();
    return p;
}

bool DocumentEditor::CanInsertSibling()
{
    const TreeNode nd = Current();
    return FreeForm() ? mFreeForm.CanInsert(nd).bSibling : SchemaInserts(nd).bSibling;
}

clsFreeForm::Moves DocumentEditor::CanMove() { return mFreeForm.CanMove(Current()); }

bool DocumentEditor::CanEditLabel() { return FreeForm() ? mFreeForm.CanEdit() : SchemaEditable(Current()); }

DocumentEditor::Inserts DocumentEditor::SchemaInserts(const TreeNode& nd)
{
    Inserts in;
    if (!nd)
        return in;
    const SchemaIx ix = gfSchemaOf(mDoc, nd.Id());
    const std::int32_t nRepeat = ix ? mDoc.Index()[ix].nRepeat : 0;
    switch (gfDnodeType(nd)) {
    case 'S':
        if (!gfDnodeIsEnvelope(nd) && ix) {
            in.bSibling = gfDnodeRunCount(nd) < nRepeat;
            in.bChild = nd.Children() == 0;
        }
        break;
    case 'X':
    case 'F':
    case 'T': in.bSibling = true; break;
    case 'Z': {
        const std::string sCode = gfDnodeSegType(nd);
        if (sCode == "LS") {
            in.bChild = true;
            in.bSibling = gfDnodeSiblingCount(nd) < nRepeat;
        } else if (sCode == "HLS" || sCode == "ELS" || sCode == "ESS") {
            in.bChild = true;
        }
        break;
    }
    case 'D': in.bChild = true; break;
    default: break;
    }
    return in;
}

bool DocumentEditor::SchemaEditable(const TreeNode& nd)
{
    // The root is known by its text.
    if (!nd || nd.Text() == nd.Root().Text() || nd.Tag().empty())
        return false;
    return gfDnodeType(nd) == 'E';
}

void DocumentEditor::NewChild()
{
    if (FreeForm())
        mFreeForm.NewChild();
    else
        mNew.AddChild();
}

void DocumentEditor::NewSibling(bool bBefore)
{
    if (FreeForm())
        mFreeForm.NewSibling(bBefore);
    else
        mNew.AddSibling(bBefore);
    if (!Current())
        gfIllogic("No active node.");
}

void DocumentEditor::ToggleEmptyFolder()
{
    if (FreeForm())
        return;
    // Placeholders are never written: showing or hiding them is an undo
    // step that leaves the document unmodified.
    gfRunEdit(
        mDoc, "Hide/Show Empty Folder",
        [this](TreeEdit& edit) {
            const TreeNode nd = Current();
            const TreeNode ndSchema = mDoc.SchemaTree().Node(mDoc.SchemaNodeOf(nd.Id()));
            if (!nd || !ndSchema) {
                gfMsgBox("You must select a folder first.", MsgIcon::Information);
                return EditEnd::Discard;
            }
            if (clsTreeDNullFolder::HasEmptyChild(nd))
                gfHideNullFolder(edit, nd);
            else
                gfShowNullFolder(edit, mDoc, nd, ndSchema);
            return EditEnd::Changed;
        },
        true);
}

void DocumentEditor::Move(bool bUp)
{
    // In both modes: a script runs commands the menu would have disabled.
    const clsFreeForm::Moves moves = CanMove();
    if (bUp ? moves.bUp : moves.bDown)
        bUp ? mFreeForm.MoveUp() : mFreeForm.MoveDown();
}

void DocumentEditor::CutCopy(bool bCut)
{
    if (FreeForm())
        mFreeForm.CutCopyNode(Current(), bCut);
    else
        bCut ? mDcp.CutNode() : mDcp.CopyNode();
}

void DocumentEditor::Paste()
{
    if (FreeForm()) {
        mFreeForm.PasteNode();
        return;
    }
    const SchemaIx ix = gfSchemaOf(mDoc, mDoc.Current());
    if (mDcp.CanPasteHere(Current(), ix))
        mDcp.PasteNode(ix);
}

void DocumentEditor::Delete()
{
    if (FreeForm()) {
        if (mFreeForm.CanDeleteNode())
            mFreeForm.DeleteNode();
        return;
    }
    if (!mDcp.CanDelete())
        return;
    const std::string sText(Current().Text());
    if (!mDcp.DeleteNode())
        gfIllogic("Could not delete node:" + sText);
}

void DocumentEditor::ClearCut()
{
    mFreeForm.ClearCopyCutImage();
    mDcp.ClearCopyCutImage();
}

void DocumentEditor::EditLabel(const std::string& sText)
{
    const TreeNode nd = Current();
    if (!nd)
        return;
    if (!CanEditLabel()) {
        gfMsgBox("You can not edit this node.", MsgIcon::Information);
        return;
    }
    if (sText == nd.Text())  // nothing to change (both empty included)
        return;
    if (sText.empty() && gfMsgBox("Set value to empty string ?", MsgIcon::None, MsgButtons::YesNo) != MsgAnswer::Yes)
        return;
    gfRunEdit(mDoc, "Edit Data", [&](TreeEdit& edit) {
        edit.SetText(nd.Id(), sText);
        return EditEnd::Changed;
    });
}

void DocumentEditor::Undo()
{
    ClearCut();
    mDoc.Undo();
}

void DocumentEditor::Redo()
{
    ClearCut();
    mDoc.Redo();
}

}  // namespace orr
