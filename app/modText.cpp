#include "app/modText.h"

#include <algorithm>

namespace orr {
namespace {

template <class IsBlank>
std::string_view TrimOf(std::string_view s, IsBlank isBlank)
{
    // Most values have no blank to take: the test of the two end characters
    // is all the work (the reader trims every segment).
    std::size_t nFrom = 0, nTo = s.size();
    while (nFrom < nTo && isBlank(s[nFrom]))
        ++nFrom;
    while (nTo > nFrom && isBlank(s[nTo - 1]))
        --nTo;
    return s.substr(nFrom, nTo - nFrom);
}

std::string Owned(std::string&& s, std::string_view sTrimmed)
{
    const auto nFrom = std::size_t(sTrimmed.data() - s.data());
    s.resize(nFrom + sTrimmed.size());
    s.erase(0, nFrom);
    return std::move(s);
}

}  // namespace

std::string_view gfTrimSpaces(std::string_view s)
{
    return TrimOf(s, [](char c) { return c == ' '; });
}

std::string_view gfTrimBlanks(std::string_view s)
{
    return TrimOf(s, [](char c) { return c == ' ' || c == '\t'; });
}

std::string gfTrimSpaces(std::string&& s)
{
    const std::string_view sTrimmed = gfTrimSpaces(std::string_view(s));
    return Owned(std::move(s), sTrimmed);
}

std::string gfTrimBlanks(std::string&& s)
{
    const std::string_view sTrimmed = gfTrimBlanks(std::string_view(s));
    return Owned(std::move(s), sTrimmed);
}

std::string gfUpper(std::string s)
{
    for (char& c : s)
        c = gfUpper(c);
    return s;
}

bool gfAllBlank(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

}  // namespace orr
