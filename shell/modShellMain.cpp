#include "shell/modShellMain.h"

#include <QApplication>
#include <QIcon>
#include <QDir>
#include <QElapsedTimer>
#include <QWindow>
#include <QScreen>
#include <QTimer>
#include <memory>

#include "app/UiService.h"
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "app/modMain.h"
#include "schema/modStartup.h"
#include "shell/FormRegistry.h"
#include "shell/IconCache.h"
#include "shell/QSettingsStore.h"
#include "shell/QtUi.h"
#include "shell/Twips.h"
#include "shell/frmDocument.h"
#include "shell/frmMain.h"
#include "shell/OrrApplication.h"
#include "shell/frmSplash.h"

namespace orr {
namespace {

std::unique_ptr<clsConfig> gpConfigOwned;

void InstallDocumentWindows()
{
    frmMain::SetDocumentWindowHook({[](const QString& sKey) -> DocumentWindow* { return new frmDocument(sKey); }});
}

constexpr int kMapWaitMs = 2000;

}  // namespace

StartResult Main(const AppPaths& paths)
{
    InstallDocumentWindows();
    StartResult result;
    result.pSplash = new frmSplash;
    result.pSplash->show();
    result.pSplash->repaint();

    QDir::setCurrent(paths.installDir);
    const QSize screen = gfScreenTwips(QGuiApplication::primaryScreen());
    gpConfigOwned = std::make_unique<clsConfig>(paths.installDir.toStdString(), paths.dataDir.toStdString(),
                                                screen.width(), screen.height());
    gConfig = gpConfigOwned.get();

    result.bStarted = gfStartCore();
    if (result.bStarted) {
        IconCache::Instance();  // every image is drawn once, before any window needs it
        result.pMain = new frmMain;
        result.pMain->setAttribute(Qt::WA_DeleteOnClose);
        result.pMain->show();
        result.pMain->StartRecovery(gfRecoveryDir(paths).toStdString());
    } else {
        gfMsgBox(kFailedToStart, MsgIcon::Critical);
    }
    result.pSplash->StartCloseTimer();
    return result;
}

void gfUnloadAllForms(QWidget* pFrame)
{
    if (pFrame && !pFrame->close())
        return;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible())
            window->close();
}

int gfRunMain(int argc, char** argv)
{
    OrrApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orrindale"));
    QApplication::setApplicationName(QStringLiteral("Orrindale"));
    QApplication::setApplicationVersion(QString::fromStdString(gfVersionText().substr(8)));
    // Desktops match the windows to the installed menu entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("orrindale"));
    QApplication::setWindowIcon(IconCache::ProgramIcon());  // every window, document windows too

    const AppPaths paths = gfResolveAppPaths();
    QtUi ui;
    gfSetUi(&ui);
    QSettingsStore settings(paths.settingsFile);
    gSettings = &settings;
    FormRegistry::InstallSystemIllogicHost();

    // Files named on the command line open as if chosen in the open dialog
    // (named from the folder the program was started in).
    QStringList files;
    for (const QString& file : QApplication::arguments().mid(1))
        files << QDir::current().absoluteFilePath(file);
    const StartResult started = Main(paths);
    // A splash window does not count as the program's last window: after a
    // failed start its closing ends the program explicitly.
    if (!started.bStarted)
        QObject::connect(started.pSplash, &QObject::destroyed, &app, &QCoreApplication::quit);
    if (started.pMain) {
        QTimer::singleShot(0, started.pMain, [frame = started.pMain, files] {
            // The type dialog centres on the frame: where the window manager put it, not where it was asked for.
            QElapsedTimer waited;
            waited.start();
            while (!files.isEmpty() && !frame->windowHandle()->isExposed() && waited.elapsed() < kMapWaitMs)
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
            for (const QString& file : files)
                frame->OpenEdiDocument(file.toStdString());
        });
    }
    const int rc = app.exec();
    settings.Sync();
    gfSetUi(nullptr);
    return started.bStarted ? rc : 1;
}

}  // namespace orr
