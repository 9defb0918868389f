#pragma once
// The envelopes of a received file as the segment parser reads them: every
// interchange with its functional groups and their transaction sets, the
// header and trailer elements as received, and what is wrong with each
// interchange's structure. What acknowledgements are built from.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orr {

// A segment split into elements: [0] is its identifier; empty when the segment never came.
using SegmentElements = std::vector<std::string>;

// Element n of a segment, "" beyond its end.
inline std::string gfElementAt(const SegmentElements& segment, std::size_t n)
{
    return n < segment.size() ? segment[n] : std::string();
}

inline bool gfAllDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Control numbers and counts compare as numbers when both are digits ("0001" is 1), else as text.
inline bool gfSameControlNumber(std::string_view a, std::string_view b)
{
    if (gfAllDigits(a) && gfAllDigits(b)) {
        a.remove_prefix(std::min(a.find_first_not_of('0'), a.size() - 1));
        b.remove_prefix(std::min(b.find_first_not_of('0'), b.size() - 1));
    }
    return a == b;
}

struct ReceivedSet {
    SegmentElements st, se;       // se empty: the set has no SE
    std::uint32_t nSegments = 0;  // ST to SE, both counted
};

struct ReceivedGroup {
    SegmentElements gs, ge;  // ge empty: the group has no GE
    std::vector<ReceivedSet> sets;
};

// What is wrong with an interchange's structure.
enum class EnvelopeFault : std::uint8_t {
    Unclosed,   // a group without its GE or a set without its SE before the next envelope segment
    Content,    // an empty group, a segment outside its envelope
    NoTrailer,  // the input ended before the interchange's IEA
};

struct EnvelopeProblem {
    EnvelopeFault fault;
    std::string sText;  // said for the user: "Functional group 1 (GS06 5) has no GE segment."
};

struct ReceivedInterchange {
    SegmentElements isa, iea;  // iea empty: the interchange has no IEA
    std::vector<ReceivedGroup> groups;
    std::vector<EnvelopeProblem> problems;  // in file order, the first of each kind

    const EnvelopeProblem* First(EnvelopeFault fault) const
    {
        for (const EnvelopeProblem& p : problems)
            if (p.fault == fault)
                return &p;
        return nullptr;
    }
};

struct ReceivedFile {
    std::uint16_t nDelimiter = '*', nSelimiter = '~';  // the separators it was read with
    std::vector<ReceivedInterchange> interchanges;
    std::string sOutside;  // the first segment outside every interchange, said for the user; "" when none
    std::size_t GroupCount() const
    {
        std::size_t n = 0;
        for (const ReceivedInterchange& i : interchanges)
            n += i.groups.size();
        return n;
    }
};

}  // namespace orr
