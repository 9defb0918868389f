#pragma once
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <optional>
#include <string>

namespace orr {

struct MailSettings;

// "Send Email": one message to the addresses in txtTo, optionally with the
// file in txtAttachedFile. Send closes the window whatever the outcome.
class frmMail : public QDialog {
    Q_OBJECT
public:
    explicit frmMail(QWidget* parent = nullptr);

    // The address book: chosen addresses join the To field.
    void CmdToClick();
    // The open-file dialog; a chosen file replaces the attachment.
    void CmdFileClick();
    // Sends, says "Message sent." when it went out, and closes.
    void CmdSendClick();
    // The send routine; false when sign-on was cancelled or sending failed.
    bool SendMail();

    QLineEdit* txtTo;
    QLineEdit* txtSubject;
    QPlainTextEdit* txtMessage;
    QLineEdit* txtAttachedFile;
    QPushButton* cmdTo;
    QPushButton* cmdFile;
    QPushButton* cmdSend;
    QPushButton* cmdCancel;

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The logon dialog: the password of the mail account.
    std::optional<std::string> Logon(const MailSettings& settings);
    void UpdateButtons();

    bool mbSending = false;
    bool mbHasAddressBook = false;
};

// Shows the e-mail window modally with sFileName (may be empty) as its
// attachment: the frame's and the document window's "Send Email".
void gfMainFileSend(const std::string& sFileName, QWidget* pOwner = nullptr);

}  // namespace orr
