#pragma once
// Document node tags: kind letter, three-character code, "*" and the dotted
// path of the matched schema node ("S" "N1 " "*" "00000.00003.00012").
// Element nodes carry "E" and their two-digit position.
#include <string>
#include <string_view>

#include "store/TreeNode.h"

namespace orr {

inline constexpr const char* kUnlinked = "00000";
// The images of the node that keeps text found after the last segment
// terminator: written back as it stands, with no terminator after it.
inline constexpr const char* kTrailingImage = "trailing";
inline constexpr const char* kTrailingOpenImage = "trailingopen";

// kind + first three characters of (code + blanks) + "*" + last five of ("0000" + number).
std::string gfDnodeNewTag(std::string_view sKind, std::string_view sCode, std::string_view sNumber);
// kind + the code's three columns + "*" + the schema node's path: a new
// node's tag linked at once.
std::string gfDnodeLinkedTag(std::string_view sKind, std::string_view sCode, std::string_view sLink);
// The same into sTag (its room kept: a reader makes many).
void gfDnodeLinkedTagInto(std::string& sTag, std::string_view sKind, std::string_view sCode, std::string_view sLink);
// "E01", "E02", ...; positions from 100 up keep their last two digits.
std::string gfDnodeElementTag(std::size_t nPosition);
// Replaces the tag's link (second "*" field) with the schema node's path.
void gfDnodeLinkSchema(const TreeNode& nd, const TreeNode& ndSchema);
// The same with the path already known (the builder caches paths).
std::string gfDnodeTagWithLink(std::string_view sTag, std::string_view sLink);

char gfDnodeType(const TreeNode& nd);
std::string gfDnodeSegType(const TreeNode& nd);
bool gfDnodeIsEnvelope(const TreeNode& nd);
// An empty segment placeholder (shown where a segment may be inserted): the
// writer leaves it out. A segment of nothing but its identifier is no placeholder.
bool gfDnodeIsPlaceholder(const TreeNode& nd);
std::string gfDnodeSchemaPath(const TreeNode& nd);
// The link part of a document tag without a message: "" when there is none.
std::string_view gfDnodeTagLink(std::string_view sTag);
std::string gfDnodeSchemaKey(const TreeNode& nd);
int gfDnodeRunCount(const TreeNode& nd);
// A segment node's text: its identifier and its elements joined by
// cDelimiter. A segment whose elements were never changed gives its stored
// text without copying (when it was read with cDelimiter); otherwise the
// text is made in buffer.
std::string_view gfDnodeSegmentText(const clsTree& tree, NodeId segment, char cDelimiter, std::string& buffer);
// The node after node in document order below root, never entering a
// segment: its elements go with it. Null after the last one.
NodeId gfDnodeNextInOrder(const clsTree& tree, NodeId root, NodeId node);
int gfDnodeSiblingCount(const TreeNode& nd);

}  // namespace orr
