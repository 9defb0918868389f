#include "editing/EditClipboard.h"

#include "doctree/modNodeD.h"
#include "doctree/modTree.h"

namespace orr {
namespace {

bool Marked(std::string_view sImage) { return sImage.starts_with("cut") || sImage.starts_with("cop"); }

}  // namespace

void EditClipboard::Mark(const TreeNode& nd, bool bCut)
{
    Clear();
    mTree = nd.Tree();
    (bCut ? mCut : mCopy) = nd.Id();
    const char* sPrefix = bCut ? "cut" : "cop";
    nd.SetImage(sPrefix + nd.Image());
    nd.SetExpandedImage(sPrefix + nd.ExpandedImage());
}

void EditClipboard::Unmark(clsTree& tree, NodeId node)
{
    if (!tree.IsValid(node))
        return;
    // Only a mark is taken off: an undo may have put other images there since.
    if (const std::string& s = tree.Image(node); Marked(s))
        tree.SetImage(node, s.substr(3));
    if (const std::string& s = tree.ExpandedImage(node); Marked(s))
        tree.SetExpandedImage(node, s.substr(3));
}

void EditClipboard::Clear()
{
    if (mTree) {
        Unmark(*mTree, mCut);
        Unmark(*mTree, mCopy);
    }
    mCut = mCopy = {};
}

void EditClipboard::Release(NodeId nd)
{
    if (nd && (nd == mCopy || nd == mCut))
        Clear();
}

TreeNode EditClipboard::Source(clsTree& tree) const
{
    const NodeId node = mCopy ? mCopy : mCut;
    if (&tree != mTree || !tree.IsValid(node) || tree.IsDetached(node))
        return {};
    return tree.Node(node);
}

bool EditClipboard::SameParentLink(const TreeNode& nd, clsTree& tree) const
{
    const TreeNode ndSource = Source(tree);
    if (!nd || !ndSource || !nd.Parent() || !ndSource.Parent())
        return false;
    return gfDnodeTagLink(nd.Parent().Tag()) == gfDnodeTagLink(ndSource.Parent().Tag());
}

TreeNode EditClipboard::CutLeaving(const TreeNode& ndAnchor, clsTree& tree) const
{
    const TreeNode ndSource = Source(tree);
    if (mCopy || !ndSource || !ndAnchor || ndAnchor.Parent().Id() == ndSource.Parent().Id())
        return {};
    return ndSource;
}

NodeId EditClipboard::Paste(TreeEdit& edit, const TreeNode& ndAnchor, const std::optional<std::string>& sText)
{
    clsTree& tree = edit.Tree();
    const TreeNode ndSource = Source(tree);
    const bool bCut = !mCopy;
    Clear();
    if (!ndSource || !ndAnchor)
        return {};
    const TreeNode ndCopy = tree.Node(tree.AddDetached({}));
    gfCopySubtree(ndSource, ndCopy);
    if (sText)
        ndCopy.SetText(*sText);
    edit.Attach(ndCopy.Id(), ndAnchor.Id(), Relation::Next);
    if (bCut)
        edit.Remove(ndSource.Id());
    return ndCopy.Id();
}

}  // namespace orr
