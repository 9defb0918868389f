#pragma once
// The findings of the element check of a document window, in a dockable
// list: severity, line, segment number, element, loop and message. A click
// on a finding makes its node the document's current node and shows it; the
// nodes with findings are marked in the document tree. The list belongs to
// the tree it was made for and is emptied when the tree is replaced.
#include <QDockWidget>
#include <QLabel>
#include <QTableView>

#include "doctree/EdiDocument.h"
#include "edi/EdiFinding.h"

namespace orr {

class TreeModel;

class FindingsDock : public QDockWidget, private DocumentListener {
    Q_OBJECT
public:
    // At most this many findings are listed.
    static constexpr std::size_t kLimit = EdiDocument::kFindingsLimit;

    FindingsDock(EdiDocument& doc, TreeModel* docModel, QWidget* parent);
    ~FindingsDock() override;

    // Lists the findings of the document's last validation and shows the list.
    void ShowDocumentFindings();
    const EdiFindings& Findings() const { return mFindings; }
    // Makes the node of the finding in row nRow the current node.
    void ShowFinding(int nRow);

    QLabel* lblSummary;
    QTableView* lvwFindings;

private:
    class Model;
    void Rebuilt() override;
    void SetFindings(EdiFindings findings, bool bTruncated);

    EdiDocument& mDoc;
    TreeModel* mDocModel;
    Model* mModel;
    EdiFindings mFindings;
    bool mbSized = false;
};

}  // namespace orr
