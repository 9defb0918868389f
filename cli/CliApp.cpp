#include "cli/CliApp.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>

#include "app/modMain.h"
#include "cli/CliCommands.h"
#include "cli/ConsoleUi.h"

namespace orr {
namespace {

struct Command {
    const char* sName;
    const char* sArguments;  // what follows the name in the usage
    const char* sPurpose;
    std::function<int(const CliArgs&)> fn;
    CliIo::Command CliIo::*pIo = nullptr;  // a command of orrindale-cli-io instead of fn
    bool bGui = false;                     // lays out text with fonts: runs in a Qt Gui application
};

// Add a command here and declare its function in CliCommands.h.
const Command kCommands[] = {
    {"defs", "", "list the document definitions", gfCmdDefs},
    {"pack", "DIR -o FILE", "pack the DEF files of DIR into a definition container", gfCmdPack},
    {"schema", "TYPE", "print the schema tree of doc<TYPE>.def", gfCmdSchema},
    {"detect", "FILE", "print the separators of an EDI file and its transaction sets (ST01, GS08)", gfCmdDetect},
    {"tree", "FILE --type T|auto [--delimiter X --selimiter Y]", "print the document tree; exit status: its error code",
     gfCmdTree},
    {"edit",
     "FILE --type T [--delimiter X --selimiter Y] [--free-form] [--script FILE] [-e COMMAND]... [--dump] [-o OUT]",
     "run Edit commands on the document (select PATH, new-child, new-sibling-before, new-sibling-after, delete, "
     "cut, copy, paste, move-up, move-down, toggle-empty, set VALUE, answer A, undo, redo); --dump prints the "
     "tree, -o saves it",
     gfCmdEdit},
    {"hl", "FILE --type T [--yes] [--move ID:PARENT]... [-o OUT]",
     "open the HL structure editor: answer its duplicate-id question with Yes when --yes is given (No "
     "otherwise), drag the HL with id ID onto the one with id PARENT (0: the root) for each --move, print the "
     "editor tree (depth, text, tag, tab-separated); -o presses Save and writes the document. Exit status 1 when "
     "the editor could not load or the save failed, 2 for an id no HL has",
     gfCmdHL},
    {"validate", "FILE --type T|auto [--delimiter X --selimiter Y] [--elements] [--format text|json]",
     "write, re-read and judge the document; --elements: check every value and envelope count too",
     gfCmdValidate},
    {"stats", "FILE --type T|auto [--delimiter X --selimiter Y]",
     "open the document and print name<TAB>value lines: bytes, segments, interchanges, groups, transactions, "
     "nodes, nError, open_seconds, peak_rss_bytes",
     gfCmdStats},
    {"convert", "FILE --type T --to-delimiter X --to-selimiter Y [--crlf] -o OUT", "write with other separators",
     gfCmdConvert},
    {"export", "FILE --type T|auto (--separator tab|comma | --format json|xml) -o OUT",
     "write one delimited line per segment, or the document's tree (interchanges, groups, transaction sets, loops "
     "with the definition's name and id, segments, elements with components and repetitions, the separators) as "
     "JSON or XML (docs/json-format.md)",
     gfCmdExportAny},
    {"import", "FILE.json|FILE.xml -o OUT [--delimiter X --selimiter Y]",
     "write a JSON or XML export back as X12, with the separators it recorded unless given", gfCmdImport},
    {"print", "FILE --type T -o OUT.pdf [--font FAMILY] [--size POINTS]",
     "print the document to a PDF file as the print preview prints it (fixed-pitch 10-point font by default)",
     nullptr, &CliIo::fnPrint, true},
    {"diff", "A B [--type T|auto] [--ignore-envelope] [--format text|json]",
     "compare two documents segment by segment along their trees (separators and line ends do not count): one "
     "line per difference, changed<TAB>SEGNO_A<TAB>SEGNO_B<TAB>SEGID<TAB>POS<TAB>OLD<TAB>NEW, "
     "added<TAB>-<TAB>SEGNO_B<TAB>SEGMENT, removed<TAB>SEGNO_A<TAB>-<TAB>SEGMENT; --ignore-envelope leaves out "
     "ISA09, ISA10, ISA13, GS04-GS06, ST02, SE02, GE02 and IEA02. Exit status 0 equal, 1 different, 2 unreadable",
     gfCmdDiff},
    {"check", "PATH... [--type T|auto] [--jobs N] [--recursive] [--format text|jsonl]",
     "read and check every file (a folder: the files in it; -: file names from standard input, one a line) with "
     "the element check, in N worker processes (default: one per core); one line per file in the order given, "
     "FILE<TAB>TYPE<TAB>valid|invalid|unreadable<TAB>ERRORS<TAB>WARNINGS or a JSON line {\"file\", \"type\", "
     "\"nError\", \"errors\", \"warnings\", \"valid\"}; a summary on stderr. Exit status 0 all valid, 1 one is "
     "not, 2 none could be read",
     gfCmdCheck},
    {"find", "PATH... --text TEXT [--regex] [--segment ID] [--element POS] [--jobs N] [--recursive]",
     "print FILE<TAB>SEGNO<TAB>SEGMENT for every segment (with --segment only those with that identifier) whose "
     "text (\"*\" between elements), or element POS (03, or 03-2 for a component), holds TEXT or with --regex "
     "matches it, case ignored. Exit status 0 found, 1 nothing found",
     gfCmdFind},
    {"new", "--type T [--empty] -o OUT [--delimiter X --selimiter Y] [--crlf]",
     "write a new document of type T filled with the schema's defaults, or empty", gfCmdNew},
    {"ack", "IN -o OUT [--errors | --999 | --ta1] [--yes] [--delimiter X]",
     "write one acknowledgement interchange per received interchange, in order, addressed back to its sender: "
     "a 997 answering every group (AK1, AK9); --errors: answering every set from the element check too (AK2 to "
     "AK5); --999: an implementation acknowledgement (005010X231A1) that way; --ta1: a TA1 interchange "
     "acknowledgment. Exit 0 when written, 1 when nothing could be (nothing is written)",
     gfCmdAck},
    {"mail", "--to ADDRESS --subject TEXT [--body TEXT] [--attach FILE]",
     "send a message through the [Mail] server; password from ORRINDALE_MAIL_PASSWORD or a prompt", nullptr,
     &CliIo::fnMail},
    {"connect", "[--host H] [--port P] [--send FILE] [--wait SECONDS]",
     "talk to an EDI server: print its event log, send FILE once connected, write what arrives to the incoming "
     "folder, close after SECONDS (10) or when the server closes",
     nullptr, &CliIo::fnConnect},
    {"load", "FILE... [--type T|auto] [--db sqlite:PATH | --db postgresql://...]",
     "write each file into a database, one transaction per file, replacing the rows an earlier load of it wrote; "
     "prints FILE<TAB>interchanges<TAB>groups<TAB>transactions<TAB>segments per file. FILE - reads file names "
     "from standard input. Default: the [Database] of the settings, else SQLite in the data folder; a PostgreSQL "
     "password comes from PGPASSWORD or ~/.pgpass. Exit status 1 when a file could not be loaded (the others "
     "still are), 2 when the database cannot be opened",
     nullptr, &CliIo::fnLoad},
};

const Command* FindCommand(const std::string& sName)
{
    for (const Command& c : kCommands)
        if (sName == c.sName)
            return &c;
    return nullptr;
}

std::string Usage(const CliArgs& args)
{
    const Command* c = args.positional.empty() ? nullptr : FindCommand(args.positional[0]);
    if (!c)
        return "usage: orrindale-cli [--home DIR] COMMAND ...; see orrindale-cli --help";
    return std::string("usage: orrindale-cli [--home DIR] ") + c->sName + " " + c->sArguments;
}

void PrintHelp()
{
    std::printf("usage: orrindale-cli [--home DIR] COMMAND ...\n  --version\n");
    for (const Command& c : kCommands)
        std::printf("  %s %s\n      %s\n", c.sName, c.sArguments, c.sPurpose);
    std::printf("Separators are written as in the options: a character, CR, LF or 0x and two hex digits.\n"
                "--home DIR (or ORRINDALE_HOME) keeps definitions, settings and work files in DIR.\n"
                "--yes answers every question with Yes; otherwise Yes/No questions get No.\n"
                "--type auto takes the definition of the file's transaction sets: the implementation guide\n"
                "named in GS08, else the standard set of ST01 of the group's release (824 for 004010 and\n"
                "older, 824_5010 for 005010 and later); FreeForm for none or several.\n");
}

int Dispatch(const CliArgs& args, const CliIo* io)
{
    if (args.Flag("--version")) {
        std::printf("orrindale-cli %s\n", gfVersionText().substr(8).c_str());
        return 0;
    }
    if (args.Flag("--help")) {
        PrintHelp();
        return 0;
    }
    if (args.positional.empty())
        throw UsageError("no command given");
    const Command* command = FindCommand(args.positional[0]);
    if (!command)
        throw UsageError("unknown command " + args.positional[0]);
    if (command->pIo)
        return io->*command->pIo ? (io->*command->pIo)(args) : 1;
    return command->fn(args);
}

// The command the arguments name, if they parse (errors are reported once
// the application runs).
const Command* CommandOf(int argc, char** argv)
{
    try {
        const CliArgs args = gfParseCliArgs(argc, argv);
        return args.positional.empty() || args.Flag("--help") || args.Flag("--version")
                   ? nullptr
                   : FindCommand(args.positional[0]);
    } catch (const UsageError&) {
        return nullptr;
    }
}

// orrindale-cli-io in place of this process: next to this program (the
// build tree), else where it is installed.
int StartIo(char** argv)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path dir = fs::read_symlink("/proc/self/exe", ec).parent_path();
    fs::path io = dir / "orrindale-cli-io";
    if (!fs::exists(io, ec))
        io = dir / ORRINDALE_CLI_IO_FROM_BIN / "orrindale-cli-io";
    ::execv(io.c_str(), argv);
    std::fprintf(stderr, "error: cannot start %s: %s\n", io.c_str(), std::strerror(errno));
    return 1;
}

}  // namespace

bool gfCliNeedsGui(int argc, char** argv)
{
    const Command* command = CommandOf(argc, argv);
    return command && command->bGui;
}

int gfCliMain(int argc, char** argv, const CliIo* io)
{
    if (const Command* command = CommandOf(argc, argv); command && command->pIo && !io)
        return StartIo(argv);
    ConsoleUi ui;
    gfSetUi(&ui);
    int rc = 1;
    CliArgs args;
    try {
        args = gfParseCliArgs(argc, argv);
        if (args.Flag("--yes"))
            ui.SetQuestionAnswer(MsgAnswer::Yes);
        rc = Dispatch(args, io);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "error: %s (%s)\n", e.what(), Usage(args).c_str());
        rc = 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", ConsoleUi::OneLine(e.what()).c_str());
        rc = 1;
    }
    gfSetUi(nullptr);
    return rc;
}

}  // namespace orr
