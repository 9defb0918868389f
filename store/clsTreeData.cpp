// clsTree: what a node carries (texts and payloads, keys, tags, images, colours).
#include "store/TreeStorage.h"

#include <algorithm>
#include <limits>

namespace orr {
namespace {

using Ix = TreeStorage::Ix;
constexpr Ix kNone = TreeStorage::kNone;

}  // namespace

const std::string TreeStorage::kNoText;

// ---- Texts and lazy children -------------------------------------------------------------

TextRef TreeStorage::OwnText(Ix ix) const
{
    if (mNodes.Flags(ix) & kPromoted)
        return mPromoted[mNodes.Body(ix).a].text;
    return TextRef{(std::uint64_t(mNodes.Body(ix).b) << 32) | mNodes.Body(ix).a};
}

void TreeStorage::SetOwnText(Ix ix, TextRef r)
{
    if (mNodes.Flags(ix) & kPromoted)
        mPromoted[mNodes.Body(ix).a].text = r;
    else
        mNodes.Body(ix) = {std::uint32_t(r.bits), std::uint32_t(r.bits >> 32)};
}

std::size_t TreeStorage::DefaultHead(std::string_view sPayload) const
{
    const std::size_t n = mcPayloadSeparator ? sPayload.find(mcPayloadSeparator) : std::string_view::npos;
    return n == std::string_view::npos ? sPayload.size() : n;
}

std::size_t TreeStorage::HeadOf(Ix ix, std::string_view sPayload) const
{
    if (!mHeads.empty())
        if (auto it = mHeads.find(ix); it != mHeads.end())
            return std::min<std::size_t>(it->second, sPayload.size());
    return DefaultHead(sPayload);
}

void clsTree::SetMaterialiser(Materialiser fn, char cSeparator)
{
    TreeStorage& s = *mS;
    // Payload heads not stored are read up to the separator: nodes made
    // with another one keep theirs.
    if (cSeparator != s.mcPayloadSeparator)
        for (Ix ix = 1; ix < s.mNodes.size(); ++ix)
            if ((s.mNodes.Flags(ix) & (TreeStorage::kPayload | TreeStorage::kRemoved)) == TreeStorage::kPayload &&
                !s.mHeads.count(ix))
                s.mHeads[ix] = std::uint32_t(s.DefaultHead(s.mArena.View(s.OwnText(ix))));
    s.mMaterialiser = std::move(fn);
    s.mcPayloadSeparator = cSeparator;
}

void TreeStorage::MakePayloadChildren(Ix ix) const
{
    auto* self = const_cast<TreeStorage*>(this);  // logically const: the children always existed
    self->mNodes.Flags(ix) &= std::uint8_t(~kPending);
    if (!mMaterialiser)
        return;
    ++mSilent;
    try {
        mMaterialiser(*mOwner, ToId(ix), mArena.View(OwnText(ix)));
    } catch (...) {
        --mSilent;
        throw;
    }
    --mSilent;
}

void TreeStorage::DropPayload(Ix ix)
{
    if (!(mNodes.Flags(ix) & kPayload))
        return;
    Materialise(ix);
    const TextRef full = OwnText(ix);
    SetOwnText(ix, mArena.Slice(full, 0, HeadOf(ix, mArena.View(full))));
    mNodes.Flags(ix) &= std::uint8_t(~kPayload);
    if (!mHeads.empty())
        mHeads.erase(ix);
}

void TreeStorage::TouchChildOf(Ix parent)
{
    if (mSilent == 0 && parent != kNone && (mNodes.Flags(parent) & kPayload))
        DropPayload(parent);
}

std::optional<std::string_view> clsTree::Payload(NodeId node) const
{
    const TreeStorage& s = *mS;
    const Ix ix = s.ToIx(node);
    if (ix == kNone || !(s.mNodes.Flags(ix) & TreeStorage::kPayload))
        return std::nullopt;
    return s.mArena.View(s.OwnText(ix));
}

bool clsTree::ChildrenPending(NodeId node) const
{
    const TreeStorage& s = *mS;
    const Ix ix = s.ToIx(node);
    return ix != kNone && (s.mNodes.Flags(ix) & TreeStorage::kPending);
}

NodeId clsTree::AddPayloadChild(NodeId node, std::size_t nPos, std::size_t nLength, std::string_view sTag,
                                ImageId image, ImageId expandedImage)
{
    TreeStorage& s = *mS;
    const Ix ix = s.CheckedIx(node, "AddPayloadChild");
    if (!(s.mNodes.Flags(ix) & TreeStorage::kPayload))
        throw TreeError("AddPayloadChild: the node has no payload");
    const TextRef r = s.mArena.Slice(s.OwnText(ix), nPos, nLength);
    NodeInit init;
    init.sTag = sTag;
    init.image = image;
    init.expandedImage = expandedImage;
    const Ix child = s.NewNode(init, TreeStorage::kLeaf);
    s.SetOwnText(child, r);
    s.Place(ix, Relation::Child, child);
    return s.ToId(child);
}

std::uint32_t TreeStorage::PayloadChildren(Ix ix) const
{
    if (!mcPayloadSeparator || !mMaterialiser)
        return 0;
    const std::string_view s = mArena.View(OwnText(ix));
    return std::uint32_t(std::count(s.begin(), s.end(), mcPayloadSeparator));
}

// ---- Node data --------------------------------------------------------------------------

void TreeStorage::NotifyChanged(Ix ix, unsigned nWhat)
{
    if (Quiet() || (mNodes.Flags(ix) & kDetached))
        return;
    for (TreeObserver* o : mObservers)
        o->Changed(ToId(ix), nWhat);
}

bool clsTree::IsDetached(NodeId node) const
{
    const TreeStorage& s = *mS;
    const Ix ix = s.ToIx(node);
    return ix != kNone && (s.mNodes.Flags(ix) & TreeStorage::kDetached);
}

NodeId clsTree::FindKey(std::string_view sKey) const
{
    const TreeStorage& s = *mS;
    auto it = s.mByKey.find(sKey);
    return it == s.mByKey.end() ? NodeId{} : s.ToId(it->second);
}

std::string_view clsTree::Key(NodeId node) const
{
    const TreeStorage& s = *mS;
    const Ix ix = s.ToIx(node);
    if (ix == kNone || !(s.mNodes.Flags(ix) & TreeStorage::kHasKey))
        return {};
    return *s.mKeyOf.find(ix)->second;
}

void clsTree::SetKey(NodeId node, std::string_view sKey)
{
    TreeStorage& s = *mS;
    const Ix ix = s.CheckedIx(node, "SetKey");
    if (Key(node) == sKey)
        return;
    if (!sKey.empty() && s.mByKey.find(sKey) != s.mByKey.end())
        throw TreeError("Key is not unique in collection");
    if (s.mNodes.Flags(ix) & TreeStorage::kHasKey) {
        auto it = s.mKeyOf.find(ix);
        s.mByKey.erase(s.mByKey.find(*it->second));
        s.mKeyOf.erase(it);
        s.mNodes.Flags(ix) &= std::uint8_t(~TreeStorage::kHasKey);
    }
    if (!sKey.empty()) {
        auto [pos, bNew] = s.mByKey.emplace(std::string(sKey), ix);
        s.mKeyOf[ix] = &pos->first;
        s.mNodes.Flags(ix) |= TreeStorage::kHasKey;
    }
    s.NotifyChanged(ix, kChangeKey);
}

std::string_view TreeStorage::TextOf(Ix ix) const
{
    if (!(mNodes.Flags(ix) & kLeaf))
        return mArena.View(ClassOf(ix).text);
    const std::string_view s = mArena.View(OwnText(ix));
    return (mNodes.Flags(ix) & kPayload) ? s.substr(0, HeadOf(ix, s)) : s;
}

std::string_view clsTree::Text(NodeId node) const
{
    const TreeStorage& s = *mS;
    const Ix ix = s.ToIx(node);
    return ix == kNone ? std::string_view() : s.TextOf(ix);
}

void clsTree::SetText(NodeId node, std::string_view sText)
{
    TreeStorage& s = *mS;
    const Ix ix = s.CheckedIx(node, "SetText");
    s.DropPayload(ix);
    if (s.mNodes.Flags(ix) & TreeStorage::kLeaf) {
        s.SetOwnText(ix, s.mArena.Add(sText));
    } else {
        TreeStorage::NodeClass c = s.ClassOf(ix);
        c.text = s.SharedText(sText);
        s.Reclass(ix, c);
    }
    s.TouchChildOf(s.ParentOf(ix));
    s.NotifyChanged(ix, kChangeText);
}

const std::string& clsTree::Tag(NodeId node) const
{
    const TreeStorage& s = *mS;
    const Ix ix = s.ToIx(node);
    return ix == kNone ? TreeStorage::kNoText : s.mTags.Text(s.ClassOf(ix).tag);
}

TagId clsTree::TagIdOf(NodeId node) const
{
    const TreeStorage& s = *mS;
    const Ix ix = s.ToIx(node);
    return ix == kNone ? TagId{} : TagId{s.ClassOf(ix).tag};
}

void clsTree::SetTag(NodeId node, std::string_view sTag)
{
    TreeStorage& s = *mS;
    const Ix ix = s.CheckedIx(node, "SetTag");
    TreeStorage::NodeClass c = s.ClassOf(ix);
    c.tag = s.mTags.Intern(sTag);
    s.Reclass(ix, c);
    s.TouchChildOf(s.ParentOf(ix));
    s.NotifyChanged(ix, kChangeTag);
}

ImageId clsTree::InternImage(std::string_view sImage)
{
    TreeStorage& s = *mS;
    const std::uint32_t n = s.mImages.Intern(sImage);
    if (n > std::numeric_limits<std::uint8_t>::max())
        throw TreeError("too many image keys");
    return ImageId{std::uint16_t(n)};
}

const std::string& clsTree::ImageText(ImageId image) const
{
    const TreeStorage& s = *mS;
    return image.value < s.mImages.Count() ? s.mImages.Text(image.value) : TreeStorage::kNoText;
}

ImageId clsTree::ImageOf(NodeId node) const
{
    const TreeStorage& s = *mS;
    const Ix ix = s.ToIx(node);
    return ix == kNone ? ImageId{} : ImageId{s.ClassOf(ix).image};
}

ImageId clsTree::ExpandedImageOf(NodeId node) const
{
    const TreeStorage& s = *mS;
    const Ix ix = s.ToIx(node);
    return ix == kNone ? ImageId{} : ImageId{s.ClassOf(ix).expImage};
}

void clsTree::SetImage(NodeId node, ImageId image)
{
    TreeStorage& s = *mS;
    s.SetImageOf(s.CheckedIx(node, "SetImage"), image, false);
}

void clsTree::SetExpandedImage(NodeId node, ImageId image)
{
    TreeStorage& s = *mS;
    s.SetImageOf(s.CheckedIx(node, "SetExpandedImage"), image, true);
}

void TreeStorage::SetImageOf(Ix ix, ImageId image, bool bExpanded)
{
    NodeClass c = ClassOf(ix);
    std::uint8_t& n = bExpanded ? c.expImage : c.image;
    if (n == image.value)
        return;
    n = std::uint8_t(image.value);
    Reclass(ix, c);
    NotifyChanged(ix, kChangeImage);
}

bool clsTree::Expanded(NodeId node) const
{
    const TreeStorage& s = *mS;
    const Ix ix = s.ToIx(node);
    return ix != kNone && (s.mNodes.Flags(ix) & TreeStorage::kExpanded);
}

void clsTree::SetExpanded(NodeId node, bool bExpanded)
{
    TreeStorage& s = *mS;
    const Ix ix = s.CheckedIx(node, "SetExpanded");
    if (bool(s.mNodes.Flags(ix) & TreeStorage::kExpanded) == bExpanded)
        return;
    if (bExpanded)
        s.mNodes.Flags(ix) |= TreeStorage::kExpanded;
    else
        s.mNodes.Flags(ix) &= std::uint8_t(~TreeStorage::kExpanded);
    s.NotifyChanged(ix, kChangeExpanded);
}

std::uint8_t TreeStorage::PaletteIndex(std::uint32_t nRgb)
{
    nRgb &= 0xFFFFFF;
    auto it = std::find(mPalette.begin(), mPalette.end(), nRgb);
    if (it != mPalette.end())
        return std::uint8_t(it - mPalette.begin());
    if (mPalette.size() > std::numeric_limits<std::uint8_t>::max())
        throw TreeError("too many background colours");
    mPalette.push_back(nRgb);
    return std::uint8_t(mPalette.size() - 1);
}

std::uint32_t clsTree::BackColor(NodeId node) const
{
    const TreeStorage& s = *mS;
    const Ix ix = s.ToIx(node);
    return ix == kNone ? kWhite : s.mPalette[s.ClassOf(ix).color];
}

std::uint8_t clsTree::BackColorIndex(NodeId node) const
{
    const TreeStorage& s = *mS;
    const Ix ix = s.ToIx(node);
    return ix == kNone ? 0 : s.ClassOf(ix).color;
}

void clsTree::SetBackColor(NodeId node, std::uint32_t nRgb)
{
    TreeStorage& s = *mS;
    const Ix ix = s.CheckedIx(node, "SetBackColor");
    TreeStorage::NodeClass c = s.ClassOf(ix);
    const std::uint8_t n = s.PaletteIndex(nRgb);
    if (c.color == n)
        return;
    c.color = n;
    s.Reclass(ix, c);
    s.NotifyChanged(ix, kChangeBackColor);
}

}  // namespace orr
