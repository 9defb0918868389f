#include "editing/clsTreeDNewSegment.h"

#include "app/UiService.h"
#include "doctree/clsTreeDNewDEs.h"
#include "doctree/modNodeD.h"
#include "editing/modEdit.h"

namespace orr {

bool clsTreeDNewSegment::AddNewSegment(TreeEdit& edit, bool bBefore)
{
    clsTree& tree = mDoc.Tree();
    const TreeNode ndAnchor = tree.Node(mDoc.Current());
    const SchemaIx ix = gfSchemaOf(mDoc, ndAnchor.Id());
    if (!ndAnchor || !ix)
        return false;
    const SchemaEntry& def = mDoc.Index()[ix];
    if (def.cType != 'R') {
        gfMsgBox("This type of loop is not supported in current release.", MsgIcon::Information);
        return false;
    }
    if (def.bRepeatBad) {
        gfRepeatOf(def);  // the warning; nothing is inserted
        return false;
    }
    if (def.nRepeat == 1) {
        gfMsgBox("The maximum repeat count reached for this segment.", MsgIcon::Information);
        return false;
    }
    const int nRun = gfDnodeRunCount(ndAnchor);
    if (nRun >= def.nRepeat) {
        gfMsgBox("The maximum repeat count " + std::to_string(nRun) + " reached for this segment.",
                 MsgIcon::Information);
        return false;
    }
    const NodeId nd = gfAddDetached(tree, def.sCode, gfLinkedTag("S", def.sCode, mDoc.Index(), ix), "closed", "open");
    clsTreeDNewDEs().AddDEs(tree, tree.Node(nd), gfSchemaNode(mDoc, ix));
    edit.Attach(nd, ndAnchor.Id(), bBefore ? Relation::Previous : Relation::Next);
    return true;
}

}  // namespace orr
