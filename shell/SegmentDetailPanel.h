#pragma once
// A read-only panel beside the document tree: for the current segment (or
// the segment of the current element) its full text and a table of its
// elements with their position, identifier, name, value, usage, data type
// and length limits from the definition; for a loop, the texts of the
// segments in it. It follows the document's current node by itself.
#include <QDockWidget>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableWidget>

#include "doctree/EdiDocument.h"

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
    void FillElements(NodeId segment);
    void SetRow(int nRow, const QStringList& cells);
    QString Description(NodeId node);

    // DocumentListener
    void CurrentChanged(NodeId node) override;
    void StateChanged() override;
    void Rebuilt() override;

    EdiDocument& mDoc;
};

}  // namespace orr
