#include "shell/frmDocument.h"

#include <algorithm>
#include <cstdio>

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTimer>

#include "app/UiService.h"
#include "app/clsProgress.h"
#include "app/modGlobals.h"
#include "app/modRecent.h"
#include "doctree/JsonExport.h"
#include "doctree/XmlExport.h"
#include "doctree/clsTreeDSave.h"
#include "doctree/modNodeD.h"
#include "doctree/modTree.h"
#include "shell/FindBar.h"
#include "shell/FindingsDock.h"
#include "shell/SegmentDetailPanel.h"
#include "shell/FormRegistry.h"
#include "shell/LabelEditDelegate.h"
#include "shell/OrrApplication.h"
#include "shell/TreeModel.h"
#include "shell/frm2ndChance.h"
#include "shell/frmExportText.h"
#include "shell/frmFA.h"
#include "shell/frmHL.h"
#include "shell/frmMail.h"
#include "shell/frmMain.h"
#include "shell/frmPrintView.h"
#include "shell/frmToolEdi.h"
#include "shell/modFrmDocFile.h"
#include "shell/modShellMain.h"
#include "shell/modTool.h"

namespace orr {
namespace {

// The export and conversion dialogs, given the document they write.
template <typename Dialog>
void ShowWithRoot(QWidget* pOwner, const TreeNode& ndRoot)
{
    Dialog dlg(pOwner);
    dlg.SetRoot(ndRoot);
    dlg.exec();
}

}  // namespace

frmDocument::frmDocument(const QString& sKey, QWidget* parent) : DocumentWindow(parent), msKey(sKey)
{
    setObjectName(QStringLiteral("frmDocument"));
    setAttribute(Qt::WA_DeleteOnClose);
    tvc = new DocTreeView;
    tvc->setObjectName(QStringLiteral("tvc"));
    tvS = new DocTreeView;
    tvS->setObjectName(QStringLiteral("tvS"));
    mDocModel = new TreeModel(mDoc.Tree(), this);
    mSchemaModel = new TreeModel(mDoc.SchemaTree(), this);
    AttachView(tvc, mDocModel);
    AttachView(tvS, mSchemaModel);
    picSplitter = new QSplitter(Qt::Horizontal, this);
    picSplitter->setObjectName(QStringLiteral("picSplitter"));
    picSplitter->addWidget(tvc);
    picSplitter->addWidget(tvS);
    picSplitter->setChildrenCollapsible(false);
    setCentralWidget(picSplitter);
    mFindings = new FindingsDock(mDoc, mDocModel, this);
    addDockWidget(Qt::BottomDockWidgetArea, mFindings);
    mDetail = new SegmentDetailPanel(mDoc, this);
    addDockWidget(Qt::BottomDockWidgetArea, mDetail);
    mFindBar = new FindBar(mDoc, this);
    addToolBar(Qt::BottomToolBarArea, mFindBar);

    // The view's current row is the document's current node, from the mouse
    // and from the keyboard alike; a row the view picks while the tree
    // changes under it is not the user's choice.
    connect(tvc->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
        if (!mbSyncing && !mDocModel->Changing())
            NodeClick(mDocModel->NodeOf(i));
    });
    // Label editors are opened by the window, where the rules allow them.
    tvc->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mLabels = new LabelEditDelegate(tvc);
    tvc->setItemDelegate(mLabels);
    tvc->setExpandsOnDoubleClick(false);
    tvc->setContextMenuPolicy(Qt::CustomContextMenu);
    tvc->installEventFilter(this);
    tvc->viewport()->installEventFilter(this);
    mDocModel->SetTextHandler([this](NodeId node, const std::string& sText) { SetLabelText(node, sText); });
    connect(tvc, &QWidget::customContextMenuRequested, this, &frmDocument::TreeContextMenu);
    connect(tvc, &QAbstractItemView::doubleClicked, this, &frmDocument::TreeDoubleClick);
    connect(mDocModel, &QAbstractItemModel::rowsInserted, this, &frmDocument::ShowInsertedExpanded);
    connect(tvS, &QTreeView::clicked, this, [this](const QModelIndex& i) {
        if (gConfig->bTrace)
            Trace(mDoc.SchemaTree().Tag(mSchemaModel->NodeOf(i)));
    });
    mDoc.AddListener(this);
    if (frmMain* frame = frmMain::Instance(); frame && frame->Recovery())
        mRecovery = frame->Recovery()->Attach(mDoc);
    CreateMenus();
    // Most windows open on the frame's size (frmMain::PlaceDocumentWindow).
    resize(900, 600);
    FormRegistry::Add(this);
}

frmDocument::~frmDocument()
{
    mDoc.RemoveListener(this);
    FormRegistry::Remove(this);
    if (frmMain* frame = frmMain::Instance())
        frame->RemoveChild(msKey);
}

void frmDocument::AttachView(DocTreeView* view, TreeModel* model)
{
    view->setModel(model);
    view->setHeaderHidden(true);
    view->setUniformRowHeights(true);
    // Texts are never cut: the column grows to the widest row shown so far
    // and the view scrolls sideways. Only rows on screen are measured, so
    // no segment's elements are made for it.
    view->header()->setStretchLastSection(false);
    view->header()->setResizeContentsPrecision(0);
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, view, &DocTreeView::FitColumn);
    connect(view->verticalScrollBar(), &QScrollBar::rangeChanged, view, &DocTreeView::FitColumn);
    // Rows the store keeps open open in the view as they come into sight.
    const auto expandShown = [this, view, model] { ExpandShown(view, model); };
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, expandShown);
    connect(view->verticalScrollBar(), &QScrollBar::rangeChanged, this, expandShown);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    // The store's expanded flags and the view's follow each other.
    connect(view, &QTreeView::expanded, this, [this, view, model](const QModelIndex& i) {
        if (mbViewExpansion)
            return;
        model->Tree().SetExpanded(model->NodeOf(i), true);
        ShowOpenChildren(view, model, model->NodeOf(i));
    });
    connect(view, &QTreeView::collapsed, this, [this, view, model](const QModelIndex& i) {
        if (mbViewExpansion)
            return;
        model->Tree().SetExpanded(model->NodeOf(i), false);
        ForgetOpenChildren(view, model, model->NodeOf(i));
    });
    connect(model, &TreeModel::expandRequested, view,
            [view](const QModelIndex& i, bool bExpanded) { view->setExpanded(i, bExpanded); });
    connect(model, &TreeModel::scrollRequested, view, [view](const QModelIndex& i) { view->scrollTo(i); });
    connect(model, &QAbstractItemModel::modelReset, this, [this, view, model] {
        {
            const QScopedValueRollback viewOnly(mbViewExpansion, true);
            SyncExpansion(view, model, {});
        }
        view->resizeColumnToContents(0);  // may narrow again
        if (view == tvc)
            CurrentChanged(mDoc.Current());  // a reset drops the view's current row
    });
}

void frmDocument::SyncExpansion(DocTreeView* view, TreeModel* model, NodeId node)
{
    // Only expanded nodes are walked: the cost follows what is visible.
    clsTree& tree = model->Tree();
    for (std::uint32_t i = 0, n = tree.ChildCount(node); i < n; ++i) {
        const NodeId child = tree.Child(node, i);
        if (!tree.Expanded(child))
            continue;
        view->setExpanded(model->IndexOf(child), true);
        SyncExpansion(view, model, child);
    }
}

// A node the view opens after ForgetOpenChildren: its rows the store keeps
// open are opened in the view in one relayout.
void frmDocument::ShowOpenChildren(DocTreeView* view, TreeModel* model, NodeId node)
{
    clsTree& tree = model->Tree();
    bool bMissing = false;
    for (std::uint32_t i = 0, n = tree.ChildCount(node); i < n && !bMissing; ++i) {
        const NodeId child = tree.Child(node, i);
        bMissing = tree.Expanded(child) && !view->isExpanded(model->IndexOf(child));
    }
    if (!bMissing)
        return;
    view->RelayoutLater();
    const QScopedValueRollback viewOnly(mbViewExpansion, true);
    SyncExpansion(view, model, node);
}

// Laying out every row of a large document at once takes seconds and much
// memory: rows the store keeps open that come into sight open in the view,
// level by level until the rows on screen are settled.
void frmDocument::ExpandShown(DocTreeView* view, TreeModel* model)
{
    if (mbExpandingShown)
        return;
    const QScopedValueRollback busy(mbExpandingShown, true);
    const QScopedValueRollback viewOnly(mbViewExpansion, true);
    const clsTree& tree = model->Tree();
    const int nBottom = view->viewport()->height();
    for (bool bOpened = true; bOpened;) {
        bOpened = false;
        for (QModelIndex i = view->indexAt(QPoint(0, 0)); i.isValid() && view->visualRect(i).top() < nBottom;
             i = view->indexBelow(i)) {
            if (!view->isExpanded(i) && tree.Expanded(model->NodeOf(i)) && tree.HasChildren(model->NodeOf(i))) {
                view->expand(i);
                bOpened = true;
            }
        }
    }
}

// A closing node of many open children closes them in the view alone when
// opening it again costs less as one relayout than as an insertion per child.
void frmDocument::ForgetOpenChildren(DocTreeView* view, TreeModel* model, NodeId node)
{
    clsTree& tree = model->Tree();
    QModelIndexList open;
    for (std::uint32_t i = 0, n = tree.ChildCount(node); i < n; ++i) {
        const QModelIndex child = model->IndexOf(tree.Child(node, i));
        if (view->isExpanded(child))
            open << child;
    }
    if (open.isEmpty() || !view->RelayoutCheaper(model->IndexOf(node), open.size()))
        return;
    view->RelayoutLater();
    const QScopedValueRollback viewOnly(mbViewExpansion, true);
    for (const QModelIndex& child : open)
        view->collapse(child);
}

QAction* frmDocument::AddCommand(QMenu* menu, const char* sName, const char* sCaption, DocCommand command)
{
    QAction* a = menu->addAction(QString::fromLatin1(sCaption));
    a->setObjectName(QString::fromLatin1(sName));
    connect(a, &QAction::triggered, this, [this, command] {
        if (frmMain* frame = frmMain::Instance(); frame && frame->ActiveDocument() == this)
            frame->RunDocCommand(command);
        else if (CanRun(command))
            Run(command);
    });
    // Each entry is enabled exactly when its command can run.
    connect(this, &DocumentWindow::commandStateChanged, a, [this, a, command] { a->setEnabled(CanRun(command)); });
    return a;
}

QAction* frmDocument::AddShortcutCommand(QMenu* menu, const char* sName, const char* sCaption, DocCommand command,
                                        const QList<QKeySequence>& keys)
{
    QAction* a = AddCommand(menu, sName, sCaption, command);
    a->setShortcuts(keys);
    // Several documents are open at once: only the window holding the focus answers.
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(a);
    return a;
}

QAction* frmDocument::AddFrameCommand(QMenu* menu, const char* sName, const char* sCaption,
                                     std::function<void(frmMain&)> fnCommand)
{
    QAction* a = menu->addAction(QString::fromLatin1(sCaption));
    a->setObjectName(QString::fromLatin1(sName));
    connect(a, &QAction::triggered, this, [fnCommand = std::move(fnCommand)] {
        if (frmMain* frame = frmMain::Instance())
            fnCommand(*frame);
    });
    return a;
}

void frmDocument::CreateMenus()
{
    CreateFileMenu();
    CreateEditMenu();
    CreateToolMenu();
    CreateViewMenu();
    CreateWindowMenu();
    CreateHelpMenu();
}

void frmDocument::CreateFileMenu()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    AddFrameCommand(file, "mnuFileNew", "&New ...", [](frmMain& f) { f.MainFileNew(); })->setShortcut(QKeySequence::New);
    AddFrameCommand(file, "mnuFileOpen", "&Open...", [](frmMain& f) { f.MainFileOpen(); })
        ->setShortcut(QKeySequence::Open);
    mnuFileClose = AddCommand(file, "mnuFileClose", "&Close", DocCommand::Close);
    mnuFileClose->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    file->addSeparator();
    mnuFileSave = AddCommand(file, "mnuFileSave", "&Save", DocCommand::Save);
    mnuFileSaveAs = AddCommand(file, "mnuFileSaveAs", "Save &As...", DocCommand::SaveAs);
    mnuFileSaveAll = AddFrameCommand(file, "mnuFileSaveAll", "Save A&ll", [](frmMain& f) { f.SaveAllFiles(); });
    file->addSeparator();
    AddCommand(file, "mnuFileExportJson", "Export as &JSON...", DocCommand::ExportJson);
    AddCommand(file, "mnuFileExportXml", "Export as &XML...", DocCommand::ExportXml);
    file->addSeparator();
    mnuFilePrint = AddCommand(file, "mnuFilePrint", "&Print ...", DocCommand::Print);
    mnuFileSave->setShortcut(QKeySequence::Save);
    mnuFilePrint->setShortcut(QKeySequence::Print);
    // The recent files (a separator line, then one entry a file), filled
    // from the frame's list by gfCopyRecentMenu.
    for (int i = 0; i <= kRecentFileCount; ++i) {
        QAction* a = file->addAction(QString());
        a->setObjectName(QStringLiteral("mnuRecentFile%1").arg(i));
        a->setSeparator(i == 0);
        a->setVisible(false);
        connect(a, &QAction::triggered, this, [i] {
            if (frmMain* frame = frmMain::Instance())
                frame->MainOpenRecentFile(i);
        });
    }
    file->addSeparator();
    mnuFileExit = file->addAction(QStringLiteral("E&xit"));
    mnuFileExit->setObjectName(QStringLiteral("mnuFileExit"));
    connect(mnuFileExit, &QAction::triggered, this, [] { gfUnloadAllForms(); });
}

void frmDocument::CreateEditMenu()
{
    mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    // The entries follow the current node each time the menu opens, in the
    // menu bar and as the tree's context menu alike.
    connect(mnuEdit, &QMenu::aboutToShow, this, &DocumentWindow::commandStateChanged);
    mnuEditShowNull = AddCommand(mnuEdit, "mnuEditShowNull", "Hide/Show Empty Folder", DocCommand::ToggleEmpty);
    mnuEditNewChild = AddCommand(mnuEdit, "mnuEditNewChild", "Create &New Child", DocCommand::NewChild);
    mnuEditDuplicate = mnuEdit->addMenu(QStringLiteral("Create New Sibling"));
    mnuEditDuplicate->setObjectName(QStringLiteral("mnuEditDuplicate"));
    mnuEditNewSiblingAfter = AddShortcutCommand(mnuEditDuplicate, "mnuEditNewSiblingAfter", "&After Current Node",
                                                DocCommand::NewSiblingAfter, {Qt::Key_Insert});
    mnuEditNewSiblingBefore = AddCommand(mnuEditDuplicate, "mnuEditNewSiblingBefore", "&Before Current Node",
                                         DocCommand::NewSiblingBefore);
    mnuEditMove = mnuEdit->addMenu(QStringLiteral("&Move"));
    mnuEditMove->setObjectName(QStringLiteral("mnuEditMove"));
    mnuEditMoveDown = AddCommand(mnuEditMove, "mnuEditMoveDown", "Down", DocCommand::MoveDown);
    mnuEditMoveUp = AddCommand(mnuEditMove, "mnuEditMoveUp", "Up", DocCommand::MoveUp);
    // A submenu opens when one of its entries can run.
    connect(this, &DocumentWindow::commandStateChanged, this, [this] {
        mnuEditDuplicate->menuAction()->setEnabled(CanRun(DocCommand::NewSiblingAfter));
        mnuEditMove->menuAction()->setEnabled(CanRun(DocCommand::MoveDown) || CanRun(DocCommand::MoveUp));
    });
    mnuEditDelete = AddShortcutCommand(mnuEdit, "mnuEditDelete", "&Delete", DocCommand::Delete, {Qt::Key_Delete});
    mnuEditCut = AddShortcutCommand(mnuEdit, "mnuEditCut", "Cu&t", DocCommand::Cut, {QKeySequence::Cut});
    mnuEditCopy = AddShortcutCommand(mnuEdit, "mnuEditCopy", "&Copy", DocCommand::Copy, {QKeySequence::Copy});
    mnuEditPaste = AddShortcutCommand(mnuEdit, "mnuEditPaste", "&Paste", DocCommand::Paste, {QKeySequence::Paste});
    mnuEditClearCut = AddCommand(mnuEdit, "mnuEditClearCut", "&Clear Copy/Cut", DocCommand::ClearCut);
    mnuEditData = AddShortcutCommand(mnuEdit, "mnuEditData", "&Edit Data", DocCommand::EditData, {Qt::Key_F2});
    mnuEditEditSource = AddCommand(mnuEdit, "mnuEditEditSource", "Edit EDI &Source ...", DocCommand::EditSource);
    mnuEditNewFile = AddCommand(mnuEdit, "mnuEditNewFile", "&Open File (Same Template)", DocCommand::OpenSameTemplate);
    mnuEdit->addSeparator();
    mnuEditUndo =
        AddShortcutCommand(mnuEdit, "mnuEditUndo", "&Undo", DocCommand::Undo, {QKeySequence(Qt::CTRL | Qt::Key_Z)});
    mnuEditRedo =
        AddShortcutCommand(mnuEdit, "mnuEditRedo", "&Redo", DocCommand::Redo,
                           {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
}

void frmDocument::CreateToolMenu()
{
    QMenu* tool = menuBar()->addMenu(QStringLiteral("&Tools"));
    tool->setObjectName(QStringLiteral("mnuTool"));
    mnuToolValidate =
        AddShortcutCommand(tool, "mnuToolValidate", "Validate Document", DocCommand::Validate, {Qt::Key_F5});
    mnuToolClearMapping = AddCommand(tool, "mnuToolClearMapping", "Clear Mapping", DocCommand::ClearMapping);
    tool->addSeparator();
    mnuToolConvertEDI = AddCommand(tool, "mnuToolConvertEDI", "Convert EDI format ...", DocCommand::ConvertFormat);
    AddCommand(tool, "mnuToolFA", "Create Functional Ack ...", DocCommand::CreateAck);
    QMenu* exportTo = tool->addMenu(QStringLiteral("Export to file"));
    exportTo->setObjectName(QStringLiteral("mnuToolExport"));
    mnuToolExportText = AddCommand(exportTo, "mnuToolExportText", "Delimited Text File", DocCommand::ExportText);
    AddCommand(exportTo, "mnuToolExportXML", "XML File", DocCommand::ExportXml);
    AddCommand(exportTo, "mnuToolExportJSON", "JSON File", DocCommand::ExportJson);
    tool->addSeparator();
    AddCommand(tool, "mnuToolEmail", "&Send Email ...", DocCommand::SendEmail);
    AddFrameCommand(tool, "mnuToolBrowser", "&Web Browser", [](frmMain& f) { f.MainViewWebBrowser(); });
    tool->addSeparator();
    AddCommand(tool, "mnuToolEdiServer", "&Connect to EDI Server ...", DocCommand::ConnectEdiServer);
    AddFrameCommand(tool, "mnuToolExportSQL", "Post to &SQL Server ...",
                    [this](frmMain& f) { gfOpenDatabaseServerClient(&mDoc, &f); });
}

void frmDocument::CreateViewMenu()
{
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mnuView"));
    mnuViewToolbar = AddFrameCommand(view, "mnuViewToolbar", "&Toolbar", [](frmMain& f) { f.MainViewToolBarToggle(); });
    mnuViewStatusBar =
        AddFrameCommand(view, "mnuViewStatusBar", "Status &Bar", [](frmMain& f) { f.MainViewStatusBarToggle(); });
    for (QAction* a : {mnuViewToolbar, mnuViewStatusBar})
        a->setCheckable(true);
    // The check marks show the frame's bars as they are, whichever window hid them.
    connect(view, &QMenu::aboutToShow, this, [this] {
        if (frmMain* frame = frmMain::Instance()) {
            mnuViewToolbar->setChecked(frame->mnuViewToolbar->isChecked());
            mnuViewStatusBar->setChecked(frame->mnuViewStatusBar->isChecked());
        }
    });
    AddFrameCommand(view, "mnuViewDefaultSize", "Default Window Size", [](frmMain& f) {
        f.MainViewDefaultSize();
        f.MdiArea()->cascadeSubWindows();
    });
    view->addSeparator();
    mnuViewSwitch = AddCommand(view, "mnuViewSwitch", "SwitchTreeView", DocCommand::SwitchView);
    AddCommand(view, "mnuViewRefresh", "&Refresh", DocCommand::Refresh);
    mnuViewExpandTree = AddCommand(view, "mnuViewExpandTree", "Expand All", DocCommand::ExpandAll);
    mnuViewCollpaseTree = AddCommand(view, "mnuViewCollpaseTree", "Collapse All", DocCommand::CollapseAll);
    view->addSeparator();
    AddCommand(view, "mnuViewHL", "Hierarchical Level", DocCommand::EditHL);
    view->addSeparator();
    // Find works wherever the focus is in this window, also with the bar hidden.
    for (QAction* a : {mFindBar->actFind, mFindBar->actFindNext}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        view->addAction(a);
        addAction(a);
    }
    QAction* detail = mDetail->toggleViewAction();
    detail->setText(QStringLiteral("Segment &Detail"));
    detail->setObjectName(QStringLiteral("mnuViewDetail"));
    view->addAction(detail);
    view->addSeparator();
    AddFrameCommand(view, "mnuViewOptions", "&Options...", [](frmMain& f) { f.MainViewOptions(); });
}

void frmDocument::CreateWindowMenu()
{
    QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
    window->setObjectName(QStringLiteral("mnuWindow"));
    AddFrameCommand(window, "mnuWindowCascade", "&Cascade", [](frmMain& f) { f.MdiArea()->cascadeSubWindows(); });
    AddFrameCommand(window, "mnuWindowTileHorizontal", "Tile &Horizontal", [](frmMain& f) { f.TileHorizontal(); });
    AddFrameCommand(window, "mnuWindowTileVertical", "Tile &Vertical", [](frmMain& f) { f.TileVertical(); });
    AddFrameCommand(window, "mnuWindowArrangeIcons", "&Arrange Icons", [](frmMain& f) { f.ArrangeIcons(); });
}

void frmDocument::CreateHelpMenu()
{
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    AddFrameCommand(help, "mnuHelpContents", "&Contents", [](frmMain& f) { f.MainHelpContents(); });
    AddFrameCommand(help, "mnuHelpAbout", "&About ", [](frmMain& f) { f.MainHelpAbout(); });
}

EditPermissions frmDocument::Permissions() const
{
    return mEditor && mDoc.HasRoot() ? mEditor->Permissions() : EditPermissions{};
}

std::optional<bool> frmDocument::CanRunEdit(DocCommand command) const
{
    switch (command) {
    case DocCommand::EditData: return Permissions().bEdit;
    case DocCommand::NewChild: return Permissions().bInsertChild;
    case DocCommand::ToggleEmpty: return Permissions().bShowNull;
    case DocCommand::NewSiblingBefore:
    case DocCommand::NewSiblingAfter: return Permissions().bInsertSibling;
    case DocCommand::Cut:
    case DocCommand::Copy: return Permissions().bCutCopy;
    case DocCommand::Paste: return Permissions().bPaste;
    case DocCommand::Delete: return Permissions().bDelete;
    case DocCommand::MoveDown: return Permissions().bMoveDown;
    case DocCommand::MoveUp: return Permissions().bMoveUp;
    case DocCommand::ClearCut: return mEditor != nullptr;
    // Label edits stay possible on a read-only document, and so does taking them back.
    case DocCommand::Undo: return mEditor && mDoc.CanUndo();
    case DocCommand::Redo: return mEditor && mDoc.CanRedo();
    default: return std::nullopt;
    }
}

bool frmDocument::RunEdit(DocCommand command)
{
    if (!CanRunEdit(command).has_value())
        return false;
    // The view keeps its place while the tree changes under it; the node
    // current afterwards is then scrolled to, if it is out of sight.
    tvc->setAutoScroll(false);
    const auto place = qScopeGuard([this] {
        tvc->setAutoScroll(true);
        if (const QModelIndex index = tvc->currentIndex(); index.isValid())
            tvc->scrollTo(index);
    });
    DocumentEditor& editor = *mEditor;
    const NodeId current = mDoc.Current();
    switch (command) {
    case DocCommand::EditData: StartLabelEdit(false); break;
    case DocCommand::NewChild:
        editor.NewChild();
        tvc->expand(mDocModel->IndexOf(current));  // the new child shows, wherever the rules leave the selection
        break;
    case DocCommand::ToggleEmpty: editor.ToggleEmptyFolder(); break;
    case DocCommand::NewSiblingBefore: editor.NewSibling(true); break;
    case DocCommand::NewSiblingAfter: editor.NewSibling(false); break;
    case DocCommand::Cut: editor.Cut(); break;
    case DocCommand::Copy: editor.Copy(); break;
    case DocCommand::Paste: editor.Paste(); break;
    case DocCommand::Delete: editor.Delete(); break;
    case DocCommand::ClearCut: editor.ClearCut(); break;
    case DocCommand::MoveDown: editor.MoveDown(); break;
    case DocCommand::MoveUp: editor.MoveUp(); break;
    case DocCommand::Undo: editor.Undo(); break;
    case DocCommand::Redo: editor.Redo(); break;
    default: return false;
    }
    return true;
}

bool frmDocument::CanRun(DocCommand command) const
{
    if (mDoc.Busy())
        return false;
    if (const std::optional<bool> bEdit = CanRunEdit(command))
        return *bEdit;
    const bool bHasRoot = mDoc.HasRoot();
    switch (command) {
    case DocCommand::Save:
    case DocCommand::SaveAs:
    case DocCommand::Print:
    case DocCommand::EditSource:
    case DocCommand::ConvertFormat:
    case DocCommand::ExportText:
    case DocCommand::ExportXml:
    case DocCommand::ExportJson:
    case DocCommand::ExpandAll:
    case DocCommand::CollapseAll:
    case DocCommand::Validate:
    case DocCommand::ClearMapping:
        return bHasRoot;
    case DocCommand::EditHL:
        return bHasRoot && !mDoc.ReadOnly();
    case DocCommand::OpenSameTemplate:
    case DocCommand::SwitchView:
    case DocCommand::Refresh:
    case DocCommand::Close:
    case DocCommand::CreateAck:
    case DocCommand::SendEmail:
    case DocCommand::ConnectEdiServer:
        return true;
    default:
        return false;  // not part of the program yet
    }
}

void frmDocument::Run(DocCommand command)
{
    if (!CanRun(command))
        return;
    if (RunEdit(command)) {
        emit commandStateChanged();
        return;
    }
    switch (command) {
    case DocCommand::Save: EdiFileSave(); break;
    case DocCommand::SaveAs: EdiFileSaveAs(); break;
    case DocCommand::Print: ShowWorkFile(true); break;
    case DocCommand::EditSource: ShowWorkFile(false); break;
    case DocCommand::ExpandAll: ExpandAll(true); break;
    case DocCommand::CollapseAll: ExpandAll(false); break;
    case DocCommand::Validate: {
        ClearHighlights();
        if (mDoc.Validate(EdiDocument::ValidateMode::WithElementCheck)) {
            NodeClick(mDoc.Root().Id());
            mFindings->ShowDocumentFindings();
        }
        break;
    }
    case DocCommand::ClearMapping: mDoc.ClearMapping(); break;
    case DocCommand::OpenSameTemplate: EditNewFile(); break;
    case DocCommand::SwitchView: SwitchTreeView(); break;
    case DocCommand::Refresh: tvc->viewport()->update(); break;
    case DocCommand::Close:
        // The sub-window, not only this widget: no empty frame stays behind.
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->close();
        else
            close();
        break;
    case DocCommand::ConvertFormat: ShowWithRoot<frmToolEdi>(this, mDoc.Root()); break;
    case DocCommand::ExportText: ShowWithRoot<frmExportText>(this, mDoc.Root()); break;
    case DocCommand::ExportXml: ExportTree(false); break;
    case DocCommand::ExportJson: ExportTree(true); break;
    case DocCommand::CreateAck: CreateAck(); break;
    case DocCommand::SendEmail: gfMainFileSend(mDoc.FileName(), this); break;
    case DocCommand::ConnectEdiServer: gfOpenEdiServerClient(mDoc.FileName(), this); break;
    case DocCommand::EditHL: {
        frmHL dlg(mDoc, this);
        dlg.exec();
        if (dlg.Written())
            mDoc.MarkChanged();
        break;
    }
    default: break;
    }
    emit commandStateChanged();
}

void frmDocument::ExportTree(bool bJson)
{
    const QString sPath = gfRunFileDialog(
        this, {FileDialogRequest::Save, bJson ? QStringLiteral("Export as JSON") : QStringLiteral("Export as XML"),
               bJson ? QStringLiteral("JSON Files (*.json);;All Files (*)")
                     : QStringLiteral("XML Files (*.xml);;All Files (*)"),
               {}});
    if (sPath.isEmpty())
        return;
    JsonExport json;
    XmlExport xml;
    DocumentExport& out = bJson ? static_cast<DocumentExport&>(json) : xml;
    if (out.ToFile(mDoc, sPath.toStdString()))
        gfMsgBox(sPath.toStdString() + " is created.", MsgIcon::Information);
}

bool frmDocument::EdiFileSave()
{
    if (!mDoc.FileName().empty())
        return WriteToFile(mDoc.FileName());
    const std::string sPath = gfSaveFileDialog();
    if (sPath.empty())
        return false;
    // The root keeps its text ("New"); the title shows the new name.
    mDoc.SetFileName(sPath, false);
    mDoc.SetModified(true);
    if (!WriteToFile(sPath))
        return false;
    gfAddRecentFile(sPath);
    return true;
}

void frmDocument::EdiFileSaveAs()
{
    const std::string sPath = gfSaveFileDialog();
    if (sPath.empty())
        return;
    mDoc.SetFileName(sPath);  // the root shows the new name too
    if (!EdiFileSave()) {
        gfMsgBox("Could not save file:" + sPath, MsgIcon::Critical);
        return;
    }
    gfAddRecentFile(sPath);
}

void frmDocument::EdiFileSaveAll()
{
    if (frmMain* frame = frmMain::Instance())
        frame->SaveAllFiles();
}

bool frmDocument::WriteToFile(const std::string& sFile) { return mDoc.SaveTo(sFile); }

bool frmDocument::MayDiscard(const char* sNotSavedQuestion)
{
    if (!mDoc.Modified())
        return true;
    const std::string sRoot = mDoc.HasRoot() ? std::string(mDoc.Root().Text()) : std::string();
    switch (gfMsgBox("Data changed. Save (" + sRoot + ") ?", MsgIcon::Question, MsgButtons::YesNoCancel,
                     gConfig->AppTitle)) {
    case MsgAnswer::No: return true;
    case MsgAnswer::Yes:
        return EdiFileSave() || gfMsgBox(sNotSavedQuestion, MsgIcon::None, MsgButtons::YesNo) == MsgAnswer::Yes;
    default: return false;
    }
}

namespace {
constexpr int kDetailMinWindowHeight = 480;
}

void frmDocument::showEvent(QShowEvent* event)
{
    DocumentWindow::showEvent(event);
    // The trees keep most of the height; a window too small for both starts
    // with the detail panel closed (View > Segment Detail opens it). A window
    // that grows later gives its new height to the trees.
    if (!mbDocksSized) {
        mbDocksSized = true;
        if (height() < kDetailMinWindowHeight)
            mDetail->hide();
        else
            resizeDocks({mDetail}, {std::min(height() / 4, 260)}, Qt::Vertical);
    }
}

void frmDocument::closeEvent(QCloseEvent* event)
{
    // A build under way keeps the window: it is still reading into it.
    if (mDoc.Busy() || !MayDiscard("File is not saved.  Exit ?")) {
        event->ignore();
        return;
    }
    DocumentWindow::closeEvent(event);
}

void frmDocument::ShowWorkFile(bool bPrintButtons)
{
    const std::string sWork = gConfig->TempFile;
    // The working file goes however the preview ends (a refused write included).
    const auto removeWork = qScopeGuard([&sWork] { std::remove(sWork.c_str()); });
    const bool bLineBreaks = clsTreeDSave::AskLineBreaks();
    frmPrintView view(this);
    bool bWritten = false;
    {
        // The question is gone before the work starts; the window says what it waits for.
        clsProgress progress;
        progress.Status("Writing the working file.");
        clsTreeDSave writer;
        writer.SetDelimiter(mDoc.Delimiter());
        writer.SetSelimiter(mDoc.Selimiter());
        bWritten = writer.WriteX12(sWork, mDoc.Root(), bLineBreaks);
    }
    if (!bWritten) {
        gfMsgBox("Could not create working file.", MsgIcon::Critical);
        return;
    }
    view.LoadFile(sWork);
    view.SetTitle(QString::fromStdString(mDoc.FileName().empty() ? std::string("New") : mDoc.FileName()));
    view.ShowPrintButtons(bPrintButtons);
    view.exec();
}

void frmDocument::CreateAck()
{
    frmFA dlg(this);
    dlg.Delimiter = mDoc.Delimiter();
    dlg.Selimiter = mDoc.Selimiter();
    dlg.SetInputFile(mDoc.FileName());
    dlg.exec();
}

bool frmDocument::EdiFileOpen(const DocumentOpenArgs& args)
{
    mDoc.SetSeparators(args.nDelimiter, args.nSelimiter);
    const bool bOpened = args.sFileName.empty()
                             ? mDoc.New(args.sDocType, args.content)
                             : mDoc.LoadDefinition(args.sDocType, args.sFileName) &&
                                   mDoc.Open(args.sFileName, EdiDocument::OpenMode::NewWindow,
                                             [this] { return frm2ndChance::Choose(this); });
    if (!bOpened)
        return false;
    mEditor = std::make_unique<DocumentEditor>(mDoc);
    mDoc.SetFileName(args.bUntitled ? std::string() : args.sFileName, !args.bUntitled);
    mDoc.SetModified(args.sFileName.empty() || args.bUntitled);
    if (args.pRecovered && mRecovery)
        mRecovery->Restore(*args.pRecovered);
    ShowOpened();
    return true;
}

void frmDocument::ShowOpened()
{
    RepaintForm();
    tvc->setFocus();
    NodeClick(mDoc.Root().Id());
    // The views lay out after the window shows; the schema root must then be in view.
    QTimer::singleShot(0, this, [this] {
        if (mndActiveS)
            tvS->scrollTo(mSchemaModel->IndexOf(mndActiveS));
        tvc->scrollTo(tvc->currentIndex());
    });
}

void frmDocument::EditNewFile()
{
    const std::string sFile = gfOpenFileDialog();
    if (sFile.empty())
        return;
    if (!MayDiscard("File is not saved.  Abandon this file ?"))
        return;
    if (!mDoc.Open(sFile, EdiDocument::OpenMode::SameTemplate, [this] { return frm2ndChance::Choose(this); }))
        return;  // the document stays as it was
    mDoc.SetFileName(sFile);
    mDoc.SetModified(false);
    ShowOpened();
}

void frmDocument::RepaintForm()
{
    // The levels may open thousands of nodes: the views lay them out once.
    tvc->RelayoutLater();
    tvS->RelayoutLater();
    gfExpandLevels(mDoc.Root(), mDoc.SchemaRoot());
    tvc->viewport()->update();
    tvS->viewport()->update();
}

void frmDocument::SwitchTreeView()
{
    tvS->setHidden(!tvS->isHidden());
    RepaintForm();
}

void frmDocument::ExpandAll(bool bExpanded)
{
    // The flags are set quietly and each view expands or collapses itself
    // in one pass; element rows are laid out without making the elements.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    {
        clsProgress progress;
        progress.Status((bExpanded ? "Expanding the document tree (" : "Collapsing the document tree (") +
                        std::to_string(mDoc.Tree().NodeCount()) + " nodes).");
        for (auto [view, model] : {std::pair{tvc, mDocModel}, std::pair{tvS, mSchemaModel}}) {
            model->Tree().SetAllExpanded(bExpanded);
            // Expanded rows open in the view as they come into sight; collapsing
            // is a reset: the view forgets its expanded rows in one step.
            bExpanded ? ExpandShown(view, model) : model->Refresh();
        }
    }
    QApplication::restoreOverrideCursor();
}

void frmDocument::UpdateTitle()
{
    std::string sTitle = mDoc.FileName().empty() ? std::string("Document: New") : mDoc.FileName();
    if (!mDoc.Type().empty())
        sTitle += "   (" + mDoc.Type() + ")";
    // Modified: two blanks and "*" after it.
    setWindowTitle(QString::fromLocal8Bit(sTitle.c_str()) + QStringLiteral("  [*]"));
    setWindowModified(mDoc.Modified());
}

void frmDocument::SetBack(NodeId node, std::uint32_t nRgb, clsTree& tree)
{
    if (node && tree.IsValid(node))
        tree.SetBackColor(node, nRgb);
}

void frmDocument::ClearHighlights()
{
    SetBack(mndActiveS, kWhite, mDoc.SchemaTree());
    SetBack(mndActiveSE, kWhite, mDoc.SchemaTree());
    SetBack(mndLitD, kWhite, mDoc.Tree());
    SetBack(mndLitParent, kWhite, mDoc.Tree());
    mndActiveS = mndActiveSE = mndLitD = mndLitParent = {};
}

void frmDocument::NodeClick(NodeId node)
{
    if (!node || !mDoc.Tree().IsValid(node))
        return;
    if (gConfig->bTrace)
        Trace(mDoc.Tree().Tag(node));
    if (node == mDoc.Current())
        Highlight(node);  // a click on the current node lights it again
    else
        mDoc.SetCurrent(node);
}

void frmDocument::CurrentChanged(NodeId node)
{
    SyncCurrentRow(node);
    Highlight(node);
    emit commandStateChanged();
}

void frmDocument::SyncCurrentRow(NodeId node)
{
    // The view follows the document's current node (and shows it).
    const QModelIndex index = mDocModel->IndexOf(node);
    if (tvc->currentIndex() == index)
        return;
    mbSyncing = true;
    tvc->setCurrentIndex(index);
    mbSyncing = false;
}

void frmDocument::Highlight(NodeId node)
{
    clsTree& tree = mDoc.Tree();
    SetBack(mndLitD, kWhite, tree);
    SetBack(mndLitParent, kWhite, tree);
    mndLitD = mndLitParent = {};
    if (!node || !tree.IsValid(node)) {
        ClearHighlights();  // nothing selected: nothing lit
        return;
    }
    const bool bElement = gfDnodeType(tree.Node(node)) == 'E';
    // While the schema tree is switched off its highlights stay as they were.
    if (!tvS->isHidden()) {
        clsTree& schema = mDoc.SchemaTree();
        SetBack(mndActiveS, kWhite, schema);
        SetBack(mndActiveSE, kWhite, schema);
        mndActiveS = mDoc.SchemaNodeOf(node);
        mndActiveSE = mDoc.SchemaElementOf(node);
        SetBack(mndActiveS, kGreen, schema);
        SetBack(mndActiveSE, kYellow, schema);
        if (const NodeId shown = mndActiveSE ? mndActiveSE : mndActiveS)
            tvS->scrollTo(mSchemaModel->IndexOf(shown));
    }
    mndLitD = node;
    SetBack(node, bElement ? kYellow : kGreen, tree);
    if (bElement) {
        mndLitParent = tree.Parent(node);
        SetBack(mndLitParent, kGreen, tree);
    }
}

void frmDocument::StateChanged()
{
    // After an edit, an undo or a redo the view may have moved its current
    // row off the document's (a removed row), though the node stayed current.
    SyncCurrentRow(mDoc.Current());
    UpdateTitle();
    emit commandStateChanged();
}

void frmDocument::Rebuilt()
{
    // A node waiting to be pasted belonged to the tree that went.
    if (mEditor)
        mEditor->ClearCut();
    // The highlighted ids belonged to the tree that went.
    mndLitD = mndLitParent = {};
    SetBack(mndActiveS, kWhite, mDoc.SchemaTree());
    SetBack(mndActiveSE, kWhite, mDoc.SchemaTree());
    mndActiveS = mndActiveSE = {};
}

// The levels open again before the verdict shows over the tree.
void frmDocument::ReadBack() { RepaintForm(); }

void frmDocument::Trace(const std::string& sTag)
{
    if (frmMain* frame = frmMain::Instance())
        frame->SetStatusText(QString::fromLatin1(sTag.c_str()));
}

// ---- the document tree's events -----------------------------------------------------------

bool frmDocument::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == tvc && (type == QEvent::ShortcutOverride || type == QEvent::KeyPress)) {
        // F2 in the tree is the tree's own label editing, which says why a
        // node may not be edited and works on a read-only document too.
        if (const auto* key = static_cast<QKeyEvent*>(event); key->key() == Qt::Key_F2 && !key->modifiers()) {
            event->accept();
            if (type == QEvent::KeyPress)
                StartLabelEdit(true);
            return true;
        }
    } else if (watched == tvc->viewport() && type == QEvent::MouseButtonPress) {
        // A click on empty space leaves nothing selected.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && !tvc->indexAt(mouse->position().toPoint()).isValid())
            mDoc.SetCurrent({});
    }
    return DocumentWindow::eventFilter(watched, event);
}

void frmDocument::TreeContextMenu(const QPoint& pos)
{
    // A right click on a row picks that row first.
    if (const QModelIndex index = tvc->indexAt(pos); index.isValid())
        NodeClick(mDocModel->NodeOf(index));
    if (!mDoc.Current()) {
        gfMsgBox("You must select (click on an item) an item first.", MsgIcon::Information);
        return;
    }
    mnuEdit->exec(tvc->viewport()->mapToGlobal(pos));
}

void frmDocument::TreeDoubleClick(const QModelIndex& index)
{
    // A value opens its editor; any other row opens or closes.
    if (mEditor && mDocModel->NodeOf(index) == mDoc.Current() && mEditor->CanEditLabel())
        StartLabelEdit(false);
    else
        tvc->setExpanded(index, !tvc->isExpanded(index));
}

void frmDocument::StartLabelEdit(bool bSayWhy)
{
    const QModelIndex index = mDocModel->IndexOf(mDoc.Current());
    if (!mEditor || !index.isValid() || mDoc.Busy())
        return;
    if (!mEditor->CanEditLabel()) {
        if (bSayWhy)
            gfMsgBox("You can not edit this node.", MsgIcon::Information);
        return;
    }
    // Separators chosen after a failed read belong to this document.
    mLabels->SetSeparators(static_cast<char>(mDoc.Delimiter()), static_cast<char>(mDoc.Selimiter()));
    tvc->scrollTo(index);
    tvc->edit(index);
}

void frmDocument::SetLabelText(NodeId node, const std::string& sText)
{
    gfRunGuarded([&] {
        mDoc.SetCurrent(node);  // the edited row, whatever the view did meanwhile
        mEditor->EditLabel(sText);
        return true;
    });
    emit commandStateChanged();
}

void frmDocument::ShowInsertedExpanded(const QModelIndex& parent, int nFirst, int nLast)
{
    clsTree& tree = mDoc.Tree();
    for (int nRow = nFirst; nRow <= nLast; ++nRow) {
        const QModelIndex index = mDocModel->index(nRow, 0, parent);
        const NodeId node = mDocModel->NodeOf(index);
        if (node && tree.Expanded(node)) {
            tvc->setExpanded(index, true);
            SyncExpansion(tvc, mDocModel, node);
        }
    }
}

}  // namespace orr
