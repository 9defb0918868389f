#include "doctree/DocumentDiff.h"

#include <dtl/dtl.hpp>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <unordered_map>

#include "doctree/DocumentExport.h"
#include "doctree/EdiDocument.h"
#include "doctree/SegmentValues.h"
#include "doctree/modNodeD.h"

namespace orr {
namespace {

// Aligning two runs of children by cost takes (n+1)(m+1) cells; runs
// larger than this are first cut at the children they share exactly.
constexpr std::size_t kCostCells = std::size_t(1) << 20;
constexpr std::int64_t kLine = 1000;  // the cost of one added or removed segment

std::uint64_t Mix(std::uint64_t h, std::uint64_t x)
{
    return h ^ (x + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2));
}

std::uint64_t HashOf(std::string_view s) { return s.empty() ? 0 : Mix(1, std::hash<std::string_view>()(s)); }

// Components and repetitions without the empty ones at their ends.
SegmentValues::Repetitions Trimmed(SegmentValues::Repetitions parts)
{
    for (SegmentValues::Components& c : parts)
        while (!c.empty() && c.back().empty())
            c.pop_back();
    while (!parts.empty() && parts.back().empty())
        parts.pop_back();
    return parts;
}

// One text per value, whatever separators the file used.
std::string Canonical(const SegmentValues::Repetitions& parts)
{
    std::string s;
    for (std::size_t r = 0; r < parts.size(); ++r) {
        if (r)
            s += '\x1e';
        for (std::size_t c = 0; c < parts[r].size(); ++c) {
            if (c)
                s += '\x1f';
            s += parts[r][c];
        }
    }
    return s;
}

std::string Position(std::size_t nElement, std::size_t nComponent = 0)
{
    char buf[32];
    if (nComponent)
        std::snprintf(buf, sizeof buf, "%02zu-%zu", nElement, nComponent);
    else
        std::snprintf(buf, sizeof buf, "%02zu", nElement);
    return buf;
}

// ISA16, and from version 00501 ISA11, name separators: never a difference.
bool IsSeparatorValue(const SegmentValues& values, std::size_t n, const InterchangeSeparators& separators)
{
    return values.Id() == "ISA" && (n == 16 || (n == 11 && separators.cRepetition));
}

bool IsPlaceholder(const clsTree& tree, NodeId node)
{
    return tree.Image(node).ends_with("nullsegment") && !tree.HasChildren(node);
}

}  // namespace

// One document as the comparison sees it: its loops and segments in
// document order (pre-order), each with a key (what it is) and a hash of
// its content, and the children lists of the loops.
struct DocumentDiff::Model {
    struct Item {
        NodeId node;
        std::uint32_t nKey = 0;
        std::uint64_t nHash = 0;
        std::uint32_t nParent = 0;
        std::uint32_t nEnd = 0;       // the item after the subtree
        std::uint32_t nSegments = 0;  // in the subtree
        std::uint32_t nOrdinal = 0;   // a segment's number
        std::uint32_t nFirstChild = 0, nChildren = 0;
        std::uint32_t nFirstElement = 0, nElements = 0;
        InterchangeSeparators separators;
        bool bSegment = false;
    };
    Side side;
    std::vector<Item> items;
    std::vector<std::uint32_t> children;
    std::vector<std::uint64_t> elements;  // the segments' element hashes
    std::string buffer;

    const std::uint32_t* ChildrenOf(std::uint32_t n) const { return children.data() + items[n].nFirstChild; }
    std::string_view Text(std::uint32_t n, std::string& buf) const
    {
        return gfDnodeSegmentText(*side.pTree, items[n].node, side.cDelimiter, buf);
    }
    SegmentValues Values(std::uint32_t n, std::string& buf) const
    {
        return SegmentValues(Text(n, buf), side.cDelimiter, items[n].separators);
    }
};

struct DocumentDiff::Op {
    enum class Kind : std::uint8_t { Match, Remove, Add };
    Kind kind;
    std::uint32_t a = 0, b = 0;
};

namespace {

class ModelBuilder {
public:
    ModelBuilder(std::unordered_map<std::string, std::uint32_t>& keys, bool bIgnoreEnvelope)
        : mKeys(keys), mbIgnoreEnvelope(bIgnoreEnvelope)
    {
    }

    template <typename Model>
    void Build(Model& m)
    {
        clsTree& tree = *m.side.pTree;
        std::vector<std::uint32_t> path;  // the open loops' items
        InterchangeSeparators separators;
        std::uint32_t nOrdinal = 0;
        for (NodeId node = m.side.root; node; node = gfDnodeNextInOrder(tree, m.side.root, node)) {
            const NodeId parent = tree.Parent(node);
            while (!path.empty() && m.items[path.back()].node != parent)
                path.pop_back();
            const std::string& sTag = tree.Tag(node);
            const bool bSegment = !sTag.empty() && sTag[0] == 'S';
            if (bSegment && IsPlaceholder(tree, node))
                continue;
            typename Model::Item item;
            item.node = node;
            item.nParent = path.empty() ? 0 : path.back();
            item.bSegment = bSegment;
            if (bSegment) {
                item.nOrdinal = ++nOrdinal;
                item.nSegments = 1;
            }
            m.items.push_back(item);
            const std::uint32_t n = std::uint32_t(m.items.size() - 1);
            if (bSegment) {
                ReadSegment(m, n, separators);
            } else {
                m.items[n].nKey = Key(sTag.substr(0, 4) + "*" + std::string(DocumentExport::LoopName(tree.Text(node))));
                path.push_back(n);
            }
        }
        Finish(m);
    }

private:
    std::uint32_t Key(const std::string& s) { return mKeys.emplace(s, std::uint32_t(mKeys.size())).first->second; }

    template <typename Model>
    void ReadSegment(Model& m, std::uint32_t n, InterchangeSeparators& separators)
    {
        typename Model::Item& item = m.items[n];
        const SegmentValues values(m.Text(n, m.buffer), m.side.cDelimiter, separators);
        if (values.Id() == "ISA")
            separators = SegmentValues::OfIsa(values);  // its own values are never cut
        item.separators = separators;
        item.nKey = Key("S" + std::string(values.Id()));
        item.nFirstElement = std::uint32_t(m.elements.size());
        std::uint64_t nHash = Mix(0, item.nKey);
        std::size_t nLast = 0;
        for (std::size_t e = 1; e <= values.Count(); ++e) {
            const bool bSkip = (mbIgnoreEnvelope && DocumentDiff::IsEnvelopeStamp(values.Id(), e)) ||
                               IsSeparatorValue(values, e, separators);
            const std::uint64_t h = bSkip ? 0 : HashOf(Canonical(Trimmed(values.Parts(e))));
            m.elements.push_back(h);
            if (h)
                nLast = e;
        }
        m.elements.resize(item.nFirstElement + nLast);
        item.nElements = std::uint32_t(nLast);
        for (std::size_t e = 0; e < nLast; ++e)
            nHash = Mix(nHash, m.elements[item.nFirstElement + e]);
        item.nHash = nHash;
    }

    // Segment counts, hashes and subtree ends from the leaves up; children
    // lists of the loops that hold segments.
    template <typename Model>
    static void Finish(Model& m)
    {
        const std::uint32_t nItems = std::uint32_t(m.items.size());
        for (std::uint32_t n = nItems; n-- > 0;) {
            auto& item = m.items[n];
            if (!item.nEnd)
                item.nEnd = n + 1;
            if (n == 0)
                break;
            auto& parent = m.items[item.nParent];
            parent.nSegments += item.nSegments;
            parent.nEnd = std::max(parent.nEnd, item.nEnd);
            if (item.nSegments)
                ++parent.nChildren;
        }
        std::uint32_t nNext = 0;
        for (auto& item : m.items) {
            item.nFirstChild = nNext;
            nNext += item.nChildren;
            item.nChildren = 0;
        }
        m.children.resize(nNext);
        for (std::uint32_t n = 1; n < nItems; ++n)
            if (m.items[n].nSegments) {
                auto& parent = m.items[m.items[n].nParent];
                m.children[parent.nFirstChild + parent.nChildren++] = n;
            }
        for (std::uint32_t n = nItems; n-- > 0;) {
            auto& item = m.items[n];
            if (item.bSegment)
                continue;
            std::uint64_t h = Mix(0x10, item.nKey);
            for (std::uint32_t c = 0; c < item.nChildren; ++c)
                h = Mix(h, m.items[m.children[item.nFirstChild + c]].nHash);
            item.nHash = h;
        }
    }

    std::unordered_map<std::string, std::uint32_t>& mKeys;
    bool mbIgnoreEnvelope;
};

}  // namespace

namespace {

// The common elements of two sequences, as index pairs in order.
std::vector<std::pair<std::uint32_t, std::uint32_t>> Common(const std::vector<std::uint64_t>& a,
                                                            const std::vector<std::uint64_t>& b)
{
    dtl::Diff<std::uint64_t> diff(a, b);
    diff.onHuge();
    diff.compose();
    std::vector<std::pair<std::uint32_t, std::uint32_t>> common;
    for (const auto& [elem, info] : diff.getSes().getSequence())
        if (info.type == dtl::SES_COMMON)
            common.emplace_back(std::uint32_t(info.beforeIdx - 1), std::uint32_t(info.afterIdx - 1));
    return common;
}

}  // namespace

bool DocumentDiff::IsEnvelopeStamp(std::string_view sSegmentId, std::size_t nPosition)
{
    if (sSegmentId == "ISA")
        return nPosition == 9 || nPosition == 10 || nPosition == 13;
    if (sSegmentId == "GS")
        return nPosition >= 4 && nPosition <= 6;
    return nPosition == 2 && (sSegmentId == "ST" || sSegmentId == "SE" || sSegmentId == "GE" || sSegmentId == "IEA");
}

std::vector<DiffEntry> DocumentDiff::Compare(EdiDocument& a, EdiDocument& b)
{
    return Compare(Side{&a.Tree(), a.Root().Id(), char(a.Delimiter())},
                   Side{&b.Tree(), b.Root().Id(), char(b.Delimiter())});
}

std::vector<DiffEntry> DocumentDiff::Compare(const Side& a, const Side& b)
{
    mOut.clear();
    std::unordered_map<std::string, std::uint32_t> keys;
    Model ma, mb;
    ma.side = a;
    mb.side = b;
    ModelBuilder(keys, mbIgnoreEnvelope).Build(ma);
    ModelBuilder(keys, mbIgnoreEnvelope).Build(mb);
    if (ma.items.empty() || mb.items.empty()) {
        if (!ma.items.empty())
            AddWhole(DiffEntry::Kind::Removed, ma, 0);
        if (!mb.items.empty())
            AddWhole(DiffEntry::Kind::Added, mb, 0);
        return std::move(mOut);
    }
    // Loops aligned within aligned loops, without recursion: trees may be deep.
    struct Frame {
        std::vector<Op> ops;
        std::size_t nNext = 0;
    };
    std::vector<Frame> stack;
    stack.push_back({Align(ma, 0, mb, 0)});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.nNext == frame.ops.size()) {
            stack.pop_back();
            continue;
        }
        const Op op = frame.ops[frame.nNext++];
        if (op.kind == Op::Kind::Remove)
            AddWhole(DiffEntry::Kind::Removed, ma, op.a);
        else if (op.kind == Op::Kind::Add)
            AddWhole(DiffEntry::Kind::Added, mb, op.b);
        else if (ma.items[op.a].nHash == mb.items[op.b].nHash)
            continue;
        else if (ma.items[op.a].bSegment)
            CompareSegments(ma, op.a, mb, op.b);
        else
            stack.push_back({Align(ma, op.a, mb, op.b)});
    }
    return std::move(mOut);
}

std::vector<DocumentDiff::Op> DocumentDiff::Align(const Model& a, std::uint32_t nParentA, const Model& b,
                                                  std::uint32_t nParentB) const
{
    std::vector<Op> ops;
    AlignRange(a, a.ChildrenOf(nParentA), a.items[nParentA].nChildren, b, b.ChildrenOf(nParentB),
               b.items[nParentB].nChildren, ops);
    // Within a run of differences, what went before what came.
    for (auto it = ops.begin(); it != ops.end();) {
        auto end = std::find_if(it, ops.end(), [](const Op& op) { return op.kind == Op::Kind::Match; });
        std::stable_partition(it, end, [](const Op& op) { return op.kind == Op::Kind::Remove; });
        it = end == ops.end() ? end : end + 1;
    }
    return ops;
}

void DocumentDiff::AlignRange(const Model& a, const std::uint32_t* pA, std::uint32_t nA, const Model& b,
                              const std::uint32_t* pB, std::uint32_t nB, std::vector<Op>& out) const
{
    const auto same = [&](std::uint32_t i, std::uint32_t j) {
        return a.items[pA[i]].nKey == b.items[pB[j]].nKey && a.items[pA[i]].nHash == b.items[pB[j]].nHash;
    };
    std::uint32_t nHead = 0, nTail = 0;
    while (nHead < nA && nHead < nB && same(nHead, nHead))
        ++nHead;
    while (nTail < nA - nHead && nTail < nB - nHead && same(nA - 1 - nTail, nB - 1 - nTail))
        ++nTail;
    for (std::uint32_t i = 0; i < nHead; ++i)
        out.push_back({Op::Kind::Match, pA[i], pB[i]});
    const std::uint32_t mA = nA - nHead - nTail, mB = nB - nHead - nTail;
    const std::uint32_t *qA = pA + nHead, *qB = pB + nHead;
    if (std::size_t(mA + 1) * (mB + 1) <= kCostCells) {
        AlignByCost(a, qA, mA, b, qB, mB, out);
    } else {
        // Too many to weigh every pairing: the children equal in both first,
        // then the gaps between them, by cost when small, else by kind alone.
        std::vector<std::uint64_t> sa(mA), sb(mB), ka(mA), kb(mB);
        for (std::uint32_t i = 0; i < mA; ++i)
            sa[i] = Mix(a.items[qA[i]].nHash, a.items[qA[i]].nKey), ka[i] = a.items[qA[i]].nKey;
        for (std::uint32_t j = 0; j < mB; ++j)
            sb[j] = Mix(b.items[qB[j]].nHash, b.items[qB[j]].nKey), kb[j] = b.items[qB[j]].nKey;
        auto anchors = Common(sa, sb);
        anchors.emplace_back(mA, mB);
        std::uint32_t i = 0, j = 0;
        for (const auto& [ai, bj] : anchors) {
            const std::uint32_t gA = ai - i, gB = bj - j;
            if (std::size_t(gA + 1) * (gB + 1) <= kCostCells) {
                AlignByCost(a, qA + i, gA, b, qB + j, gB, out);
            } else {
                std::uint32_t x = i, y = j;
                for (const auto& [ki, kj] : Common(std::vector<std::uint64_t>(ka.begin() + i, ka.begin() + ai),
                                                   std::vector<std::uint64_t>(kb.begin() + j, kb.begin() + bj))) {
                    for (; x < i + ki; ++x)
                        out.push_back({Op::Kind::Remove, qA[x], 0});
                    for (; y < j + kj; ++y)
                        out.push_back({Op::Kind::Add, 0, qB[y]});
                    out.push_back({Op::Kind::Match, qA[x++], qB[y++]});
                }
                for (; x < ai; ++x)
                    out.push_back({Op::Kind::Remove, qA[x], 0});
                for (; y < bj; ++y)
                    out.push_back({Op::Kind::Add, 0, qB[y]});
            }
            if (ai < mA)
                out.push_back({Op::Kind::Match, qA[ai], qB[bj]});
            i = ai + 1;
            j = bj + 1;
        }
    }
    for (std::uint32_t t = nTail; t > 0; --t)
        out.push_back({Op::Kind::Match, pA[nA - t], pB[nB - t]});
}

void DocumentDiff::AlignByCost(const Model& a, const std::uint32_t* pA, std::uint32_t nA, const Model& b,
                               const std::uint32_t* pB, std::uint32_t nB, std::vector<Op>& out) const
{
    // What showing two children as one costs, below showing them as removed
    // and added: a segment by the share of its elements that differ, a loop
    // by its first segment's.
    const auto segmentCost = [&](std::uint32_t x, std::uint32_t y) -> std::int64_t {
        const auto& ix = a.items[x];
        const auto& iy = b.items[y];
        if (ix.nHash == iy.nHash)
            return 0;
        std::int64_t nDiffer = 0;
        for (std::uint32_t e = 0; e < std::max(ix.nElements, iy.nElements); ++e) {
            const std::uint64_t hx = e < ix.nElements ? a.elements[ix.nFirstElement + e] : 0;
            const std::uint64_t hy = e < iy.nElements ? b.elements[iy.nFirstElement + e] : 0;
            nDiffer += hx != hy;
        }
        return kLine - kLine / (1 + std::max<std::int64_t>(nDiffer, 1));
    };
    const auto matchCost = [&](std::uint32_t x, std::uint32_t y) -> std::int64_t {
        const auto& ix = a.items[x];
        const auto& iy = b.items[y];
        if (ix.nKey != iy.nKey)
            return -1;
        if (ix.nHash == iy.nHash)
            return 0;
        if (ix.bSegment)
            return segmentCost(x, y);
        const std::uint32_t fx = a.children[ix.nFirstChild], fy = b.children[iy.nFirstChild];
        if (a.items[fx].bSegment && b.items[fy].bSegment && a.items[fx].nKey == b.items[fy].nKey)
            return 1 + segmentCost(fx, fy);
        return kLine;
    };
    const std::size_t nW = nB + 1;
    std::vector<std::int64_t> cost((nA + 1) * nW);
    std::vector<Op::Kind> choice((nA + 1) * nW, Op::Kind::Match);
    for (std::uint32_t i = nA + 1; i-- > 0;)
        for (std::uint32_t j = nB + 1; j-- > 0;) {
            const std::size_t c = i * nW + j;
            if (i == nA && j == nB)
                continue;
            std::int64_t best = std::numeric_limits<std::int64_t>::max();
            if (i < nA && j < nB)
                if (const std::int64_t m = matchCost(pA[i], pB[j]); m >= 0)
                    best = m + cost[c + nW + 1];
            if (i < nA && kLine * a.items[pA[i]].nSegments + cost[c + nW] < best) {
                best = kLine * a.items[pA[i]].nSegments + cost[c + nW];
                choice[c] = Op::Kind::Remove;
            }
            if (j < nB && kLine * b.items[pB[j]].nSegments + cost[c + 1] < best) {
                best = kLine * b.items[pB[j]].nSegments + cost[c + 1];
                choice[c] = Op::Kind::Add;
            }
            cost[c] = best;
        }
    for (std::uint32_t i = 0, j = 0; i < nA || j < nB;) {
        const Op::Kind k = choice[i * nW + j];
        out.push_back({k, k == Op::Kind::Add ? 0 : pA[i], k == Op::Kind::Remove ? 0 : pB[j]});
        i += k != Op::Kind::Add;
        j += k != Op::Kind::Remove;
    }
}

void DocumentDiff::CompareSegments(const Model& a, std::uint32_t nA, const Model& b, std::uint32_t nB)
{
    std::string bufA, bufB;
    const SegmentValues va = a.Values(nA, bufA), vb = b.Values(nB, bufB);
    const auto add = [&](std::string sPosition, std::string_view sOld, std::string_view sNew) {
        DiffEntry e;
        e.kind = DiffEntry::Kind::Changed;
        e.nSegmentA = a.items[nA].nOrdinal;
        e.nSegmentB = b.items[nB].nOrdinal;
        e.nodeA = a.items[nA].node;
        e.nodeB = b.items[nB].node;
        e.sSegmentId = va.Id();
        e.sPosition = std::move(sPosition);
        e.sOld = sOld;
        e.sNew = sNew;
        mOut.push_back(std::move(e));
    };
    for (std::size_t n = 1; n <= std::max(va.Count(), vb.Count()); ++n) {
        if ((mbIgnoreEnvelope && IsEnvelopeStamp(va.Id(), n)) || IsSeparatorValue(va, n, a.items[nA].separators) ||
            IsSeparatorValue(vb, n, b.items[nB].separators))
            continue;
        const SegmentValues::Repetitions pa = Trimmed(va.Parts(n)), pb = Trimmed(vb.Parts(n));
        if (pa == pb)
            continue;
        const std::size_t nComponents = std::max(pa.empty() ? 0 : pa[0].size(), pb.empty() ? 0 : pb[0].size());
        if (pa.size() > 1 || pb.size() > 1 || nComponents <= 1) {
            add(Position(n), va.Element(n), vb.Element(n));
            continue;
        }
        for (std::size_t c = 0; c < nComponents; ++c) {
            const std::string_view ca = !pa.empty() && c < pa[0].size() ? pa[0][c] : std::string_view();
            const std::string_view cb = !pb.empty() && c < pb[0].size() ? pb[0][c] : std::string_view();
            if (ca != cb)
                add(Position(n, c + 1), ca, cb);
        }
    }
}

void DocumentDiff::AddWhole(DiffEntry::Kind kind, const Model& m, std::uint32_t nItem)
{
    std::string buf;
    for (std::uint32_t n = nItem; n < m.items[nItem].nEnd; ++n) {
        if (!m.items[n].bSegment)
            continue;
        DiffEntry e;
        e.kind = kind;
        std::string sText(m.Text(n, buf));
        if (m.side.cDelimiter != '*')
            std::replace(sText.begin(), sText.end(), m.side.cDelimiter, '*');
        e.sSegmentId = SegmentValues(sText, '*', {}).Id();
        (kind == DiffEntry::Kind::Added ? e.nSegmentB : e.nSegmentA) = m.items[n].nOrdinal;
        (kind == DiffEntry::Kind::Added ? e.nodeB : e.nodeA) = m.items[n].node;
        (kind == DiffEntry::Kind::Added ? e.sNew : e.sOld) = std::move(sText);
        mOut.push_back(std::move(e));
    }
}

}  // namespace orr
