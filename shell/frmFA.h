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

// Asks for a received EDI file and where to write its 997 functional
// acknowledgement, then writes it. Stays open while the names are unusable.
// On request the 997 answers every set from the element check of the file,
// and a 999 implementation acknowledgement always does.
class frmFA : public QDialog {
    Q_OBJECT
public:
    explicit frmFA(QWidget* parent = nullptr);

    // The opener's element separator (and terminator), passed on to the generator.
    SepCode Delimiter = 42;
    SepCode Selimiter = 126;
    void SetInputFile(const std::string& sPath);

    void CmdOkClick();

    QLineEdit* txtInput;
    QLineEdit* txtOutput;
    QLabel* lblOutput;
    QRadioButton* optAck997;
    QRadioButton* optAck999;
    QCheckBox* chkFindings;
    QPushButton* cmdInput;
    QPushButton* cmdOutput;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;
};

}  // namespace orr
