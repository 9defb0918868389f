// `orrindale-cli hl`: the HL structure editor on a document, its drags given
// as options; prints the editor tree and, with -o, presses Save and writes
// the document.
#include <iostream>

#include "cli/CliCommands.h"
#include "cli/EditScriptUi.h"
#include "doctree/EdiDocument.h"
#include "editing/HLStructureEditor.h"

namespace orr {
namespace {

struct Move {
    std::string sOption;  // as given, for messages
    std::string sId, sParent;
};

std::vector<Move> ParseMoves(const CliArgs& args)
{
    std::vector<Move> moves;
    for (const std::string& s : args.Options("--move")) {
        const std::size_t colon = s.find(':');
        if (colon == 0 || colon == std::string::npos || colon + 1 == s.size())
            throw UsageError("--move takes ID:PARENT, not " + s);
        moves.push_back({s, s.substr(0, colon), s.substr(colon + 1)});
    }
    return moves;
}

// Drags each HL onto its new parent; a refusal is the editor's message.
void ApplyMoves(HLStructureEditor& hl, const std::vector<Move>& moves)
{
    for (const Move& m : moves) {
        const NodeId drag = hl.FindId(m.sId), target = hl.FindId(m.sParent);
        if (!drag || !target)
            throw UsageError("--move " + m.sOption + ": no HL with id " + (drag ? m.sParent : m.sId));
        hl.Drop(drag, target);
    }
}

// Opens the editor; its duplicate-id question gets Yes with --yes (No
// otherwise), and no other question gets that answer.
bool Load(HLStructureEditor& hl, bool bYes)
{
    EditScriptUi ui;
    if (bYes)
        ui.Queue("yes");
    UiScope scope(ui);
    return hl.Load();
}

}  // namespace

int gfCmdHL(const CliArgs& args)
{
    args.Require(2, {"--type", "--yes", "--move", "-o"});
    const std::vector<Move> moves = ParseMoves(args);
    EditScriptUi ui;
    UiScope scope(ui);
    CliSession session(args);
    EdiDocument doc;
    if (!session.Start() || !gfCliLoadDocument(args, doc))
        return 1;
    HLStructureEditor hl(doc);
    if (!Load(hl, args.Flag("--yes")))
        return 1;
    ApplyMoves(hl, moves);
    if (const std::string sOut = args.Option("-o"); !sOut.empty())
        if (hl.Save() == HLStructureEditor::SaveResult::Failed || !doc.SaveTo(sOut))
            return 1;
    std::cout << hl.Outline();
    std::cout.flush();
    return 0;
}

}  // namespace orr
