// The e-mail window and the web browser entry, used as a user would, with a
// real SMTP server on loopback.
#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QInputDialog>
#include <QTest>
#include <QUrl>

#include "net/modMail.h"
#include "shell/frmAddressBook.h"
#include "shell/frmMail.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/SmtpTestServer.h"

namespace orr {
namespace {

using test::ShellEnv;
using test::WhenModal;

TEST(MailWindow, SendsTheFileFromTheToolMenuWithAnAddressFromTheBook)
{
    ShellEnv env;
    gfForgetMailPassword();
    test::SmtpTestServer server(env.Dir());
    ASSERT_NE(server.Port(), 0) << "the SMTP test server did not start";
    test::gfUseMailServer(server.Port());
    gfRememberAddresses({"old@example.test", "Buyer <buyer@example.test>"});
    const std::string sFile = env.Path("850.edi");
    test::TestEnv::WriteFile(sFile, "ISA*00~GS*PO~");

    frmMain frame;
    WhenModal<frmMail>([&](frmMail* dlg) {
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Send Email"));
        EXPECT_TRUE(dlg->txtAttachedFile->text().isEmpty());  // the frame's entry sends no file
        EXPECT_FALSE(dlg->cmdSend->isEnabled());              // nobody to send to yet
        env.answers = {QString(), QString::fromStdString(sFile)};
        QTest::mouseClick(dlg->cmdFile, Qt::LeftButton);  // cancelled: nothing changes
        EXPECT_TRUE(dlg->txtAttachedFile->text().isEmpty());
        QTest::mouseClick(dlg->cmdFile, Qt::LeftButton);
        EXPECT_EQ(dlg->txtAttachedFile->text().toStdString(), sFile);

        QTest::keyClicks(dlg->txtTo, QStringLiteral("old@example.test"));
        WhenModal<frmAddressBook>([](frmAddressBook* book) {
            ASSERT_EQ(book->lstAddresses->count(), 2);
            book->lstAddresses->selectAll();  // the address already in To is not added twice
            QTest::mouseClick(book->cmdOK, Qt::LeftButton);
        });
        QTest::mouseClick(dlg->cmdTo, Qt::LeftButton);
        EXPECT_EQ(dlg->txtTo->text(), QStringLiteral("old@example.test; Buyer <buyer@example.test>"));
        QTest::keyClicks(dlg->txtSubject, QStringLiteral("PO 850"));
        QTest::keyClicks(dlg->txtMessage, QStringLiteral("Please confirm."));
        ASSERT_TRUE(dlg->cmdSend->isEnabled());
        QTest::mouseClick(dlg->cmdSend, Qt::LeftButton);
    });
    frame.mnuToolEmail->trigger();

    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{"Message sent."});
    const auto mails = server.Messages();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].Part("rcpt"), "old@example.test\nbuyer@example.test");
    EXPECT_EQ(mails[0].Part("subject"), "PO 850");
    EXPECT_EQ(mails[0].Part("body"), "Please confirm.");
    EXPECT_EQ(mails[0].Part("attachment-name"), "850.edi");
    EXPECT_EQ(mails[0].Part("attachment"), "ISA*00~GS*PO~");
}

TEST(MailWindow, SignOnCancelledOrRefusedClosesTheWindow)
{
    ShellEnv env;
    gfForgetMailPassword();
    test::SmtpTestServer server(env.Dir(), "clerk:secret");
    ASSERT_NE(server.Port(), 0) << "the SMTP test server did not start";
    test::gfUseMailServer(server.Port(), "clerk");

    auto sendWithLogon = [&](std::function<void(QInputDialog*)> logon) {
        WhenModal<frmMail>([logon](frmMail* dlg) {
            dlg->txtTo->setText(QStringLiteral("a@example.test"));
            WhenModal<QInputDialog>([logon](QInputDialog* box) {
                EXPECT_EQ(box->textEchoMode(), QLineEdit::Password);
                EXPECT_EQ(box->labelText(), QStringLiteral("Password for clerk on 127.0.0.1:"));
                logon(box);
            });
            QTest::mouseClick(dlg->cmdSend, Qt::LeftButton);
        });
        gfMainFileSend("", nullptr);
    };
    // Cancelled: the window closes and says nothing.
    sendWithLogon([](QInputDialog* box) { box->reject(); });
    EXPECT_TRUE(env.ui.Messages().empty());
    // Refused: the server's reason, and the window closes.
    sendWithLogon([](QInputDialog* box) {
        box->setTextValue(QStringLiteral("wrong"));
        box->accept();
    });
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{"Could not send message. Error:Login denied"});
    EXPECT_EQ(env.ui.Calls().back().icon, MsgIcon::Critical);
    EXPECT_TRUE(server.Messages().empty());
}

// Stands in for the user's browser.
class BrowserStandIn : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened.append(url); }
};

TEST(MailWindow, WebBrowserOpensTheHomePage)
{
    ShellEnv env;
    BrowserStandIn browser;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "Open");
    frmMain frame;
    frame.mnuToolBrowser->trigger();  // no home page yet: says where to set one
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_NE(env.ui.Messages()[0].find("Options"), std::string::npos);
    env.settings.Save("Orrindale", "System", "HomePage", "https://example.test/start");
    frame.mnuToolBrowser->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.test/start"))});
    EXPECT_EQ(env.ui.Messages().size(), 1u);
}

}  // namespace
}  // namespace orr

#include "MailWindowTest.moc"
