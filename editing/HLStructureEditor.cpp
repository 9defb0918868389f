#include "editing/HLStructureEditor.h"

#include <algorithm>
#include <charconv>
#include <unordered_set>
#include <utility>

#include "app/UiService.h"
#include "app/modText.h"
#include "doctree/clsTreeDNewDEs.h"
#include "doctree/modNodeD.h"
#include "editing/clsTreeDNewHL.h"
#include "editing/modEdit.h"
#include "schema/clsDefFiles.h"

namespace orr {
namespace {

// The code of a document node's tag ("" for a node without a tag).
std::string CodeOf(const TreeNode& nd) { return nd.Tag().empty() ? std::string() : gfDnodeSegType(nd); }

// Segments and elements hold no loops: a search never enters them, so their
// elements are not made for nothing.
bool Enterable(const TreeNode& nd)
{
    if (nd.Tag().empty())
        return true;
    const char cKind = gfDnodeType(nd);
    return cKind != 'S' && cKind != 'E';
}

// The first node with the code, depth-first from nd (nd itself first,
// children in order).
TreeNode FindCode(const TreeNode& nd, std::string_view sCode)
{
    if (CodeOf(nd) == sCode)
        return nd;
    if (!Enterable(nd))
        return {};
    for (TreeNode c = nd.FirstChild(); c; c = c.Next())
        if (const TreeNode found = FindCode(c, sCode))
            return found;
    return {};
}

// A number as the text begins with one (blanks first allowed); 0 for none.
std::int64_t NumberOf(const std::string& sText)
{
    const std::string_view s = gfTrimBlanks(sText);
    std::int64_t n = 0;
    std::from_chars(s.data(), s.data() + s.size(), n);
    return n;
}

std::string Element(const TreeNode& ndSegment, std::int16_t nPosition)
{
    return clsTreeDNewDEs().GetDeValue(ndSegment, nPosition);
}

// "(" + the name in the loop's first NM1 + ") " + the loop's text.
std::string LabelOf(const TreeNode& ndLoop)
{
    std::string sName;
    if (const TreeNode ndName = FindCode(ndLoop, "NM1")) {
        sName = Element(ndName, 3);
        if (const std::string sFirst = Element(ndName, 4); !sFirst.empty())
            sName += " " + sFirst;
    }
    return "(" + sName + ") " + std::string(ndLoop.Text());
}

std::string TagOf(const HLRecord& r) { return r.sHL01 + "*" + r.sHL02 + "*" + r.sHL03 + "*" + r.sHL04; }

}  // namespace

HLStructureEditor::HLStructureEditor(EdiDocument& doc) : mDoc(doc) {}

std::string HLStructureEditor::Caption() const { return std::string(kCaption) + (mbChanged ? " (Changed)" : ""); }

bool HLStructureEditor::Load()
{
    mbLoadFailed = false;
    const TreeNode ndContainer = FindContainer();
    if (!ndContainer) {
        gfMsgBox("No HL found in this document.", MsgIcon::Information);
        mbLoadFailed = true;
    } else if (!CheckLoops(ndContainer) || !BuildRecords(ndContainer)) {
        mbLoadFailed = true;
    } else {
        BuildTree();
        PlaceOrphans();
    }
    return !mbLoadFailed;
}

TreeNode HLStructureEditor::FindContainer() const { return mDoc.HasRoot() ? FindCode(mDoc.Root(), "HLS") : TreeNode(); }

bool HLStructureEditor::CheckLoops(const TreeNode& ndContainer)
{
    for (TreeNode loop = ndContainer.FirstChild(); loop; loop = loop.Next()) {
        const TreeNode s = loop.FirstChild();
        if (CodeOf(s) != "HL") {
            gfMsgBox(std::string("Invalid HL structure.") + kCrLf + kCrLf +
                         "Expecting HL segment.  Found:" + std::string(s.Text()),
                     MsgIcon::Critical);
            return false;
        }
        if (s.Children() < std::uint32_t(kHL04)) {
            gfMsgBox(std::string("Invalid HL structure.") + kCrLf + "HL segment must have 4 data elements." + kCrLf +
                         kCrLf + "Invalid HL found:" + std::string(s.Text()),
                     MsgIcon::Critical);
            return false;
        }
        mnNextId = std::max(mnNextId, NumberOf(std::string(s.FirstChild().Text())) + 1);
    }
    return true;
}

bool HLStructureEditor::BuildRecords(const TreeNode& ndContainer)
{
    std::unordered_set<std::string> ids;
    for (TreeNode loop = ndContainer.FirstChild(); loop; loop = loop.Next()) {
        const TreeNode s = loop.FirstChild();
        HLRecord r;
        r.sHL01 = gfTrimBlanks(Element(s, kHL01));
        if (ids.count(r.sHL01)) {
            if (!mbRepairAgreed &&
                gfMsgBox("Duplicate HL id #:" + r.sHL01 + kCrLf + "Do You want me to fix it automatically ?",
                         MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes) {
                gfMsgBox(std::string("You must fix all the HL segments to ensure that ") + kCrLf +
                             "every HL segment has a unique id.",
                         MsgIcon::Information);
                mRecords.clear();
                return false;
            }
            mbRepairAgreed = true;
            mbChanged = true;
            r.sHL01 = std::to_string(mnNextId++);
        }
        r.sHL02 = gfTrimBlanks(Element(s, kHL02));
        r.sHL03 = gfTrimBlanks(Element(s, kHL03));
        r.sHL04 = NumberOf(Element(s, kHL04)) >= 1 ? "1" : "0";
        r.sLabel = LabelOf(loop);
        r.segment = s.Id();
        ids.insert(r.sHL01);
        mRecords.push_back(std::move(r));
    }
    return !mRecords.empty();
}

void HLStructureEditor::BuildTree()
{
    mRoot = mTree.Add({}, Relation::Child, "Root", "Hierarchical Level", "closed", "open");
    mNodeOf.assign(mRecords.size(), NodeId{});
    for (std::size_t i = 0; i < mRecords.size(); ++i)
        mByParent[mRecords[i].sHL02].push_back(i);
    for (std::size_t i = 0; i < mRecords.size(); ++i)
        if (mRecords[i].sHL02.empty())
            PlaceWithDescendants(i, mRoot);
    mTree.SetExpanded(mRoot, true);
}

void HLStructureEditor::PlaceWithDescendants(std::size_t nRecord, NodeId parent)
{
    // A stack rather than recursion: a chain of parents may be as long as the file.
    std::vector<std::pair<std::size_t, NodeId>> todo{{nRecord, parent}};
    while (!todo.empty()) {
        const auto [i, under] = todo.back();
        todo.pop_back();
        if (!mRecords[i].bUnplaced)
            continue;
        const NodeId node = AddNode(i, under);
        const auto children = mByParent.find(mRecords[i].sHL01);
        if (children == mByParent.end())
            continue;
        for (auto c = children->second.rbegin(); c != children->second.rend(); ++c)
            if (mRecords[*c].bUnplaced)
                todo.emplace_back(*c, node);
    }
}

NodeId HLStructureEditor::AddNode(std::size_t nRecord, NodeId parent)
{
    HLRecord& r = mRecords[nRecord];
    const std::string sTag = TagOf(r);  // the store copies it in Add
    NodeInit init;
    init.sText = r.sLabel;
    init.sTag = sTag;
    init.image = mTree.InternImage("closed");
    init.expandedImage = mTree.InternImage("open");
    init.bExpanded = true;
    const NodeId node = mTree.Add(parent, Relation::Child, init);
    r.bUnplaced = false;
    mNodeOf[nRecord] = node;
    mRecordOf[node] = nRecord;
    return node;
}

void HLStructureEditor::PlaceOrphans()
{
    bool bTold = false;
    for (std::size_t i = 0; i < mRecords.size(); ++i) {
        HLRecord& r = mRecords[i];
        if (!r.bUnplaced)
            continue;
        mbChanged = true;
        if (!bTold)
            gfMsgBox(std::string("There are node(s) with unknown parent.") + kCrLf +
                         "These node(s) are saved as the top level HL nodes.",
                     MsgIcon::Information);
        bTold = true;
        r.sHL02.clear();
        r.sHL04 = "0";
        // Its own children (unplaced, since it was) stay with it.
        PlaceWithDescendants(i, mRoot);
        if (mTree.ChildCount(mNodeOf[i]) > 0)
            SetChildCode(mNodeOf[i], "1");
    }
}

NodeId HLStructureEditor::FindId(std::string_view sId) const
{
    if (sId == "0")
        return mRoot;
    for (std::size_t i = 0; i < mRecords.size(); ++i)
        if (mRecords[i].sHL01 == sId && i < mNodeOf.size())
            return mNodeOf[i];
    return {};
}

std::vector<std::pair<NodeId, int>> HLStructureEditor::PreOrder() const
{
    std::vector<std::pair<NodeId, int>> order;
    std::vector<std::pair<NodeId, int>> todo;
    if (mRoot)
        todo.emplace_back(mRoot, 0);
    while (!todo.empty()) {
        const auto [node, nDepth] = todo.back();
        todo.pop_back();
        order.emplace_back(node, nDepth);
        for (std::uint32_t n = mTree.ChildCount(node); n > 0; --n)
            todo.emplace_back(mTree.Child(node, n - 1), nDepth + 1);
    }
    return order;
}

std::string HLStructureEditor::Outline() const
{
    std::string s;
    for (const auto& [node, nDepth] : PreOrder())
        s += std::to_string(nDepth) + "\t" + std::string(mTree.Text(node)) + "\t" + mTree.Tag(node) + "\n";
    return s;
}

std::string HLStructureEditor::IdOf(NodeId node) const
{
    return node == mRoot ? std::string() : mRecords[mRecordOf.at(node)].sHL01;
}

void HLStructureEditor::SetChildCode(NodeId node, const char* sCode)
{
    if (node == mRoot)
        return;
    HLRecord& r = mRecords[mRecordOf.at(node)];
    r.sHL04 = sCode;
    mTree.SetTag(node, TagOf(r));
}

bool HLStructureEditor::Drop(NodeId drag, NodeId target)
{
    if (!mTree.IsValid(drag) || !mTree.IsValid(target))
        return false;
    if (drag == mRoot) {
        gfMsgBox("You can not move the Root Node (Hierarchical Level).", MsgIcon::Information);
        return false;
    }
    if (drag == target || (target != mRoot && IdOf(drag) == IdOf(target))) {
        gfMsgBox("You can not drag a node to itself.", MsgIcon::Information);
        return false;
    }
    for (NodeId up = mTree.Parent(target); up; up = mTree.Parent(up))
        if (up == drag) {
            gfMsgBox("You can not demote a node: moving a node to its child or grand child.", MsgIcon::Information);
            return false;
        }
    const NodeId oldParent = mTree.Parent(drag);
    if (mTree.ChildCount(oldParent) == 1)
        SetChildCode(oldParent, "0");
    mTree.Move(drag, target, Relation::Child);
    SetChildCode(target, "1");
    HLRecord& r = mRecords[mRecordOf.at(drag)];
    r.sHL02 = IdOf(target);
    mTree.SetTag(drag, TagOf(r));
    mbChanged = true;
    return true;
}

std::vector<NodeId> HLStructureEditor::LoopsInTreeOrder() const
{
    std::vector<NodeId> loops;
    for (const auto& [node, nDepth] : PreOrder())
        if (node != mRoot)
            loops.push_back(mDoc.Tree().Parent(mRecords[mRecordOf.at(node)].segment));
    return loops;
}

bool HLStructureEditor::WriteRecord(TreeEdit& edit, std::size_t nRecord)
{
    const HLRecord& r = mRecords[nRecord];
    const TreeNode s = mDoc.Tree().Node(r.segment);
    if (!s || s.Children() < std::uint32_t(kHL04)) {
        gfMsgBox("Invalid node found:" + r.sLabel, MsgIcon::Critical);
        return false;
    }
    const NodeId node = mNodeOf[nRecord];
    const std::pair<HLElement, std::string> values[] = {{kHL01, r.sHL01},
                                                        {kHL02, IdOf(mTree.Parent(node))},
                                                        {kHL03, r.sHL03},
                                                        {kHL04, mTree.ChildCount(node) > 0 ? "1" : "0"}};
    for (const auto& [nPosition, sValue] : values)
        if (const TreeNode e = s.Child(std::uint32_t(nPosition - 1)); e.Text() != sValue)
            edit.SetText(e.Id(), sValue);
    return true;
}

HLStructureEditor::SaveResult HLStructureEditor::Save()
{
    if (mbLoadFailed)
        return SaveResult::Failed;
    if (!mbChanged)
        return SaveResult::Unchanged;
    bool bWritten = true;
    gfRunEdit(mDoc, "HL Structure", [&](TreeEdit& edit) {
        for (std::size_t i = 0; i < mRecords.size() && bWritten; ++i)
            bWritten = WriteRecord(edit, i);
        if (bWritten)
            PutInTreeOrder(edit);
        return edit.Empty() ? EditEnd::Discard : EditEnd::Changed;
    });
    return bWritten ? SaveResult::Written : SaveResult::Failed;
}

void HLStructureEditor::PutInTreeOrder(TreeEdit& edit)
{
    const std::vector<NodeId> loops = LoopsInTreeOrder();
    if (loops.empty())
        return;
    const TreeNode ndContainer = mDoc.Tree().Node(loops.front()).Parent();
    for (std::uint32_t i = 0; i < loops.size(); ++i)
        if (const NodeId here = ndContainer.Child(i).Id(); here != loops[i])
            edit.Move(loops[i], here, Relation::Previous);
}

}  // namespace orr
