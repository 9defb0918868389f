#include "doctree/clsTreeDNewDEs.h"

#include "doctree/modNodeD.h"
#include "schema/modNodeS.h"

namespace orr {
namespace {

// The child at a position counted from 1, or the missing node.
TreeNode ChildAt(const TreeNode& ndSegment, std::int16_t nPosition)
{
    if (!ndSegment || nPosition < 1 || std::uint32_t(nPosition) > ndSegment.Children())
        return {};
    return ndSegment.Child(std::uint32_t(nPosition - 1));
}

}  // namespace

void clsTreeDNewDEs::AddDEs(clsTree& docTree, const TreeNode& ndSegment, const TreeNode& ndSegmentDef)
{
    if (!ndSegment)
        return;
    const ImageId imgDde = docTree.InternImage("dde");
    const ImageId imgOptional = docTree.InternImage("ddeoptional");
    std::size_t nPosition = 0;
    for (TreeNode ndDef = ndSegmentDef.FirstChild(); ndDef; ndDef = ndDef.Next()) {
        ++nPosition;
        const std::string sRequirement = gfSnodeGetAttr(ndDef, 'P');
        if (sRequirement == "N")
            continue;
        const std::string sTag = gfDnodeElementTag(nPosition);
        NodeInit init;
        init.sTag = sTag;
        init.image = sRequirement == "M" || sRequirement == "R" ? imgDde : imgOptional;
        docTree.Add(ndSegment.Id(), Relation::Child, init);
    }
    ndSegment.SetImage("closed");
    ndSegment.SetExpandedImage("open");
}

void clsTreeDNewDEs::SetDeValue(const TreeNode& ndSegment, std::int16_t nPosition, std::string_view sValue)
{
    if (const TreeNode nd = ChildAt(ndSegment, nPosition))
        nd.SetText(sValue);
}

std::string clsTreeDNewDEs::GetDeValue(const TreeNode& ndSegment, std::int16_t nPosition)
{
    const TreeNode nd = ChildAt(ndSegment, nPosition);
    return nd ? std::string(nd.Text()) : std::string();
}

}  // namespace orr
