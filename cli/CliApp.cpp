#include "cli/CliApp.h"

#include <QCoreApplication>
#include <cstdio>
#include <exception>
#include <functional>
#include <map>
#include <string>

#include "app/modMain.h"
#include "cli/CliCommands.h"
#include "cli/ConsoleUi.h"

namespace orr {
namespace {

const char* const kUsage = "usage: orrindale-cli [--home DIR] COMMAND ...; see orrindale-cli --help";

const char* const kHelp =
    "usage: orrindale-cli [--home DIR] COMMAND ...\n"
    "  --version\n"
    "  defs                                   list the document definitions\n"
    "  pack DIR -o FILE                       pack the DEF files of DIR into a container\n"
    "  schema TYPE                            print the schema tree of doc<TYPE>.def\n"
    "  detect FILE                            print the separators of an EDI file\n"
    "  tree FILE --type T [--delimiter X --selimiter Y]\n"
    "                                         print the document tree; exit status: the error code\n"
    "  validate FILE --type T                 write, re-read and judge the document\n"
    "  convert FILE --type T --to-delimiter X --to-selimiter Y [--crlf] -o OUT\n"
    "  export FILE --type T --separator tab|comma -o OUT\n"
    "  ack IN -o OUT [--delimiter X] [--yes]  write a 997 acknowledgement\n"
    "Separators are written as in the options: a character, CR, LF or 0x followed by two hex digits.\n"
    "--home DIR (or ORRINDALE_HOME) keeps definitions, settings and work files in DIR.\n"
    "--yes answers every question with Yes; otherwise Yes/No questions get No.";

// Add a command here and declare its function in CliCommands.h.
const std::map<std::string, std::function<int(const CliArgs&)>> kCommands = {
    {"defs", gfCmdDefs},
    {"pack", gfCmdPack},
    {"schema", gfCmdSchema},
    {"ack", gfCmdAck},
    {"detect", gfCmdDetect},
    {"tree", gfCmdTree},
    {"validate", gfCmdValidate},
    {"convert", gfCmdConvert},
    {"export", gfCmdExport},
};

int Dispatch(const CliArgs& args)
{
    if (args.Flag("--version")) {
        std::printf("orrindale-cli %s\n", gfVersionText().substr(8).c_str());
        return 0;
    }
    if (args.Flag("--help")) {
        std::printf("%s\n", kHelp);
        return 0;
    }
    if (args.positional.empty())
        throw UsageError("no command given");
    auto command = kCommands.find(args.positional[0]);
    if (command == kCommands.end())
        throw UsageError("unknown command " + args.positional[0]);
    return command->second(args);
}

}  // namespace

int gfCliMain(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Orrindale"));
    QCoreApplication::setApplicationName(QStringLiteral("Orrindale"));
    ConsoleUi ui;
    gfSetUi(&ui);
    int rc = 1;
    try {
        const CliArgs args = gfParseCliArgs(argc, argv);
        if (args.Flag("--yes"))
            ui.SetQuestionAnswer(MsgAnswer::Yes);
        rc = Dispatch(args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "error: %s (%s)\n", e.what(), kUsage);
        rc = 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", ConsoleUi::OneLine(e.what()).c_str());
        rc = 1;
    }
    gfSetUi(nullptr);
    return rc;
}

}  // namespace orr
