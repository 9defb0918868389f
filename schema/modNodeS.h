#pragma once
// Schema node tags: building a tag from a definition line, reading
// and changing single attributes, kind, requirement, keys, display text and
// the use counters of the document builder.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/TreeNode.h"

namespace orr {

// ---- Text helpers shared by the definition engine ----------------------------
// The fields of s between the separators (one field for a text without one).
std::vector<std::string_view> gfSplitFields(std::string_view s, char cSeparator = '*');
// Numeric as the definition engine means it: optional blanks around an optional sign
// and decimal digits with at most one decimal point ("0", "00", " 12 ", "1.5").
bool gfIsNumeric(std::string_view s);
// The value of a numeric text rounded to a whole number (halves to even);
// nullopt when the text is not numeric or the value does not fit 32 bits.
std::optional<std::int32_t> gfNumericValue(std::string_view s);

// ---- Tags ---------------------------------------------------------------------
inline constexpr const char* kUnusableTag = "I???";

// The tag of a definition line; "I???" after the
// "Invalid Schema input line:" message, or silently for an unknown "A??" kind.
// A segment line of fewer than five fields and a data-element line of fewer
// than seven count as a mismatch: message and "I???".
std::string gfSnodeParseLine(std::string_view sLine, std::string_view sNumber);
// Five digits with leading zeros; above 99999 gfSystemIllogic.
std::string gfSnodeNumberText(std::int32_t nNumber);
// The value of the first field of sTag that starts with cLetter; "".
std::string gfTagGetAttr(std::string_view sTag, char cLetter);
// The same as a view into sTag.
std::string_view gfTagAttrView(std::string_view sTag, char cLetter);
// True when gfSnodeSetAttr would change the cLetter field of a node with
// this tag: the tag has at least seven fields and one starting with cLetter.
bool gfTagCanSetAttr(std::string_view sTag, char cLetter);
// The display text of a tag (what gfSnodeDisplay shows for a node with it).
std::string gfTagDisplay(std::string_view sTag);

// ---- Node operations -------------------------------------------------------------
std::string gfSnodeGetAttr(TreeNode nd, char cLetter);
// "" gives 0; a value that is not numeric shows "Expecting nuneric data." and gives 0.
std::int32_t gfSnodeGetAttrNum(TreeNode nd, char cLetter);
// Replaces the first field starting with cLetter; nothing when the tag has
// fewer than seven fields or no such field.
void gfSnodeSetAttr(TreeNode nd, char cLetter, std::string_view sValue);
// The I value split into its first character and the rest; "" and "" for a missing node.
void gfSnodeType(TreeNode nd, std::string& sType, std::string& sSubType);
std::string gfSnodeGetNumber(TreeNode nd);
std::string gfSnodeGetKey(TreeNode nd);
// X and Y, each 0 when absent, empty, not numeric or beyond 16 bits.
void gfSnodeGetKeyPositions(TreeNode nd, std::int16_t& nX, std::int16_t& nY);
bool gfSnodeRequired(TreeNode nd);
std::string gfSnodeFQN(TreeNode nd);
std::string gfSnodeDisplay(TreeNode nd);

}  // namespace orr
