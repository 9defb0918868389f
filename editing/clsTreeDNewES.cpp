#include "editing/clsTreeDNewES.h"

#include "app/UiService.h"
#include "doctree/clsTreeDNewDEs.h"
#include "editing/modEdit.h"

namespace orr {

bool clsTreeDNewES::BuildES(TreeEdit& edit, NodeId container, Relation relation, SchemaIx segmentDef)
{
    if (!segmentDef)
        return false;
    clsTree& tree = mDoc.Tree();
    const SchemaIndex& index = mDoc.Index();
    const SchemaEntry& def = index[segmentDef];
    const std::int16_t nY = index[def.parent].nY;
    int nCount = 0;
    for (TreeNode c = tree.Node(container).FirstChild(); c; c = c.Next())
        nCount += gfKeyCounts(index, segmentDef, c, nY);
    if (nCount >= gfRepeatOf(def)) {
        gfMsgBox("The maximum repeat count for this segment has reached.", MsgIcon::Information);
        return false;
    }
    const TreeNode nd = tree.Node(
        gfAddDetached(tree, def.sCode, gfLinkedTag("S", def.sCode, index, segmentDef), "closed", "open", true));
    clsTreeDNewDEs elements;
    elements.AddDEs(tree, nd, gfSchemaNode(mDoc, segmentDef));
    elements.SetDeValue(nd, nY, gfKeyToWrite(def));
    if (relation == Relation::Child)
        edit.Attach(nd.Id(), container, Relation::Child);
    else
        edit.Attach(nd.Id(), mDoc.Current(), relation);
    edit.SetImages(container, "closeddata", "opendata");
    return true;
}

}  // namespace orr
