#include "schema/SchemaIndex.h"

#include <algorithm>
#include <climits>
#include <optional>

#include "app/modText.h"
#include "schema/TagFields.h"
#include "schema/modNodeS.h"
#include "store/clsTree.h"
#include "store/clsTreeMemory.h"

namespace orr {
namespace {

SystemKind SystemOf(std::string_view sCode)
{
    if (sCode == "LS")
        return SystemKind::Ls;
    if (sCode == "HLS")
        return SystemKind::Hls;
    if (sCode == "ELS")
        return SystemKind::Els;
    if (sCode == "ESS")
        return SystemKind::Ess;
    return SystemKind::Other;
}

std::int16_t Position(std::string_view sValue)
{
    const auto n = gfNumericValue(sValue);
    return n && *n >= INT16_MIN && *n <= INT16_MAX ? std::int16_t(*n) : 0;
}

}  // namespace

SchemaIndex::SchemaIndex(const clsTree& tree, NodeId root)
{
    mEntries.emplace_back();  // none
    if (!tree.IsValid(root))
        return;
    mEntries.reserve(tree.NodeCount() + 1);  // the schema tree holds little else
    clsTreeMemory::Populate(mEntries.data(), mEntries.capacity() * sizeof(SchemaEntry));
    // Pre-order with an explicit stack: definitions may nest deeply.
    struct Step {
        NodeId node;
        SchemaIx parent;
    };
    std::vector<Step> stack{{root, {}}};
    std::vector<SchemaIx> open;  // the ancestors of the entry being added, for nEnd
    std::vector<SchemaIx> lastChild(1);
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        while (!open.empty() && open.back() != step.parent) {
            mEntries[open.back().value].nEnd = std::uint32_t(mEntries.size());
            open.pop_back();
        }
        const SchemaIx ix{std::uint32_t(mEntries.size())};
        SchemaEntry& e = mEntries.emplace_back();
        e.node = step.node;
        e.parent = step.parent;
        Load(e, tree.Tag(step.node));
        if (step.parent) {
            SchemaEntry& p = mEntries[step.parent.value];
            if (!p.first)
                p.first = ix;
            if (const SchemaIx prev = lastChild[step.parent.value]) {
                mEntries[prev.value].next = ix;
                e.prev = prev;
            }
            lastChild[step.parent.value] = ix;
            e.resetBarrier = p.IsSystem() ? p.resetBarrier : step.parent;
        }
        lastChild.emplace_back();
        open.push_back(ix);
        for (std::uint32_t i = tree.ChildCount(step.node); i-- > 0;)
            stack.push_back({tree.Child(step.node, i), ix});
    }
    for (const SchemaIx ix : open)
        mEntries[ix.value].nEnd = std::uint32_t(mEntries.size());

    // Requirement of system nodes: that of the first child, down the chain.
    for (std::uint32_t i = std::uint32_t(mEntries.size()); i-- > 1;) {
        SchemaEntry& e = mEntries[i];
        if (e.IsSystem())
            e.nRequired = e.first ? mEntries[e.first.value].nRequired : std::int8_t(-1);
    }

    mnBase = mEntries[1].node.value;
    for (std::uint32_t i = 1; i < mEntries.size(); ++i)
        mnBase = std::min(mnBase, mEntries[i].node.value);
    mByNode.assign(mEntries.size() * 2, 0);
    for (std::uint32_t i = 1; i < mEntries.size(); ++i) {
        const std::uint32_t n = mEntries[i].node.value - mnBase;
        if (n >= mByNode.size())
            mByNode.resize(std::size_t(n) + 1, 0);
        mByNode[n] = i;
    }
    NumberSlots();
}

void SchemaIndex::NumberSlots()
{
    mSlotsBefore.clear();
    mSlotsBefore.reserve(mEntries.size() + 1);
    for (std::uint32_t i = 0; i < mEntries.size(); ++i) {
        mSlotsBefore.push_back(Slots());
        if (mEntries[i].bCounted) {
            mSlotEntry.push_back(i);
            mSlotBarrier.push_back(mEntries[i].resetBarrier.value);
        }
    }
    mSlotsBefore.push_back(Slots());
}

std::string_view SchemaIndex::Keep(std::string_view s)
{
    if (s.empty())
        return {};
    if (!mTexts)
        mTexts = std::make_unique<std::pmr::monotonic_buffer_resource>();
    char* p = static_cast<char*>(mTexts->allocate(s.size(), 1));
    std::copy(s.begin(), s.end(), p);
    return {p, s.size()};
}

void SchemaIndex::Load(SchemaEntry& e, const std::string& sTag)
{
    const TagFields fields(sTag);
    auto attr = [&fields](char c) { return fields[c]; };
    auto number = [&attr](char c) { return gfNumericValue(attr(c)); };

    if (const std::string_view sI = attr('I'); !sI.empty()) {
        e.cType = sI[0];
        e.sCode = Keep(sI.substr(1));
    }
    if (e.IsSystem())
        e.system = SystemOf(e.sCode);
    e.nCode = PackCode(e.sCode);
    if (!attr('R').empty()) {
        const auto n = number('R');
        e.bRepeatBad = !n;
        e.nRepeat = n ? *n : 0;
    }
    // The builder writes C fields as numbers only, so a tag's C is a number.
    e.bCounted = fields.CanSet('C');
    e.sRequirement = Keep(attr('P'));
    e.nRequired = e.sRequirement == "R" || e.sRequirement == "M" ? 1 : 0;
    e.nX = Position(attr('X'));
    e.nY = Position(attr('Y'));
    if (const auto nZ = number('Z'))
        e.nZ = *nZ;
    e.sNumber = Keep(attr('N'));
    e.sDescription = Keep(attr('D'));
    e.sLevel = Keep(attr('L'));
    e.cEnvelope = e.sLevel == "0001" ? 'X' : e.sLevel == "0002" ? 'F' : e.sLevel == "0003" ? 'T' : 0;
    e.bAnyCode = e.sCode == "XXX";
    e.sDataType = Keep(attr('T'));
    e.nMinLength = number('A').value_or(0);
    e.nMaxLength = number('B').value_or(0);
    if (const std::string_view sKey = attr('K'); !sKey.empty())
        for (std::string_view k : gfSplitFields(sKey, ','))
            e.keys.emplace_back(k);
    if (const std::string_view sCodes = attr('V'); !sCodes.empty()) {
        for (std::string_view c : gfSplitFields(sCodes, ','))
            e.codes.emplace_back(c);
        std::sort(e.codes.begin(), e.codes.end());
    }
}

SchemaIx SchemaIndex::Of(NodeId node) const
{
    if (node.value < mnBase || node.value - mnBase >= mByNode.size())
        return {};
    const std::uint32_t i = mByNode[node.value - mnBase];
    return i && mEntries[i].node == node ? SchemaIx{i} : SchemaIx{};
}

std::string SchemaIndex::Link(SchemaIx ix) const
{
    std::string sLink;
    LinkInto(ix, sLink);
    return sLink;
}

void SchemaIndex::LinkInto(SchemaIx ix, std::string& sLink) const
{
    // Sized first, then filled from the end: one allocation at most.
    std::size_t nSize = 0;
    for (SchemaIx p = ix; p; p = mEntries[p.value].parent)
        nSize += mEntries[p.value].sNumber.size() + 1;
    sLink.assign(nSize ? nSize - 1 : 0, '.');
    std::size_t nEnd = sLink.size();
    for (SchemaIx p = ix; p; p = mEntries[p.value].parent) {
        const std::string_view sNumber = mEntries[p.value].sNumber;
        nEnd -= sNumber.size();
        sLink.replace(nEnd, sNumber.size(), sNumber);
        nEnd -= nEnd ? 1 : 0;  // the dot before it
    }
}

SchemaIx SchemaIndex::Child(SchemaIx ix, std::uint32_t nRow) const
{
    SchemaIx c = mEntries[ix.value].first;
    for (; c && nRow > 0; --nRow)
        c = mEntries[c.value].next;
    return c;
}

bool SchemaIndex::KeyMatches(SchemaIx ix, std::string_view sValue) const
{
    for (const std::string& k : mEntries[ix.value].keys)
        if (gfSameName(k, sValue))
            return true;
    return false;
}

}  // namespace orr
