#include "shell/frmHL.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "shell/HLTreeModel.h"

namespace orr {

frmHL::frmHL(EdiDocument& doc, QWidget* parent) : QDialog(parent), mHL(doc)
{
    setObjectName(QStringLiteral("frmHL"));
    tv = new QTreeView(this);
    tv->setObjectName(QStringLiteral("tv"));
    lblTag = new QLabel(QStringLiteral("HL codes"), this);
    lblTag->setObjectName(QStringLiteral("lblTag"));
    cmdSave = new QPushButton(QStringLiteral("Save"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblTag, 1);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tv, 1);
    layout->addLayout(buttons);
    // A third of the screen's width and half its height, centred on the owner.
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QSize size = screen->availableSize();
        resize(std::max(360, size.width() / 3), std::max(300, size.height() / 2));
    }

    lblTag->clear();
    mHL.Load();
    cmdSave->setEnabled(!mHL.LoadFailed());
    setWindowTitle(QString::fromStdString(mHL.Caption()));

    mModel = new HLTreeModel(mHL.Tree(), this);
    tv->setModel(mModel);
    tv->setHeaderHidden(true);
    tv->setSelectionMode(QAbstractItemView::SingleSelection);
    tv->setDragEnabled(true);
    tv->setAcceptDrops(true);
    tv->setDropIndicatorShown(true);
    tv->setDragDropMode(QAbstractItemView::DragDrop);
    tv->setDefaultDropAction(Qt::CopyAction);
    tv->setDragDropOverwriteMode(true);  // a drop lands on a node, never between two
    tv->expandAll();
    FollowExpansion();

    // The node clicked (or reached with the keys) shows its codes.
    connect(tv->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& i) { ShowTag(mModel->NodeOf(i)); });
    // After the drag has ended: a refusal's message box must not open inside it.
    connect(
        mModel, &HLTreeModel::nodeDropped, this,
        [this](quint32 nDrag, quint32 nTarget) { Dropped(NodeId(nDrag), NodeId(nTarget)); }, Qt::QueuedConnection);
    connect(cmdSave, &QPushButton::clicked, this, &frmHL::CmdSaveClick);
    connect(cmdCancel, &QPushButton::clicked, this, &frmHL::CmdCancelClick);
}

void frmHL::FollowExpansion()
{
    // The store's expanded flags pick the open or closed icon.
    connect(tv, &QTreeView::expanded, this,
            [this](const QModelIndex& i) { mHL.Tree().SetExpanded(mModel->NodeOf(i), true); });
    connect(tv, &QTreeView::collapsed, this,
            [this](const QModelIndex& i) { mHL.Tree().SetExpanded(mModel->NodeOf(i), false); });
}

void frmHL::Dropped(NodeId drag, NodeId target)
{
    if (!mHL.Drop(drag, target))
        return;
    setWindowTitle(QString::fromStdString(mHL.Caption()));
    tv->expand(mModel->IndexOf(target));
    const QModelIndex moved = mModel->IndexOf(drag);
    tv->setCurrentIndex(moved);
    tv->scrollTo(moved);
    ShowTag(drag);  // its tag changed even when it was current already
}

void frmHL::ShowTag(NodeId node) { lblTag->setText(QString::fromStdString(mHL.Tree().Tag(node))); }

void frmHL::CmdSaveClick()
{
    const HLStructureEditor::SaveResult result = mHL.Save();
    if (result == HLStructureEditor::SaveResult::Failed)
        return;
    mbWritten = result == HLStructureEditor::SaveResult::Written;
    accept();
}

void frmHL::CmdCancelClick() { reject(); }

void frmHL::reject()
{
    // Closing the window any other way is a cancel as well.
    mbWritten = false;
    QDialog::reject();
}

}  // namespace orr
