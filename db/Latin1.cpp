#include "db/Latin1.h"

#include <algorithm>

namespace orr {

bool gfIsAscii(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void gfLatin1ToUtf8(std::string_view s, std::string& out)
{
    out.clear();
    for (const char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += char(0xC0 | (b >> 6));
            out += char(0x80 | (b & 0x3F));
        }
    }
}

std::string gfUtf8ToLatin1(std::string_view s)
{
    if (gfIsAscii(s))
        return std::string(s);
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            out += s[i++];
            continue;
        }
        // The length of the sequence from its lead byte; its code point when it is two bytes long.
        const std::size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        const bool bTwo = n == 2 && i + 1 < s.size() && (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80;
        const unsigned nCode = bTwo ? ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu) : 0x100u;
        out += nCode <= 0xFF ? char(nCode) : '?';
        i += std::min(n, s.size() - i);
    }
    return out;
}

}  // namespace orr
