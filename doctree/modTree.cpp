#include "doctree/modTree.h"

#include <string>
#include <vector>

#include "app/UiService.h"
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "app/modText.h"
#include "doctree/modNodeD.h"

namespace orr {
namespace {

void CopyChildren(const TreeNode& ndSource, const TreeNode& ndTarget)
{
    clsTree& tree = *ndTarget.Tree();
    for (TreeNode child = ndSource.FirstChild(); child; child = child.Next()) {
        const std::string sKey(child.Key());
        if (!sKey.empty())
            tree.SetKey(child.Id(), "");  // a key names one node: the copy takes it
        NodeInit init;
        init.sKey = sKey;
        const std::string sText(child.Text());
        init.sText = sText;
        init.sTag = child.Tag();
        init.image = tree.ImageOf(child.Id());
        init.expandedImage = tree.ExpandedImageOf(child.Id());
        init.bExpanded = child.Expanded();
        const TreeNode copy = tree.Node(tree.Add(ndTarget.Id(), Relation::Child, init));
        CopyChildren(child, copy);
    }
}

// Nodes exactly nDepth levels below nd.
void CollectLevel(const TreeNode& nd, int nDepth, std::vector<TreeNode>& out)
{
    if (nDepth == 0) {
        out.push_back(nd);
        return;
    }
    for (TreeNode c = nd.FirstChild(); c; c = c.Next())
        CollectLevel(c, nDepth - 1, out);
}

bool IsSchemaSystem(const TreeNode& nd) { return !nd.Tag().empty() && nd.Tag().compare(0, 2, "IS") == 0; }

bool IsDocContainer(const TreeNode& nd)
{
    const char kind = nd.Tag().empty() ? '\0' : gfUpper(nd.Tag()[0]);
    return kind != 'S' && kind != 'E';
}

}  // namespace

void gfRemoveSubtree(const TreeNode& nd, bool bRemoveSelf)
{
    if (!nd)
        return;
    if (bRemoveSelf) {
        nd.Tree()->Remove(nd.Id());
        return;
    }
    if (const std::uint32_t n = nd.Children())
        nd.Tree()->RemoveChildren(nd.Id(), 0, n);
}

void gfCopySubtree(const TreeNode& ndSource, const TreeNode& ndTarget)
{
    CopyChildren(ndSource, ndTarget);
    clsTree& tree = *ndTarget.Tree();
    const std::string sKey(ndSource.Key());
    if (!sKey.empty()) {
        tree.SetKey(ndSource.Id(), "");
        tree.SetKey(ndTarget.Id(), sKey);
    }
    ndTarget.SetText(std::string(ndSource.Text()));
    ndTarget.SetTag(ndSource.Tag());
    tree.SetImage(ndTarget.Id(), tree.ImageOf(ndSource.Id()));
    tree.SetExpandedImage(ndTarget.Id(), tree.ExpandedImageOf(ndSource.Id()));
    ndTarget.SetExpanded(ndSource.Expanded());
}

void gfExpandCollapseAll(clsTree& tree, bool bExpanded)
{
    std::vector<NodeId> stack;
    for (std::uint32_t i = 0; i < tree.ChildCount(NodeId{}); ++i)
        stack.push_back(tree.Child(NodeId{}, i));
    tree.BeginBulk();
    while (!stack.empty()) {
        const NodeId nd = stack.back();
        stack.pop_back();
        if (!tree.HasChildren(nd))
            continue;
        tree.SetExpanded(nd, bExpanded);
        // Elements never need walking: they have no children.
        if (tree.ChildrenPending(nd))
            continue;
        for (std::uint32_t i = 0; i < tree.ChildCount(nd); ++i)
            stack.push_back(tree.Child(nd, i));
    }
    tree.EndBulk();
}

void gfExpandLevels(const TreeNode& ndDocRoot, const TreeNode& ndSchemaRoot)
{
    const bool bLevels[4] = {gConfig->OpenDocument, gConfig->OpenISA, gConfig->OpenGS, gConfig->OpenST};
    for (int nDepth = 0; nDepth < 4; ++nDepth) {
        if (!bLevels[nDepth])
            continue;
        std::vector<TreeNode> nodes;
        if (ndDocRoot)
            CollectLevel(ndDocRoot, nDepth, nodes);
        for (const TreeNode& nd : nodes)
            if (nDepth == 0 || IsDocContainer(nd))
                nd.SetExpanded(true);
        nodes.clear();
        if (ndSchemaRoot)
            CollectLevel(ndSchemaRoot, nDepth, nodes);
        for (const TreeNode& nd : nodes)
            if (nDepth == 0 || IsSchemaSystem(nd))
                nd.SetExpanded(true);
    }
}

void gfRenumberDEs(const TreeNode& ndSegment)
{
    const char kind = gfDnodeType(ndSegment);
    if (kind != 'S') {
        gfMsgBox(std::string("gfRenumberDEs:Unknown root node:") + kind, MsgIcon::Critical);
        return;
    }
    std::size_t n = 1;
    for (TreeNode c = ndSegment.FirstChild(); c; c = c.Next())
        c.SetTag(gfDnodeElementTag(n++));
}

}  // namespace orr
