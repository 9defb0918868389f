// clsTree hands every call to its storage (store/TreeStorage*.cpp); what
// follows from other calls is worked out here.
#include "store/clsTree.h"

#include <utility>

#include "store/TreeNode.h"
#include "store/TreeStorage.h"

namespace orr {

clsTree::clsTree() : mS(std::make_unique<TreeStorage>(*this)) {}

clsTree::~clsTree() = default;

NodeId clsTree::Add(NodeId rel, Relation relation, const NodeInit& init) { return mS->Add(rel, relation, init); }
NodeId clsTree::AddDetached(const NodeInit& init) { return mS->AddDetached(init); }
void clsTree::Attach(NodeId detached, NodeId rel, Relation relation) { mS->Attach(detached, rel, relation); }
void clsTree::Detach(NodeId node) { mS->Detach(node); }
void clsTree::Move(NodeId node, NodeId rel, Relation relation) { mS->Move(node, rel, relation); }
void clsTree::Remove(NodeId node) { mS->Remove(node); }
void clsTree::RemoveChildren(NodeId parent, std::uint32_t nFirst, std::uint32_t nCount)
{
    mS->RemoveChildren(parent, nFirst, nCount);
}
void clsTree::RemoveAll() { mS->RemoveAll(); }
void clsTree::SwapContents(clsTree& other) { mS->SwapContents(*other.mS); }
void clsTree::StartIdsAfter(const clsTree& other) { mS->StartIdsAfter(*other.mS); }
void clsTree::ReserveNodes(std::size_t nCount) { mS->ReserveNodes(nCount); }
void clsTree::Compact() { mS->Compact(); }
bool clsTree::IsDetached(NodeId node) const { return mS->IsDetached(node); }
NodeId clsTree::FindKey(std::string_view sKey) const { return mS->FindKey(sKey); }
std::string_view clsTree::Key(NodeId node) const { return mS->Key(node); }
void clsTree::SetKey(NodeId node, std::string_view sKey) { mS->SetKey(node, sKey); }
std::string_view clsTree::Text(NodeId node) const { return mS->Text(node); }
void clsTree::SetText(NodeId node, std::string_view sText) { mS->SetText(node, sText); }
const std::string& clsTree::Tag(NodeId node) const { return mS->Tag(node); }
TagId clsTree::TagIdOf(NodeId node) const { return mS->TagIdOf(node); }
void clsTree::SetTag(NodeId node, std::string_view sTag) { mS->SetTag(node, sTag); }
ImageId clsTree::ImageOf(NodeId node) const { return mS->ImageOf(node); }
ImageId clsTree::ExpandedImageOf(NodeId node) const { return mS->ExpandedImageOf(node); }
void clsTree::SetImage(NodeId node, ImageId image) { mS->SetImage(node, image); }
void clsTree::SetExpandedImage(NodeId node, ImageId image) { mS->SetExpandedImage(node, image); }
bool clsTree::Expanded(NodeId node) const { return mS->Expanded(node); }
void clsTree::SetExpanded(NodeId node, bool bExpanded) { mS->SetExpanded(node, bExpanded); }
std::uint32_t clsTree::BackColor(NodeId node) const { return mS->BackColor(node); }
void clsTree::SetBackColor(NodeId node, std::uint32_t nRgb) { mS->SetBackColor(node, nRgb); }
std::uint8_t clsTree::BackColorIndex(NodeId node) const { return mS->BackColorIndex(node); }
ImageId clsTree::InternImage(std::string_view sImage) { return mS->InternImage(sImage); }
const std::string& clsTree::ImageText(ImageId image) const { return mS->ImageText(image); }
void clsTree::SetMaterialiser(Materialiser fn, char cSeparator) { mS->SetMaterialiser(std::move(fn), cSeparator); }
std::optional<std::string_view> clsTree::Payload(NodeId node) const { return mS->Payload(node); }
bool clsTree::ChildrenPending(NodeId node) const { return mS->ChildrenPending(node); }
NodeId clsTree::AddPayloadChild(NodeId node, std::size_t nPos, std::size_t nLength, std::string_view sTag,
                                ImageId image, ImageId expandedImage)
{
    return mS->AddPayloadChild(node, nPos, nLength, sTag, image, expandedImage);
}
NodeId clsTree::FirstChild(NodeId node) const { return mS->FirstChild(node); }
NodeId clsTree::LastChild(NodeId node) const { return mS->LastChild(node); }
NodeId clsTree::Next(NodeId node) const { return mS->Next(node); }
NodeId clsTree::Previous(NodeId node) const { return mS->Previous(node); }
NodeId clsTree::FirstSibling(NodeId node) const { return mS->FirstSibling(node); }
NodeId clsTree::LastSibling(NodeId node) const { return mS->LastSibling(node); }
NodeId clsTree::Root(NodeId node) const { return mS->Root(node); }
std::uint32_t clsTree::ChildCount(NodeId node) const { return mS->ChildCount(node); }
NodeId clsTree::Child(NodeId node, std::uint32_t nRow) const { return mS->Child(node, nRow); }
std::uint32_t clsTree::Row(NodeId node) const { return mS->Row(node); }
std::uint32_t clsTree::PeekChildCount(NodeId node) const { return mS->PeekChildCount(node); }
void clsTree::SetAllExpanded(bool bExpanded) { mS->SetAllExpanded(bExpanded); }
void clsTree::ScrollIntoView(NodeId node) { mS->ScrollIntoView(node); }
void clsTree::RequestRepaint() { mS->RequestRepaint(); }
void clsTree::AddObserver(TreeObserver* pObserver) { mS->AddObserver(pObserver); }
void clsTree::RemoveObserver(TreeObserver* pObserver) { mS->RemoveObserver(pObserver); }
void clsTree::BeginBulk() { mS->BeginBulk(); }
void clsTree::EndBulk() { mS->EndBulk(); }
std::size_t clsTree::NodeBytes() const { return mS->NodeBytes(); }
std::size_t clsTree::MemoryBytes() const { return mS->MemoryBytes(); }
NodeId clsTree::AddLike(NodeId parent, NodeId kind, std::string_view sPayload, std::size_t nPayloadHead)
{
    return mS->AddLike(parent, kind, sPayload, nPayloadHead);
}
void clsTree::AdoptText(std::unique_ptr<clsFileMapping> file) { mS->AdoptText(std::move(file)); }
bool clsTree::IsValid(NodeId node) const { return mS->IsValid(node); }
std::uint32_t clsTree::PaletteColor(std::uint8_t nIndex) const { return mS->PaletteColor(nIndex); }
std::size_t clsTree::ImageCount() const { return mS->ImageCount(); }
NodeId clsTree::Parent(NodeId node) const { return mS->Parent(node); }
char clsTree::PayloadSeparator() const { return mS->PayloadSeparator(); }
std::size_t clsTree::NodeCount() const { return mS->NodeCount(); }
std::size_t clsTree::TextBytes() const { return mS->TextBytes(); }

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
