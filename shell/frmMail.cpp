#include "shell/frmMail.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>

#include "app/UiService.h"
#include "net/modMail.h"
#include "shell/frmAddressBook.h"
#include "shell/modFrmDocFile.h"

namespace orr {

frmMail::frmMail(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmMail"));
    setWindowTitle(QStringLiteral("Send Email"));
    auto edit = [this](const char* sName) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(sName));
        return e;
    };
    auto button = [this](const char* sName, const char* sCaption) {
        auto* b = new QPushButton(QString::fromLatin1(sCaption), this);
        b->setObjectName(QString::fromLatin1(sName));
        b->setAutoDefault(false);
        return b;
    };
    txtTo = edit("txtTo");
    txtTo->setPlaceholderText(QStringLiteral("name@example.com; another@example.com"));
    txtSubject = edit("txtSubject");
    txtMessage = new QPlainTextEdit(this);
    txtMessage->setObjectName(QStringLiteral("txtMessage"));
    txtAttachedFile = edit("txtAttachedFile");
    cmdTo = button("cmdTo", "&To...");
    cmdTo->setToolTip(QStringLiteral("Addresses you have mailed to before"));
    cmdFile = button("cmdFile", "...");
    cmdFile->setToolTip(QStringLiteral("Choose the file to attach"));
    cmdSend = button("cmdSend", "&Send");
    cmdSend->setDefault(true);
    cmdCancel = button("cmdCancel", "&Cancel");

    auto* grid = new QGridLayout(this);
    grid->addWidget(cmdTo, 0, 0);
    grid->addWidget(txtTo, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Subject:"), this), 1, 0);
    grid->addWidget(txtSubject, 1, 1, 1, 2);
    grid->addWidget(txtMessage, 2, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Attachment:"), this), 3, 0);
    grid->addWidget(txtAttachedFile, 3, 1);
    grid->addWidget(cmdFile, 3, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSend);
    buttons->addWidget(cmdCancel);
    grid->addLayout(buttons, 4, 0, 1, 3);
    grid->setRowStretch(2, 1);
    resize(520, 380);

    connect(cmdTo, &QPushButton::clicked, this, &frmMail::CmdToClick);
    connect(cmdFile, &QPushButton::clicked, this, &frmMail::CmdFileClick);
    connect(cmdSend, &QPushButton::clicked, this, &frmMail::CmdSendClick);
    connect(cmdCancel, &QPushButton::clicked, this, &frmMail::reject);
    connect(txtTo, &QLineEdit::textChanged, this, &frmMail::UpdateButtons);
    mbHasAddressBook = !gfMailAddressBook().empty();
    UpdateButtons();
}

void frmMail::UpdateButtons()
{
    // Nothing to choose from, or nobody to send to: the button would only disappoint.
    cmdTo->setEnabled(!mbSending && mbHasAddressBook);
    cmdSend->setEnabled(!mbSending && !gfSplitAddresses(txtTo->text().toStdString()).empty());
    for (QWidget* w : std::initializer_list<QWidget*>{txtTo, txtSubject, txtMessage, txtAttachedFile, cmdFile, cmdCancel})
        w->setEnabled(!mbSending);
}

void frmMail::CmdToClick()
{
    frmAddressBook book(gfMailAddressBook(), this);
    if (book.exec() == QDialog::Accepted)
        txtTo->setText(QString::fromStdString(gfAddAddresses(txtTo->text().toStdString(), book.Chosen())));
}

void frmMail::CmdFileClick()
{
    const std::string sPath = gfOpenFileDialog();
    if (!sPath.empty())
        txtAttachedFile->setText(QString::fromStdString(sPath));
}

std::optional<std::string> frmMail::Logon(const MailSettings& settings)
{
    QInputDialog dlg(this);
    dlg.setObjectName(QStringLiteral("frmMailLogon"));
    dlg.setWindowTitle(QStringLiteral("Mail Logon"));
    dlg.setLabelText(QStringLiteral("Password for %1 on %2:")
                         .arg(QString::fromStdString(settings.sUser), QString::fromStdString(settings.sServer)));
    dlg.setTextEchoMode(QLineEdit::Password);
    QApplication::restoreOverrideCursor();
    const bool bOk = dlg.exec() == QDialog::Accepted;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    return bOk ? std::optional<std::string>(dlg.textValue().toStdString()) : std::nullopt;
}

bool frmMail::SendMail()
{
    // The window stays painted while the server answers, but takes no input.
    mbSending = true;
    UpdateButtons();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const MailRequest request{txtTo->text().toStdString(), txtSubject->text().toStdString(),
                              txtMessage->toPlainText().toStdString(), txtAttachedFile->text().trimmed().toStdString()};
    const bool bSent = gfSendMail(request, [this](const MailSettings& s) { return Logon(s); });
    QApplication::restoreOverrideCursor();
    mbSending = false;
    UpdateButtons();
    return bSent;
}

void frmMail::CmdSendClick()
{
    if (SendMail())
        gfMsgBox("Message sent.", MsgIcon::Information);
    accept();
}

void frmMail::reject()
{
    if (!mbSending)
        QDialog::reject();
}

void frmMail::closeEvent(QCloseEvent* event)
{
    if (mbSending)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void gfMainFileSend(const std::string& sFileName, QWidget* pOwner)
{
    frmMail dlg(pOwner);
    dlg.txtAttachedFile->setText(QString::fromStdString(sFileName));
    dlg.exec();
}

}  // namespace orr
