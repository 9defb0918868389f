#pragma once
// Whether two document trees say the same thing: the same shape and, node
// by node, the same text, tag and images (colours and expansion belong to
// the view). Segments whose elements are untouched in both trees compare by
// their stored text, without making their elements.
#include "store/clsTree.h"

namespace orr {

class TreeEquality {
public:
    static bool Equal(clsTree& a, NodeId rootA, clsTree& b, NodeId rootB);
};

}  // namespace orr
