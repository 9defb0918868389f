#pragma once
// EDI text is 8-bit and shown as Latin-1; JSON and XML carry UTF-8.
#include <optional>
#include <string>
#include <string_view>

namespace orr {

class TextCodec {
public:
    static std::string Utf8(std::string_view sLatin1);
    // Nothing when the text is not UTF-8 or holds a character above U+00FF.
    static std::optional<std::string> Latin1(std::string_view sUtf8);
};

}  // namespace orr
