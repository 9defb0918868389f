#pragma once
// A node together with its tree: what the engines pass around.
#include "store/clsTree.h"

namespace orr {

// A default handle is the missing node; handles are two words, pass them by value.
class TreeNode {
public:
    TreeNode() = default;
    TreeNode(clsTree* pTree, NodeId id) : mTree(pTree), mId(id) {}

    // False for the missing node and for a removed one.
    explicit operator bool() const { return mTree && mTree->IsValid(mId); }
    NodeId Id() const { return mId; }
    clsTree* Tree() const { return mTree; }
    bool operator==(const TreeNode& o) const { return mId == o.mId && (mId.IsNull() || mTree == o.mTree); }

    std::string_view Key() const { return mTree ? mTree->Key(mId) : std::string_view(); }
    std::string_view Text() const { return mTree ? mTree->Text(mId) : std::string_view(); }
    const std::string& Tag() const;
    const std::string& Image() const;
    const std::string& ExpandedImage() const;
    bool Expanded() const { return mTree && mTree->Expanded(mId); }
    std::uint32_t BackColor() const { return mTree ? mTree->BackColor(mId) : kWhite; }

    void SetText(std::string_view s) const { mTree->SetText(mId, s); }
    void SetTag(std::string_view s) const { mTree->SetTag(mId, s); }
    void SetImage(std::string_view s) const { mTree->SetImage(mId, s); }
    void SetExpandedImage(std::string_view s) const { mTree->SetExpandedImage(mId, s); }
    void SetExpanded(bool b) const { mTree->SetExpanded(mId, b); }
    void SetBackColor(std::uint32_t nRgb) const { mTree->SetBackColor(mId, nRgb); }
    void EnsureVisible() const { mTree->ScrollIntoView(mId); }

    TreeNode Parent() const { return Wrap(mTree ? mTree->Parent(mId) : NodeId{}); }
    TreeNode FirstChild() const { return Wrap(mTree ? mTree->FirstChild(mId) : NodeId{}); }
    TreeNode LastChild() const { return Wrap(mTree ? mTree->LastChild(mId) : NodeId{}); }
    TreeNode Next() const { return Wrap(mTree ? mTree->Next(mId) : NodeId{}); }
    TreeNode Previous() const { return Wrap(mTree ? mTree->Previous(mId) : NodeId{}); }
    TreeNode FirstSibling() const { return Wrap(mTree ? mTree->FirstSibling(mId) : NodeId{}); }
    TreeNode LastSibling() const { return Wrap(mTree ? mTree->LastSibling(mId) : NodeId{}); }
    TreeNode Root() const { return Wrap(mTree ? mTree->Root(mId) : NodeId{}); }
    TreeNode Child(std::uint32_t nRow) const { return Wrap(mTree ? mTree->Child(mId, nRow) : NodeId{}); }
    // Number of children (0 for the missing node).
    std::uint32_t Children() const { return mTree && mId ? mTree->ChildCount(mId) : 0; }
    std::uint32_t Row() const { return mTree ? mTree->Row(mId) : 0; }

private:
    TreeNode Wrap(NodeId id) const { return id ? TreeNode(mTree, id) : TreeNode(); }
    clsTree* mTree = nullptr;
    NodeId mId;
};

inline TreeNode clsTree::Node(NodeId node) { return node ? TreeNode(this, node) : TreeNode(); }

}  // namespace orr
