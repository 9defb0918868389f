#pragma once
// What the editing engines share: running one user command as one undo
// step, making new nodes off the tree and attaching them whole, the
// schema facts of a document node, the element renumbering and the
// empty-node folders as recorded edits.
#include <functional>
#include <string>
#include <string_view>

#include "app/modText.h"
#include "doctree/EdiDocument.h"
#include "doctree/TreeEdit.h"
#include "schema/SchemaIndex.h"

namespace orr {

// How a command's changes end.
enum class EditEnd {
    Discard,     // nothing stays: a refusal, or a failed build taken back
    Changed,     // kept, and reported as a change
    Unreported,  // kept, though the engine reports no change to its caller
};

// Runs one user command's changes as one edit named sName: committed to the
// document as one undo step unless discarded. The edit starts with the
// current node to select before and after; fnEdit may change both. A
// run-time failure takes back what was made and goes on to the caller's
// exception boundary. True when fnEdit ended with Changed.
bool gfRunEdit(EdiDocument& doc, std::string sName, const std::function<EditEnd(TreeEdit&)>& fnEdit,
               bool bViewOnly = false);

// A node outside the tree, to be filled and attached whole (one
// notification for the view, nothing to take back when its build fails).
NodeId gfAddDetached(clsTree& tree, std::string_view sText, std::string_view sTag, std::string_view sImage,
                     std::string_view sExpandedImage, bool bExpanded = false);
// Moves the children of the detached scratch node to the end of target's
// children, recorded, and frees the scratch node.
void gfAttachChildren(TreeEdit& edit, NodeId scratch, NodeId target);

// Fills the node (usually a detached new one) with the default content of
// the schema entry; false when the default-tree builder failed.
bool gfBuildDefault(EdiDocument& doc, NodeId nd, SchemaIx ix);

// The schema entry a document node is an instance of (an element: its
// segment's); none when its link names no schema node.
SchemaIx gfSchemaOf(EdiDocument& doc, NodeId node);
// The schema tree's node of an entry.
TreeNode gfSchemaNode(EdiDocument& doc, SchemaIx ix);
// The tag of a new document node of the given kind and code linked to an entry.
std::string gfLinkedTag(std::string_view sKind, std::string_view sCode, const SchemaIndex& index, SchemaIx ix);
// R of an entry; one that is not a number is warned about and counts 0.
std::int32_t gfRepeatOf(const SchemaEntry& e);
// The key value a new instance of the entry carries: its K, or the first
// code when K lists several (the whole list would never match on reading).
std::string gfKeyToWrite(const SchemaEntry& e);
// Whether a segment is keyed as an instance of the entry, as the reading
// would match it: the value at key element position nY, its first
// repetition's first component (cut with the separators of the interchange
// the segment is in) is one of the entry's codes, whatever its case.
bool gfKeyCounts(const SchemaIndex& index, SchemaIx ix, const TreeNode& ndSegment, std::int16_t nY);

// Renumbers a segment's elements "E01", "E02", ..., recorded.
void gfRenumberDEs(TreeEdit& edit, const TreeNode& ndSegment);
// The empty-node folder of ndDoc shown or hidden, recorded.
void gfShowNullFolder(TreeEdit& edit, EdiDocument& doc, const TreeNode& ndDoc, const TreeNode& ndSchema);
void gfHideNullFolder(TreeEdit& edit, const TreeNode& ndDoc);

}  // namespace orr
