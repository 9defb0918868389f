#include "app/modText.h"

#include <algorithm>

namespace orr {
namespace {

std::string_view TrimOf(std::string_view s, std::string_view sBlanks)
{
    // Loops over the ends: most values have no blank to take, so the test
    // of the two end characters is all the work.
    while (!s.empty() && sBlanks.find(s.front()) != std::string_view::npos)
        s.remove_prefix(1);
    while (!s.empty() && sBlanks.find(s.back()) != std::string_view::npos)
        s.remove_suffix(1);
    return s;
}

std::string Owned(std::string&& s, std::string_view sTrimmed)
{
    const auto nFrom = std::size_t(sTrimmed.data() - s.data());
    s.resize(nFrom + sTrimmed.size());
    s.erase(0, nFrom);
    return std::move(s);
}

}  // namespace

std::string_view gfTrimSpaces(std::string_view s) { return TrimOf(s, " "); }

std::string_view gfTrimBlanks(std::string_view s) { return TrimOf(s, " \t"); }

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
