#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>
#include <QTcpServer>
#include <QTest>
#include <filesystem>

#include "shell/frmConnSetup.h"
#include "shell/frmConnect.h"
#include "shell/modTool.h"
#include "tests/shell/ShellTestSupport.h"

namespace orr {
namespace {

using test::ShellEnv;
using test::TestEnv;

QColor ButtonColour(const QPushButton* b) { return b->palette().color(QPalette::Button); }

QString LastLog(const frmConnect& dlg) { return dlg.lstEvents->item(dlg.lstEvents->count() - 1)->text(); }

TEST(ConnectWindow, CaptionsConnectSendAndDisconnect)
{
    ShellEnv env;
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    gConfig->ServerHost = "127.0.0.1";
    gConfig->ServerPort = server.serverPort();

    frmConnect dlg;
    dlg.open();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("EDI Client Connection Closed"));
    EXPECT_EQ(dlg.cmdConnect->toolTip(), QStringLiteral("Connect to EDI Server"));
    EXPECT_EQ(dlg.cmdSend->toolTip(), QStringLiteral("Send EDI file to Server"));
    EXPECT_EQ(dlg.cmdFileOpen->toolTip(), QStringLiteral("Select EDI file to send"));
    EXPECT_EQ(dlg.txtSend->toolTip(), QStringLiteral("EDI file to send"));
    EXPECT_EQ(dlg.lstEvents->toolTip(), QStringLiteral("Communication events log"));
    EXPECT_EQ(dlg.cmdExit->text(), QStringLiteral("Exit"));
    EXPECT_EQ(dlg.mnuFileSetup->text(), QStringLiteral("&Setup .."));
    EXPECT_EQ(dlg.mnuHelpAbout->text(), QStringLiteral("&About"));
    EXPECT_FALSE(dlg.cmdSend->isEnabled());
    EXPECT_EQ(ButtonColour(dlg.cmdConnect), QColor(0, 255, 0));

    // Without document folders the window says so and stays closed.
    gConfig->DirIncoming.clear();
    QTest::mouseClick(dlg.cmdConnect, Qt::LeftButton);
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0], "You must set up Inbound AND outbound documents directory.\r\n"
                                    "Use View menu then Option to set this up.");
    EXPECT_EQ(dlg.lstEvents->count(), 0);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("EDI Client Connection Closed"));

    gConfig->DirIncoming = env.Path("in");
    gConfig->DirOutgoing = env.Path("out");
    std::filesystem::create_directories(gConfig->DirIncoming);
    QTest::mouseClick(dlg.cmdConnect, Qt::LeftButton);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("EDI Client Connection Connection ..."));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.cmdSend->isEnabled() && server.hasPendingConnections(); }, 5000));
    QTcpSocket* peer = server.nextPendingConnection();
    ASSERT_TRUE(peer);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("EDI Client Connection Connected"));
    EXPECT_EQ(dlg.cmdConnect->text(), QStringLiteral("Disconnect"));
    EXPECT_EQ(ButtonColour(dlg.cmdConnect), QColor(255, 0, 0));

    // The file chosen in the dialog goes out as it is.
    TestEnv::WriteFile(env.Path("order.edi"), "ISA*1~IEA*1*1~\r\n");
    env.answers.push_back(QString::fromStdString(env.Path("order.edi")));
    QTest::mouseClick(dlg.cmdFileOpen, Qt::LeftButton);
    EXPECT_EQ(dlg.txtSend->text().toStdString(), env.Path("order.edi"));
    QTest::mouseClick(dlg.cmdSend, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer->bytesAvailable() >= 16; }, 5000));
    EXPECT_EQ(peer->readAll(), QByteArray("ISA*1~IEA*1*1~\r\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return LastLog(dlg).endsWith(QStringLiteral("-Send data complete event")); }, 5000));

    QTest::mouseClick(dlg.cmdConnect, Qt::LeftButton);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("EDI Client Connection Closed"));
    EXPECT_FALSE(dlg.cmdSend->isEnabled());
    EXPECT_EQ(dlg.cmdConnect->text(), QStringLiteral("Connect"));
    EXPECT_EQ(ButtonColour(dlg.cmdConnect), QColor(0, 255, 0));
    EXPECT_TRUE(LastLog(dlg).endsWith(QStringLiteral(":(Closed)-Close connection to server ...")));
}

TEST(ConnectWindow, OpenersSetupAndExit)
{
    ShellEnv env;
    gConfig->ServerHost = "Localhost";
    gConfig->ServerPort = 1001;

    // The setup window shows the configured server and this machine.
    test::WhenModal<frmConnect>([](frmConnect* dlg) {
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("EDI Server Connection"));
        EXPECT_EQ(dlg->txtSend->text(), QStringLiteral("/tmp/order.edi"));
        test::WhenModal<frmConnSetup>([](frmConnSetup* setup) {
            EXPECT_EQ(setup->windowTitle(), QStringLiteral("Host TCP/IP Setup"));
            EXPECT_EQ(setup->txtIpAddress->text(), QStringLiteral("Localhost"));
            EXPECT_EQ(setup->txtPort->text(), QStringLiteral("1001"));
            EXPECT_FALSE(setup->txtLocalHostName->text().isEmpty());
            EXPECT_FALSE(setup->txtLocalIpAddress->text().isEmpty());
            EXPECT_EQ(setup->txtLocalPort->text(), QStringLiteral("0"));
            QTest::mouseClick(setup->CancelButton, Qt::LeftButton);
        });
        dlg->mnuFileSetup->trigger();
        QTest::mouseClick(dlg->cmdExit, Qt::LeftButton);
    });
    gfOpenEdiServerClient("/tmp/order.edi");

    // The frame's Tool menu opens it with no file.
    frmMain frame;
    EXPECT_TRUE(frame.mnuToolEdiServer->isVisible());
    QString sSeen;
    test::WhenModal<frmConnect>([&sSeen](frmConnect* dlg) {
        sSeen = dlg->windowTitle() + QLatin1Char('|') + dlg->txtSend->text();
        dlg->mnuFileExit->trigger();
    });
    frame.mnuToolEdiServer->trigger();
    EXPECT_EQ(sSeen, QStringLiteral("EDI Server Connection|"));
}

}  // namespace
}  // namespace orr
