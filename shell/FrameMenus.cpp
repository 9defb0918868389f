#include "shell/FrameMenus.h"

#include <QMenuBar>
#include <QStatusBar>

#include "shell/FrameStatusBar.h"
#include "shell/frmMain.h"
#include "shell/modShellMain.h"
#include "shell/modTool.h"

namespace orr {

void FrameMenus::Build(frmMain& f)
{
    auto action = [&f](QMenu* menu, const char* sName, const char* sCaption, auto slot) {
        QAction* a = menu->addAction(QString::fromLatin1(sCaption));
        a->setObjectName(QString::fromLatin1(sName));
        QObject::connect(a, &QAction::triggered, &f, slot);
        return a;
    };

    QMenu* file = f.menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    f.mnuFileNew = action(file, "mnuFileNew", "&New ...", [&f] { f.MainFileNew(); });
    f.mnuFileOpen = action(file, "mnuFileOpen", "&Open...", [&f] { f.MainFileOpen(); });
    f.mnuFileNew->setShortcut(QKeySequence::New);
    f.mnuFileOpen->setShortcut(QKeySequence::Open);
    f.mnuFileTemplate = action(file, "mnuFileTemplate", "EDI Templates ...", [&f] { f.MainFileTemplate(); });
    for (int i = 0; i < int(f.mnuRecentFile.size()); ++i) {
        QAction* a = file->addAction(QString());
        a->setObjectName(QStringLiteral("mnuRecentFile%1").arg(i));
        if (i == 0)
            a->setSeparator(true);
        else
            QObject::connect(a, &QAction::triggered, &f, [&f, i] { f.MainOpenRecentFile(i); });
        a->setVisible(false);
        f.mnuRecentFile[std::size_t(i)] = a;
    }
    file->addSeparator();
    f.mnuFileExit = action(file, "mnuFileExit", "E&xit", [&f] { gfUnloadAllForms(&f); });

    QMenu* tools = f.menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mnuTool"));
    f.mnuToolCreateFA = action(tools, "mnuToolCreateFA", "Create Functional Ack ...", [&f] { f.MainToolCreateFA(); });
    tools->addSeparator();
    f.mnuToolCompare = action(tools, "mnuToolCompare", "Compare &Documents...", [&f] { f.MainToolCompare(); });
    f.mnuToolCheckFolder = action(tools, "mnuToolCheckFolder", "Check &Folder...", [&f] { f.MainToolFolder(false); });
    f.mnuToolFindInFolder = action(tools, "mnuToolFindInFolder", "Find &in Folder...", [&f] { f.MainToolFolder(true); });
    tools->addSeparator();
    f.mnuToolEmail = action(tools, "mnuToolEmail", "&Send Email ...", [&f] { f.MainFileSend({}); });
    f.mnuToolBrowser = action(tools, "mnuToolBrowser", "&Web Browser", [&f] { f.MainViewWebBrowser(); });
    f.mnuToolEdiServer =
        action(tools, "mnuToolEdiServer", "Connect to EDI Server ...", [&f] { gfOpenEdiServerClient({}, &f); });
    f.mnuToolExportSQL = action(tools, "mnuToolExportSQL", "Post to SQL Server ...",
                                [&f] { gfOpenDatabaseServerClient(nullptr, &f); });

    QMenu* view = f.menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mnuView"));
    f.mnuViewToolbar = view->addAction(QStringLiteral("&Toolbar"));
    f.mnuViewToolbar->setObjectName(QStringLiteral("mnuViewToolbar"));
    f.mnuViewToolbar->setCheckable(true);
    f.mnuViewToolbar->setChecked(true);
    QObject::connect(f.mnuViewToolbar, &QAction::triggered, &f,
                     [&f] { f.tbToolBar->setVisible(f.mnuViewToolbar->isChecked()); });
    f.mnuViewStatusBar = view->addAction(QStringLiteral("Status &Bar"));
    f.mnuViewStatusBar->setObjectName(QStringLiteral("mnuViewStatusBar"));
    f.mnuViewStatusBar->setCheckable(true);
    f.mnuViewStatusBar->setChecked(true);
    QObject::connect(f.mnuViewStatusBar, &QAction::triggered, &f,
                     [&f] { f.Status().sbStatusBar->setVisible(f.mnuViewStatusBar->isChecked()); });
    f.mnuViewDefaultSize =
        action(view, "mnuViewDefaultSize", "Default Main Window Size", [&f] { f.MainViewDefaultSize(); });
    view->addSeparator();
    f.mnuViewOptions = action(view, "mnuViewOptions", "&Options...", [&f] { f.MainViewOptions(); });

    QMenu* window = f.menuBar()->addMenu(QStringLiteral("&Window"));
    window->setObjectName(QStringLiteral("mnuWindow"));
    f.mnuWindowCascade = action(window, "mnuWindowCascade", "&Cascade", [&f] { f.MdiArea()->cascadeSubWindows(); });
    f.mnuWindowTileHorizontal =
        action(window, "mnuWindowTileHorizontal", "Tile &Horizontal", [&f] { f.TileHorizontal(); });
    f.mnuWindowTileVertical = action(window, "mnuWindowTileVertical", "Tile &Vertical", [&f] { f.TileVertical(); });
    f.mnuWindowArrangeIcons = action(window, "mnuWindowArrangeIcons", "&Arrange Icons", [&f] { f.ArrangeIcons(); });

    QMenu* help = f.menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    f.mnuHelpContents = action(help, "mnuHelpContents", "&Contents", [&f] { f.MainHelpContents(); });
    f.mnuHelpAbout = action(help, "mnuHelpAbout", "&About ", [&f] { f.MainHelpAbout(); });
    for (QAction* a : f.menuBar()->actions())
        f.mOwnMenus.push_back(a);
}

}  // namespace orr
