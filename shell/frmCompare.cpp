#include "shell/frmCompare.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTreeView>

#include "doctree/BatchOpen.h"
#include "shell/TreeModel.h"
#include "shell/modFrmDocFile.h"

namespace orr {
namespace {

QString Line(const DiffEntry& e)
{
    const auto n = [](std::uint32_t x) { return x ? QString::number(x) : QStringLiteral("-"); };
    const auto text = [](const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); };
    switch (e.kind) {
    case DiffEntry::Kind::Changed:
        return QStringLiteral("changed  %1 / %2  %3%4:  %5  ->  %6")
            .arg(n(e.nSegmentA), n(e.nSegmentB), text(e.sSegmentId), text(e.sPosition), text(e.sOld), text(e.sNew));
    case DiffEntry::Kind::Added: return QStringLiteral("added  - / %1  %2").arg(n(e.nSegmentB), text(e.sNew));
    default: return QStringLiteral("removed  %1 / -  %2").arg(n(e.nSegmentA), text(e.sOld));
    }
}

QTreeView* NewTree(TreeModel* model, const char* sName)
{
    auto* view = new QTreeView;
    view->setObjectName(QString::fromLatin1(sName));
    view->setModel(model);
    view->setHeaderHidden(true);
    view->setUniformRowHeights(true);
    view->header()->setStretchLastSection(false);
    view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return view;
}

}  // namespace

frmCompare::frmCompare(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCompare"));
    setWindowTitle(QStringLiteral("Compare Documents"));
    mModelA = new TreeModel(mDocA.Tree(), this);
    mModelB = new TreeModel(mDocB.Tree(), this);
    txtFileA = new QLineEdit(this);
    txtFileA->setObjectName(QStringLiteral("txtFileA"));
    txtFileB = new QLineEdit(this);
    txtFileB->setObjectName(QStringLiteral("txtFileB"));
    chkIgnoreEnvelope = new QCheckBox(QStringLiteral("Ignore envelope dates, times and control numbers"), this);
    chkIgnoreEnvelope->setObjectName(QStringLiteral("chkIgnoreEnvelope"));
    cmdCompare = new QPushButton(QStringLiteral("&Compare"), this);
    cmdCompare->setObjectName(QStringLiteral("cmdCompare"));
    cmdCompare->setDefault(true);
    auto* grid = new QGridLayout(this);
    int nRow = 0;
    for (auto [label, edit] : {std::pair{"&First:", txtFileA}, std::pair{"S&econd:", txtFileB}}) {
        auto* l = new QLabel(QString::fromLatin1(label), this);
        l->setBuddy(edit);
        auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
        browse->setObjectName(edit == txtFileA ? QStringLiteral("cmdBrowseA") : QStringLiteral("cmdBrowseB"));
        connect(browse, &QPushButton::clicked, this, [this, edit = edit] {
            const QString s = gfRunFileDialog(this, {FileDialogRequest::Open, QStringLiteral("Open EDI Document"),
                                                     QString::fromLatin1(kEdiFileFilter), edit->text()});
            if (!s.isEmpty())
                edit->setText(s);
        });
        connect(edit, &QLineEdit::textChanged, this, &frmCompare::UpdateButtons);
        grid->addWidget(l, nRow, 0);
        grid->addWidget(edit, nRow, 1);
        grid->addWidget(browse, nRow++, 2);
    }
    grid->addWidget(chkIgnoreEnvelope, nRow, 1);
    grid->addWidget(cmdCompare, nRow++, 2);
    tvA = NewTree(mModelA, "tvA");
    tvB = NewTree(mModelB, "tvB");
    auto* trees = new QSplitter(Qt::Horizontal, this);
    trees->addWidget(tvA);
    trees->addWidget(tvB);
    lstDiffs = new QListWidget(this);
    lstDiffs->setObjectName(QStringLiteral("lstDiffs"));
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(trees);
    split->addWidget(lstDiffs);
    split->setStretchFactor(0, 3);
    grid->addWidget(split, nRow++, 0, 1, 3);
    lblCount = new QLabel(this);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    cmdPrevious = new QPushButton(QStringLiteral("&Previous Difference"), this);
    cmdPrevious->setObjectName(QStringLiteral("cmdPrevious"));
    cmdNext = new QPushButton(QStringLiteral("&Next Difference"), this);
    cmdNext->setObjectName(QStringLiteral("cmdNext"));
    auto* row = new QHBoxLayout;
    row->addWidget(lblCount, 1);
    row->addWidget(cmdPrevious);
    row->addWidget(cmdNext);
    grid->addLayout(row, nRow, 0, 1, 3);
    connect(cmdCompare, &QPushButton::clicked, this, [this] { Compare(txtFileA->text(), txtFileB->text()); });
    connect(cmdNext, &QPushButton::clicked, this, [this] { Step(true); });
    connect(cmdPrevious, &QPushButton::clicked, this, [this] { Step(false); });
    connect(lstDiffs, &QListWidget::currentRowChanged, this, &frmCompare::ShowDifference);
    resize(1000, 700);
    UpdateButtons();
}

frmCompare::~frmCompare() = default;

bool frmCompare::Compare(const QString& sFileA, const QString& sFileB)
{
    lstDiffs->clear();
    mDiffs.clear();
    bool bRead = true;
    for (auto [pDoc, sFile] : {std::pair{&mDocA, sFileA.toStdString()}, std::pair{&mDocB, sFileB.toStdString()}})
        bRead = bRead && BatchOpen::Open(*pDoc, sFile, BatchOpen::TypeFor(BatchOpen::kAuto, sFile));
    if (bRead) {
        DocumentDiff diff;
        diff.SetIgnoreEnvelope(chkIgnoreEnvelope->isChecked());
        mDiffs = diff.Compare(mDocA, mDocB);
        for (const DiffEntry& e : mDiffs) {
            const std::uint32_t nColor = e.kind == DiffEntry::Kind::Changed ? kChanged
                                         : e.kind == DiffEntry::Kind::Added ? kAdded
                                                                             : kRemoved;
            for (auto [pDoc, node] : {std::pair{&mDocA, e.nodeA}, std::pair{&mDocB, e.nodeB}})
                if (node)
                    pDoc->Tree().SetBackColor(node, nColor);
            lstDiffs->addItem(Line(e));
        }
        for (QTreeView* view : {tvA, tvB})
            view->expandToDepth(2);
    }
    lblCount->setText(!bRead           ? QStringLiteral("A document could not be read.")
                      : mDiffs.empty() ? QStringLiteral("The documents are equal.")
                                       : QStringLiteral("%1 differences").arg(mDiffs.size()));
    UpdateButtons();
    if (!mDiffs.empty())
        lstDiffs->setCurrentRow(0);
    return bRead;
}

void frmCompare::Step(bool bForward)
{
    const int n = lstDiffs->count();
    if (n == 0)
        return;
    const int nRow = lstDiffs->currentRow();
    lstDiffs->setCurrentRow(nRow < 0 ? 0 : (nRow + (bForward ? 1 : n - 1)) % n);
}

void frmCompare::ShowDifference(int nRow)
{
    if (nRow < 0 || std::size_t(nRow) >= mDiffs.size())
        return;
    const DiffEntry& e = mDiffs[std::size_t(nRow)];
    for (auto [view, model, node] : {std::tuple{tvA, mModelA, e.nodeA}, std::tuple{tvB, mModelB, e.nodeB}}) {
        // A segment only one side has: the other side shows no place.
        const QModelIndex index = node ? model->IndexOf(node) : QModelIndex();
        view->setCurrentIndex(index);
        view->scrollTo(index, QAbstractItemView::PositionAtCenter);
    }
}

void frmCompare::UpdateButtons()
{
    cmdCompare->setEnabled(!txtFileA->text().isEmpty() && !txtFileB->text().isEmpty());
    cmdNext->setEnabled(!mDiffs.empty());
    cmdPrevious->setEnabled(!mDiffs.empty());
}

}  // namespace orr
