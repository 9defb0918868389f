#pragma once
#include <array>
#include <cstdint>
#include <string_view>

namespace orr {

// A tag's fields by letter (A to Z), cut once: each letter's first field,
// as gfTagGetAttr reads it; "" for a letter without one.
class TagFields {
public:
    explicit TagFields(std::string_view sTag);
    std::string_view operator[](char cLetter) const
    {
        return cLetter >= 'A' && cLetter <= 'Z' ? mFields[std::size_t(cLetter - 'A')] : std::string_view();
    }
    // Whether the tag has a cLetter field to set: seven fields or more, one of them cLetter's.
    bool CanSet(char cLetter) const
    {
        return mnFields >= 7 && cLetter >= 'A' && cLetter <= 'Z' && (mnSeen & 1u << (cLetter - 'A'));
    }

private:
    std::array<std::string_view, 26> mFields{};
    std::uint32_t mnSeen = 0;  // a bit per letter with a field
    std::size_t mnFields = 0;
};

}  // namespace orr
