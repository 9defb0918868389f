#pragma once
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "store/TreeNode.h"

namespace orr {

// "Export EDI Document to Text File": the document, one line per segment,
// its elements separated by a tab or a comma. The document is not changed.
class frmExportText : public QDialog {
    Q_OBJECT
public:
    explicit frmExportText(QWidget* parent = nullptr);

    // The document to export; without one, Save says there is nothing to save.
    void SetRoot(const TreeNode& ndRoot) { mndRoot = ndRoot; }

    void CmdSaveClick();

    QComboBox* cboDelimiter;
    QLineEdit* txtOutFile;
    QPushButton* cmdSaveAs;
    QPushButton* cmdSave;
    QPushButton* cmdCancel;

private:
    TreeNode mndRoot;
};

}  // namespace orr
