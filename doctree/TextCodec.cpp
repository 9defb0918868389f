#include "doctree/TextCodec.h"

namespace orr {

std::string TextCodec::Utf8(std::string_view sLatin1)
{
    std::string out;
    out.reserve(sLatin1.size());
    for (const char c : sLatin1) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            out += c;
        } else {
            out += char(0xC0 | (u >> 6));
            out += char(0x80 | (u & 0x3F));
        }
    }
    return out;
}

std::optional<std::string> TextCodec::Latin1(std::string_view sUtf8)
{
    std::string out;
    out.reserve(sUtf8.size());
    for (std::size_t i = 0; i < sUtf8.size(); ++i) {
        const auto u = static_cast<unsigned char>(sUtf8[i]);
        if (u < 0x80) {
            out += char(u);
            continue;
        }
        // Only U+0080 to U+00FF fit: a lead byte C2 or C3 and one continuation.
        if ((u != 0xC2 && u != 0xC3) || i + 1 >= sUtf8.size())
            return std::nullopt;
        const auto next = static_cast<unsigned char>(sUtf8[++i]);
        if ((next & 0xC0) != 0x80)
            return std::nullopt;
        out += char(((u & 0x03) << 6) | (next & 0x3F));
    }
    return out;
}

}  // namespace orr
