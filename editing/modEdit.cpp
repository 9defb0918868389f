#include "editing/modEdit.h"

#include <unordered_set>
#include <vector>

#include "app/UiService.h"
#include "doctree/clsTreeDNewDEs.h"
#include "doctree/clsTreeDNewTree.h"
#include "doctree/clsTreeDNullFolder.h"
#include "doctree/modNodeD.h"
#include "edi/modGuessEdi.h"

namespace orr {

bool gfRunEdit(EdiDocument& doc, std::string sName, const std::function<EditEnd(TreeEdit&)>& fnEdit, bool bViewOnly)
{
    TreeEdit edit(doc.Tree(), std::move(sName));
    edit.SetViewOnly(bViewOnly);
    edit.selectBefore = edit.selectAfter = doc.Current();
    EditEnd end = EditEnd::Discard;
    try {
        end = fnEdit(edit);
    } catch (...) {
        edit.Undo();
        throw;
    }
    if (end == EditEnd::Discard) {
        edit.Undo();
        return false;
    }
    doc.Commit(std::move(edit));
    return end == EditEnd::Changed;
}

NodeId gfAddDetached(clsTree& tree, std::string_view sText, std::string_view sTag, std::string_view sImage,
                     std::string_view sExpandedImage, bool bExpanded)
{
    NodeInit init;
    init.sText = sText;
    init.sTag = sTag;
    init.image = tree.InternImage(sImage);
    init.expandedImage = tree.InternImage(sExpandedImage);
    init.bExpanded = bExpanded;
    return tree.AddDetached(init);
}

void gfAttachChildren(TreeEdit& edit, NodeId scratch, NodeId target)
{
    clsTree& tree = edit.Tree();
    while (const NodeId child = tree.FirstChild(scratch)) {
        tree.Detach(child);  // quiet: the scratch node is off the tree
        edit.Attach(child, target, Relation::Child);
    }
    tree.Remove(scratch);
}

bool gfBuildDefault(EdiDocument& doc, NodeId nd, SchemaIx ix)
{
    clsTreeDNewTree builder;
    builder.SetDelimiter(doc.Delimiter());
    return builder.Build(doc.Tree(), doc.Tree().Node(nd), gfSchemaNode(doc, ix));
}

SchemaIx gfSchemaOf(EdiDocument& doc, NodeId node) { return doc.Index().Of(doc.SchemaNodeOf(node)); }

TreeNode gfSchemaNode(EdiDocument& doc, SchemaIx ix)
{
    return ix ? doc.SchemaTree().Node(doc.Index().Node(ix)) : TreeNode();
}

std::string gfLinkedTag(std::string_view sKind, std::string_view sCode, const SchemaIndex& index, SchemaIx ix)
{
    return gfDnodeLinkedTag(sKind, sCode, index.Link(ix));
}

std::int32_t gfRepeatOf(const SchemaEntry& e)
{
    if (e.bRepeatBad)
        gfMsgBox("Expecting nuneric data.", MsgIcon::Critical);
    return e.nRepeat;
}

std::string gfKeyToWrite(const SchemaEntry& e) { return e.keys.empty() ? std::string() : e.keys.front(); }

namespace {

// The separators the ISA of the interchange nd is in declares; the defaults
// without an ISA.
InterchangeSeparators SeparatorsOf(TreeNode nd)
{
    while (nd && nd.Parent() && gfDnodeType(nd) != 'X')
        nd = nd.Parent();
    const TreeNode ndIsa = nd.FirstChild();
    if (!ndIsa || ndIsa.Text() != "ISA")
        return {};
    clsTreeDNewDEs elements;
    return gfIsaSeparators(elements.GetDeValue(ndIsa, 11), elements.GetDeValue(ndIsa, 12),
                           elements.GetDeValue(ndIsa, 16));
}

}  // namespace

bool gfKeyCounts(const SchemaIndex& index, SchemaIx ix, const TreeNode& ndSegment, std::int16_t nY)
{
    const std::string sValue = clsTreeDNewDEs().GetDeValue(ndSegment, nY);
    const auto [cComponent, cRepetition] = SeparatorsOf(ndSegment);
    std::string_view sKey = sValue;
    if (cRepetition)
        sKey = sKey.substr(0, sKey.find(cRepetition));
    return index.KeyMatches(ix, sKey.substr(0, sKey.find(cComponent)));
}

void gfRenumberDEs(TreeEdit& edit, const TreeNode& ndSegment)
{
    if (gfDnodeType(ndSegment) != 'S') {
        gfMsgBox(std::string("gfRenumberDEs:Unknown root node:") + gfDnodeType(ndSegment), MsgIcon::Critical);
        return;
    }
    std::size_t n = 1;
    for (TreeNode c = ndSegment.FirstChild(); c; c = c.Next()) {
        const std::string sTag = gfDnodeElementTag(n++);
        if (c.Tag() != sTag)
            edit.SetTag(c.Id(), sTag);
    }
}

void gfShowNullFolder(TreeEdit& edit, EdiDocument& doc, const TreeNode& ndDoc, const TreeNode& ndSchema)
{
    std::unordered_set<NodeId> before;
    for (TreeNode c = ndDoc.FirstChild(); c; c = c.Next())
        before.insert(c.Id());
    // The folder engine inserts the placeholders itself; each is then
    // recorded where it stands, in tree order.
    clsTreeDNullFolder().ShowNullFolder(doc.Tree(), doc.SchemaTree(), ndDoc, ndSchema);
    for (TreeNode c = ndDoc.FirstChild(); c; c = c.Next())
        if (!before.count(c.Id()))
            edit.Adopt(c.Id());
}

void gfHideNullFolder(TreeEdit& edit, const TreeNode& ndDoc)
{
    const std::vector<NodeId> empty = clsTreeDNullFolder().EmptyChildren(ndDoc);
    for (auto it = empty.rbegin(); it != empty.rend(); ++it)
        edit.Remove(*it);
}

}  // namespace orr
