#include "doctree/TreeEquality.h"

namespace orr {

bool TreeEquality::Equal(clsTree& a, NodeId rootA, clsTree& b, NodeId rootB)
{
    if (a.Text(rootA) != b.Text(rootB) || a.Tag(rootA) != b.Tag(rootB) || a.Image(rootA) != b.Image(rootB) ||
        a.ExpandedImage(rootA) != b.ExpandedImage(rootB))
        return false;
    const std::optional<std::string_view> payloadA = a.Payload(rootA), payloadB = b.Payload(rootB);
    if (payloadA && payloadB && *payloadA == *payloadB)
        return true;
    if (a.ChildCount(rootA) != b.ChildCount(rootB))
        return false;
    for (NodeId x = a.FirstChild(rootA), y = b.FirstChild(rootB); x; x = a.Next(x), y = b.Next(y))
        if (!Equal(a, x, b, y))
            return false;
    return true;
}

}  // namespace orr
