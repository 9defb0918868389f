#include "editing/clsTreeDNew.h"

#include <vector>

#include "app/UiService.h"
#include "app/modSystem.h"
#include "doctree/clsTreeDNewDEs.h"
#include "doctree/modNodeD.h"

namespace orr {
namespace {

std::string Question(const std::string& sWhat) { return sWhat + kCrLf + kCrLf + "Continue ?"; }

bool Confirmed(const std::string& sWhat)
{
    return gfMsgBox(Question(sWhat), MsgIcon::None, MsgButtons::YesNo) == MsgAnswer::Yes;
}

std::string TypeText(const SchemaEntry& e) { return e.cType ? std::string(1, e.cType) : std::string(); }

}  // namespace

clsTreeDNew::clsTreeDNew(EdiDocument& doc) : mDoc(doc), mHL(doc), mES(doc), mSegment(doc) {}

bool clsTreeDNew::AddChild()
{
    return gfRunEdit(mDoc, "New Child",
                     [this](TreeEdit& edit) { return AddChildTo(edit, mDoc.Tree().Node(mDoc.Current())); });
}

bool clsTreeDNew::AddSibling(bool bBefore)
{
    return gfRunEdit(mDoc, "New Sibling", [this, bBefore](TreeEdit& edit) {
        return AddSiblingTo(edit, mDoc.Tree().Node(mDoc.Current()), bBefore);
    });
}

EditEnd clsTreeDNew::AddChildTo(TreeEdit& edit, const TreeNode& ndAnchor)
{
    if (!ndAnchor) {
        gfIllogic("No anchor to insert the new child node");
        return EditEnd::Discard;
    }
    switch (gfDnodeType(ndAnchor)) {
    case 'D': return AddNewTransmission(edit, ndAnchor);
    case 'X':
    case 'F':
    case 'T': return AddLoopChild(edit, ndAnchor);
    case 'S': return AddSegmentChild(edit, ndAnchor);
    case 'E':
        gfMsgBox("You are not allowed to insert a new child to " + std::string(ndAnchor.Text()));
        return EditEnd::Discard;
    case 'Z': {
        const std::string sCode = gfDnodeSegType(ndAnchor);
        if (sCode == "LS")
            return AddLoopChild(edit, ndAnchor);
        if (sCode == "HLS" || sCode == "ELS" || sCode == "ESS")
            return AddChosenChild(edit, ndAnchor);
        break;
    }
    default: break;
    }
    gfIllogic("clsTreeDNew.AddChild-Unknown node:" + ndAnchor.Tag());
    return EditEnd::Discard;
}

EditEnd clsTreeDNew::AddSiblingTo(TreeEdit& edit, const TreeNode& ndAnchor, bool bBefore)
{
    if (!ndAnchor) {
        gfIllogic("No anchor to insert a new Sibling.");
        return EditEnd::Discard;
    }
    const std::string sText(ndAnchor.Text());
    switch (gfDnodeType(ndAnchor)) {
    case 'D': gfMsgBox("Can not do it.", MsgIcon::Information); return EditEnd::Discard;
    case 'X':
    case 'F':
    case 'T':
    case 'Z': return AddSystem(edit, ndAnchor, bBefore);
    case 'S': {
        if (gfDnodeIsEnvelope(ndAnchor)) {
            gfMsgBox("You can not insert before or after this segment:" + sText, MsgIcon::Information);
            return EditEnd::Discard;
        }
        const TreeNode ndParent = ndAnchor.Parent();
        if (!ndParent) {
            gfIllogic("Parent is null:" + sText + kCrLf + ndAnchor.Tag());
            return EditEnd::Discard;
        }
        // The segments of an element-segment container are told apart by a key.
        if (gfDnodeSegType(ndParent) == "ESS")
            return End(mES.BuildES(edit, ndParent.Id(), bBefore ? Relation::Previous : Relation::Next,
                                   gfSchemaOf(mDoc, ndAnchor.Id())));
        return End(mSegment.AddNewSegment(edit, bBefore));
    }
    case 'E': gfIllogic("You are not allowed to insert a new sibling to " + sText); return EditEnd::Discard;
    default: gfIllogic("clsTreeDNew.AddSibling-Unknown node:" + ndAnchor.Tag()); return EditEnd::Discard;
    }
}

EditEnd clsTreeDNew::AddNewTransmission(TreeEdit& edit, const TreeNode& ndRoot)
{
    if (!Confirmed("You are about to add a new transmission to this document."))
        return EditEnd::Discard;
    return End(BuildBelow(edit, ndRoot, mDoc.Index().Root()));
}

EditEnd clsTreeDNew::AddSystem(TreeEdit& edit, const TreeNode& ndAnchor, bool bBefore)
{
    std::string sKind;
    switch (gfDnodeType(ndAnchor)) {
    case 'X': sKind = "Transmission"; break;
    case 'F': sKind = "Functional Group"; break;
    case 'T': sKind = "Transaction"; break;
    default:
        if (const SchemaIx ix = gfSchemaOf(mDoc, ndAnchor.Id()))
            sKind = mDoc.Index()[ix].sDescription;
        break;
    }
    if (!Confirmed("You are about to insert a new " + sKind + " " + (bBefore ? "BEFORE" : "AFTER") +
                   " the active node."))
        return EditEnd::Discard;
    return DoIt(edit, ndAnchor, bBefore ? Relation::Previous : Relation::Next);
}

EditEnd clsTreeDNew::DoIt(TreeEdit& edit, const TreeNode& ndRef, Relation relation)
{
    clsTree& tree = mDoc.Tree();
    const SchemaIndex& index = mDoc.Index();
    const SchemaIx ix = gfSchemaOf(mDoc, ndRef.Id());
    const char kind = gfDnodeType(ndRef);
    if (kind == 'X' || kind == 'F' || kind == 'T') {
        const char* sText = kind == 'X' ? "Transmission New" : kind == 'F' ? "Functional Group New" : "Transation New";
        // Another instance of the same definition node: the same tag.
        return AddBuilt(edit, ndRef, relation, gfAddDetached(tree, sText, ndRef.Tag(), "closeddata", "opendata"), ix);
    }
    if (kind != 'Z') {
        gfIllogic(std::string("AddSibling-unknown node:") + kind);
        return EditEnd::Discard;
    }
    const SchemaEntry& def = index[ix];
    if (def.sCode != "LS") {
        gfIllogic("Illogic:DoIt s1=" + TypeText(def) + " s2=" + std::string(def.sCode));
        return EditEnd::Discard;
    }
    if (!def.parent) {
        gfIllogic("Invalid schema" + mDoc.SchemaTree().Tag(def.node));
        return EditEnd::Discard;
    }
    const SchemaEntry& parent = index[def.parent];
    if (parent.sCode == "LS") {
        const NodeId nd = gfAddDetached(tree, std::string(def.sDescription) + " (New)",
                                        gfLinkedTag("Z", "LS", index, ix), "closeddata", "opendata");
        return AddBuilt(edit, ndRef, relation, nd, ix);
    }
    if (parent.sCode == "HLS")
        return End(mHL.BuildHL(edit, ndRef.Parent().Id(), relation, ix));
    if (parent.sCode == "ELS")
        return End(mHL.BuildEL(edit, ndRef.Parent().Id(), relation, ix));
    gfIllogic("Illogic:DoIt s1=" + TypeText(parent) + " s2=" + std::string(parent.sCode));
    return EditEnd::Discard;
}

EditEnd clsTreeDNew::AddBuilt(TreeEdit& edit, const TreeNode& ndRef, Relation relation, NodeId nd, SchemaIx ix)
{
    if (!gfBuildDefault(mDoc, nd, ix)) {
        mDoc.Tree().Remove(nd);
        return EditEnd::Discard;
    }
    edit.Attach(nd, ndRef.Id(), relation);
    return EditEnd::Changed;
}

bool clsTreeDNew::BuildBelow(TreeEdit& edit, const TreeNode& nd, SchemaIx ix)
{
    clsTree& tree = mDoc.Tree();
    const TreeNode ndScratch = tree.Node(gfAddDetached(tree, "", nd.Tag(), "", ""));
    if (!gfBuildDefault(mDoc, ndScratch.Id(), ix)) {
        tree.Remove(ndScratch.Id());
        return false;
    }
    // An emptied HL or element loop is known by its key, as a new one is.
    const std::string sParentCode = nd.Parent() ? gfDnodeSegType(nd.Parent()) : std::string();
    if (gfDnodeType(nd) == 'Z' && (sParentCode == "HLS" || sParentCode == "ELS"))
        mHL.SetNewLoopKey(ndScratch, ix);
    gfAttachChildren(edit, ndScratch.Id(), nd.Id());
    return true;
}

EditEnd clsTreeDNew::AddLoopChild(TreeEdit& edit, const TreeNode& ndAnchor)
{
    const char kind = gfDnodeType(ndAnchor);
    if (kind == 'Z' && gfDnodeSegType(ndAnchor) != "LS") {
        gfIllogic("Invalid System node type:" + gfDnodeSegType(ndAnchor));
        return EditEnd::Discard;
    }
    if (kind != 'X' && kind != 'F' && kind != 'T' && kind != 'S' && kind != 'Z') {
        gfIllogic(std::string("Invalid node type:") + kind);
        return EditEnd::Discard;
    }
    const SchemaIx ix = gfSchemaOf(mDoc, ndAnchor.Id());
    if (ndAnchor.Children() > 0) {
        // The user picks the optional children not yet present from the placeholders.
        gfShowNullFolder(edit, mDoc, ndAnchor, gfSchemaNode(mDoc, ix));
        return EditEnd::Changed;
    }
    if (!BuildBelow(edit, ndAnchor, ix))
        return EditEnd::Discard;
    if (kind == 'S')
        edit.SetImages(ndAnchor.Id(), "closed", "open");
    else
        edit.SetImages(ndAnchor.Id(), "closeddata", "opendata");
    edit.SetExpanded(ndAnchor.Id(), true);
    return EditEnd::Changed;
}

EditEnd clsTreeDNew::AddChosenChild(TreeEdit& edit, const TreeNode& ndAnchor)
{
    const SchemaIndex& index = mDoc.Index();
    const SchemaIx ix = gfSchemaOf(mDoc, ndAnchor.Id());
    std::vector<std::string> lines;
    std::vector<SchemaIx> defs;
    for (SchemaIx c = ix ? index[ix].first : SchemaIx{}; c; c = index[c].next) {
        lines.emplace_back(index[c].sDescription);
        defs.push_back(c);
    }
    if (defs.empty())
        gfIllogic("There is nothing availble to insert.");
    const int nChosen =
        gfUi().ChooseFromList("Select loop or segment to add :", "Select a New Segment or Loop", lines, -1);
    if (nChosen < 0 || std::size_t(nChosen) >= defs.size()) {
        gfMsgBox("You did not select an item to insert.", MsgIcon::Information);
        return EditEnd::Discard;
    }
    const SchemaIx chosen = defs[std::size_t(nChosen)];
    const std::string sCode = gfDnodeSegType(ndAnchor);
    if (sCode == "HLS")
        return End(mHL.BuildHL(edit, ndAnchor.Id(), Relation::Child, chosen));
    if (sCode == "ELS")
        return End(mHL.BuildEL(edit, ndAnchor.Id(), Relation::Child, chosen));
    if (sCode == "ESS")
        return End(mES.BuildES(edit, ndAnchor.Id(), Relation::Child, chosen));
    gfIllogic("");
    return EditEnd::Discard;
}

EditEnd clsTreeDNew::AddSegmentChild(TreeEdit& edit, const TreeNode& ndAnchor)
{
    if (ndAnchor.Children() > 0)
        return EditEnd::Discard;
    clsTree& tree = mDoc.Tree();
    const NodeId scratch = gfAddDetached(tree, "", ndAnchor.Tag(), "", "");
    clsTreeDNewDEs().AddDEs(tree, tree.Node(scratch), gfSchemaNode(mDoc, gfSchemaOf(mDoc, ndAnchor.Id())));
    gfAttachChildren(edit, scratch, ndAnchor.Id());
    edit.SetImages(ndAnchor.Id(), "closed", "open");
    edit.SetExpanded(ndAnchor.Id(), true);
    ndAnchor.EnsureVisible();
    // The elements are made, yet no change is reported to the window.
    return EditEnd::Unreported;
}

}  // namespace orr
