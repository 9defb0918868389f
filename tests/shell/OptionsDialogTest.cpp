#include <gtest/gtest.h>

#include <QTest>

#include "app/modRegistry.h"
#include "shell/frmOptions.h"
#include "tests/shell/ShellTestSupport.h"

namespace orr {
namespace {

using test::ShellEnv;

std::string Stored(ShellEnv& env, const char* section, const char* key)
{
    return env.settings.Get("Orrindale", section, key, "<missing>");
}

TEST(OptionsDialog, ShowsTheSettingsAndSwitchesTabsWithCtrlTab)
{
    ShellEnv env;
    gConfig->Delimiter = '|';
    gConfig->Selimiter = 10;
    gConfig->MyAddr = "ME";
    gConfig->IsaIcNumber = 42;
    gConfig->IsaTest = true;
    gConfig->OpenST = false;
    frmOptions dlg;
    dlg.open();
    EXPECT_EQ(dlg.cboDelimiter->currentText(), QStringLiteral("|"));
    EXPECT_EQ(dlg.cboSegDelimiter->currentText(), QStringLiteral("LF"));
    EXPECT_EQ(dlg.cboSegDelimiter->count(), 6);
    EXPECT_EQ(dlg.txtExId->text(), QStringLiteral("ME"));
    EXPECT_EQ(dlg.txtIcNumber->text(), QStringLiteral("42"));
    EXPECT_TRUE(dlg.chkTest->isChecked());
    EXPECT_TRUE(dlg.chkGS->isChecked());
    EXPECT_FALSE(dlg.chkST->isChecked());

    auto shown = [&] {
        int n = -1;
        for (int i = 0; i < int(dlg.picOptions.size()); ++i)
            if (dlg.picOptions[std::size_t(i)]->isVisible()) {
                EXPECT_EQ(n, -1) << "one panel at a time";
                EXPECT_TRUE(dlg.picOptions[std::size_t(i)]->isEnabled());
                n = i;
            } else {
                EXPECT_FALSE(dlg.picOptions[std::size_t(i)]->isEnabled());
            }
        return n;
    };
    EXPECT_EQ(shown(), 0);
    QTest::keyClick(dlg.txtIncomingDir, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(shown(), 1);
    QTest::keyClick(dlg.txtExId, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(shown(), 2);
    QTest::keyClick(dlg.txtGSAgencyCode, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(shown(), 3);
    QTest::keyClick(&dlg, Qt::Key_Tab, Qt::ControlModifier);  // wraps to the first
    EXPECT_EQ(shown(), 0);
    QTest::keyClick(&dlg, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);  // and back
    EXPECT_EQ(shown(), 3);
    dlg.tbsOptions->setCurrentIndex(1);
    EXPECT_EQ(shown(), 1);
    EXPECT_EQ(dlg.tbsOptions->tabText(2), QStringLiteral("Functional Group"));
}

TEST(OptionsDialog, ExpansionSwitchesStayConsistent)
{
    ShellEnv env;
    frmOptions dlg;
    dlg.open();
    auto state = [&] {
        return std::string() + (dlg.chkISA->isChecked() ? "I" : "-") + (dlg.chkGS->isChecked() ? "G" : "-") +
               (dlg.chkST->isChecked() ? "S" : "-");
    };
    EXPECT_EQ(state(), "IGS");
    dlg.chkISA->click();  // no interchange level: nothing below it
    EXPECT_EQ(state(), "---");
    dlg.chkST->click();  // transactions imply the rest
    EXPECT_EQ(state(), "IGS");
    dlg.chkGS->click();  // no groups: no transactions
    EXPECT_EQ(state(), "I--");
    dlg.chkISA->click();
    dlg.chkGS->click();  // groups imply interchanges
    EXPECT_EQ(state(), "IG-");
}

TEST(OptionsDialog, ApplyOkAndCancel)
{
    ShellEnv env;
    gfWriteDefaultRegistry();
    gfReadRegistry();
    gConfig->OpenDocument = false;
    {
        frmOptions dlg;
        dlg.open();
        // Only the separators change: no repaint needed, but everything is saved.
        dlg.cboDelimiter->setCurrentIndex(dlg.cboDelimiter->findText(QStringLiteral("|")));
        dlg.cboSegDelimiter->setCurrentIndex(dlg.cboSegDelimiter->findText(QStringLiteral("0x15")));
        dlg.txtExId->setText(QStringLiteral("  SENDER  "));
        dlg.txtIcNumber->setText(QStringLiteral(" 77 "));
        dlg.txtGSControlNumber->setText(QStringLiteral("seven"));  // not a number: kept
        dlg.txtIncomingDir->setText(QStringLiteral(" /data/in "));
        QTest::mouseClick(dlg.cmdApply, Qt::LeftButton);
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_FALSE(gConfig->bOptionsChanged);
        EXPECT_EQ(gConfig->Delimiter, '|');
        EXPECT_EQ(gConfig->Selimiter, 0x15);
        EXPECT_EQ(Stored(env, "Edi", "Delimiter"), "124");
        EXPECT_EQ(Stored(env, "Edi", "Selimiter"), "21");
        EXPECT_EQ(Stored(env, "Edi", "MyAddr"), "SENDER");
        EXPECT_EQ(Stored(env, "Edi", "IsaIcNumber"), "77");
        EXPECT_EQ(Stored(env, "Edi", "GsControlNumber"), "1");
        EXPECT_EQ(Stored(env, "System", "DirIncoming"), "/data/in");
        EXPECT_EQ(Stored(env, "System", "OpenDocument"), "T");

        // A switch changed and changed back: compared with the load, not the last Apply.
        dlg.chkST->click();
        QTest::mouseClick(dlg.cmdApply, Qt::LeftButton);
        EXPECT_TRUE(gConfig->bOptionsChanged);
        EXPECT_EQ(Stored(env, "System", "OpenST"), "F");
        dlg.chkST->click();
        QTest::mouseClick(dlg.cmdApply, Qt::LeftButton);
        EXPECT_FALSE(gConfig->bOptionsChanged);

        // Cancel keeps what Apply stored and stores nothing more.
        dlg.txtExId->setText(QStringLiteral("OTHER"));
        dlg.chkTest->click();  // on a hidden page: disabled, nothing happens
        EXPECT_TRUE(dlg.chkTest->isChecked());
        dlg.tbsOptions->setCurrentIndex(1);
        dlg.chkTest->click();
        QTest::mouseClick(dlg.cmdCancel, Qt::LeftButton);
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        EXPECT_EQ(gConfig->MyAddr, "SENDER");
        EXPECT_EQ(Stored(env, "Edi", "MyAddr"), "SENDER");
        EXPECT_EQ(Stored(env, "Edi", "IsaTest"), "T");
    }
    {
        frmOptions dlg;
        dlg.open();
        EXPECT_EQ(dlg.txtExId->text(), QStringLiteral("SENDER"));
        dlg.chkISA->click();
        dlg.tbsOptions->setCurrentIndex(1);
        dlg.chkTest->click();
        dlg.txtGSReleaseID->setText(QStringLiteral("005010 "));
        QTest::mouseClick(dlg.cmdOK, Qt::LeftButton);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_TRUE(gConfig->bOptionsChanged);
        EXPECT_FALSE(gConfig->OpenISA || gConfig->OpenGS || gConfig->OpenST);
        EXPECT_EQ(Stored(env, "System", "OpenGS"), "F");
        EXPECT_EQ(Stored(env, "Edi", "IsaTest"), "F");
        EXPECT_EQ(Stored(env, "Edi", "GsReleaseID"), "005010");
    }
}

TEST(OptionsDialog, MailTabAndHomePage)
{
    ShellEnv env;
    env.settings.Save("Orrindale", "Mail", "Server", "smtp.example.test");
    env.settings.Save("Orrindale", "Mail", "Security", "none");
    env.settings.Save("Orrindale", "Mail", "Port", "25");
    frmOptions dlg;
    dlg.open();
    dlg.tbsOptions->setCurrentIndex(3);
    EXPECT_EQ(dlg.tbsOptions->tabText(3), QStringLiteral("Mail"));
    EXPECT_TRUE(dlg.txtMailServer->isVisible());
    EXPECT_EQ(dlg.txtMailServer->text(), QStringLiteral("smtp.example.test"));
    EXPECT_EQ(dlg.cboMailSecurity->currentText(), QStringLiteral("None"));

    // A port at the usual one follows the security; one the user typed stays.
    dlg.cboMailSecurity->setCurrentIndex(dlg.cboMailSecurity->findData(QStringLiteral("tls")));
    EXPECT_EQ(dlg.txtMailPort->text(), QStringLiteral("465"));
    dlg.txtMailPort->setText(QStringLiteral("2525"));
    dlg.cboMailSecurity->setCurrentIndex(dlg.cboMailSecurity->findData(QStringLiteral("starttls")));
    EXPECT_EQ(dlg.txtMailPort->text(), QStringLiteral("2525"));
    dlg.txtMailUser->setText(QStringLiteral(" clerk "));
    dlg.txtMailFrom->setText(QStringLiteral("edi@example.test"));
    dlg.txtHomePage->setText(QStringLiteral(" https://example.test/ "));
    QTest::mouseClick(dlg.cmdApply, Qt::LeftButton);
    EXPECT_EQ(Stored(env, "Mail", "Port"), "2525");
    EXPECT_EQ(Stored(env, "Mail", "Security"), "starttls");
    EXPECT_EQ(Stored(env, "Mail", "User"), "clerk");
    EXPECT_EQ(Stored(env, "Mail", "From"), "edi@example.test");
    EXPECT_EQ(Stored(env, "System", "HomePage"), "https://example.test/");

    dlg.txtMailPort->setText(QStringLiteral("99999"));  // no port: the stored one stays
    dlg.txtMailUser->clear();                            // no sign-on
    QTest::mouseClick(dlg.cmdOK, Qt::LeftButton);
    EXPECT_EQ(Stored(env, "Mail", "Port"), "2525");
    EXPECT_EQ(Stored(env, "Mail", "User"), "");
    EXPECT_EQ(Stored(env, "Mail", "Password"), "<missing>");
}

}  // namespace
}  // namespace orr
