// orrindale-cli-io: the commands of orrindale-cli that need Qt Gui, Qt
// Network, libcurl or the database clients (print, mail, connect, load).
// orrindale-cli starts it for them.
#include <QGuiApplication>

#include "cli/CliApp.h"
#include "cli/CliCommands.h"

namespace {

// On the offscreen platform: no display is needed.
std::unique_ptr<QCoreApplication> GuiApplication(int& argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own notes about the desktop session (no runtime directory under
    // cron, for instance) are no business of a batch command; failures are
    // reported by the command itself. QT_LOGGING_RULES set by the user wins.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", "default.warning=false");
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

int main(int argc, char** argv)
{
    const orr::CliIo io{orr::gfCmdPrint, orr::gfCmdMail, orr::gfCmdConnect, GuiApplication, orr::gfCmdLoad};
    return orr::gfCliMain(argc, argv, &io);
}
