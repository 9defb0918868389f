#include "doctree/SegmentHead.h"

#include <algorithm>
#include <limits>

#include "app/modText.h"
#include "edi/SegmentText.h"
#include "schema/SchemaIndex.h"

namespace orr {
namespace {

// Blanks at either end of a segment are layout, except where they are a value's.
std::string_view Trimmed(std::string_view s, char d)
{
    // The reader hands on segments trimmed already: one test for them all.
    if (!s.empty() && s.front() != ' ' && s.back() != ' ')
        return s;
    s.remove_prefix(std::min(s.find_first_not_of(' '), s.size()));
    return s.ends_with(' ') && gfKeepsEndBlanks(s, d) ? s : gfTrimSpaces(s);
}

}  // namespace

SegmentHead SegmentHead::Cut(std::string_view sSegment, SepCode nDelimiter)
{
    SegmentHead h;
    CutInto(h, sSegment, nDelimiter);
    return h;
}

void SegmentHead::CutInto(SegmentHead& h, std::string_view sSegment, SepCode nDelimiter)
{
    const bool bSplits = nDelimiter > 0 && nDelimiter <= 255;
    const char d = char(nDelimiter);
    // A binary segment's data is kept as it stands, blanks at its end too,
    // and is never cut: the matching thread takes it as one element.
    const std::optional<BinaryData> binary =
        bSplits && !sSegment.empty() && sSegment.front() == 'B' ? gfBinaryData(sSegment, d) : std::nullopt;
    h.sText = binary ? sSegment : Trimmed(sSegment, d);
    const std::string_view s = h.sText;
    // Positions past what an end can hold are left to the matching thread.
    constexpr std::size_t kMaxEnd = std::numeric_limits<std::uint16_t>::max();
    const std::size_t nLimit = std::min(binary ? binary->nAt : s.size(), kMaxEnd);
    std::size_t p = 0;
    while (h.nCut < kCuts) {
        if (bSplits)
            while (p < nLimit && s[p] != d)  // elements are short: a plain loop beats a library search
                ++p;
        else
            p = s.size();
        if (p > kMaxEnd || (p == nLimit && p != s.size()))
            break;
        h.ends[h.nCut++] = std::uint16_t(p);
        if (p == s.size()) {
            h.bAll = true;
            break;
        }
        ++p;
    }
    h.nId = h.nCut ? SchemaIndex::PackCode(s.substr(0, h.ends[0])) : SchemaIndex::kLongCode;
}

}  // namespace orr
