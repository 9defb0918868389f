#include "tests/support/RandomEdits.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

#include "doctree/clsTreeD.h"
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
    // Built from the node up, backwards, and turned round once.
    std::string s;
    for (; node && tree.Parent(node); node = tree.Parent(node)) {
        for (std::uint32_t n = tree.Row(node) + 1; n; n /= 10)
            s.push_back(char('0' + n % 10));
        s.push_back('/');
    }
    std::reverse(s.begin(), s.end());
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

// Observers of a tree for as long as it lives, however the scope ends.
class Observing {
public:
    Observing(clsTree& tree, std::initializer_list<TreeObserver*> observers) : mTree(tree), mObservers(observers)
    {
        for (TreeObserver* o : mObservers)
            mTree.AddObserver(o);
    }
    ~Observing()
    {
        for (TreeObserver* o : mObservers)
            mTree.RemoveObserver(o);
    }
    Observing(const Observing&) = delete;
    Observing& operator=(const Observing&) = delete;

private:
    clsTree& mTree;
    std::vector<TreeObserver*> mObservers;
};

// The dump's pieces in order, to put(); stops when put() says no.
template <class Put>
bool DumpTo(EdiDocument& doc, Put&& put)
{
    std::vector<std::pair<TreeNode, int>> stack{{doc.Root(), 0}};
    while (!stack.empty()) {
        const auto [nd, nDepth] = stack.back();
        stack.pop_back();
        char depth[12];
        if (!put(std::string_view(depth, std::to_chars(depth, depth + sizeof depth, nDepth).ptr)))
            return false;
        for (const std::string_view sPart : {nd.Text(), std::string_view(nd.Tag()), std::string_view(nd.Image()),
                                             std::string_view(nd.ExpandedImage())})
            if (!put("|") || !put(sPart))
                return false;
        if (!put(nd.Expanded() ? "|+\n" : "|\n"))
            return false;
        for (std::uint32_t i = nd.Children(); i-- > 0;)
            stack.emplace_back(nd.Child(i), nDepth + 1);
    }
    return true;
}

// Whether doc dumps to sDump, without making the dump.
bool DumpsTo(EdiDocument& doc, std::string_view sDump)
{
    std::size_t nAt = 0;
    const bool bSame = DumpTo(doc, [&](std::string_view sPart) {
        if (sDump.substr(nAt, sPart.size()) != sPart)
            return false;
        nAt += sPart.size();
        return true;
    });
    return bSame && nAt == sDump.size();
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

std::string RandomEdits::Reader::Check(const std::string& sText, SepCode nDelimiter, SepCode nSelimiter, bool bNoError)
{
    clsTreeD reader;
    reader.SetDelimiter(nDelimiter);
    reader.SetSelimiter(nSelimiter);
    std::istringstream in(sText);
    std::string sFailure;
    try {
        if (!reader.Build(mTree, in, "written.edi", mDefinition.SchemaTree(), mDefinition.Index()))
            sFailure = "the written document does not open";
        else if (bNoError && reader.nError() != 0)
            sFailure = "the written document reads back with error " + std::to_string(reader.nError()) + ": " +
                       reader.sError();
    } catch (const std::exception& e) {
        sFailure = std::string("the written document does not open: ") + e.what();
    }
    mTree.RemoveAll();
    return sFailure;
}

RandomEdits::RandomEdits(EdiDocument& doc, DocumentEditor& editor, Ui& ui, Choose choose, Reader* pReader)
    : mDoc(doc), mEditor(editor), mUi(ui), mChoose(std::move(choose)), mpReader(pReader)
{
}

std::string RandomEdits::Dump(EdiDocument& doc)
{
    std::string s;
    s.reserve(64 * doc.Tree().NodeCount());  // a line is some 50 characters
    DumpTo(doc, [&](std::string_view sPart) {
        s.append(sPart);
        return true;
    });
    return s;
}

std::string RandomEdits::CheckTree(clsTree& tree, NodeId root, bool bDeep)
{
    thread_local std::vector<NodeId> stack;  // kept: called after every step
    stack.assign(1, root);
    while (!stack.empty()) {
        const NodeId node = stack.back();
        stack.pop_back();
        if (!tree.IsValid(node) || tree.IsDetached(node) || tree.Tag(node).empty())
            return "node " + PathOf(tree, node) + " is invalid, detached or without a tag";
        const std::uint32_t nCount = tree.ChildCount(node);
        for (std::uint32_t r = 0; r < nCount; ++r) {
            const NodeId c = tree.Child(node, r);
            if (tree.Row(c) != r || tree.Parent(c) != node)
                return "rows and parent disagree below " + PathOf(tree, node);
            if (bDeep)
                stack.push_back(c);
        }
        // Siblings come from the rows: their ends are what can go wrong.
        if (nCount) {
            const NodeId first = tree.Child(node, 0), last = tree.Child(node, nCount - 1);
            if (tree.Previous(first) || tree.Next(last) ||
                tree.Next(first) != (nCount > 1 ? tree.Child(node, 1) : NodeId{}) ||
                tree.Previous(last) != (nCount > 1 ? tree.Child(node, nCount - 2) : NodeId{}))
                return "siblings disagree with the rows below " + PathOf(tree, node);
        }
    }
    return {};
}

const std::vector<NodeId>& RandomEdits::PickOrder::Nodes(NodeId root)
{
    if (mNodes.empty() || root != mRoot) {
        mRoot = root;
        mNodes.clear();
        Walk(root, mNodes);
    }
    return mNodes;
}

void RandomEdits::PickOrder::Walk(NodeId node, std::vector<NodeId>& out)
{
    mStack.assign(1, node);
    while (!mStack.empty()) {
        const NodeId n = mStack.back();
        mStack.pop_back();
        out.push_back(n);
        for (std::uint32_t i = 0, nCount = mTree.ChildCount(n); i < nCount; ++i)
            mStack.push_back(mTree.Child(n, i));
    }
}

std::size_t RandomEdits::PickOrder::Pos(NodeId node) const
{
    const auto it = std::find(mNodes.begin(), mNodes.end(), node);
    return it == mNodes.end() ? npos : std::size_t(it - mNodes.begin());
}

std::size_t RandomEdits::PickOrder::End(NodeId node) const
{
    // The subtree of the previous sibling of node, or of its nearest
    // ancestor that has one, follows it.
    for (NodeId a = node; a && a != mRoot; a = mTree.Parent(a))
        if (const NodeId previous = mTree.Previous(a))
            return Pos(previous);
    return mNodes.size();
}

void RandomEdits::PickOrder::AboutToRemove(NodeId parent, std::uint32_t nFirst, std::uint32_t nLast)
{
    if (mNodes.empty())
        return;
    // The rows' subtrees stand together, the last row's first.
    const std::size_t nBegin = Pos(mTree.Child(parent, nLast)), nEnd = End(mTree.Child(parent, nFirst));
    if (nBegin == npos || nEnd == npos || nEnd < nBegin) {
        mNodes.clear();  // not below the root: walked again when asked
        return;
    }
    mNodes.erase(mNodes.begin() + std::ptrdiff_t(nBegin), mNodes.begin() + std::ptrdiff_t(nEnd));
}

void RandomEdits::PickOrder::Inserted(NodeId parent, std::uint32_t nFirst, std::uint32_t nLast)
{
    if (mNodes.empty())
        return;
    const std::size_t nAt = Pos(parent) == npos ? npos : nFirst ? Pos(mTree.Child(parent, nFirst - 1)) : End(parent);
    if (nAt == npos) {
        mNodes.clear();
        return;
    }
    mRows.clear();
    for (std::uint32_t r = nLast + 1; r-- > nFirst;)
        Walk(mTree.Child(parent, r), mRows);
    mNodes.insert(mNodes.begin() + std::ptrdiff_t(nAt), mRows.begin(), mRows.end());
}

void RandomEdits::SelectSomeNode()
{
    if (mChoose(10) == 0) {
        mDoc.SetCurrent({});
        return;
    }
    const std::vector<NodeId>& nodes = mPickOrder.Nodes(mDoc.Root().Id());
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
    msLog.append(kNames[nCommand]);
    if (nCommand == kSetCase)
        msLog.append(" ").append(sValue);
    msLog.append("\n");
}

void RandomEdits::Step()
{
    SelectSomeNode();
    const EditPermissions allowed = mbAllowedOnly ? mEditor.Permissions() : EditPermissions{};
    // Emptying a value, deleting an element (the later ones move up) or
    // renaming a segment may lose what the reading matches by: allowed, yet
    // not meant to keep the document readable.
    const char kind = mDoc.Current() ? gfDnodeType(mDoc.Tree().Node(mDoc.Current())) : '\0';
    std::uint32_t commands[kCommands];
    std::uint32_t nCommands = 0;
    for (std::uint32_t n = 0; n < kCommands; ++n)
        if (!mbAllowedOnly || (Allowed(n, allowed) && n != kSetEmpty && !(n == kDelete && kind == 'E') &&
                               !(n == kSetCase && kind == 'S')))
            commands[nCommands++] = n;
    const std::uint32_t nCommand = commands[mChoose(nCommands)];
    if (mDoc.Current())
        msLog.append("select ").append(PathOf(mDoc.Tree(), mDoc.Current())).append("\n");
    else
        msLog.append("# select none\n");
    Command(nCommand);
}

std::string RandomEdits::CheckChanges()
{
    const bool bReset = std::exchange(mChanges.bReset, false);
    // Taken over by swapping: the lists keep their room from step to step.
    std::vector<NodeId>& parents = mCheckParents;
    std::vector<NodeId>& inserted = mCheckInserted;
    parents.clear();
    inserted.clear();
    parents.swap(mChanges.parents);
    inserted.swap(mChanges.inserted);
    clsTree& tree = mDoc.Tree();
    const NodeId root = mDoc.Root().Id();
    if (bReset)
        return CheckTree(tree, root);
    for (const bool bDeep : {false, true})
        for (const NodeId node : bDeep ? inserted : parents) {
            if (node && (!tree.IsValid(node) || tree.IsDetached(node)))
                continue;  // taken out again by the same step
            if (std::string s = CheckTree(tree, node ? node : root, bDeep); !s.empty())
                return s;
        }
    return {};
}

std::string RandomEdits::ReadBack(const std::string& sWorkFile)
{
    clsTreeDSave writer;
    writer.SetDelimiter(mDoc.Delimiter());
    writer.SetSelimiter(mDoc.Selimiter());
    const std::string sText = writer.ToText(mDoc.Root(), false);
    if (sText.empty())
        return {};  // every interchange deleted: nothing to read
    std::string sFailure;
    if (mpReader) {
        sFailure = mpReader->Check(sText, mDoc.Delimiter(), mDoc.Selimiter(), mbAllowedOnly);
    } else {
        EdiDocument definition;
        if (!definition.LoadDefinition(mDoc.Type()))
            return "the definition does not load";
        sFailure = Reader(definition).Check(sText, mDoc.Delimiter(), mDoc.Selimiter(), mbAllowedOnly);
    }
    if (!sFailure.empty())
        std::ofstream(sWorkFile, std::ios::binary) << sText;
    return sFailure;
}

std::string RandomEdits::Run(int nSteps, const std::string& sWorkFile, bool bAllowedOnly,
                             const std::string* psOriginal)
{
    const std::string sOwnDump = psOriginal ? std::string() : Dump(mDoc);
    const std::string& sOriginal = psOriginal ? *psOriginal : sOwnDump;
    const bool bReadsBack = mDoc.BuildError() == 0;
    mbAllowedOnly = bAllowedOnly;
    msLog.reserve(std::size_t(nSteps) * 40);  // a step's two lines, seldom more
    clsTree& tree = mDoc.Tree();
    auto checkAll = [&](const char* sWhen) {
        const std::string s = CheckTree(tree, mDoc.Root().Id());
        return s.empty() ? s : sWhen + s;
    };
    {
        const Observing watch(tree, {&mChanges, &mPickOrder});
        for (int i = 0; i < nSteps; ++i) {
            Step();
            if (std::string s = CheckChanges(); !s.empty())
                return "after step " + std::to_string(i + 1) + ": " + s;
        }
    }
    if (std::string s = checkAll("after the last step: "); !s.empty())
        return s;
    if (std::string s = bReadsBack ? ReadBack(sWorkFile) : std::string(); !s.empty())
        return s;
    mEditor.ClearCut();     // the clipboard's marks are no edits
    while (mDoc.CanRedo())  // what the sequence undid last comes back too
        mEditor.Redo();
    const std::string sFinal = Dump(mDoc);
    while (mDoc.CanUndo())
        mEditor.Undo();
    if (!DumpsTo(mDoc, sOriginal))
        return "undoing everything does not give back the original tree" + FirstDifference(sOriginal, Dump(mDoc));
    if (mDoc.Modified())
        return "the document is modified after undoing everything";
    if (std::string s = checkAll("after undoing everything: "); !s.empty())
        return s;
    while (mDoc.CanRedo())
        mEditor.Redo();
    if (!DumpsTo(mDoc, sFinal))
        return "redoing everything does not give back the final tree" + FirstDifference(sFinal, Dump(mDoc));
    return checkAll("after redoing everything: ");
}

}  // namespace orr::test
