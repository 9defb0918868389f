#pragma once
// One definition for a file whose functional groups follow different
// definitions: the interchange loop of the first, and in it, in place of its
// group loop, a keyed loop group holding each definition's group loop, told
// apart by an element of GS (GS08 or GS01) with the values the file's groups
// of that definition carry. Each group is then matched against its own
// definition, and the document holds them side by side.
#include <optional>
#include <string>
#include <vector>

namespace orr {

struct MixedPart {
    std::string sType;                // the definition ("850")
    std::vector<std::string> lines;   // its flattened definition lines
    std::vector<std::string> keys;    // the key element's values of its groups
};

// The flattened lines of the composed definition; nullopt when a part has
// no group loop (L 0002) to take. nKeyElement: the GS element that tells
// the groups apart.
std::optional<std::vector<std::string>> gfComposeMixedDefinition(const std::vector<MixedPart>& parts,
                                                                 int nKeyElement);

// "850+810": the name of a composed definition of these types.
std::string gfMixedTypeName(const std::vector<std::string>& types);

}  // namespace orr
