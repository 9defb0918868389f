#include "shell/frmDocument.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QMenuBar>

#include "app/UiService.h"
#include "app/modGlobals.h"
#include "doctree/modNodeD.h"
#include "doctree/modTree.h"
#include "shell/FormRegistry.h"
#include "shell/TreeModel.h"
#include "shell/frm2ndChance.h"
#include "shell/modFrmDocFile.h"

namespace orr {
namespace {

void ChooseSeparators(QWidget* parent)
{
    frm2ndChance dialog(parent);
    dialog.exec();
}

}  // namespace

frmDocument::frmDocument(const QString& sKey, QWidget* parent) : QMainWindow(parent), msKey(sKey)
{
    setObjectName(QStringLiteral("frmDocument"));
    setAttribute(Qt::WA_DeleteOnClose);
    mDoc.pDoc = &mDocTree;
    mDoc.pSchema = &mSchemaTree;
    mDoc.nDelimiter = gConfig->Delimiter;
    mDoc.nSelimiter = gConfig->Selimiter;

    tvc = new QTreeView;
    tvc->setObjectName(QStringLiteral("tvc"));
    tvS = new QTreeView;
    tvS->setObjectName(QStringLiteral("tvS"));
    mDocModel = new TreeModel(mDocTree, this);
    mSchemaModel = new TreeModel(mSchemaTree, this);
    AttachView(tvc, mDocModel);
    AttachView(tvS, mSchemaModel);
    picSplitter = new QSplitter(Qt::Horizontal, this);
    picSplitter->setObjectName(QStringLiteral("picSplitter"));
    picSplitter->addWidget(tvc);
    picSplitter->addWidget(tvS);
    picSplitter->setChildrenCollapsible(false);
    setCentralWidget(picSplitter);

    connect(tvc, &QTreeView::clicked, this, [this](const QModelIndex& i) { NodeClick(mDocModel->NodeOf(i)); });
    connect(tvS, &QTreeView::clicked, this, [this](const QModelIndex& i) {
        if (gConfig->bTrace)
            Trace(mSchemaTree.Tag(mSchemaModel->NodeOf(i)));
    });
    CreateMenus();
    resize(900, 600);
    FormRegistry::Add(this);
}

frmDocument::~frmDocument()
{
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

void frmDocument::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    mnuEditNewFile = file->addAction(QStringLiteral("&Open File (Same Template)"), this, &frmDocument::EditNewFile);
    file->addSeparator();
    file->addAction(QStringLiteral("&Close"), this, &QWidget::close);
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    mnuViewSwitch = view->addAction(QStringLiteral("Switch Tree View"), this, &frmDocument::SwitchTreeView);
    view->addAction(QStringLiteral("Expand All"), this, [this] { ExpandAll(true); });
    view->addAction(QStringLiteral("Collapse All"), this, [this] { ExpandAll(false); });
}

bool frmDocument::EdiFileOpen(const DocumentOpenArgs& args)
{
    mDoc.sSchema = args.sDocType;
    mDoc.nDelimiter = args.nDelimiter;
    mDoc.nSelimiter = args.nSelimiter;
    mbFreeForm = mDoc.sSchema == gConfig->FreeFormDocType;
    mDoc.bReadOnly = false;
    if (!clsEdiFileOpen::BuildSchema(mDoc))
        return false;
    if (args.sFileName.empty()) {
        if (!clsEdiFileOpen::NewDocument(mDoc, args.nOption)) {
            gfMsgBox("Failed to open new document.", MsgIcon::Information);
            return false;
        }
    } else if (!clsEdiFileOpen::Parse(mDoc, args.sFileName, clsEdiFileOpen::Mode::NewWindow,
                                      [this] { ChooseSeparators(this); })) {
        return false;
    }
    SetFileName(args.sFileName);
    ShowOpened();
    if (args.sFileName.empty())
        SetChanged(true);
    return true;
}

void frmDocument::ShowOpened()
{
    RepaintForm();
    tvc->setFocus();
    if (mDoc.ndRootD) {
        tvc->setCurrentIndex(mDocModel->IndexOf(mDoc.ndRootD.Id()));
        NodeClick(mDoc.ndRootD.Id());
    }
}

void frmDocument::EditNewFile()
{
    const std::string sFile = gfOpenFileDialog();
    if (sFile.empty())
        return;
    if (mbChanged) {
        const MsgAnswer a = gfMsgBox("Data changed. Save (" + std::string(mDoc.ndRootD.Text()) + ") ?",
                                     MsgIcon::Question, MsgButtons::YesNoCancel);
        // Saving comes with the save commands; until then Yes keeps the document.
        if (a != MsgAnswer::No)
            return;
    }
    mndActiveD = mndActiveS = mndActiveSE = {};
    clsEdiFileOpen::Parse(mDoc, sFile, clsEdiFileOpen::Mode::SameTemplate, [this] { ChooseSeparators(this); });
    if (!mDoc.ndRootD)
        return;
    mbChanged = false;
    SetFileName(sFile);
    ShowOpened();
}

void frmDocument::RepaintForm()
{
    gfExpandLevels(mDoc.ndRootD, mDoc.ndRootS);
    tvc->viewport()->update();
    tvS->viewport()->update();
}

void frmDocument::SwitchTreeView()
{
    tvS->setVisible(!tvS->isVisible());
    RepaintForm();
}

void frmDocument::ExpandAll(bool bExpanded)
{
    gfExpandCollapseAll(mDocTree, bExpanded);
}

void frmDocument::SetFileName(const std::string& sName)
{
    msFileName = sName;
    if (mDoc.ndRootD)
        mDoc.ndRootD.SetText(sName.empty() ? std::string("New") : sName);
    SetChanged(mbChanged);
}

void frmDocument::SetChanged(bool bChanged)
{
    std::string sTitle = msFileName.empty() ? std::string("Document: New") : msFileName;
    if (!mDoc.sSchema.empty())
        sTitle += "   (" + mDoc.sSchema + ")";
    mbChanged = bChanged;
    if (bChanged)
        sTitle += "  *";
    setWindowTitle(QString::fromLocal8Bit(sTitle.c_str()));
}

void frmDocument::SetBack(NodeId node, std::uint32_t nRgb, clsTree& tree)
{
    if (node && tree.IsValid(node))
        tree.SetBackColor(node, nRgb);
}

void frmDocument::ClearHighlights()
{
    if (tvS->isVisible()) {
        SetBack(mndActiveS, kWhite, mSchemaTree);
        SetBack(mndActiveSE, kWhite, mSchemaTree);
        mndActiveS = mndActiveSE = {};
    }
    if (mndActiveD && mDocTree.IsValid(mndActiveD)) {
        SetBack(mndActiveD, kWhite, mDocTree);
        if (gfDnodeType(mDocTree.Node(mndActiveD)) == 'E')
            SetBack(mDocTree.Parent(mndActiveD), kWhite, mDocTree);
    }
    mndActiveD = {};
}

void frmDocument::NodeClick(NodeId node)
{
    if (!node || !mDocTree.IsValid(node))
        return;
    const TreeNode nd = mDocTree.Node(node);
    if (gConfig->bTrace)
        Trace(nd.Tag());
    ClearHighlights();
    const bool bElement = gfDnodeType(nd) == 'E';
    if (tvS->isVisible()) {
        const std::string sKey = gfDnodeSchemaKey(bElement ? nd.Parent() : nd);
        mndActiveS = mSchemaTree.FindKey(sKey);
        SetBack(mndActiveS, kGreen, mSchemaTree);
        if (mndActiveS) {
            tvS->scrollTo(mSchemaModel->IndexOf(mndActiveS));
            if (bElement && sKey != "K00000") {
                int nPos = std::atoi(nd.Tag().substr(1, 2).c_str());
                TreeNode ndSE = mSchemaTree.Node(mndActiveS).FirstChild();
                for (; ndSE && nPos >= 2; --nPos)
                    ndSE = ndSE.Next();
                if (ndSE) {
                    mndActiveSE = ndSE.Id();
                    SetBack(mndActiveSE, kYellow, mSchemaTree);
                    tvS->scrollTo(mSchemaModel->IndexOf(mndActiveSE));
                }
            }
        }
    }
    mndActiveD = node;
    SetBack(node, bElement ? kYellow : kGreen, mDocTree);
    if (bElement)
        SetBack(mDocTree.Parent(node), kGreen, mDocTree);
}

void frmDocument::Trace(const std::string& sTag)
{
    if (frmMain* frame = frmMain::Instance())
        frame->SetStatusText(QString::fromLatin1(sTag.c_str()));
}

void frmDocument::closeEvent(QCloseEvent* event)
{
    // Unsaved changes are only possible for new documents until editing and
    // saving arrive; such a document holds nothing the user typed.
    event->accept();
}

}  // namespace orr
