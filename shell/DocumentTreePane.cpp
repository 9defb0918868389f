#include "shell/DocumentTreePane.h"

#include <QApplication>
#include <QHeaderView>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTimer>

#include "app/clsProgress.h"
#include "app/modGlobals.h"
#include "doctree/modNodeD.h"
#include "doctree/modTree.h"
#include "shell/TreeModel.h"

namespace orr {

DocumentTreePane::DocumentTreePane(EdiDocument& doc, QWidget* parent)
    : QSplitter(Qt::Horizontal, parent), mDoc(doc)
{
    setObjectName(QStringLiteral("picSplitter"));
    tvc = new DocTreeView;
    tvc->setObjectName(QStringLiteral("tvc"));
    tvS = new DocTreeView;
    tvS->setObjectName(QStringLiteral("tvS"));
    mDocModel = new TreeModel(mDoc.Tree(), this);
    mSchemaModel = new TreeModel(mDoc.SchemaTree(), this);
    AttachView(tvc, mDocModel);
    AttachView(tvS, mSchemaModel);
    addWidget(tvc);
    addWidget(tvS);
    setChildrenCollapsible(false);
    // The view's current row is the document's current node, from the mouse
    // and from the keyboard alike; a row the view picks while the tree
    // changes under it is not the user's choice.
    connect(tvc->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
        if (!mbSyncing && !mDocModel->Changing())
            emit rowChosen(mDocModel->NodeOf(i));
    });
    connect(mDocModel, &QAbstractItemModel::rowsInserted, this, &DocumentTreePane::ShowInsertedExpanded);
}

void DocumentTreePane::ShowCurrent(NodeId node)
{
    SyncCurrentRow(node);
    Highlight(node);
}

void DocumentTreePane::ForgetHighlights()
{
    mndLitD = mndLitParent = {};
    SetBack(mndActiveS, kWhite, mDoc.SchemaTree());
    SetBack(mndActiveSE, kWhite, mDoc.SchemaTree());
    mndActiveS = mndActiveSE = {};
}

void DocumentTreePane::ScrollToCurrentLater()
{
    // The views lay out after the window shows; the schema root must then be in view.
    QTimer::singleShot(0, this, [this] {
        if (mndActiveS)
            tvS->scrollTo(mSchemaModel->IndexOf(mndActiveS));
        tvc->scrollTo(tvc->currentIndex());
    });
}

void DocumentTreePane::AttachView(DocTreeView* view, TreeModel* model)
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
            ShowCurrent(mDoc.Current());  // a reset drops the view's current row
    });
}

void DocumentTreePane::SyncExpansion(DocTreeView* view, TreeModel* model, NodeId node)
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
void DocumentTreePane::ShowOpenChildren(DocTreeView* view, TreeModel* model, NodeId node)
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
void DocumentTreePane::ExpandShown(DocTreeView* view, TreeModel* model)
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
void DocumentTreePane::ForgetOpenChildren(DocTreeView* view, TreeModel* model, NodeId node)
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

void DocumentTreePane::ExpandAll(bool bExpanded)
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

void DocumentTreePane::OpenLevels()
{
    // The levels may open thousands of nodes: the views lay them out once.
    tvc->RelayoutLater();
    tvS->RelayoutLater();
    gfExpandLevels(mDoc.Root(), mDoc.SchemaRoot());
    tvc->viewport()->update();
    tvS->viewport()->update();
}

void DocumentTreePane::SwitchSchemaView()
{
    tvS->setHidden(!tvS->isHidden());
    OpenLevels();
}

void DocumentTreePane::SetBack(NodeId node, std::uint32_t nRgb, clsTree& tree)
{
    if (node && tree.IsValid(node))
        tree.SetBackColor(node, nRgb);
}

void DocumentTreePane::ClearHighlights()
{
    SetBack(mndActiveS, kWhite, mDoc.SchemaTree());
    SetBack(mndActiveSE, kWhite, mDoc.SchemaTree());
    SetBack(mndLitD, kWhite, mDoc.Tree());
    SetBack(mndLitParent, kWhite, mDoc.Tree());
    mndActiveS = mndActiveSE = mndLitD = mndLitParent = {};
}

void DocumentTreePane::SyncCurrentRow(NodeId node)
{
    // The view follows the document's current node (and shows it).
    const QModelIndex index = mDocModel->IndexOf(node);
    if (tvc->currentIndex() == index)
        return;
    mbSyncing = true;
    tvc->setCurrentIndex(index);
    mbSyncing = false;
}

void DocumentTreePane::Highlight(NodeId node)
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

void DocumentTreePane::ShowInsertedExpanded(const QModelIndex& parent, int nFirst, int nLast)
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
