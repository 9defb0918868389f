#pragma once
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <array>

namespace orr {

// "Options": separators, document directories, the expansion switches used
// when a document is shown, and the envelope defaults. Apply and OK store
// the values in the configuration and save all settings; Cancel closes
// without storing (what an earlier Apply stored stays).
class frmOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmOptions(QWidget* parent = nullptr);

    // Shows the panel of the selected tab and hides the others.
    void ShowSelectedPanel();
    void CmdApplyClick();
    void CmdOkClick();
    // The directory buttons: the picker starts at the box's text.
    void PickDirectory(QLineEdit* pBox);

    QTabBar* tbsOptions;
    std::array<QGroupBox*, 3> picOptions;
    QComboBox* cboDelimiter;
    QComboBox* cboSegDelimiter;
    QLineEdit* txtIncomingDir;
    QPushButton* cmdIncoming;
    QLineEdit* txtOutgoingDir;
    QPushButton* cmdOutgoing;
    QCheckBox* chkISA;
    QCheckBox* chkGS;
    QCheckBox* chkST;
    QLineEdit* txtExIdQualifier;
    QLineEdit* txtExId;
    QLineEdit* txtPartnerIxIdQualifier;
    QLineEdit* txtPartnerIxId;
    QCheckBox* chkAckRequired;
    QCheckBox* chkTest;
    QLineEdit* txtIcId;
    QLineEdit* txtIcVersion;
    QLineEdit* txtIcNumber;
    QLineEdit* txtGSAgencyCode;
    QLineEdit* txtGSReleaseID;
    QLineEdit* txtGSControlNumber;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QPushButton* cmdApply;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Load();
    void StoreAndSave();

    // The expansion switches as they were when the dialog opened.
    bool mbOpenISA = false, mbOpenGS = false, mbOpenST = false;
};

}  // namespace orr
