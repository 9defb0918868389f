#include "shell/FrameMenus.h"

#include <QMenuBar>
#include <QStatusBar>

#include "shell/CommandTable.h"
#include "shell/FrameStatusBar.h"
#include "shell/frmMain.h"

namespace orr {
namespace {

// The frame's entry sName from the command table, not yet connected.
QAction* Entry(QMenu* menu, const char* sName)
{
    const CommandDef& def = gfFrameCommandNamed(sName);
    QAction* a = menu->addAction(QString::fromLatin1(def.sCaption));
    a->setObjectName(QString::fromLatin1(def.sName));
    a->setShortcuts(def.shortcuts);
    return a;
}

QMenu* Menu(frmMain& f, const char* sCaption, const char* sName)
{
    QMenu* menu = f.menuBar()->addMenu(QString::fromLatin1(sCaption));
    menu->setObjectName(QString::fromLatin1(sName));
    return menu;
}

}  // namespace

void FrameMenus::Build(frmMain& f)
{
    auto add = [&f](QMenu* menu, const char* sName) {
        QAction* a = Entry(menu, sName);
        const FrameCommand command = std::get<FrameCommand>(gfFrameCommandNamed(sName).command);
        QObject::connect(a, &QAction::triggered, &f, [&f, command] { f.RunFrameCommand(command); });
        return a;
    };
    // A bar's entry is checked by the click itself: the bar (made after the
    // menus) is shown as it says.
    auto toggle = [&f](QMenu* menu, const char* sName, auto fnBar) {
        QAction* a = Entry(menu, sName);
        a->setCheckable(true);
        a->setChecked(true);
        QObject::connect(a, &QAction::triggered, &f, [fnBar](bool bShow) { fnBar()->setVisible(bShow); });
        return a;
    };

    QMenu* file = Menu(f, "&File", "mnuFile");
    f.mnuFileNew = add(file, "mnuFileNew");
    f.mnuFileOpen = add(file, "mnuFileOpen");
    f.mnuFileTemplate = add(file, "mnuFileTemplate");
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
    f.mnuFileExit = add(file, "mnuFileExit");

    QMenu* tools = Menu(f, "&Tools", "mnuTool");
    f.mnuToolCreateFA = add(tools, "mnuToolCreateFA");
    tools->addSeparator();
    f.mnuToolCompare = add(tools, "mnuToolCompare");
    f.mnuToolCheckFolder = add(tools, "mnuToolCheckFolder");
    f.mnuToolFindInFolder = add(tools, "mnuToolFindInFolder");
    tools->addSeparator();
    f.mnuToolEmail = add(tools, "mnuToolEmail");
    f.mnuToolBrowser = add(tools, "mnuToolBrowser");
    f.mnuToolEdiServer = add(tools, "mnuToolEdiServer");
    f.mnuToolExportSQL = add(tools, "mnuToolExportSQL");

    QMenu* view = Menu(f, "&View", "mnuView");
    f.mnuViewToolbar = toggle(view, "mnuViewToolbar", [&f] { return f.tbToolBar; });
    f.mnuViewStatusBar = toggle(view, "mnuViewStatusBar", [&f] { return f.Status().sbStatusBar; });
    f.mnuViewDefaultSize = add(view, "mnuViewDefaultSize");
    view->addSeparator();
    f.mnuViewOptions = add(view, "mnuViewOptions");

    QMenu* window = Menu(f, "&Window", "mnuWindow");
    f.mnuWindowCascade = add(window, "mnuWindowCascade");
    f.mnuWindowTileHorizontal = add(window, "mnuWindowTileHorizontal");
    f.mnuWindowTileVertical = add(window, "mnuWindowTileVertical");
    f.mnuWindowArrangeIcons = add(window, "mnuWindowArrangeIcons");

    QMenu* help = Menu(f, "&Help", "mnuHelp");
    f.mnuHelpContents = add(help, "mnuHelpContents");
    f.mnuHelpAbout = add(help, "mnuHelpAbout");
    for (QAction* a : f.menuBar()->actions())
        f.mOwnMenus.push_back(a);
}

}  // namespace orr
