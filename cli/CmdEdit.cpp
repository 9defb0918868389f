// `orrindale-cli edit`: opens a document as the tree command does, runs a
// script of Edit commands on it as the document window's handlers would run
// them on the selected node, and prints or saves the result.
#include <charconv>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>

#include "app/modSystem.h"
#include "app/modText.h"
#include "cli/CliCommands.h"
#include "cli/EditScriptUi.h"
#include "doctree/EdiDocument.h"
#include "editing/DocumentEditor.h"
#include "store/modTreeDump.h"

namespace orr {
namespace {

// A script line that cannot run: an unknown command or a path naming no node.
struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Command {
    std::string sWhere;  // "script line 3", "-e 2"
    std::string sName;
    std::string sArgument;  // the rest of the line after one blank
};

using Handler = std::function<void(DocumentEditor&)>;

const std::map<std::string, Handler>& Handlers()
{
    static const std::map<std::string, Handler> handlers = {
        {"new-child", [](DocumentEditor& e) { e.NewChild(); }},
        {"new-sibling-before", [](DocumentEditor& e) { e.NewSibling(true); }},
        {"new-sibling-after", [](DocumentEditor& e) { e.NewSibling(false); }},
        {"delete", [](DocumentEditor& e) { e.Delete(); }},
        {"cut", [](DocumentEditor& e) { e.Cut(); }},
        {"copy", [](DocumentEditor& e) { e.Copy(); }},
        {"paste", [](DocumentEditor& e) { e.Paste(); }},
        {"move-up", [](DocumentEditor& e) { e.MoveUp(); }},
        {"move-down", [](DocumentEditor& e) { e.MoveDown(); }},
        {"toggle-empty", [](DocumentEditor& e) { e.ToggleEmptyFolder(); }},
        {"undo", [](DocumentEditor& e) { e.Undo(); }},
        {"redo", [](DocumentEditor& e) { e.Redo(); }},
    };
    return handlers;
}

Command Parse(const std::string& sLine, std::string sWhere)
{
    Command c{std::move(sWhere), sLine, {}};
    if (const auto blank = sLine.find(' '); blank != std::string::npos) {
        c.sName = sLine.substr(0, blank);
        c.sArgument = sLine.substr(blank + 1);
    }
    const bool bKnown = c.sName == "select" || c.sName == "set" || c.sName == "answer" || Handlers().count(c.sName);
    if (!bKnown)
        throw ScriptError(c.sWhere + ": unknown command " + c.sName);
    if (Handlers().count(c.sName) && !c.sArgument.empty())
        throw ScriptError(c.sWhere + ": " + c.sName + " takes no argument");
    if (c.sName == "answer" && !EditScriptUi::ValidAnswer(c.sArgument))
        throw ScriptError(c.sWhere + ": unknown answer " + c.sArgument);
    return c;
}

// The script file's commands, then each -e, in order.
std::vector<Command> ReadCommands(const CliArgs& args)
{
    std::vector<Command> commands;
    if (const std::string sScript = args.Option("--script"); !sScript.empty()) {
        std::ifstream in(sScript, std::ios::binary);
        if (!in)
            throw ScriptError("cannot read the script " + sScript);
        int nLine = 0;
        for (std::string sLine; std::getline(in, sLine);) {
            ++nLine;
            if (!sLine.empty() && sLine.back() == '\r')
                sLine.pop_back();
            if (gfTrimBlanks(sLine).empty() || sLine[0] == '#')
                continue;
            commands.push_back(Parse(sLine, "script line " + std::to_string(nLine)));
        }
    }
    int n = 0;
    for (const std::string& s : args.Options("-e"))
        commands.push_back(Parse(s, "-e " + std::to_string(++n)));
    return commands;
}

// "/" the root, "/1/3" the third child of the root's first child.
NodeId Resolve(EdiDocument& doc, const Command& c)
{
    const std::string& sPath = c.sArgument;
    TreeNode nd = doc.HasRoot() ? doc.Root() : TreeNode();
    if (sPath.empty() || sPath[0] != '/' || !nd)
        throw ScriptError(c.sWhere + ": no node at " + sPath);
    for (std::size_t pos = 1; pos < sPath.size();) {
        const std::size_t end = std::min(sPath.find('/', pos), sPath.size());
        std::uint32_t nRow = 0;
        const auto [ptr, ec] = std::from_chars(sPath.data() + pos, sPath.data() + end, nRow);
        if (ec != std::errc() || ptr != sPath.data() + end || nRow < 1 || nRow > nd.Children())
            throw ScriptError(c.sWhere + ": no node at " + sPath);
        nd = nd.Child(nRow - 1);
        pos = end + 1;
    }
    return nd.Id();
}

void Run(const Command& c, EdiDocument& doc, DocumentEditor& editor, EditScriptUi& ui)
{
    if (c.sName == "select")
        doc.SetCurrent(Resolve(doc, c));
    else if (c.sName == "set")
        editor.EditLabel(c.sArgument);
    else if (c.sName == "answer")
        ui.Queue(c.sArgument);
    else
        Handlers().at(c.sName)(editor);
}

// Runs the commands; a run-time failure of one is reported and the script
// goes on, as the window's command dispatcher does.
void RunAll(const std::vector<Command>& commands, EdiDocument& doc, DocumentEditor& editor, EditScriptUi& ui)
{
    for (const Command& c : commands) {
        try {
            Run(c, doc, editor, ui);
        } catch (const ScriptError&) {
            throw;
        } catch (const ScriptAnswerError& e) {
            throw ScriptError(c.sWhere + ": " + e.what());
        } catch (const std::exception& e) {
            gfReportRunTimeError(e);
        }
    }
}

}  // namespace

int gfCmdEdit(const CliArgs& args)
{
    args.Require(2, {"--type", "--delimiter", "--selimiter", "--free-form", "--script", "-e", "--dump", "-o"});
    EditScriptUi ui;
    UiScope scope(ui);
    std::vector<Command> commands;
    try {
        commands = ReadCommands(args);
    } catch (const ScriptError& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 2;
    }
    CliSession session(args);
    EdiDocument doc;
    if (!session.Start() || !gfCliLoadDocument(args, doc))
        return 1;
    if (args.Flag("--free-form"))
        doc.EditFreely();
    DocumentEditor editor(doc);
    try {
        RunAll(commands, doc, editor, ui);
    } catch (const ScriptError& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 2;
    }
    if (args.Flag("--dump")) {
        gfDumpTree(doc.Tree(), std::cout, doc.Root().Id());
        std::cout.flush();
    }
    if (const std::string sOut = args.Option("-o"); !sOut.empty() && !doc.SaveTo(sOut))
        return 1;
    return 0;
}

}  // namespace orr
