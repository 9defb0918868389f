#include "edi/SegmentText.h"

#include <algorithm>

namespace orr {
namespace {

// The length field of BIN (BIN01) and BDS (BDS02): element 1 or 2.
std::size_t LengthElement(std::string_view sText, char d)
{
    const auto starts = [&](std::string_view sId) {
        return sText.size() > sId.size() && sText.starts_with(sId) && sText[sId.size()] == d;
    };
    return starts("BIN") ? 1 : starts("BDS") ? 2 : 0;
}

std::string_view SkipBlanks(std::string_view s)
{
    return s.substr(std::min(s.find_first_not_of(' '), s.size()));
}

}  // namespace

std::optional<BinaryData> gfBinaryData(std::string_view sText, char cDelimiter)
{
    if (!cDelimiter)
        return std::nullopt;
    const std::string_view s = SkipBlanks(sText);
    const std::size_t nLengthAt = LengthElement(s, cDelimiter);
    if (nLengthAt == 0)
        return std::nullopt;
    std::size_t p = 0;
    for (std::size_t i = 0; i < nLengthAt; ++i)
        if ((p = s.find(cDelimiter, p)) == std::string_view::npos)
            return std::nullopt;
        else
            ++p;
    const std::size_t nEnd = s.find(cDelimiter, p);
    if (nEnd == std::string_view::npos || nEnd == p || nEnd - p > 15)
        return std::nullopt;
    BinaryData data;
    for (std::size_t i = p; i < nEnd; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return std::nullopt;
        data.nLength = data.nLength * 10 + std::size_t(s[i] - '0');
    }
    data.nAt = sText.size() - s.size() + nEnd + 1;
    return data;
}

bool gfMayBeBinary(std::string_view sText, char cDelimiter)
{
    if (!cDelimiter)
        return false;
    const std::string_view s = SkipBlanks(sText);
    const auto prefixOf = [&](std::string_view sId) {
        const std::size_t n = std::min(s.size(), sId.size() + 1);
        return s.substr(0, std::min(n, sId.size())) == sId.substr(0, std::min(n, sId.size())) &&
               (n <= sId.size() || s[sId.size()] == cDelimiter);
    };
    return prefixOf("BIN") || prefixOf("BDS");
}

void gfSplitElements(std::string_view sSegment, char cDelimiter, std::vector<std::string_view>& elements)
{
    elements.clear();
    const std::optional<BinaryData> binary = gfBinaryData(sSegment, cDelimiter);
    const std::size_t nSplitEnd = binary ? binary->nAt - 1 : sSegment.size();
    std::size_t nFrom = 0;
    for (std::size_t p = cDelimiter ? sSegment.find(cDelimiter) : std::string_view::npos;
         p != std::string_view::npos && p <= nSplitEnd;
         p = p < nSplitEnd ? sSegment.find(cDelimiter, p + 1) : std::string_view::npos) {
        elements.push_back(sSegment.substr(nFrom, p - nFrom));
        nFrom = p + 1;
    }
    elements.push_back(sSegment.substr(nFrom));
}

bool gfKeepsEndBlanks(std::string_view sText, char cDelimiter)
{
    return sText.starts_with("ISA") && std::count(sText.begin(), sText.end(), cDelimiter) < 16;
}

}  // namespace orr
