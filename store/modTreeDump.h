#pragma once
// The text dump of a tree, shared by `orrindale-cli schema`, the later
// `tree` command and the tests. A contract: keep the format stable.
//
// One line per node in pre-order, fields separated by one TAB:
//   depth, key, tag, display text, image, expanded image
// Depth 0 is the starting node (or each top-level node). A TAB, CR or LF
// inside a field is written as the two characters \t, \r or \n. Lazy
// children are made as the dump reaches them.
#include <iosfwd>
#include <string>

#include "store/clsTree.h"

namespace orr {

// The whole tree when from is null, else the subtree of from.
void gfDumpTree(const clsTree& tree, std::ostream& out, NodeId from = {});
std::string gfDumpTreeText(const clsTree& tree, NodeId from = {});

}  // namespace orr
