#pragma once
// A segment as the matching reads it first: its text without surrounding
// blanks, its identifier packed, and where its first elements end. The
// cutting thread makes these ahead, so the matching thread only looks the
// positions up; a read further on (a later key, the ISA's separators) cuts
// on from the last of them.
#include <array>
#include <cstdint>
#include <string_view>

#include "app/clsConfig.h"

namespace orr {

struct SegmentHead {
    // The identifier and the usual key positions (1 to 3).
    static constexpr std::size_t kCuts = 4;

    std::string_view sText;
    std::uint64_t nId = 0;  // element 0 packed (SchemaIndex::PackCode)
    // Where element i < nCut ends; the next starts one past it. The last
    // element of the text is among them when bAll is set.
    std::array<std::uint16_t, kCuts> ends{};
    std::uint8_t nCut = 0;
    bool bAll = false;

    // nDelimiter: the element separator; above 255 or 0 it never splits.
    static SegmentHead Cut(std::string_view sSegment, SepCode nDelimiter);
    // The same into h, a head as SegmentHead() makes it, where it is to stay:
    // copying a head just written on the stack waits for its narrow stores,
    // once per segment.
    static void CutInto(SegmentHead& h, std::string_view sSegment, SepCode nDelimiter);

    // Element n < nCut.
    std::string_view Element(std::size_t n) const
    {
        const std::size_t nFrom = n ? ends[n - 1] + 1u : 0;
        return sText.substr(nFrom, ends[n] - nFrom);
    }
    // Where the elements after the cut ones start; npos when there are none.
    std::size_t RestAt() const { return bAll ? std::string_view::npos : nCut ? ends[nCut - 1] + 1u : 0; }
};

}  // namespace orr
