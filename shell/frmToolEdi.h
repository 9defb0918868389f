#pragma once
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "store/TreeNode.h"

namespace orr {

// "Save in a Different EDI format": the document written as EDI with the
// separators chosen here, to another file. The document, its own separators
// and the configuration stay as they are.
class frmToolEdi : public QDialog {
    Q_OBJECT
public:
    explicit frmToolEdi(QWidget* parent = nullptr);

    // The document to write; without one, Save says there is nothing to save.
    void SetRoot(const TreeNode& ndRoot) { mndRoot = ndRoot; }

    void CmdSaveClick();

    QComboBox* cboDelimiter;
    QComboBox* cboSelimiter;
    QLineEdit* txtOutFile;
    QPushButton* cmdOutFile;
    QPushButton* cmdSave;
    QPushButton* cmdCancel;

private:
    TreeNode mndRoot;
};

}  // namespace orr
