#include "shell/FindingsDock.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QMainWindow>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "doctree/clsTreeDCheck.h"
#include "shell/TreeModel.h"

namespace orr {
namespace {

enum Column { kSeverity, kLine, kSegment, kElement, kLoop, kMessage, kColumns };

QString Latin1(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

QString Counted(std::size_t n, const char* sWhat)
{
    return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1String(sWhat)).arg(n == 1 ? QString() : QStringLiteral("s"));
}

}  // namespace

// The findings as table rows; rows are made only as the view paints them.
class FindingsDock::Model final : public QAbstractTableModel {
public:
    explicit Model(const EdiFindings& findings, QObject* parent) : QAbstractTableModel(parent), mFindings(findings) {}

    void Reset(const std::function<void()>& fnChange)
    {
        beginResetModel();
        fnChange();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(mFindings.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kColumns; }

    QVariant headerData(int nSection, Qt::Orientation orientation, int role) const override
    {
        static const char* const kTitles[] = {"Severity", "Line", "Segment", "Element", "Loop", "Message"};
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || nSection < 0 || nSection >= kColumns)
            return {};
        return QLatin1String(kTitles[nSection]);
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || std::size_t(index.row()) >= mFindings.size())
            return {};
        const EdiFinding& f = mFindings[std::size_t(index.row())];
        if (role == Qt::DecorationRole && index.column() == kSeverity)
            return QApplication::style()->standardIcon(f.IsError() ? QStyle::SP_MessageBoxCritical
                                                                   : QStyle::SP_MessageBoxWarning);
        if (role == Qt::ToolTipRole && index.column() == kMessage)
            return Latin1(f.sMessage);
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case kSeverity: return f.IsError() ? QStringLiteral("error") : QStringLiteral("warning");
        case kLine: return f.nLine > 0 ? QVariant(f.nLine) : QVariant();
        case kSegment: return f.nSegment;
        case kElement: return Latin1(clsTreeDCheck::Reference(f));
        case kLoop: return Latin1(f.sLoopPath);
        default: return Latin1(f.sMessage);
        }
    }

private:
    const EdiFindings& mFindings;
};

FindingsDock::FindingsDock(EdiDocument& doc, TreeModel* docModel, QWidget* parent)
    : QDockWidget(QStringLiteral("Findings"), parent), mDoc(doc), mDocModel(docModel)
{
    setObjectName(QStringLiteral("FindingsDock"));
    auto* body = new QWidget(this);
    lblSummary = new QLabel(body);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lvwFindings = new QTableView(body);
    lvwFindings->setObjectName(QStringLiteral("lvwFindings"));
    mModel = new Model(mFindings, this);
    lvwFindings->setModel(mModel);
    lvwFindings->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvwFindings->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwFindings->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvwFindings->setWordWrap(false);
    lvwFindings->verticalHeader()->hide();
    lvwFindings->verticalHeader()->setDefaultSectionSize(lvwFindings->fontMetrics().height() + 4);
    lvwFindings->horizontalHeader()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->addWidget(lblSummary);
    layout->addWidget(lvwFindings);
    setWidget(body);
    // A click or the keyboard on a finding goes to its node.
    connect(lvwFindings->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& i) { ShowFinding(i.row()); });
    connect(lvwFindings, &QTableView::clicked, this, [this](const QModelIndex& i) { ShowFinding(i.row()); });
    mDoc.AddListener(this);
    hide();
}

FindingsDock::~FindingsDock() { mDoc.RemoveListener(this); }

void FindingsDock::ShowDocumentFindings()
{
    if (!mDoc.HasRoot())
        return;
    SetFindings(mDoc.Findings(), mDoc.FindingsTruncated());
    show();
    raise();
    // The first time, room for the messages beside the segment detail; the user's width after that.
    if (auto* window = qobject_cast<QMainWindow*>(parentWidget()); window && !mbSized) {
        mbSized = true;
        window->resizeDocks({this}, {window->width() * 2 / 3}, Qt::Horizontal);
    }
}

void FindingsDock::SetFindings(EdiFindings findings, bool bTruncated)
{
    mModel->Reset([&] { mFindings = std::move(findings); });
    std::vector<std::pair<NodeId, std::uint16_t>> marks;
    marks.reserve(mFindings.size());
    for (const EdiFinding& f : mFindings)
        marks.emplace_back(f.node, f.nElement);
    mDocModel->SetMarks(marks);

    const auto nErrors =
        std::size_t(std::count_if(mFindings.begin(), mFindings.end(), [](const EdiFinding& f) { return f.IsError(); }));
    const QString sNone = QStringLiteral("No findings: every value and envelope count fits the definition.");
    QString sSummary = mFindings.empty() ? sNone
                                         : Counted(nErrors, "error") + QStringLiteral(", ") +
                                               Counted(mFindings.size() - nErrors, "warning") + QStringLiteral(".");
    if (bTruncated)
        sSummary += QStringLiteral(" Only the first %1 findings are listed.").arg(kLimit);
    lblSummary->setText(sSummary);
    setWindowTitle(mFindings.empty() ? QStringLiteral("Findings")
                                     : QStringLiteral("Findings (%1)").arg(mFindings.size()));
    lvwFindings->resizeColumnsToContents();
}

void FindingsDock::ShowFinding(int nRow)
{
    if (nRow < 0 || std::size_t(nRow) >= mFindings.size())
        return;
    clsTree& tree = mDoc.Tree();
    const NodeId node = clsTreeDCheck::NodeOf(tree, mFindings[std::size_t(nRow)]);
    if (!tree.IsValid(node) || tree.IsDetached(node))
        return;  // deleted since
    mDoc.SetCurrent(node);
    tree.ScrollIntoView(node);
}

void FindingsDock::Rebuilt()
{
    // The findings named nodes of the tree that went.
    SetFindings({}, false);
    lblSummary->clear();
}

}  // namespace orr
