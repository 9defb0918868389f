#pragma once
// The program holds texts as Latin-1 bytes; databases keep UTF-8.
#include <string>
#include <string_view>

namespace orr {

bool gfIsAscii(std::string_view s);
// Into out (replaced).
void gfLatin1ToUtf8(std::string_view s, std::string& out);
// A character beyond Latin-1, or a broken sequence, becomes "?".
std::string gfUtf8ToLatin1(std::string_view s);

}  // namespace orr
