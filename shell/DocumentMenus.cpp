#include "shell/DocumentMenus.h"

#include <QMenu>
#include <QMenuBar>

#include "app/modRecent.h"
#include "shell/CommandTable.h"
#include "shell/FindBar.h"
#include "shell/FrameServices.h"
#include "shell/SegmentDetailPanel.h"
#include "shell/frmDocument.h"
#include "shell/modTool.h"

namespace orr {

void DocumentMenus::Build(frmDocument& w)
{
    DocumentMenus menus(w);
    menus.File();
    menus.Edit();
    menus.Tools();
    menus.View();
    menus.Window();
    menus.Help();
}

QMenu* DocumentMenus::Menu(const char* sCaption, const char* sName)
{
    QMenu* menu = mW.menuBar()->addMenu(QString::fromLatin1(sCaption));
    menu->setObjectName(QString::fromLatin1(sName));
    return menu;
}

QAction* DocumentMenus::Add(QMenu* menu, const char* sName)
{
    const CommandDef& def = gfCommandNamed(sName);
    QAction* a = menu->addAction(QString::fromLatin1(def.sCaption));
    a->setObjectName(QString::fromLatin1(def.sName));
    a->setShortcuts(def.shortcuts);
    frmDocument& w = mW;
    if (const auto* pCommand = std::get_if<DocCommand>(&def.command)) {
        const DocCommand command = *pCommand;
        QObject::connect(a, &QAction::triggered, &w, [&w, command] {
            // Through the frame when it acts on this window: its toolbar follows.
            if (w.mFrame && w.mFrame->IsActive(&w))
                w.mFrame->RunDocCommand(command);
            else if (w.CanRun(command))
                w.Run(command);
        });
        QObject::connect(&w, &DocumentWindow::commandStateChanged, a,
                         [&w, a, command] { a->setEnabled(w.CanRun(command)); });
    } else {
        const FrameCommand command = std::get<FrameCommand>(def.command);
        QObject::connect(a, &QAction::triggered, &w, [&w, command] {
            if (w.mFrame)
                w.mFrame->RunFrameCommand(command);
        });
    }
    return a;
}

QAction* DocumentMenus::AddShortcut(QMenu* menu, const char* sName)
{
    QAction* a = Add(menu, sName);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    mW.addAction(a);
    return a;
}

void DocumentMenus::File()
{
    QMenu* file = Menu("&File", "mnuFile");
    Add(file, "mnuFileNew");
    Add(file, "mnuFileOpen");
    mW.mnuFileClose = Add(file, "mnuFileClose");
    file->addSeparator();
    mW.mnuFileSave = Add(file, "mnuFileSave");
    mW.mnuFileSaveAs = Add(file, "mnuFileSaveAs");
    mW.mnuFileSaveAll = Add(file, "mnuFileSaveAll");
    file->addSeparator();
    Add(file, "mnuFileExportJson");
    Add(file, "mnuFileExportXml");
    file->addSeparator();
    mW.mnuFilePrint = Add(file, "mnuFilePrint");
    // The recent files (a separator line, then one entry a file), filled
    // from the frame's list by gfCopyRecentMenu.
    frmDocument& w = mW;
    for (int i = 0; i <= kRecentFileCount; ++i) {
        QAction* a = file->addAction(QString());
        a->setObjectName(QStringLiteral("mnuRecentFile%1").arg(i));
        a->setSeparator(i == 0);
        a->setVisible(false);
        QObject::connect(a, &QAction::triggered, &w, [&w, i] {
            if (w.mFrame)
                w.mFrame->OpenRecentFile(i);
        });
    }
    file->addSeparator();
    mW.mnuFileExit = Add(file, "mnuFileExit");
}

void DocumentMenus::Edit()
{
    frmDocument& w = mW;
    QMenu* edit = w.mnuEdit = Menu("&Edit", "mnuEdit");
    // The entries follow the current node each time the menu opens, in the
    // menu bar and as the tree's context menu alike.
    QObject::connect(edit, &QMenu::aboutToShow, &w, &DocumentWindow::commandStateChanged);
    w.mnuEditShowNull = Add(edit, "mnuEditShowNull");
    w.mnuEditNewChild = Add(edit, "mnuEditNewChild");
    w.mnuEditDuplicate = edit->addMenu(QStringLiteral("Create New Sibling"));
    w.mnuEditDuplicate->setObjectName(QStringLiteral("mnuEditDuplicate"));
    w.mnuEditNewSiblingAfter = AddShortcut(w.mnuEditDuplicate, "mnuEditNewSiblingAfter");
    w.mnuEditNewSiblingBefore = Add(w.mnuEditDuplicate, "mnuEditNewSiblingBefore");
    w.mnuEditMove = edit->addMenu(QStringLiteral("&Move"));
    w.mnuEditMove->setObjectName(QStringLiteral("mnuEditMove"));
    w.mnuEditMoveDown = Add(w.mnuEditMove, "mnuEditMoveDown");
    w.mnuEditMoveUp = Add(w.mnuEditMove, "mnuEditMoveUp");
    // A submenu opens when one of its entries can run.
    QObject::connect(&w, &DocumentWindow::commandStateChanged, &w, [&w] {
        w.mnuEditDuplicate->menuAction()->setEnabled(w.CanRun(DocCommand::NewSiblingAfter));
        w.mnuEditMove->menuAction()->setEnabled(w.CanRun(DocCommand::MoveDown) || w.CanRun(DocCommand::MoveUp));
    });
    w.mnuEditDelete = AddShortcut(edit, "mnuEditDelete");
    w.mnuEditCut = AddShortcut(edit, "mnuEditCut");
    w.mnuEditCopy = AddShortcut(edit, "mnuEditCopy");
    w.mnuEditPaste = AddShortcut(edit, "mnuEditPaste");
    w.mnuEditClearCut = Add(edit, "mnuEditClearCut");
    w.mnuEditData = AddShortcut(edit, "mnuEditData");
    w.mnuEditEditSource = Add(edit, "mnuEditEditSource");
    w.mnuEditNewFile = Add(edit, "mnuEditNewFile");
    edit->addSeparator();
    w.mnuEditUndo = AddShortcut(edit, "mnuEditUndo");
    w.mnuEditRedo = AddShortcut(edit, "mnuEditRedo");
}

void DocumentMenus::Tools()
{
    frmDocument& w = mW;
    QMenu* tool = Menu("&Tools", "mnuTool");
    w.mnuToolValidate = AddShortcut(tool, "mnuToolValidate");
    w.mnuToolClearMapping = Add(tool, "mnuToolClearMapping");
    tool->addSeparator();
    w.mnuToolConvertEDI = Add(tool, "mnuToolConvertEDI");
    Add(tool, "mnuToolFA");
    QMenu* exportTo = tool->addMenu(QStringLiteral("Export to file"));
    exportTo->setObjectName(QStringLiteral("mnuToolExport"));
    w.mnuToolExportText = Add(exportTo, "mnuToolExportText");
    Add(exportTo, "mnuToolExportXML");
    Add(exportTo, "mnuToolExportJSON");
    tool->addSeparator();
    Add(tool, "mnuToolEmail");
    Add(tool, "mnuToolBrowser");
    tool->addSeparator();
    Add(tool, "mnuToolEdiServer");
    QAction* sql = tool->addAction(QStringLiteral("Post to &SQL Server ..."));
    sql->setObjectName(QStringLiteral("mnuToolExportSQL"));
    QObject::connect(sql, &QAction::triggered, &w, [&w] { gfOpenDatabaseServerClient(&w.mDoc, &w); });
}

void DocumentMenus::View()
{
    frmDocument& w = mW;
    QMenu* view = Menu("&View", "mnuView");
    w.mnuViewToolbar = Add(view, "mnuViewToolbar");
    w.mnuViewStatusBar = Add(view, "mnuViewStatusBar");
    for (QAction* a : {w.mnuViewToolbar, w.mnuViewStatusBar})
        a->setCheckable(true);
    // The check marks show the frame's bars as they are, whichever window hid them.
    QObject::connect(view, &QMenu::aboutToShow, &w, [&w] {
        if (w.mFrame) {
            w.mnuViewToolbar->setChecked(w.mFrame->ToolbarShown());
            w.mnuViewStatusBar->setChecked(w.mFrame->StatusBarShown());
        }
    });
    Add(view, "mnuViewDefaultSize");
    view->addSeparator();
    w.mnuViewSwitch = Add(view, "mnuViewSwitch");
    Add(view, "mnuViewRefresh");
    w.mnuViewExpandTree = Add(view, "mnuViewExpandTree");
    w.mnuViewCollpaseTree = Add(view, "mnuViewCollpaseTree");
    view->addSeparator();
    Add(view, "mnuViewHL");
    view->addSeparator();
    // Find works wherever the focus is in this window, also with the bar hidden.
    for (QAction* a : {w.mFindBar->actFind, w.mFindBar->actFindNext}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        view->addAction(a);
        w.addAction(a);
    }
    QAction* detail = w.mDetail->toggleViewAction();
    detail->setText(QStringLiteral("Segment &Detail"));
    detail->setObjectName(QStringLiteral("mnuViewDetail"));
    view->addAction(detail);
    view->addSeparator();
    Add(view, "mnuViewOptions");
}

void DocumentMenus::Window()
{
    QMenu* window = Menu("&Window", "mnuWindow");
    for (const char* sName : {"mnuWindowCascade", "mnuWindowTileHorizontal", "mnuWindowTileVertical",
                              "mnuWindowArrangeIcons"})
        Add(window, sName);
}

void DocumentMenus::Help()
{
    QMenu* help = Menu("&Help", "mnuHelp");
    Add(help, "mnuHelpContents");
    Add(help, "mnuHelpAbout");
}

}  // namespace orr
