#pragma once
// Compares two documents segment by segment along their trees, never by
// bytes: separators and line ends do not count. At each level the children
// (loops and segments) are aligned by what they are (the segment's
// identifier, the loop's definition name) and their order, with as few
// differences as possible; aligned segments are compared element by element
// (component by component where either value has components). Trailing
// empty elements and components count as absent.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/clsTree.h"

namespace orr {

class EdiDocument;

struct DiffEntry {
    enum class Kind : std::uint8_t { Changed, Added, Removed };
    Kind kind = Kind::Changed;
    // Segment numbers from 1 at each file's first segment; 0: not in that file.
    std::uint32_t nSegmentA = 0, nSegmentB = 0;
    NodeId nodeA, nodeB;  // the segments
    std::string sSegmentId;
    std::string sPosition;  // Changed: "03", or "03-2" for a component
    std::string sOld, sNew;  // Changed: the values; Added/Removed: the segment's text ("*" between elements)
};

class DocumentDiff {
public:
    // One side of the comparison: a tree below root, its segments' texts
    // cut at cDelimiter.
    struct Side {
        clsTree* pTree = nullptr;
        NodeId root;
        char cDelimiter = '*';
    };

    // Leaves out the envelope's dates, times and control numbers (ISA09,
    // ISA10, ISA13, GS04, GS05, GS06, ST02, SE02, GE02, IEA02).
    void SetIgnoreEnvelope(bool bIgnore) { mbIgnoreEnvelope = bIgnore; }

    // The differences in document order; none when the documents are equal.
    std::vector<DiffEntry> Compare(const Side& a, const Side& b);
    std::vector<DiffEntry> Compare(EdiDocument& a, EdiDocument& b);

    // True for an element --ignore-envelope leaves out.
    static bool IsEnvelopeStamp(std::string_view sSegmentId, std::size_t nPosition);

private:
    struct Model;
    struct Op;
    std::vector<Op> Align(const Model& a, std::uint32_t nParentA, const Model& b, std::uint32_t nParentB) const;
    void AlignRange(const Model& a, const std::uint32_t* pA, std::uint32_t nA, const Model& b,
                    const std::uint32_t* pB, std::uint32_t nB, std::vector<Op>& out) const;
    void AlignByCost(const Model& a, const std::uint32_t* pA, std::uint32_t nA, const Model& b,
                     const std::uint32_t* pB, std::uint32_t nB, std::vector<Op>& out) const;
    void CompareSegments(const Model& a, std::uint32_t nA, const Model& b, std::uint32_t nB);
    void AddWhole(DiffEntry::Kind kind, const Model& m, std::uint32_t nItem);

    bool mbIgnoreEnvelope = false;
    std::vector<DiffEntry> mOut;
};

}  // namespace orr
