#pragma once
// The data-element children of a new segment node, made from the segment's
// definition in the schema tree, and the value of one element by position.
// Every builder that creates segments (the default tree, the HL and
// free-form editors, new segments) uses it.
#include <cstdint>
#include <string>
#include <string_view>

#include "store/TreeNode.h"

namespace orr {

class clsTreeDNewDEs {
public:
    // Appends one element node per element definition below ndSegmentDef whose
    // requirement is not "N", as the last children of ndSegment: empty text,
    // tag "E" + the definition's position among all element definitions
    // (counting the unused ones), image "dde" for requirement M or R and
    // "ddeoptional" for any other. Then the segment's images become "closed"
    // and "open".
    void AddDEs(clsTree& docTree, const TreeNode& ndSegment, const TreeNode& ndSegmentDef);
    // Sets the text of the segment's nPosition-th child (from 1, in tree
    // order); nothing when there is no such child.
    void SetDeValue(const TreeNode& ndSegment, std::int16_t nPosition, std::string_view sValue);
    // The text of the nPosition-th child; "" when there is no such child or no segment.
    std::string GetDeValue(const TreeNode& ndSegment, std::int16_t nPosition);
};

}  // namespace orr
