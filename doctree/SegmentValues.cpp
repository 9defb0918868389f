#include "doctree/SegmentValues.h"

#include "edi/SegmentText.h"

namespace orr {
namespace {

std::vector<std::string_view> Split(std::string_view s, char c)
{
    std::vector<std::string_view> parts;
    for (std::size_t nStart = 0;;) {
        const std::size_t nEnd = s.find(c, nStart);
        parts.push_back(s.substr(nStart, nEnd == std::string_view::npos ? std::string_view::npos : nEnd - nStart));
        if (nEnd == std::string_view::npos)
            return parts;
        nStart = nEnd + 1;
    }
}

}  // namespace

SegmentValues::SegmentValues(std::string_view sText, char cDelimiter, InterchangeSeparators separators)
    : mSeparators(separators)
{
    gfSplitElements(sText, cDelimiter, mElements);
    const std::string_view sId = Id();
    mbCuts = sId != "ISA" && sId != "BIN" && sId != "BDS";
}

SegmentValues::Repetitions SegmentValues::Parts(std::size_t n) const
{
    const std::string_view sValue = Element(n);
    if (sValue.empty())
        return {};
    if (!mbCuts)
        return {{sValue}};
    Repetitions out;
    const std::vector<std::string_view> repetitions =
        mSeparators.cRepetition ? Split(sValue, mSeparators.cRepetition) : std::vector<std::string_view>{sValue};
    for (std::string_view r : repetitions)
        out.push_back(Split(r, mSeparators.cComponent));
    return out;
}

InterchangeSeparators SegmentValues::OfIsa(const SegmentValues& isa)
{
    return gfIsaSeparators(isa.Element(11), isa.Element(12), isa.Element(16));
}

}  // namespace orr
