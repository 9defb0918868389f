#include "shell/SegmentDetailPanel.h"

#include <QHeaderView>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "doctree/modNodeD.h"
#include "edi/modGuessEdi.h"

namespace orr {
namespace {

QString L1(std::string_view s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

QString Length(int nMin, int nMax)
{
    if (nMin == 0 && nMax == 0)
        return {};
    return QStringLiteral("%1-%2").arg(nMin).arg(nMax);
}

// Element n of a segment's text (0 the identifier); "" when it has fewer.
std::string_view ElementOf(std::string_view sText, char cDelimiter, std::size_t n)
{
    for (; n > 0; --n) {
        const std::size_t nAt = sText.find(cDelimiter);
        if (nAt == std::string_view::npos)
            return {};
        sText.remove_prefix(nAt + 1);
    }
    return sText.substr(0, sText.find(cDelimiter));
}

// What a segment's components follow: the release dictionary of its group
// (GS08, else ISA12) and its interchange's component separator (ISA16).
struct Envelope {
    std::shared_ptr<const ElementDictionary> dictionary;
    char cComponent = kDefaultComponentSeparator;
};

Envelope EnvelopeOf(clsTree& tree, NodeId segment, char cDelimiter)
{
    std::string sGs08, sIsa12, buffer;
    Envelope envelope;
    for (NodeId n = tree.Parent(segment); n; n = tree.Parent(n)) {
        const char cKind = gfDnodeType(tree.Node(n));
        const NodeId header = cKind == 'F' || cKind == 'X' ? tree.FirstChild(n) : NodeId{};
        if (!header)
            continue;
        const std::string_view sText = gfDnodeSegmentText(tree, header, cDelimiter, buffer);
        if (cKind == 'F') {
            sGs08 = ElementOf(sText, cDelimiter, 8);
        } else {
            sIsa12 = ElementOf(sText, cDelimiter, 12);
            const std::string_view sIsa16 = ElementOf(sText, cDelimiter, 16);
            if (sIsa16.size() == 1)
                envelope.cComponent = sIsa16[0];
        }
    }
    envelope.dictionary = ElementDictionary::ForRelease(ElementDictionary::Release(sGs08, sIsa12));
    return envelope;
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
    // Long element names share the room with the values instead of taking it.
    tblElements->horizontalHeader()->setSectionResizeMode(ColName, QHeaderView::Stretch);
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
    const std::vector<int> rows = FillElements(segment);
    if (const std::uint32_t nRow = element ? mDoc.Tree().Row(element) : 0; element && nRow < rows.size())
        tblElements->selectRow(rows[nRow]);
}

std::vector<int> SegmentDetailPanel::FillElements(NodeId segment)
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
    const char cDelimiter = char(mDoc.Delimiter());
    const Envelope envelope = EnvelopeOf(tree, segment, cDelimiter);
    const QString sId = L1(tree.Text(segment));
    std::vector<int> rows;
    for (std::uint32_t i = 0; i < byPosition.size(); ++i) {
        const NodeId element = i < tree.ChildCount(segment) ? tree.Child(segment, i) : NodeId{};
        const std::string_view sValue = element ? tree.Text(element) : std::string_view();
        const QString sPosition = sId + QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        rows.push_back(tblElements->rowCount());
        const SchemaIx ix = byPosition[i];
        if (!ix) {
            AddRow({sPosition, QString(), QString(), L1(sValue)});
            continue;
        }
        const SchemaEntry& e = index[ix];
        AddRow({sPosition, L1(e.sCode), L1(e.sDescription), L1(sValue), L1(e.sRequirement), L1(e.sDataType),
                Length(e.nMinLength, e.nMaxLength)});
        if (const auto* composite = envelope.dictionary && e.sDataType == "COMP"
                                        ? envelope.dictionary->FindComposite(e.sCode)
                                        : nullptr)
            AddComponents(sPosition, sValue, *composite, envelope.cComponent);
    }
    return rows;
}

void SegmentDetailPanel::AddComponents(const QString& sElement, std::string_view sValue,
                                       const ElementDictionary::Composite& composite, char cComponent)
{
    for (std::size_t i = 0; i < composite.components.size(); ++i) {
        const std::size_t nAt = sValue.find(cComponent);
        const std::string_view sPart = sValue.substr(0, nAt);
        sValue = nAt == std::string_view::npos ? std::string_view() : sValue.substr(nAt + 1);
        const ElementDictionary::Element& c = *composite.components[i].element;
        AddRow({sElement + QStringLiteral("-%1").arg(i + 1, 2, 10, QLatin1Char('0')), L1(c.sId), L1(c.sName),
                L1(sPart), composite.components[i].bRequired ? QStringLiteral("M") : QStringLiteral("O"),
                L1(c.sType), Length(c.nMinLength, c.nMaxLength)});
    }
}

void SegmentDetailPanel::AddRow(const QStringList& cells)
{
    const int nRow = tblElements->rowCount();
    tblElements->insertRow(nRow);
    for (int c = 0; c < cells.size(); ++c)
        tblElements->setItem(nRow, c, new QTableWidgetItem(cells[c]));
}

void SegmentDetailPanel::ShowLoop(NodeId loop)
{
    // The loop's segments in document order; elements stay unmade.
    clsTree& tree = mDoc.Tree();
    tblElements->hide();
    txtSegment->setMaximumHeight(QWIDGETSIZE_MAX);
    lblTitle->setText(L1(tree.Text(loop)));
    const char cDelimiter = char(mDoc.Delimiter());
    QStringList lines;
    std::string buffer;
    for (NodeId node = gfDnodeNextInOrder(tree, loop, loop); node; node = gfDnodeNextInOrder(tree, loop, node)) {
        const std::string& sTag = tree.Tag(node);
        // Only what is written: placeholders are left out as the writer leaves them out.
        if (sTag.empty() || sTag[0] != 'S' || gfDnodeIsPlaceholder(tree.Node(node)))
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
