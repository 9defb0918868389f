#pragma once
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <string>

#include "app/clsConfig.h"

namespace orr {

// Asks for a received EDI file and where to write its acknowledgement, then
// writes it. Stays open while the names are unusable. A 997 answers every
// group and on request every set from the element check of the file; a 999
// implementation acknowledgement always does; a TA1 answers every
// interchange's envelope.
class frmFA : public QDialog {
    Q_OBJECT
public:
    explicit frmFA(QWidget* parent = nullptr);

    // The opener's element separator and terminator: the acknowledgement's.
    SepCode Delimiter = 42;
    SepCode Selimiter = 126;
    void SetInputFile(const std::string& sPath);

    void CmdOkClick();

    QLineEdit* txtInput;
    QLineEdit* txtOutput;
    QLabel* lblOutput;
    QRadioButton* optAck997;
    QRadioButton* optAck999;
    QRadioButton* optAckTA1;
    QCheckBox* chkFindings;
    QPushButton* cmdInput;
    QPushButton* cmdOutput;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;
};

}  // namespace orr
