#include "shell/SegmentDetailPanel.h"

#include <QHeaderView>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "doctree/modNodeD.h"

namespace orr {
namespace {

QString L1(std::string_view s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

QString Length(const SchemaEntry& e)
{
    if (e.nMinLength == 0 && e.nMaxLength == 0)
        return {};
    return QStringLiteral("%1-%2").arg(e.nMinLength).arg(e.nMaxLength);
}

}  // namespace

SegmentDetailPanel::SegmentDetailPanel(EdiDocument& doc, QWidget* parent)
    : QDockWidget(QStringLiteral("Segment Detail"), parent), mDoc(doc)
{
    setObjectName(QStringLiteral("SegmentDetailPanel"));
    auto* body = new QWidget(this);
    lblTitle = new QLabel(body);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setTextFormat(Qt::PlainText);
    txtSegment = new QPlainTextEdit(body);
    txtSegment->setObjectName(QStringLiteral("txtSegment"));
    txtSegment->setReadOnly(true);
    txtSegment->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtSegment->setMaximumBlockCount(kMaxLoopLines + 1);
    tblElements = new QTableWidget(0, ColumnCount, body);
    tblElements->setObjectName(QStringLiteral("tblElements"));
    tblElements->setHorizontalHeaderLabels({QStringLiteral("Position"), QStringLiteral("Element"),
                                            QStringLiteral("Name"), QStringLiteral("Value"), QStringLiteral("Usage"),
                                            QStringLiteral("Type"), QStringLiteral("Length")});
    tblElements->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblElements->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblElements->verticalHeader()->hide();
    tblElements->verticalHeader()->setDefaultSectionSize(tblElements->fontMetrics().height() + 6);
    tblElements->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tblElements->horizontalHeader()->setSectionResizeMode(ColValue, QHeaderView::Stretch);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(lblTitle);
    layout->addWidget(txtSegment, 1);
    layout->addWidget(tblElements, 4);
    setWidget(body);
    // Hidden, it does no work; shown again, it catches up.
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool bVisible) {
        if (bVisible)
            ShowNode(mDoc.Current());
    });
    mDoc.AddListener(this);
}

SegmentDetailPanel::~SegmentDetailPanel() { mDoc.RemoveListener(this); }

void SegmentDetailPanel::CurrentChanged(NodeId node)
{
    if (isVisible())
        ShowNode(node);
}

void SegmentDetailPanel::StateChanged() { CurrentChanged(mDoc.Current()); }

void SegmentDetailPanel::Rebuilt() { CurrentChanged(mDoc.Current()); }

void SegmentDetailPanel::ShowNode(NodeId node)
{
    const clsTree& tree = mDoc.Tree();
    txtSegment->clear();
    tblElements->setRowCount(0);
    lblTitle->clear();
    if (!node || !tree.IsValid(node) || mDoc.Busy())
        return;
    switch (gfDnodeType(mDoc.Tree().Node(node))) {
    case 'E': ShowSegment(tree.Parent(node), node); break;
    case 'S': ShowSegment(node, {}); break;
    default: ShowLoop(node); break;
    }
}

QString SegmentDetailPanel::Description(NodeId node)
{
    const SchemaIx ix = mDoc.Index().Of(mDoc.SchemaNodeOf(node));
    return ix ? L1(mDoc.Index()[ix].sDescription) : QString();
}

void SegmentDetailPanel::ShowSegment(NodeId segment, NodeId element)
{
    std::string buffer;
    const char cDelimiter = char(mDoc.Delimiter());
    txtSegment->setPlainText(L1(gfDnodeSegmentText(mDoc.Tree(), segment, cDelimiter, buffer)));
    // One segment: a few lines of text, the room goes to its elements.
    txtSegment->setMaximumHeight(txtSegment->fontMetrics().lineSpacing() * 3 + 12);
    tblElements->show();
    const QString sDescription = Description(segment);
    lblTitle->setText(L1(mDoc.Tree().Text(segment)) +
                      (sDescription.isEmpty() ? QString() : QStringLiteral(" - ") + sDescription));
    FillElements(segment);
    if (element)
        tblElements->selectRow(int(mDoc.Tree().Row(element)));
}

void SegmentDetailPanel::FillElements(NodeId segment)
{
    // Every element of the document and every element the definition has
    // for the segment, by position: a value beyond the definition shows
    // without a name, an element the document leaves out without a value.
    // Definitions may skip positions, so elements are matched by position,
    // not by their order.
    clsTree& tree = mDoc.Tree();
    const SchemaIndex& index = mDoc.Index();
    const SchemaIx segmentIx = index.Of(mDoc.SchemaNodeOf(segment));
    std::vector<SchemaIx> byPosition(tree.ChildCount(segment));
    if (segmentIx && index[segmentIx].IsSegment())
        for (SchemaIx ix = index[segmentIx].first; ix; ix = index[ix].next)
            if (const std::int32_t nZ = index[ix].nZ; nZ > 0) {
                byPosition.resize(std::max(byPosition.size(), std::size_t(nZ)));
                byPosition[std::size_t(nZ - 1)] = ix;
            }
    const QString sId = L1(tree.Text(segment));
    for (std::uint32_t i = 0; i < byPosition.size(); ++i) {
        const NodeId element = i < tree.ChildCount(segment) ? tree.Child(segment, i) : NodeId{};
        const QString sValue = element ? L1(tree.Text(element)) : QString();
        QStringList cells{sId + QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0'))};
        if (const SchemaIx ix = byPosition[i]) {
            const SchemaEntry& e = index[ix];
            cells << L1(e.sCode) << L1(e.sDescription) << sValue << L1(e.sRequirement) << L1(e.sDataType)
                  << Length(e);
        } else {
            cells << QString() << QString() << sValue;
        }
        SetRow(int(i), cells);
    }
}

void SegmentDetailPanel::SetRow(int nRow, const QStringList& cells)
{
    tblElements->insertRow(nRow);
    for (int c = 0; c < cells.size(); ++c)
        tblElements->setItem(nRow, c, new QTableWidgetItem(cells[c]));
}

void SegmentDetailPanel::ShowLoop(NodeId loop)
{
    // The loop's segments in document order; elements stay unmade.
    const clsTree& tree = mDoc.Tree();
    tblElements->hide();
    txtSegment->setMaximumHeight(QWIDGETSIZE_MAX);
    lblTitle->setText(L1(tree.Text(loop)));
    const char cDelimiter = char(mDoc.Delimiter());
    QStringList lines;
    std::string buffer;
    for (NodeId node = gfDnodeNextInOrder(tree, loop, loop); node; node = gfDnodeNextInOrder(tree, loop, node)) {
        const std::string& sTag = tree.Tag(node);
        if (sTag.empty() || sTag[0] != 'S')
            continue;
        if (lines.size() == kMaxLoopLines) {
            lines << QStringLiteral("... (the first %1 segments)").arg(kMaxLoopLines);
            break;
        }
        lines << L1(gfDnodeSegmentText(tree, node, cDelimiter, buffer));
    }
    txtSegment->setPlainText(lines.join(QLatin1Char('\n')));
}

}  // namespace orr
