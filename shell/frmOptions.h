#pragma once
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <array>

#include "net/modMail.h"

namespace orr {

// "Options": separators, document directories, the expansion switches used
// when a document is shown, the recovery interval, the envelope defaults,
// and the mail server.
// Apply and OK store the values in the configuration and save all settings;
// Cancel closes without storing (what an earlier Apply stored stays).
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
    std::array<QGroupBox*, 4> picOptions;
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
    QLineEdit* txtHomePage;
    QSpinBox* spnRecoverySeconds;  // 0: "Off"
    QLineEdit* txtMailServer;
    QLineEdit* txtMailPort;
    QComboBox* cboMailSecurity;  // item data: none, starttls, tls
    QLineEdit* txtMailUser;
    QLineEdit* txtMailFrom;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QPushButton* cmdApply;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Load();
    void StoreAndSave();
    QGroupBox* CreateMailPanel();
    void LoadMail();
    void StoreMail();
    // A port left at the usual one of the old security follows the new one.
    void MailSecurityChanged();

    // The expansion switches as they were when the dialog opened.
    bool mbOpenISA = false, mbOpenGS = false, mbOpenST = false;
    MailSettings mMail;             // as last loaded or stored
    std::string msShownSecurity;    // the security the port box follows
};

}  // namespace orr
