#include "shell/frmDocument.h"

#include <QApplication>
#include <QHeaderView>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTimer>

#include "app/UiService.h"
#include "app/clsProgress.h"
#include "app/modGlobals.h"
#include "doctree/modNodeD.h"
#include "doctree/modTree.h"
#include "shell/FindingsDock.h"
#include "shell/FormRegistry.h"
#include "shell/TreeModel.h"
#include "shell/frm2ndChance.h"
#include "shell/frmMain.h"
#include "shell/modFrmDocFile.h"

namespace orr {

frmDocument::frmDocument(const QString& sKey, QWidget* parent) : DocumentWindow(parent), msKey(sKey)
{
    setObjectName(QStringLiteral("frmDocument"));
    setAttribute(Qt::WA_DeleteOnClose);
    tvc = new QTreeView;
    tvc->setObjectName(QStringLiteral("tvc"));
    tvS = new QTreeView;
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

    // The view's current row is the document's current node, from the mouse
    // and from the keyboard alike.
    connect(tvc->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
        if (!mbSyncing)
            NodeClick(mDocModel->NodeOf(i));
    });
    connect(tvS, &QTreeView::clicked, this, [this](const QModelIndex& i) {
        if (gConfig->bTrace)
            Trace(mDoc.SchemaTree().Tag(mSchemaModel->NodeOf(i)));
    });
    mDoc.AddListener(this);
    CreateMenus();
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

void frmDocument::AttachView(QTreeView* view, TreeModel* model)
{
    view->setModel(model);
    view->setHeaderHidden(true);
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    // The store's expanded flags and the view's follow each other.
    connect(view, &QTreeView::expanded, this, [model](const QModelIndex& i) {
        model->Tree().SetExpanded(model->NodeOf(i), true);
    });
    connect(view, &QTreeView::collapsed, this, [model](const QModelIndex& i) {
        model->Tree().SetExpanded(model->NodeOf(i), false);
    });
    connect(model, &TreeModel::expandRequested, view,
            [view](const QModelIndex& i, bool bExpanded) { view->setExpanded(i, bExpanded); });
    connect(model, &TreeModel::scrollRequested, view, [view](const QModelIndex& i) { view->scrollTo(i); });
    connect(model, &QAbstractItemModel::modelReset, this, [this, view, model] { SyncExpansion(view, model, {}); });
}

void frmDocument::SyncExpansion(QTreeView* view, TreeModel* model, NodeId node)
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

void frmDocument::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    mnuEditNewFile = AddCommand(file, "mnuEditNewFile", "&Open File (Same Template)", DocCommand::OpenSameTemplate);
    file->addSeparator();
    mnuFileClose = AddCommand(file, "mnuFileClose", "&Close", DocCommand::Close);
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    mnuViewSwitch = AddCommand(view, "mnuViewSwitch", "Switch Tree View", DocCommand::SwitchView);
    mnuViewExpandTree = AddCommand(view, "mnuViewExpandTree", "Expand All", DocCommand::ExpandAll);
    mnuViewCollpaseTree = AddCommand(view, "mnuViewCollpaseTree", "Collapse All", DocCommand::CollapseAll);
    QMenu* tool = menuBar()->addMenu(QStringLiteral("&Tool"));
    mnuToolValidate = AddCommand(tool, "mnuToolValidate", "Validate Document", DocCommand::Validate);
    mnuToolValidate->setShortcut(Qt::Key_F5);  // only the window holding the focus answers it
    mnuToolValidate->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(mnuToolValidate);
    mnuToolClearMapping = AddCommand(tool, "mnuToolClearMapping", "Clear Mapping", DocCommand::ClearMapping);
}

bool frmDocument::CanRun(DocCommand command) const
{
    if (mDoc.Busy())
        return false;
    const bool bHasRoot = mDoc.HasRoot();
    switch (command) {
    case DocCommand::ExpandAll:
    case DocCommand::CollapseAll:
    case DocCommand::Validate:
    case DocCommand::ClearMapping:
        return bHasRoot;
    case DocCommand::Undo:
        return mDoc.CanUndo() && !mDoc.ReadOnly();
    case DocCommand::Redo:
        return mDoc.CanRedo() && !mDoc.ReadOnly();
    case DocCommand::OpenSameTemplate:
    case DocCommand::SwitchView:
    case DocCommand::Refresh:
    case DocCommand::Close:
        return true;
    default:
        return false;  // not part of the program yet
    }
}

void frmDocument::Run(DocCommand command)
{
    if (!CanRun(command))
        return;
    switch (command) {
    case DocCommand::ExpandAll: ExpandAll(true); break;
    case DocCommand::CollapseAll: ExpandAll(false); break;
    case DocCommand::Validate:
        ClearHighlights();
        if (mDoc.Validate()) {
            NodeClick(mDoc.Root().Id());
            mFindings->CheckDocument();
        }
        RepaintForm();
        break;
    case DocCommand::ClearMapping: mDoc.ClearMapping(); break;
    case DocCommand::Undo: mDoc.Undo(); break;
    case DocCommand::Redo: mDoc.Redo(); break;
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
    default: break;
    }
    emit commandStateChanged();
}

bool frmDocument::EdiFileOpen(const DocumentOpenArgs& args)
{
    mDoc.SetSeparators(args.nDelimiter, args.nSelimiter);
    if (!mDoc.LoadDefinition(args.sDocType))
        return false;
    if (args.sFileName.empty()) {
        if (!mDoc.New(args.nOption)) {
            gfMsgBox("Failed to open new document.", MsgIcon::Information);
            return false;
        }
    } else if (!mDoc.Open(args.sFileName, EdiDocument::OpenMode::NewWindow,
                          [this] { return frm2ndChance::Choose(this); })) {
        return false;
    }
    mDoc.SetFileName(args.sFileName);
    mDoc.SetModified(args.sFileName.empty());
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
    if (mDoc.Modified()) {
        const MsgAnswer a = gfMsgBox("Data changed. Save (" + std::string(mDoc.Root().Text()) + ") ?",
                                     MsgIcon::Question, MsgButtons::YesNoCancel);
        // Saving comes with the save commands; until then Yes keeps the document.
        if (a != MsgAnswer::No)
            return;
    }
    if (!mDoc.Open(sFile, EdiDocument::OpenMode::SameTemplate, [this] { return frm2ndChance::Choose(this); }))
        return;  // the document stays as it was
    mDoc.SetFileName(sFile);
    mDoc.SetModified(false);
    ShowOpened();
}

void frmDocument::RepaintForm()
{
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
        progress.Status(bExpanded ? "Expanding the document tree." : "Collapsing the document tree.");
        for (auto [view, model] : {std::pair{tvc, mDocModel}, std::pair{tvS, mSchemaModel}}) {
            model->Tree().SetAllExpanded(bExpanded);
            bExpanded ? view->expandAll() : view->collapseAll();
        }
    }
    QApplication::restoreOverrideCursor();
}

void frmDocument::UpdateTitle()
{
    std::string sTitle = mDoc.FileName().empty() ? std::string("Document: New") : mDoc.FileName();
    if (!mDoc.Type().empty())
        sTitle += "   (" + mDoc.Type() + ")";
    setWindowTitle(QString::fromLocal8Bit(sTitle.c_str()) + QStringLiteral("[*]"));
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
    // The view follows the document's current node.
    const QModelIndex index = mDocModel->IndexOf(node);
    if (tvc->currentIndex() != index) {
        mbSyncing = true;
        tvc->setCurrentIndex(index);
        mbSyncing = false;
    }
    Highlight(node);
    emit commandStateChanged();
}

void frmDocument::Highlight(NodeId node)
{
    clsTree& tree = mDoc.Tree();
    SetBack(mndLitD, kWhite, tree);
    SetBack(mndLitParent, kWhite, tree);
    mndLitD = mndLitParent = {};
    if (!node)
        return;
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
    UpdateTitle();
    emit commandStateChanged();
}

void frmDocument::Rebuilt()
{
    // The highlighted ids belonged to the tree that went.
    mndLitD = mndLitParent = {};
    SetBack(mndActiveS, kWhite, mDoc.SchemaTree());
    SetBack(mndActiveSE, kWhite, mDoc.SchemaTree());
    mndActiveS = mndActiveSE = {};
}

void frmDocument::Trace(const std::string& sTag)
{
    if (frmMain* frame = frmMain::Instance())
        frame->SetStatusText(QString::fromLatin1(sTag.c_str()));
}

}  // namespace orr
