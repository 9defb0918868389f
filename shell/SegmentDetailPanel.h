#pragma once
// A read-only panel beside the document tree: for the current segment (or
// the segment of the current element) its full text and a table of its
// elements with their position, identifier, name, value, usage, data type
// and length limits from the definition, a composite followed by a row per
// component from the release dictionary of its group; for a loop, the texts
// of the segments in it. It follows the document's current node by itself.
#include <QDockWidget>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableWidget>

#include <string_view>
#include <vector>

#include "doctree/EdiDocument.h"
#include "schema/ElementDictionary.h"

namespace orr {

class SegmentDetailPanel : public QDockWidget, private DocumentListener {
    Q_OBJECT
public:
    // Columns of the element table.
    enum Column { ColPosition, ColElement, ColName, ColValue, ColUsage, ColType, ColLength, ColumnCount };
    // A loop shows at most this many segment texts.
    static constexpr int kMaxLoopLines = 500;

    explicit SegmentDetailPanel(EdiDocument& doc, QWidget* parent = nullptr);
    ~SegmentDetailPanel() override;

    // Shows the node now (the current node is followed without this).
    void ShowNode(NodeId node);

    QLabel* lblTitle;
    QPlainTextEdit* txtSegment;
    QTableWidget* tblElements;

private:
    void ShowSegment(NodeId segment, NodeId element);
    void ShowLoop(NodeId loop);
    // Fills the table; the row of each element of the segment, by position - 1.
    std::vector<int> FillElements(NodeId segment);
    void AddComponents(const QString& sElement, std::string_view sValue, const ElementDictionary::Composite& composite,
                       char cComponent);
    void AddRow(const QStringList& cells);
    QString Description(NodeId node);

    // DocumentListener
    void CurrentChanged(NodeId node) override;
    void StateChanged() override;
    void Rebuilt() override;

    EdiDocument& mDoc;
};

}  // namespace orr
