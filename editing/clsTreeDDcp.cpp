#include "editing/clsTreeDDcp.h"

#include "app/UiService.h"
#include "app/modSystem.h"
#include "doctree/modNodeD.h"

namespace orr {
namespace {

bool Required(const SchemaEntry& e) { return e.nRequired == 1; }

}  // namespace

bool clsTreeDDcp::CanDelete()
{
    const TreeNode nd = mDoc.Tree().Node(mDoc.Current());
    if (!nd || !nd.Parent())
        return false;
    const SchemaIx ix = gfSchemaOf(mDoc, nd.Id());
    if (!ix)
        return false;
    const SchemaEntry& def = mDoc.Index()[ix];
    switch (gfDnodeType(nd)) {
    case 'X':
    case 'F':
    case 'T': return CanDeleteLoop(nd, def);
    case 'S': return CanDeleteSegment(nd, def);
    case 'E': {
        const SchemaIx element = mDoc.Index().Of(mDoc.SchemaElementOf(nd.Id()));
        return element && !Required(mDoc.Index()[element]);
    }
    case 'Z': {
        const std::string sCode = gfDnodeSegType(nd);
        if (sCode == "LS")
            return CanDeleteLoop(nd, def);
        if (sCode == "HLS" || sCode == "ELS" || sCode == "ESS")
            return nd.Children() == 0;
        gfIllogic("CanDelete:unknown system loop-" + sCode);
        return false;
    }
    default: return false;
    }
}

bool clsTreeDDcp::CanDeleteSegment(const TreeNode& nd, const SchemaEntry& def)
{
    if (gfDnodeIsEnvelope(nd))
        return false;
    const std::string sParentCode = gfDnodeSegType(nd.Parent());
    if (sParentCode == "ESS")
        return true;
    // A loop instance is known by its first segment: that goes with the loop only.
    if (sParentCode == "LS" && !nd.Previous() && nd.Next())
        return false;
    return !Required(def) || gfDnodeRunCount(nd) > 1;
}

bool clsTreeDDcp::CanDeleteLoop(const TreeNode& nd, const SchemaEntry& def)
{
    const TreeNode ndParent = nd.Parent();
    if (!ndParent) {
        gfIllogic("CanDelete:parent is null-" + std::string(nd.Text()));
        return false;
    }
    const std::string sParentCode = gfDnodeSegType(ndParent);
    if (sParentCode == "HLS" || sParentCode == "ELS" || !Required(def))
        return true;
    return gfDnodeSiblingCount(nd) > 1;
}

bool clsTreeDDcp::DeleteNode()
{
    return gfRunEdit(mDoc, "Delete", [this](TreeEdit& edit) { return Delete(edit, mDoc.Tree().Node(mDoc.Current())); });
}

EditEnd clsTreeDDcp::Delete(TreeEdit& edit, const TreeNode& nd)
{
    if (!nd)
        return EditEnd::Discard;
    const char kind = gfDnodeType(nd);
    const TreeNode ndParent = nd.Parent();
    if (kind == 'D' || !ndParent) {
        gfIllogic(std::string("DeleteNode: control segment-") + kind);
        return EditEnd::Discard;
    }
    const TreeNode ndNext = nd.Next();
    if (kind == 'E') {
        edit.Remove(nd.Id());
        gfRenumberDEs(edit, ndParent);
    } else if (kind == 'X' || kind == 'F' || kind == 'T' || kind == 'S' || kind == 'Z') {
        edit.Remove(nd.Id());
        if (ndParent.Children() == 0) {
            mClipboard.Release(ndParent.Id());
            edit.SetImages(ndParent.Id(), "closednull", "closednull");
        }
    } else {
        gfIllogic(std::string("DeleteNode:unknown system loop") + kind);
        return EditEnd::Discard;
    }
    edit.selectAfter = ndNext ? ndNext.Id() : ndParent.Id();
    return EditEnd::Changed;
}

bool clsTreeDDcp::CanCC()
{
    const TreeNode nd = mDoc.Tree().Node(mDoc.Current());
    if (!nd || !nd.Parent() || !gfSchemaOf(mDoc, nd.Id()))
        return false;
    const char kind = gfDnodeType(nd);
    switch (kind) {
    case 'X':
    case 'F':
    case 'T': return nd.Children() > 0;
    case 'D':
    case 'S':
    case 'E':
    case 'Z': return false;
    default: gfMsgBox(std::string("Illogic in CanCC:Invalid type:") + kind, MsgIcon::Critical); return false;
    }
}

void clsTreeDDcp::Mark(bool bCut)
{
    if (CanCC())
        mClipboard.Mark(mDoc.Tree().Node(mDoc.Current()), bCut);
}

bool clsTreeDDcp::CanPaste()
{
    // The copy goes after the current node: only after another instance of
    // its own definition does it stand where the definition allows it.
    const TreeNode nd = mDoc.Tree().Node(mDoc.Current());
    const TreeNode ndSource = mClipboard.Source(mDoc.Tree());
    return mClipboard.SameParentLink(nd, mDoc.Tree()) && gfDnodeTagLink(nd.Tag()) == gfDnodeTagLink(ndSource.Tag()) &&
           CutMayLeave(nd);
}

bool clsTreeDDcp::CutMayLeave(const TreeNode& ndAnchor)
{
    const TreeNode ndLeaving = mClipboard.CutLeaving(ndAnchor, mDoc.Tree());
    if (!ndLeaving)
        return true;
    const SchemaIx ix = gfSchemaOf(mDoc, ndLeaving.Id());
    return ix && CanDeleteLoop(ndLeaving, mDoc.Index()[ix]);
}

bool clsTreeDDcp::CanPasteHere(const TreeNode& ndAnchor, SchemaIx anchorDef)
{
    const TreeNode ndSource = mClipboard.Source(mDoc.Tree());
    if (!ndSource) {
        gfMsgBox("Nothing to paste.", MsgIcon::Information);
        return false;
    }
    if (mClipboard.BothSet())
        gfIllogic("Copy node and Cut node are not null.");
    if (!ndAnchor || !ndAnchor.Parent() || !ndSource.Parent()) {
        gfMsgBox("No anchor node or source node.", MsgIcon::Information);
        return false;
    }
    if (!mClipboard.SameParentLink(ndAnchor, mDoc.Tree())) {
        gfMsgBox("Nodes have different parent nodes.", MsgIcon::Information);
        return false;
    }
    if (!anchorDef)
        return false;
    if (!CutMayLeave(ndAnchor)) {
        gfMsgBox("You can not delete the last system loop.", MsgIcon::Information);
        return false;
    }
    const int nMax = mDoc.Index()[anchorDef].nRepeat;
    const int nCount = gfDnodeSiblingCount(ndAnchor);
    if (nCount >= nMax) {
        gfMsgBox("Max repeat count reached. Current=" + std::to_string(nCount) + " Max=" + std::to_string(nMax),
                 MsgIcon::Information);
        return false;
    }
    return true;
}

bool clsTreeDDcp::PasteNode(SchemaIx anchorDef)
{
    return gfRunEdit(mDoc, "Paste", [&](TreeEdit& edit) {
        const TreeNode ndAnchor = mDoc.Tree().Node(mDoc.Current());
        const std::string sText =
            std::string(anchorDef ? mDoc.Index()[anchorDef].sDescription : std::string_view()) + " (Paste)";
        const NodeId copy = mClipboard.Paste(edit, ndAnchor, sText);
        if (!copy)
            return EditEnd::Discard;
        if (mDoc.Tree().IsDetached(ndAnchor.Id()))  // the anchor was the cut node
            edit.selectAfter = copy;
        return EditEnd::Changed;
    });
}

}  // namespace orr
