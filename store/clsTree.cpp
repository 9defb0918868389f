// clsTree's calls that need little of the representation; the others are in
// store/clsTreeEdits.cpp, clsTreeData.cpp and clsTreeNavigation.cpp.
#include "store/clsTree.h"

#include <utility>

#include "store/TreeNode.h"
#include "store/TreeStorage.h"

namespace orr {

clsTree::clsTree() : mS(std::make_unique<TreeStorage>(*this)) {}

clsTree::~clsTree() = default;

void clsTree::AdoptText(std::unique_ptr<clsFileMapping> file) { mS->mArena.Adopt(std::move(file)); }

bool clsTree::IsValid(NodeId node) const { return mS->ToIx(node) != TreeStorage::kNone; }

NodeId clsTree::Parent(NodeId node) const
{
    const TreeStorage& s = *mS;
    const TreeStorage::Ix ix = s.ToIx(node);
    return ix == TreeStorage::kNone ? NodeId{} : s.ToId(s.ParentOf(ix));
}

std::uint32_t clsTree::PaletteColor(std::uint8_t nIndex) const { return mS->mPalette[nIndex]; }

std::size_t clsTree::ImageCount() const { return mS->mImages.Count(); }

char clsTree::PayloadSeparator() const { return mS->mcPayloadSeparator; }

std::size_t clsTree::NodeCount() const { return mS->mLive; }

std::size_t clsTree::TextBytes() const { return mS->mArena.Bytes(); }

// ---- From other calls ----------------------------------------------------------

NodeId clsTree::Add(NodeId rel, Relation relation, std::string_view sKey, std::string_view sText,
                    std::string_view sImage, std::string_view sExpandedImage)
{
    NodeInit init;
    init.sKey = sKey;
    init.sText = sText;
    init.image = InternImage(sImage);
    init.expandedImage = InternImage(sExpandedImage);
    return Add(rel, relation, init);
}

const std::string& clsTree::Image(NodeId node) const { return ImageText(ImageOf(node)); }

const std::string& clsTree::ExpandedImage(NodeId node) const { return ImageText(ExpandedImageOf(node)); }

void clsTree::SetImage(NodeId node, std::string_view sImage) { SetImage(node, InternImage(sImage)); }

void clsTree::SetExpandedImage(NodeId node, std::string_view sImage) { SetExpandedImage(node, InternImage(sImage)); }

bool clsTree::HasChildren(NodeId node) const { return PeekChildCount(node) > 0; }

// ---- TreeNode ---------------------------------------------------------------------------------

const std::string& TreeNode::Tag() const { return mTree ? mTree->Tag(mId) : TreeStorage::kNoText; }
const std::string& TreeNode::Image() const { return mTree ? mTree->Image(mId) : TreeStorage::kNoText; }
const std::string& TreeNode::ExpandedImage() const { return mTree ? mTree->ExpandedImage(mId) : TreeStorage::kNoText; }

}  // namespace orr
