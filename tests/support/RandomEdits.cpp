#include "tests/support/RandomEdits.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <vector>

#include "doctree/clsTreeDSave.h"
#include "doctree/modNodeD.h"

namespace orr::test {
namespace {

enum Cmd : std::uint32_t {
    kNewChild,
    kSiblingBefore,
    kSiblingAfter,
    kDelete,
    kCut,
    kCopy,
    kPaste,
    kMoveUp,
    kMoveDown,
    kToggleEmpty,
    kSetCase,
    kSetEmpty,
    kUndo,
    kRedo,
    kCommands
};

// The edit command's names; the set commands add their value.
const char* const kNames[kCommands] = {
    "new-child", "new-sibling-before", "new-sibling-after", "delete", "cut", "copy", "paste",
    "move-up",   "move-down",          "toggle-empty",      "set",    "set", "undo", "redo"};

std::string PathOf(clsTree& tree, NodeId node)
{
    std::string s;
    for (; node && tree.Parent(node); node = tree.Parent(node))
        s = "/" + std::to_string(tree.Row(node) + 1) + s;
    return s.empty() ? "/" : s;
}

std::string ToggledCase(std::string s)
{
    for (char& c : s)
        c = std::isupper(static_cast<unsigned char>(c)) ? char(std::tolower(static_cast<unsigned char>(c)))
                                                        : char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The first line where two dumps differ, for the report.
std::string FirstDifference(const std::string& a, const std::string& b)
{
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    const std::size_t start = a.rfind('\n', i) == std::string::npos ? 0 : a.rfind('\n', i) + 1;
    auto line = [&](const std::string& s) { return s.substr(start, s.find('\n', start) - start); };
    return " at line " + std::to_string(std::count(a.begin(), a.begin() + long(start), '\n') + 1) + ": " + line(a) +
           " / " + line(b);
}

}  // namespace

MsgAnswer RandomEdits::Ui::MsgBox(const std::string&, MsgButtons buttons, MsgIcon, const std::string&)
{
    if (buttons == MsgButtons::OK)
        return MsgAnswer::OK;
    const std::uint32_t n = buttons == MsgButtons::YesNo ? (mChoose(4) ? 0 : 1) : mChoose(3);
    const char* const words[] = {"yes", "no", "cancel"};
    msAnswers += std::string("answer ") + words[n] + "\n";
    return n == 0 ? MsgAnswer::Yes : n == 1 ? MsgAnswer::No : MsgAnswer::Cancel;
}

int RandomEdits::Ui::ChooseFromList(const std::string&, const std::string&, const std::vector<std::string>& items, int)
{
    const int n = int(mChoose(std::uint32_t(items.size()) + 1)) - 1;  // -1: cancelled
    msAnswers += "answer " + std::to_string(n) + "\n";
    return n;
}

RandomEdits::RandomEdits(EdiDocument& doc, DocumentEditor& editor, Ui& ui, Choose choose)
    : mDoc(doc), mEditor(editor), mUi(ui), mChoose(std::move(choose))
{
}

std::string RandomEdits::Dump(EdiDocument& doc)
{
    std::string s;
    std::vector<std::pair<TreeNode, int>> stack{{doc.Root(), 0}};
    while (!stack.empty()) {
        const auto [nd, nDepth] = stack.back();
        stack.pop_back();
        s += std::to_string(nDepth) + "|" + std::string(nd.Text()) + "|" + nd.Tag() + "|" + nd.Image() + "|" +
             nd.ExpandedImage() + (nd.Expanded() ? "|+\n" : "|\n");
        for (std::uint32_t i = nd.Children(); i-- > 0;)
            stack.emplace_back(nd.Child(i), nDepth + 1);
    }
    return s;
}

std::string RandomEdits::CheckTree(clsTree& tree, NodeId root)
{
    std::vector<NodeId> stack{root};
    while (!stack.empty()) {
        const NodeId node = stack.back();
        stack.pop_back();
        if (!tree.IsValid(node) || tree.IsDetached(node) || tree.Tag(node).empty())
            return "node " + PathOf(tree, node) + " is invalid, detached or without a tag";
        const std::uint32_t nCount = tree.ChildCount(node);
        for (std::uint32_t r = 0; r < nCount; ++r) {
            const NodeId c = tree.Child(node, r);
            if (tree.Row(c) != r || tree.Parent(c) != node ||
                tree.Previous(c) != (r ? tree.Child(node, r - 1) : NodeId{}) ||
                tree.Next(c) != (r + 1 < nCount ? tree.Child(node, r + 1) : NodeId{}))
                return "rows, parent and siblings disagree below " + PathOf(tree, node);
            stack.push_back(c);
        }
    }
    return {};
}

void RandomEdits::SelectSomeNode()
{
    if (mChoose(10) == 0) {
        mDoc.SetCurrent({});
        return;
    }
    std::vector<NodeId> nodes;
    std::vector<TreeNode> stack{mDoc.Root()};
    while (!stack.empty()) {
        const TreeNode nd = stack.back();
        stack.pop_back();
        nodes.push_back(nd.Id());
        for (TreeNode c = nd.FirstChild(); c; c = c.Next())
            stack.push_back(c);
    }
    mDoc.SetCurrent(nodes[mChoose(std::uint32_t(nodes.size()))]);
}

bool RandomEdits::Allowed(std::uint32_t nCommand, const EditPermissions& p)
{
    const bool allowed[kCommands] = {
        p.bInsertChild, p.bInsertSibling, p.bInsertSibling, p.bDelete, p.bCutCopy, p.bCutCopy, p.bPaste,
        p.bMoveUp,      p.bMoveDown,      p.bShowNull,      p.bEdit,   p.bEdit,    true,       true};
    return allowed[nCommand];
}

void RandomEdits::Command(std::uint32_t nCommand)
{
    DocumentEditor& e = mEditor;
    std::string sValue;
    if (nCommand == kSetCase)
        sValue = ToggledCase(std::string(mDoc.Tree().Text(mDoc.Current())));
    switch (nCommand) {
    case kNewChild: e.NewChild(); break;
    case kSiblingBefore: e.NewSibling(true); break;
    case kSiblingAfter: e.NewSibling(false); break;
    case kDelete: e.Delete(); break;
    case kCut: e.Cut(); break;
    case kCopy: e.Copy(); break;
    case kPaste: e.Paste(); break;
    case kMoveUp: e.MoveUp(); break;
    case kMoveDown: e.MoveDown(); break;
    case kToggleEmpty: e.ToggleEmptyFolder(); break;
    case kSetCase:
    case kSetEmpty: e.EditLabel(sValue); break;
    case kUndo: e.Undo(); break;
    default: e.Redo(); break;
    }
    msLog += mUi.TakeAnswers();
    msLog += kNames[nCommand] + (nCommand == kSetCase ? " " + sValue : std::string()) + "\n";
}

void RandomEdits::Step()
{
    SelectSomeNode();
    const EditPermissions allowed = mEditor.Permissions();
    // Emptying a value, deleting an element (the later ones move up) or
    // renaming a segment may lose what the reading matches by: allowed, yet
    // not meant to keep the document readable.
    const char kind = mDoc.Current() ? gfDnodeType(mDoc.Tree().Node(mDoc.Current())) : '\0';
    std::vector<std::uint32_t> commands;
    for (std::uint32_t n = 0; n < kCommands; ++n)
        if (!mbAllowedOnly || (Allowed(n, allowed) && n != kSetEmpty && !(n == kDelete && kind == 'E') &&
                               !(n == kSetCase && kind == 'S')))
            commands.push_back(n);
    const std::uint32_t nCommand = commands[mChoose(std::uint32_t(commands.size()))];
    msLog += mDoc.Current() ? "select " + PathOf(mDoc.Tree(), mDoc.Current()) + "\n" : "# select none\n";
    Command(nCommand);
}

std::string RandomEdits::ReadBack(const std::string& sWorkFile)
{
    clsTreeDSave writer;
    writer.SetDelimiter(mDoc.Delimiter());
    writer.SetSelimiter(mDoc.Selimiter());
    const std::string sText = writer.ToText(mDoc.Root(), false);
    if (sText.empty())
        return {};  // every interchange deleted: nothing to read
    std::ofstream(sWorkFile, std::ios::binary) << sText;
    EdiDocument back;
    back.SetSeparators(mDoc.Delimiter(), mDoc.Selimiter());
    if (!back.LoadDefinition(mDoc.Type()) || !back.Open(sWorkFile, EdiDocument::OpenMode::Batch))
        return "the written document does not open";
    if (mbAllowedOnly && back.BuildError() != 0)
        return "the written document reads back with error " + std::to_string(back.BuildError()) + ": " +
               back.BuildErrorText();
    return {};
}

std::string RandomEdits::Run(int nSteps, const std::string& sWorkFile, bool bAllowedOnly)
{
    const std::string sOriginal = Dump(mDoc);
    const bool bReadsBack = mDoc.BuildError() == 0;
    mbAllowedOnly = bAllowedOnly;
    for (int i = 0; i < nSteps; ++i) {
        Step();
        if (std::string s = CheckTree(mDoc.Tree(), mDoc.Root().Id()); !s.empty())
            return "after step " + std::to_string(i + 1) + ": " + s;
    }
    if (std::string s = bReadsBack ? ReadBack(sWorkFile) : std::string(); !s.empty())
        return s;
    mEditor.ClearCut();     // the clipboard's marks are no edits
    while (mDoc.CanRedo())  // what the sequence undid last comes back too
        mEditor.Redo();
    const std::string sFinal = Dump(mDoc);
    while (mDoc.CanUndo())
        mEditor.Undo();
    if (const std::string s = Dump(mDoc); s != sOriginal)
        return "undoing everything does not give back the original tree" + FirstDifference(sOriginal, s);
    if (mDoc.Modified())
        return "the document is modified after undoing everything";
    while (mDoc.CanRedo())
        mEditor.Redo();
    if (const std::string s = Dump(mDoc); s != sFinal)
        return "redoing everything does not give back the final tree" + FirstDifference(sFinal, s);
    return {};
}

}  // namespace orr::test
