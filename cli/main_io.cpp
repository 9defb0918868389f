// orrindale-cli-io: the commands of orrindale-cli that need Qt Gui, Qt
// Network, libcurl or the database clients (print, mail, connect, load).
// orrindale-cli starts it for them.
#include <QGuiApplication>
#include <memory>

#include "cli/CliApp.h"
#include "cli/CliCommands.h"

namespace {

// A Qt Gui application on the offscreen platform (no display is needed)
// for the commands that lay out text, a core application for the others.
std::unique_ptr<QCoreApplication> Application(int& argc, char** argv)
{
    if (!orr::gfCliNeedsGui(argc, argv))
        return std::make_unique<QCoreApplication>(argc, argv);
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
    const std::unique_ptr<QCoreApplication> app = Application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Orrindale"));
    QCoreApplication::setApplicationName(QStringLiteral("Orrindale"));
    const orr::CliIo io{orr::gfCmdPrint, orr::gfCmdMail, orr::gfCmdConnect, orr::gfCmdLoad};
    return orr::gfCliMain(argc, argv, &io);
}
