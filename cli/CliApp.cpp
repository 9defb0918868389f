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

const char* const kUsage = "usage: orrindale-cli [--home DIR] (--version | defs | pack DIR -o FILE | schema TYPE | ack IN -o OUT [--delimiter X] [--yes])";

// Add a command here and declare its function in CliCommands.h.
const std::map<std::string, std::function<int(const CliArgs&)>> kCommands = {
    {"defs", gfCmdDefs},
    {"pack", gfCmdPack},
    {"schema", gfCmdSchema},
    {"ack", gfCmdAck},
};

int Dispatch(const CliArgs& args)
{
    if (args.Flag("--version")) {
        std::printf("orrindale-cli %s\n", gfVersionText().substr(8).c_str());
        return 0;
    }
    if (args.Flag("--help")) {
        std::printf("%s\n", kUsage);
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
