#include "doctree/TreeEdit.h"

#include <algorithm>

namespace orr {

TreeEdit::~TreeEdit()
{
    if (!mTree)
        return;
    // Subtrees that stay out whichever way the command stands are freed.
    for (const Step& step : mSteps) {
        NodeId out;
        if (const auto* r = std::get_if<Removed>(&step); r && mbApplied)
            out = r->node;
        else if (const auto* i = std::get_if<Inserted>(&step); i && !mbApplied)
            out = i->node;
        if (out && mTree->IsValid(out) && mTree->IsDetached(out) && !mTree->Parent(out))
            mTree->Remove(out);
    }
}

TreeEdit::Place TreeEdit::PlaceOf(NodeId node) const { return {mTree->Parent(node), mTree->Row(node)}; }

void TreeEdit::PutAt(NodeId node, Place at, bool bDetached)
{
    // Attach or move so that the node ends at row at.nRow of at.parent.
    const bool bSameParent = !bDetached && mTree->Parent(node) == at.parent;
    const std::uint32_t nCount = mTree->ChildCount(at.parent) - (bSameParent ? 1u : 0u);
    NodeId rel = at.parent;
    Relation relation = Relation::Child;
    if (at.nRow < nCount) {
        const std::uint32_t nNow = bSameParent ? mTree->Row(node) : nCount + 1;
        if (bSameParent && nNow == at.nRow)
            return;
        // Among the other children, the one now at the target row.
        const std::uint32_t nRel = bSameParent && nNow < at.nRow ? at.nRow + 1 : at.nRow;
        rel = mTree->Child(at.parent, nRel);
        relation = Relation::Previous;
    }
    if (bDetached)
        mTree->Attach(node, rel, relation);
    else
        mTree->Move(node, rel, relation);
}

NodeId TreeEdit::Add(NodeId rel, Relation relation, const NodeInit& init)
{
    const NodeId node = mTree->Add(rel, relation, init);
    mSteps.push_back(Inserted{node, PlaceOf(node)});
    return node;
}

void TreeEdit::Adopt(NodeId node) { mSteps.push_back(Inserted{node, PlaceOf(node)}); }

void TreeEdit::Attach(NodeId detached, NodeId rel, Relation relation)
{
    mTree->Attach(detached, rel, relation);
    mSteps.push_back(Inserted{detached, PlaceOf(detached)});
}

void TreeEdit::Remove(NodeId node)
{
    const Place at = PlaceOf(node);
    mTree->Detach(node);
    mSteps.push_back(Removed{node, at});
}

void TreeEdit::Move(NodeId node, NodeId rel, Relation relation)
{
    const Place from = PlaceOf(node);
    mTree->Move(node, rel, relation);
    mSteps.push_back(Moved{node, from, PlaceOf(node)});
}

void TreeEdit::SetText(NodeId node, std::string_view sText)
{
    Text step{node, std::string(mTree->Text(node)), std::string(sText), false};
    mTree->SetText(node, sText);
    mSteps.push_back(std::move(step));
}

void TreeEdit::SetTag(NodeId node, std::string_view sTag)
{
    Text step{node, mTree->Tag(node), std::string(sTag), true};
    mTree->SetTag(node, sTag);
    mSteps.push_back(std::move(step));
}

void TreeEdit::SetImages(NodeId node, std::string_view sImage, std::string_view sExpandedImage)
{
    Images step{node, mTree->Image(node), mTree->ExpandedImage(node), std::string(sImage),
                std::string(sExpandedImage)};
    mTree->SetImage(node, sImage);
    mTree->SetExpandedImage(node, sExpandedImage);
    mSteps.push_back(std::move(step));
}

void TreeEdit::SwapTree(std::unique_ptr<clsTree> other)
{
    mTree->SwapContents(*other);
    mSteps.push_back(Swapped{std::move(other)});
}

bool TreeEdit::SwapsTree() const
{
    return std::any_of(mSteps.begin(), mSteps.end(),
                       [](const Step& step) { return std::holds_alternative<Swapped>(step); });
}

void TreeEdit::SetExpanded(NodeId node, bool bExpanded)
{
    if (mTree->Expanded(node) == bExpanded)
        return;
    mTree->SetExpanded(node, bExpanded);
    mSteps.push_back(Expanded{node, bExpanded});
}

void TreeEdit::Apply(const Step& step)
{
    std::visit(
        [this](const auto& s) {
            using T = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<T, Inserted>) {
                PutAt(s.node, s.at, true);
            } else if constexpr (std::is_same_v<T, Removed>) {
                mTree->Detach(s.node);
            } else if constexpr (std::is_same_v<T, Moved>) {
                PutAt(s.node, s.to, false);
            } else if constexpr (std::is_same_v<T, Text>) {
                s.bTag ? mTree->SetTag(s.node, s.sNew) : mTree->SetText(s.node, s.sNew);
            } else if constexpr (std::is_same_v<T, Images>) {
                mTree->SetImage(s.node, s.sNew);
                mTree->SetExpandedImage(s.node, s.sNewExpanded);
            } else if constexpr (std::is_same_v<T, Expanded>) {
                mTree->SetExpanded(s.node, s.bNew);
            } else {
                mTree->SwapContents(*s.other);
            }
        },
        step);
}

void TreeEdit::Revert(const Step& step)
{
    std::visit(
        [this](const auto& s) {
            using T = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<T, Inserted>) {
                mTree->Detach(s.node);
            } else if constexpr (std::is_same_v<T, Removed>) {
                PutAt(s.node, s.at, true);
            } else if constexpr (std::is_same_v<T, Moved>) {
                PutAt(s.node, s.from, false);
            } else if constexpr (std::is_same_v<T, Text>) {
                s.bTag ? mTree->SetTag(s.node, s.sOld) : mTree->SetText(s.node, s.sOld);
            } else if constexpr (std::is_same_v<T, Images>) {
                mTree->SetImage(s.node, s.sOld);
                mTree->SetExpandedImage(s.node, s.sOldExpanded);
            } else if constexpr (std::is_same_v<T, Expanded>) {
                mTree->SetExpanded(s.node, !s.bNew);
            } else {
                mTree->SwapContents(*s.other);
            }
        },
        step);
}

void TreeEdit::Undo()
{
    for (auto it = mSteps.rbegin(); it != mSteps.rend(); ++it)
        Revert(*it);
    mbApplied = false;
}

void TreeEdit::Redo()
{
    for (const Step& step : mSteps)
        Apply(step);
    mbApplied = true;
}

}  // namespace orr
