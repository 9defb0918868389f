#include "editing/clsTreeDNewHL.h"

#include <cstdlib>
#include <vector>

#include "app/UiService.h"
#include "app/modSystem.h"
#include "doctree/clsTreeDNewDEs.h"
#include "editing/modEdit.h"

namespace orr {

int clsTreeDNewHL::CountKeyedLoops(const TreeNode& ndContainer, std::int16_t nX, std::int16_t nY, SchemaIx loopDef)
{
    if (nX != 1) {
        gfIllogic("Key segment must be 1. nSeg = " + std::to_string(nX));
        return 0;
    }
    int nCount = 0;
    for (TreeNode loop = ndContainer.FirstChild(); loop; loop = loop.Next())
        nCount += gfKeyCounts(mDoc.Index(), loopDef, loop.FirstChild(), nY);
    return nCount;
}

void clsTreeDNewHL::SetLoopKey(const TreeNode& ndLoop, std::int16_t nX, std::int16_t nY, const std::string& sKey)
{
    if (nX != 1)
        gfIllogic("key segment must be one. nSegment:" + std::to_string(nX));
    else if (!ndLoop.FirstChild())
        gfIllogic("System Loop has no child.");
    else
        clsTreeDNewDEs().SetDeValue(ndLoop.FirstChild(), nY, sKey);
}

bool clsTreeDNewHL::RepeatReached(const TreeNode& ndContainer, SchemaIx loopDef)
{
    const SchemaIndex& index = mDoc.Index();
    const SchemaEntry& container = index[index[loopDef].parent];
    if (CountKeyedLoops(ndContainer, container.nX, container.nY, loopDef) < gfRepeatOf(index[loopDef]))
        return false;
    gfMsgBox("The maximum repeat count for this segment has reached.", MsgIcon::Information);
    return true;
}

TreeNode clsTreeDNewHL::NewLoop(SchemaIx loopDef)
{
    clsTree& tree = mDoc.Tree();
    const SchemaEntry& def = mDoc.Index()[loopDef];
    const TreeNode nd =
        tree.Node(gfAddDetached(tree, std::string(def.sDescription) + " (New)",
                                gfLinkedTag("Z", def.sCode, mDoc.Index(), loopDef), "closeddata", "opendata", true));
    if (gfBuildDefault(mDoc, nd.Id(), loopDef))
        return nd;
    tree.Remove(nd.Id());
    return {};
}

bool clsTreeDNewHL::BuildEL(TreeEdit& edit, NodeId container, Relation relation, SchemaIx loopDef)
{
    const TreeNode ndContainer = mDoc.Tree().Node(container);
    if (RepeatReached(ndContainer, loopDef))
        return false;
    const TreeNode nd = NewLoop(loopDef);
    if (!nd)
        return false;
    SetNewLoopKey(nd, loopDef);
    edit.Attach(nd.Id(), relation == Relation::Child ? container : mDoc.Current(), relation);
    edit.SetImages(container, "closeddata", "opendata");
    return true;
}

void clsTreeDNewHL::SetNewLoopKey(const TreeNode& ndLoop, SchemaIx loopDef)
{
    const SchemaIndex& index = mDoc.Index();
    const SchemaEntry& container = index[index[loopDef].parent];
    SetLoopKey(ndLoop, container.nX, container.nY, gfKeyToWrite(index[loopDef]));
}

clsTreeDNewHL::Ids clsTreeDNewHL::SelectParentHL(const TreeNode& ndContainer)
{
    if (!ndContainer.FirstChild())
        return {0, 1};
    // The new id is one above the highest id present, and at least 1.
    Ids ids{-1, 1};
    std::vector<std::string> lines{"No parent. (Top level HL)"};
    std::vector<long> lineIds{0};
    for (TreeNode loop = ndContainer.FirstChild(); loop; loop = loop.Next()) {
        if (!loop.FirstChild()) {
            gfIllogic("HL Loop have no child." + std::string(loop.Text()));
            continue;
        }
        const std::string sId = clsTreeDNewDEs().GetDeValue(loop.FirstChild(), kHL01);
        const long nId = std::strtol(sId.c_str(), nullptr, 10);
        lines.push_back("HL " + sId + " " + std::string(loop.Text()));
        lineIds.push_back(nId);
        if (nId >= ids.nNew)
            ids.nNew = nId + 1;
    }
    const int nChosen = gfUi().ChooseFromList("Select Parent HL", "Select Parent HL", lines, -1);
    if (nChosen >= 0 && std::size_t(nChosen) < lines.size())
        ids.nParent = lineIds[std::size_t(nChosen)];
    return ids;
}

bool clsTreeDNewHL::BuildHL(TreeEdit& edit, NodeId container, Relation relation, SchemaIx loopDef)
{
    const TreeNode ndContainer = mDoc.Tree().Node(container);
    const Ids ids = SelectParentHL(ndContainer);
    if (ids.nParent < 0) {
        gfMsgBox("You did not select a parent for the new HL.", MsgIcon::Information);
        return false;
    }
    if (RepeatReached(ndContainer, loopDef))
        return false;
    if (relation != Relation::Child)
        gfMsgBox("The new HL loop will be added as the LAST HL", MsgIcon::Information);
    const TreeNode nd = NewLoop(loopDef);
    if (!nd)
        return false;
    if (const TreeNode ndHL = nd.FirstChild()) {
        clsTreeDNewDEs elements;
        elements.SetDeValue(ndHL, kHL01, std::to_string(ids.nNew));
        if (ids.nParent > 0)
            elements.SetDeValue(ndHL, kHL02, std::to_string(ids.nParent));
        elements.SetDeValue(ndHL, kHL03, gfKeyToWrite(mDoc.Index()[loopDef]));
        elements.SetDeValue(ndHL, kHL04, "0");
    } else {
        gfIllogic("No HL segment was built." + std::string(nd.Text()) + kCrLf + nd.Tag());
    }
    edit.Attach(nd.Id(), container, Relation::Child);
    edit.SetImages(container, "closeddata", "opendata");
    return true;
}

}  // namespace orr
