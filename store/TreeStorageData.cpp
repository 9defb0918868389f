// What a node carries: texts and payloads, keys, tags, images, colours.
#include "store/TreeStorage.h"

#include <algorithm>
#include <limits>

namespace orr {

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

bool TreeStorage::IsDefaultHead(std::string_view sPayload, std::size_t nHead) const
{
    // The head is a segment's identifier: a few characters, no library search.
    if (!mcPayloadSeparator)
        return nHead == sPayload.size();
    if (nHead < sPayload.size() && sPayload[nHead] != mcPayloadSeparator)
        return false;
    for (std::size_t i = 0; i < nHead; ++i)
        if (sPayload[i] == mcPayloadSeparator)
            return false;
    return true;
}

std::size_t TreeStorage::HeadOf(Ix ix, std::string_view sPayload) const
{
    if (!mHeads.empty())
        if (auto it = mHeads.find(ix); it != mHeads.end())
            return std::min<std::size_t>(it->second, sPayload.size());
    return DefaultHead(sPayload);
}

void TreeStorage::SetMaterialiser(Materialiser fn, char cSeparator)
{
    // Payload heads not stored are read up to the separator: nodes made
    // with another one keep theirs.
    if (cSeparator != mcPayloadSeparator)
        for (Ix ix = 1; ix < mNodes.size(); ++ix)
            if ((mNodes.Flags(ix) & (kPayload | kRemoved)) == kPayload && !mHeads.count(ix))
                mHeads[ix] = std::uint32_t(DefaultHead(mArena.View(OwnText(ix))));
    mMaterialiser = std::move(fn);
    mcPayloadSeparator = cSeparator;
}

void TreeStorage::MakePayloadChildren(Ix ix) const
{
    auto* self = const_cast<TreeStorage*>(this);  // logically const: the children always existed
    self->mNodes.Flags(ix) &= std::uint8_t(~kPending);
    if (!mMaterialiser)
        return;
    ++mSilent;
    try {
        mMaterialiser(mOwner, ToId(ix), mArena.View(OwnText(ix)));
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

std::optional<std::string_view> TreeStorage::Payload(NodeId node) const
{
    const Ix ix = ToIx(node);
    if (ix == kNone || !(mNodes.Flags(ix) & kPayload))
        return std::nullopt;
    return mArena.View(OwnText(ix));
}

bool TreeStorage::ChildrenPending(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix != kNone && (mNodes.Flags(ix) & kPending);
}

NodeId TreeStorage::AddPayloadChild(NodeId node, std::size_t nPos, std::size_t nLength, std::string_view sTag,
                                    ImageId image, ImageId expandedImage)
{
    const Ix ix = CheckedIx(node, "AddPayloadChild");
    if (!(mNodes.Flags(ix) & kPayload))
        throw TreeError("AddPayloadChild: the node has no payload");
    const TextRef r = mArena.Slice(OwnText(ix), nPos, nLength);
    NodeInit init;
    init.sTag = sTag;
    init.image = image;
    init.expandedImage = expandedImage;
    const Ix child = NewNode(init, kLeaf);
    SetOwnText(child, r);
    Place(ix, Relation::Child, child);
    return ToId(child);
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

bool TreeStorage::IsDetached(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix != kNone && (mNodes.Flags(ix) & kDetached);
}

NodeId TreeStorage::FindKey(std::string_view sKey) const
{
    auto it = mByKey.find(sKey);
    return it == mByKey.end() ? NodeId{} : ToId(it->second);
}

std::string_view TreeStorage::Key(NodeId node) const
{
    const Ix ix = ToIx(node);
    if (ix == kNone || !(mNodes.Flags(ix) & kHasKey))
        return {};
    return *mKeyOf.find(ix)->second;
}

void TreeStorage::SetKey(NodeId node, std::string_view sKey)
{
    const Ix ix = CheckedIx(node, "SetKey");
    if (Key(node) == sKey)
        return;
    if (!sKey.empty() && mByKey.find(sKey) != mByKey.end())
        throw TreeError("Key is not unique in collection");
    if (mNodes.Flags(ix) & kHasKey) {
        auto it = mKeyOf.find(ix);
        mByKey.erase(mByKey.find(*it->second));
        mKeyOf.erase(it);
        mNodes.Flags(ix) &= std::uint8_t(~kHasKey);
    }
    if (!sKey.empty()) {
        auto [pos, bNew] = mByKey.emplace(std::string(sKey), ix);
        mKeyOf[ix] = &pos->first;
        mNodes.Flags(ix) |= kHasKey;
    }
    NotifyChanged(ix, kChangeKey);
}

std::string_view TreeStorage::TextOf(Ix ix) const
{
    if (!(mNodes.Flags(ix) & kLeaf))
        return mArena.View(ClassOf(ix).text);
    const std::string_view s = mArena.View(OwnText(ix));
    return (mNodes.Flags(ix) & kPayload) ? s.substr(0, HeadOf(ix, s)) : s;
}

std::string_view TreeStorage::Text(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? std::string_view() : TextOf(ix);
}

void TreeStorage::SetText(NodeId node, std::string_view sText)
{
    const Ix ix = CheckedIx(node, "SetText");
    DropPayload(ix);
    if (mNodes.Flags(ix) & kLeaf) {
        SetOwnText(ix, mArena.Add(sText));
    } else {
        NodeClass c = ClassOf(ix);
        c.text = SharedText(sText);
        Reclass(ix, c);
    }
    TouchChildOf(ParentOf(ix));
    NotifyChanged(ix, kChangeText);
}

const std::string& TreeStorage::Tag(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? kNoText : mTags.Text(ClassOf(ix).tag);
}

TagId TreeStorage::TagIdOf(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? TagId{} : TagId{ClassOf(ix).tag};
}

void TreeStorage::SetTag(NodeId node, std::string_view sTag)
{
    const Ix ix = CheckedIx(node, "SetTag");
    NodeClass c = ClassOf(ix);
    c.tag = mTags.Intern(sTag);
    Reclass(ix, c);
    TouchChildOf(ParentOf(ix));
    NotifyChanged(ix, kChangeTag);
}

ImageId TreeStorage::InternImage(std::string_view sImage)
{
    const std::uint32_t n = mImages.Intern(sImage);
    if (n > std::numeric_limits<std::uint8_t>::max())
        throw TreeError("too many image keys");
    return ImageId{std::uint16_t(n)};
}

const std::string& TreeStorage::ImageText(ImageId image) const
{
    return image.value < mImages.Count() ? mImages.Text(image.value) : kNoText;
}

ImageId TreeStorage::ImageOf(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? ImageId{} : ImageId{ClassOf(ix).image};
}

ImageId TreeStorage::ExpandedImageOf(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? ImageId{} : ImageId{ClassOf(ix).expImage};
}

void TreeStorage::SetImage(NodeId node, ImageId image) { SetImageOf(CheckedIx(node, "SetImage"), image, false); }

void TreeStorage::SetExpandedImage(NodeId node, ImageId image)
{
    SetImageOf(CheckedIx(node, "SetExpandedImage"), image, true);
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

bool TreeStorage::Expanded(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix != kNone && (mNodes.Flags(ix) & kExpanded);
}

void TreeStorage::SetExpanded(NodeId node, bool bExpanded)
{
    const Ix ix = CheckedIx(node, "SetExpanded");
    if (bool(mNodes.Flags(ix) & kExpanded) == bExpanded)
        return;
    if (bExpanded)
        mNodes.Flags(ix) |= kExpanded;
    else
        mNodes.Flags(ix) &= std::uint8_t(~kExpanded);
    NotifyChanged(ix, kChangeExpanded);
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

std::uint32_t TreeStorage::BackColor(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? kWhite : mPalette[ClassOf(ix).color];
}

std::uint8_t TreeStorage::BackColorIndex(NodeId node) const
{
    const Ix ix = ToIx(node);
    return ix == kNone ? 0 : ClassOf(ix).color;
}

void TreeStorage::SetBackColor(NodeId node, std::uint32_t nRgb)
{
    const Ix ix = CheckedIx(node, "SetBackColor");
    NodeClass c = ClassOf(ix);
    const std::uint8_t n = PaletteIndex(nRgb);
    if (c.color == n)
        return;
    c.color = n;
    Reclass(ix, c);
    NotifyChanged(ix, kChangeBackColor);
}

}  // namespace orr
