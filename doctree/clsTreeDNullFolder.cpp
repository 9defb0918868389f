#include "doctree/clsTreeDNullFolder.h"

#include <vector>

#include "app/UiService.h"
#include "app/modSystem.h"
#include "doctree/modNodeD.h"
#include "schema/modNodeS.h"

namespace orr {
namespace {

bool IsSystemCode(const std::string& s) { return s == "LS" || s == "HLS" || s == "ELS" || s == "ESS"; }

// Whether the node has no children, without making the element children of
// a segment read from a file: its segment text holds elements exactly when
// it is longer than the identifier.
bool Childless(const TreeNode& nd)
{
    clsTree& tree = *nd.Tree();
    if (tree.ChildrenPending(nd.Id()))
        if (const auto payload = tree.Payload(nd.Id()))
            return payload->size() <= nd.Text().size();
    return !tree.HasChildren(nd.Id());
}

}  // namespace

bool clsTreeDNullFolder::IsEmptyNode(const TreeNode& nd)
{
    if (!nd || nd.Tag().empty())
        return false;
    const char kind = gfDnodeType(nd);
    if (kind != 'S' && kind != 'T' && kind != 'F' && kind != 'X' && kind != 'Z')
        return false;
    return Childless(nd);
}

bool clsTreeDNullFolder::HasEmptyChild(const TreeNode& nd)
{
    for (TreeNode c = nd.FirstChild(); c; c = c.Next())
        if (IsEmptyNode(c))
            return true;
    return false;
}

bool clsTreeDNullFolder::CanExpandNull(const TreeNode& nd)
{
    if (!nd)
        return false;
    const char kind = gfDnodeType(nd);
    bool bKind = false;
    switch (kind) {
    case 'D':
    case 'X':
    case 'F':
    case 'T':
        bKind = true;
        break;
    case 'Z': {
        const std::string sCode = gfDnodeSegType(nd);
        if (sCode == "LS")
            bKind = true;
        else if (sCode != "HLS" && sCode != "ELS" && sCode != "ESS")
            gfIllogic(std::string("unknown node:") + kind + " seg=" + sCode);
        break;
    }
    case 'S':
    case 'E':
        break;
    default:
        gfIllogic(std::string("unknown node:") + kind);
        break;
    }
    return bKind && nd.Tree()->HasChildren(nd.Id());
}

bool clsTreeDNullFolder::ToggleNullFolder(clsTree& docTree, clsTree& schemaTree, const TreeNode& ndDoc,
                                          const TreeNode& ndSchema)
{
    if (!ndDoc || !ndSchema) {
        gfMsgBox("You must select a folder first.", MsgIcon::Information);
        return false;
    }
    if (HasEmptyChild(ndDoc))
        HideNullFolder(docTree, ndDoc);
    else
        ShowNullFolder(docTree, schemaTree, ndDoc, ndSchema);
    return true;
}

TreeNode clsTreeDNullFolder::AddPlaceholder(clsTree& docTree, const TreeNode& ndSchema, const TreeNode& ndRel,
                                            Relation relation)
{
    std::string sType, sCode;
    gfSnodeType(ndSchema, sType, sCode);
    NodeInit init;
    std::string sTag, sText;
    if (sType == "R") {
        sText = sCode;
        sTag = gfDnodeNewTag("S", sCode, "0");
        init.image = init.expandedImage = docTree.InternImage("nullsegment");
    } else if (sType == "S" && IsSystemCode(sCode)) {
        sText = gfSnodeGetAttr(ndSchema, 'D');
        sTag = gfDnodeNewTag("Z", sCode, "0");
        init.image = init.expandedImage = docTree.InternImage("closednull");
    } else {
        gfIllogic("Unknow node s1=" + sType + " s2= " + sCode);
        return {};
    }
    // Linked as it is made: a tag set afterwards would intern a second one.
    sTag = gfDnodeTagWithLink(sTag, gfSnodeFQN(ndSchema));
    init.sText = sText;
    init.sTag = sTag;
    return docTree.Node(docTree.Add(ndRel.Id(), relation, init));
}

void clsTreeDNullFolder::ShowNullFolder(clsTree& docTree, clsTree& schemaTree, const TreeNode& ndDoc,
                                        const TreeNode& ndSchema)
{
    if (!ndDoc || !ndSchema) {
        gfIllogic("Kill me.");
        return;
    }
    if (HasEmptyChild(ndDoc))
        return;
    auto advance = [&](const TreeNode& p) { return p ? p.Next() : ndSchema.FirstChild(); };

    TreeNode ndP;  // the schema position: the schema node of the last child walked
    TagId lastTag;
    for (TreeNode ndChild = ndDoc.FirstChild(); ndChild; ndChild = ndChild.Next()) {
        // Repetitions carry the same tag (same kind, code and link): one position.
        const TagId tag = docTree.TagIdOf(ndChild.Id());
        if (ndP && tag == lastTag)
            continue;
        lastTag = tag;
        const TreeNode ndC = schemaTree.Node(schemaTree.FindKey(gfDnodeSchemaKey(ndChild)));
        if (ndC && ndC == ndP)
            continue;
        // Placeholders go between the previous child and this one, in order.
        for (ndP = advance(ndP);; ndP = ndP.Next()) {
            if (!ndP) {  // the schema ran out before reaching the child (or has no such node)
                gfIllogic("Unknow node s1= s2= ");
                return;
            }
            if (ndP == ndC)
                break;
            if (!AddPlaceholder(docTree, ndP, ndChild, Relation::Previous))
                return;
        }
    }
    for (ndP = advance(ndP); ndP; ndP = ndP.Next())
        if (!AddPlaceholder(docTree, ndP, ndDoc, Relation::Child))
            return;
}

void clsTreeDNullFolder::HideNullFolder(clsTree& docTree, const TreeNode& ndDoc)
{
    const std::vector<NodeId> remove = EmptyChildren(ndDoc);
    // From the last: the earlier siblings keep their places.
    for (auto it = remove.rbegin(); it != remove.rend(); ++it)
        docTree.Remove(*it);
}

std::vector<NodeId> clsTreeDNullFolder::EmptyChildren(const TreeNode& ndDoc)
{
    // Removing one empty child never makes another one empty or not, so one
    // pass finds what repeated passes from the first child would remove.
    std::vector<NodeId> empty;
    for (TreeNode c = ndDoc.FirstChild(); c; c = c.Next()) {
        if (!IsEmptyNode(c))
            continue;
        if (gfDnodeType(c) == 'Z') {
            const std::string sCode = gfDnodeSegType(c);
            if (!IsSystemCode(sCode)) {
                gfIllogic("Unknown node:" + sCode);
                continue;
            }
        }
        empty.push_back(c.Id());
    }
    return empty;
}

}  // namespace orr
