#include "editing/clsFreeForm.h"

#include "app/UiService.h"
#include "app/modSystem.h"
#include "doctree/clsTreeDNewDEs.h"
#include "doctree/modNodeD.h"

namespace orr {
namespace {

bool Envelope(const TreeNode& nd) { return nd && gfDnodeIsEnvelope(nd); }

}  // namespace

clsFreeForm::Moves clsFreeForm::CanMove(const TreeNode& nd)
{
    Moves moves;
    if (!nd || !nd.Parent())
        return moves;
    const char kind = gfDnodeType(nd);
    if (kind == 'S') {
        // Segments move among the segments of their transaction set.
        if (!Envelope(nd) && gfDnodeType(nd.Parent()) == 'T') {
            moves.bDown = nd.Next() && !Envelope(nd.Next());
            moves.bUp = nd.Previous() && !Envelope(nd.Previous());
        }
    } else if (kind != 'D' && kind != 'X' && kind != 'F' && kind != 'T' && kind != 'E' && kind != 'Z') {
        gfIllogic(std::string("Illogic in CanMove:Invalid type:") + kind);
    }
    return moves;
}

bool clsFreeForm::CanEdit()
{
    const TreeNode nd = mDoc.Tree().Node(mDoc.Current());
    // The root is known by its text.
    if (!nd || nd.Text() == nd.Root().Text())
        return false;
    const char kind = gfDnodeType(nd);
    return kind == 'E' || (kind == 'S' && !Envelope(nd));
}

clsFreeForm::Buttons clsFreeForm::SetButtons(const TreeNode& nd)
{
    Buttons b;
    if (!nd)
        return b;
    const Moves moves = CanMove(nd);
    b.bMoveDown = moves.bDown;
    b.bMoveUp = moves.bUp;
    switch (const char kind = gfDnodeType(nd)) {
    case 'D': b.bInsertChild = true; break;
    case 'X':
    case 'F':
    case 'T':
        b.bInsertSibling = b.bCutCopy = b.bDelete = true;
        b.bPaste = CanPaste(nd);
        break;
    case 'S':
        b.bInsertChild = b.bCutCopy = b.bDelete = b.bEdit = !Envelope(nd);
        b.bInsertSibling = CanInsert(nd).bSibling;
        // Segments are pasted among the segments of a transaction set.
        b.bPaste = !Envelope(nd) && gfDnodeType(nd.Parent()) == 'T' && CanPaste(nd);
        break;
    case 'E':
        b.bInsertSibling = b.bDelete = !Envelope(nd.Parent());
        b.bEdit = true;
        break;
    case 'Z': gfIllogic(std::string("FreeForm should not have system loop:") + kind); break;
    default: gfIllogic(std::string("Illogic in SetButtons:") + kind); break;
    }
    return b;
}

bool clsFreeForm::CanPaste(const TreeNode& nd)
{
    // A TA1 beside a group would stand where no reading places it.
    const TreeNode ndSource = mClipboard.Source(mDoc.Tree());
    if (!ndSource || !nd || gfDnodeType(ndSource) != gfDnodeType(nd) || !mClipboard.SameParentLink(nd, mDoc.Tree()))
        return false;
    const TreeNode ndLeaving = mClipboard.CutLeaving(nd, mDoc.Tree());
    return !ndLeaving || !LastOfItsKind(ndLeaving);
}

clsFreeForm::Inserts clsFreeForm::CanInsert(const TreeNode& nd)
{
    Inserts in;
    if (!nd)
        return in;
    switch (const char kind = gfDnodeType(nd)) {
    case 'D': in.bChild = true; break;
    case 'X':
    case 'F':
    case 'T': in.bSibling = true; break;
    // The layout of an envelope segment is fixed.
    case 'E': in.bSibling = !Envelope(nd.Parent()); break;
    case 'S': {
        in.bChild = !Envelope(nd);
        const SchemaIx ix = gfSchemaOf(mDoc, nd.Id());
        in.bSibling = in.bChild && ix && gfDnodeRunCount(nd) < mDoc.Index()[ix].nRepeat;
        break;
    }
    case 'Z': gfIllogic(std::string("FreeForm should not have system loop:") + kind); break;
    default: gfIllogic(std::string("Illogic in SetButtons:") + kind); break;
    }
    return in;
}

void clsFreeForm::Move(bool bUp)
{
    gfRunEdit(mDoc, bUp ? "Move Up" : "Move Down", [&](TreeEdit& edit) {
        const TreeNode nd = mDoc.Tree().Node(mDoc.Current());
        const TreeNode ndOther = bUp ? nd.Previous() : nd.Next();
        if (!ndOther)
            return EditEnd::Discard;
        edit.Move(nd.Id(), ndOther.Id(), bUp ? Relation::Previous : Relation::Next);
        return EditEnd::Changed;
    });
}

void clsFreeForm::CutCopyNode(const TreeNode& nd, bool bCut)
{
    if (!nd)
        return;
    const char kind = gfDnodeType(nd);
    if (kind == 'X' || kind == 'F' || kind == 'T' || (kind == 'S' && !Envelope(nd)))
        mClipboard.Mark(nd, bCut);
}

void clsFreeForm::PasteNode()
{
    gfRunEdit(mDoc, "Paste", [&](TreeEdit& edit) {
        const TreeNode ndAnchor = mDoc.Tree().Node(mDoc.Current());
        if (!ndAnchor)
            return EditEnd::Discard;
        const TreeNode ndSource = mClipboard.Source(mDoc.Tree());
        if (!ndSource) {
            gfMsgBox("Nothing to paste.", MsgIcon::Information);
            return EditEnd::Discard;
        }
        if (!SetButtons(ndAnchor).bPaste)  // a script asks where the menu would not
            return EditEnd::Discard;
        // A segment's text is its identifier, which the writer writes: it stays.
        std::optional<std::string> sText;
        if (gfDnodeType(ndSource) != 'S') {
            const SchemaIx ix = mDoc.Index().Of(mDoc.SchemaTree().FindKey(gfDnodeSchemaKey(ndAnchor)));
            sText = std::string(ix ? mDoc.Index()[ix].sDescription : std::string_view()) + " (Paste)";
        }
        const NodeId copy = mClipboard.Paste(edit, ndAnchor, sText);
        if (mDoc.Tree().IsDetached(ndAnchor.Id()))  // the anchor was the cut node
            edit.selectAfter = copy;
        return EditEnd::Changed;
    });
}

bool clsFreeForm::NewChild()
{
    return gfRunEdit(mDoc, "New Child",
                     [this](TreeEdit& edit) { return NewChildOf(edit, mDoc.Tree().Node(mDoc.Current())); });
}

EditEnd clsFreeForm::NewChildOf(TreeEdit& edit, const TreeNode& nd)
{
    if (!nd)
        return EditEnd::Discard;
    clsTree& tree = mDoc.Tree();
    const SchemaIndex& index = mDoc.Index();
    switch (const char kind = gfDnodeType(nd)) {
    case 'D': {
        // A new instance of the schema's first node (an interchange), of the
        // kind reading gives it: taken for a transaction set, its envelope
        // segments would move like body segments and its deletion be refused.
        const SchemaIx ix = index.Empty() ? SchemaIx{} : index[index.Root()].first;
        if (!ix)
            return EditEnd::Discard;
        const SchemaEntry& def = index[ix];
        const std::string sKind(1, def.cEnvelope ? def.cEnvelope : 'T');
        const NodeId ndNew =
            gfAddDetached(tree, def.sDescription, gfLinkedTag(sKind, "", index, ix), "closeddata", "opendata");
        if (!gfBuildDefault(mDoc, ndNew, ix)) {
            tree.Remove(ndNew);
            return EditEnd::Discard;
        }
        edit.Attach(ndNew, nd.Id(), Relation::Child);
        return EditEnd::Changed;
    }
    case 'S': AddElement(edit, nd, nd.Id(), Relation::Child); return EditEnd::Changed;
    default: gfIllogic(std::string("FreeForm.NewChild:") + kind); return EditEnd::Discard;
    }
}

bool clsFreeForm::NewSibling(bool bBefore)
{
    return gfRunEdit(mDoc, "New Sibling", [this, bBefore](TreeEdit& edit) {
        return NewSiblingOf(edit, mDoc.Tree().Node(mDoc.Current()), bBefore);
    });
}

EditEnd clsFreeForm::NewSiblingOf(TreeEdit& edit, const TreeNode& nd, bool bBefore)
{
    if (!nd)
        return EditEnd::Discard;
    clsTree& tree = mDoc.Tree();
    const Relation relation = bBefore ? Relation::Previous : Relation::Next;
    const SchemaIx ix = gfSchemaOf(mDoc, nd.Id());
    switch (const char kind = gfDnodeType(nd)) {
    case 'X':
    case 'F':
    case 'T': {
        const std::string sText(ix ? mDoc.Index()[ix].sDescription : std::string_view());
        const NodeId ndNew = gfAddDetached(tree, sText, nd.Tag(), "closeddata", "opendata");
        if (!gfBuildDefault(mDoc, ndNew, ix)) {
            tree.Remove(ndNew);
            return EditEnd::Discard;
        }
        edit.Attach(ndNew, nd.Id(), relation);
        return EditEnd::Changed;
    }
    case 'S': {
        // The anchor's identifier: the free-form definition's segment stands for any.
        const NodeId ndNew = gfAddDetached(tree, nd.Text(), nd.Tag(), "closed", "open");
        clsTreeDNewDEs().AddDEs(tree, tree.Node(ndNew), gfSchemaNode(mDoc, ix));
        edit.Attach(ndNew, nd.Id(), relation);
        return EditEnd::Changed;
    }
    case 'E': AddElement(edit, nd.Parent(), nd.Id(), relation); return EditEnd::Changed;
    default: gfIllogic(std::string("FreeForm.NewChild:") + kind); return EditEnd::Discard;
    }
}

void clsFreeForm::AddElement(TreeEdit& edit, const TreeNode& ndSegment, NodeId rel, Relation relation)
{
    clsTree& tree = mDoc.Tree();
    NodeInit init;
    const std::string sTag = gfDnodeElementTag(ndSegment.Children() + 1);
    init.sTag = sTag;
    init.image = tree.InternImage("ddeoptional");
    edit.Add(rel, relation, init);
    gfRenumberDEs(edit, ndSegment);
}

const char* clsFreeForm::LastOfItsKind(const TreeNode& nd)
{
    switch (gfDnodeType(nd)) {
    case 'X':
    case 'F':
    case 'T': return gfDnodeSiblingCount(nd) >= 2 ? nullptr : "You can not delete the last system loop.";
    case 'S': return gfDnodeRunCount(nd) >= 2 ? nullptr : "You can not delete the last segment.";
    default: return nullptr;
    }
}

bool clsFreeForm::CanDeleteNode()
{
    const TreeNode nd = mDoc.Tree().Node(mDoc.Current());
    if (!nd)
        return false;
    if (const char* sWhy = LastOfItsKind(nd)) {
        gfMsgBox(sWhy, MsgIcon::Information);
        return false;
    }
    const char kind = gfDnodeType(nd);
    return kind == 'X' || kind == 'F' || kind == 'T' || kind == 'S' || kind == 'E';
}

void clsFreeForm::DeleteNode()
{
    gfRunEdit(mDoc, "Delete", [this](TreeEdit& edit) { return Delete(edit, mDoc.Tree().Node(mDoc.Current())); });
}

EditEnd clsFreeForm::Delete(TreeEdit& edit, const TreeNode& nd)
{
    if (!nd || !nd.Parent())
        return EditEnd::Discard;
    const TreeNode ndParent = nd.Parent();
    const TreeNode ndNext = nd.Next();
    switch (const char kind = gfDnodeType(nd)) {
    case 'X':
    case 'F':
    case 'T':
    case 'S': edit.Remove(nd.Id()); break;
    case 'E':
        edit.Remove(nd.Id());
        gfRenumberDEs(edit, ndParent);
        break;
    default: gfIllogic(std::string("Node can not be deleted:") + kind); return EditEnd::Discard;
    }
    if (ndParent.Children() == 0) {
        mClipboard.Release(ndParent.Id());
        const char* sImage = gfDnodeType(ndParent) == 'S' ? "nullsegment" : "closednull";
        edit.SetImages(ndParent.Id(), sImage, sImage);
    }
    edit.selectAfter = ndNext ? ndNext.Id() : ndParent.Id();
    return EditEnd::Changed;
}

}  // namespace orr
