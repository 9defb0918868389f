#pragma once
// Small text rules the whole program shares, written once.
#include <cstddef>
#include <string>
#include <string_view>

namespace orr {

// The line break inside messages and written text.
inline constexpr const char* kCrLf = "\r\n";

// s without the spaces at either end; tabs and line ends stay, as a value
// read from a file keeps them.
std::string_view gfTrimSpaces(std::string_view s);
// s without the spaces and tabs at either end: a typed or configured name.
std::string_view gfTrimBlanks(std::string_view s);
// A temporary string is trimmed into a string of its own, so no view of it
// outlives it.
std::string gfTrimSpaces(std::string&& s);
std::string gfTrimBlanks(std::string&& s);

// True when s holds nothing but spaces, tabs and line ends (or nothing).
bool gfAllBlank(std::string_view s);

// c, or s, with ASCII letters in upper case.
inline char gfUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
std::string gfUpper(std::string s);

// Names equal but for the case of their ASCII letters (codes, file names).
// Inline, and folding by hand rather than by the locale's tolower: the open
// compares a code for every keyed segment.
inline bool gfSameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'A' && a[i] <= 'Z' ? char(a[i] | 0x20) : a[i];
        const char y = b[i] >= 'A' && b[i] <= 'Z' ? char(b[i] | 0x20) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

}  // namespace orr
