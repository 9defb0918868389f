#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTcpServer>
#include <QtCore/qtestsupport_core.h>
#include <filesystem>

#include "app/modGlobals.h"
#include "net/clsEdiClient.h"
#include "tests/support/EdiServerProcess.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using test::TestEnv;

const std::string kInterchange =
    "ISA*00*          *00*          *ZZ*SENDER         *ZZ*RECEIVER       *240101*1200*U*00401*000000001*0*P*>~\r\n"
    "GS*PO*SENDER*RECEIVER*20240101*1200*1*X*004010~ST*850*0001~BEG*00*SA*PO1**20240101~SE*3*0001~\r\n"
    "GE*1*1~IEA*1*000000001~\r\n";

// A test world with both document folders and a client whose log is kept.
struct ClientWorld {
    ClientWorld()
    {
        env.config->DirIncoming = env.Path("in");
        env.config->DirOutgoing = env.Path("out");
        std::filesystem::create_directories(env.config->DirIncoming);
        std::filesystem::create_directories(env.config->DirOutgoing);
        QObject::connect(&client, &clsEdiClient::LogAdded, [this](const QString& s) { log << s; });
    }
    QStringList Lines(const QString& sPattern) const { return log.filter(QRegularExpression(sPattern)); }
    // The received files, oldest first (their names sort in arrival order).
    QStringList Incoming() const
    {
        return QDir(QString::fromStdString(env.config->DirIncoming)).entryList(QDir::Files, QDir::Name);
    }
    std::string IncomingText(const QString& sName) const
    {
        return TestEnv::ReadFile(env.config->DirIncoming + "/" + sName.toStdString());
    }
    bool ConnectTo(quint16 nPort)
    {
        client.SetRemote(QStringLiteral("127.0.0.1"), nPort);
        return client.Connect() && QTest::qWaitFor([this] { return client.IsConnected(); }, 5000);
    }

    TestEnv env;
    clsEdiClient client;
    QStringList log;
};

// An in-process server, so a test decides when each piece goes out.
struct Peer {
    Peer() { server.listen(QHostAddress::LocalHost); }
    QTcpSocket* Accept()
    {
        return QTest::qWaitFor([this] { return server.hasPendingConnections(); }, 5000) ? server.nextPendingConnection()
                                                                                        : nullptr;
    }
    QTcpServer server;
};

TEST(EdiClient, StatesAndLogLines)
{
    EXPECT_EQ(clsEdiClient::StateName(-3), QStringLiteral("??? state:-3"));
    using S = QAbstractSocket;
    EXPECT_EQ(clsEdiClient::StateNumber(S::UnconnectedState), 0);
    EXPECT_EQ(clsEdiClient::StateNumber(S::HostLookupState), 4);
    EXPECT_EQ(clsEdiClient::StateNumber(S::ConnectingState), 6);
    EXPECT_EQ(clsEdiClient::StateNumber(S::ConnectedState), 7);
    EXPECT_EQ(clsEdiClient::StateNumber(S::ClosingState), 8);
    const int nUnknown = clsEdiClient::StateNumber(static_cast<S::SocketState>(7)  /* no state of the table */);
    EXPECT_TRUE(clsEdiClient::StateName(nUnknown).startsWith(QStringLiteral("??? state:")));
    EXPECT_EQ(clsEdiClient::LogLine(3723, 7, QStringLiteral("Server connected event")),
              QStringLiteral("3723:(Connected)-Server connected event"));
}

TEST(EdiClient, MissingFoldersStopTheConnection)
{
    ClientWorld w;
    w.env.config->DirOutgoing.clear();
    EXPECT_FALSE(w.client.Connect());
    EXPECT_EQ(w.env.ui.Messages(), std::vector<std::string>{"You must set up Inbound AND outbound documents directory.\r\n"
                                                            "Use View menu then Option to set this up."});
    EXPECT_EQ(w.env.ui.Calls()[0].icon, MsgIcon::Information);
    EXPECT_TRUE(w.log.isEmpty());
}

TEST(EdiClient, SendsAFileByteForByteToTheServer)
{
    ClientWorld w;
    test::EdiServerProcess server(w.env.Path("server"));
    ASSERT_TRUE(w.ConnectTo(quint16(server.Port())));
    EXPECT_TRUE(w.log[0].contains(QRegularExpression(QStringLiteral("^\\d+:\\(Closed\\)-Open connect to server \\.\\.\\.$"))));
    EXPECT_EQ(w.Lines(QStringLiteral("^\\d+:\\(Connected\\)-Server connected event$")).size(), 1);

    // Nothing to send: no path, an empty file.
    TestEnv::WriteFile(w.env.Path("empty.edi"), "");
    EXPECT_FALSE(w.client.SendFile(""));
    EXPECT_FALSE(w.client.SendFile(w.env.Path("empty.edi")));

    // Every byte value, large enough to go out in many pieces; a second
    // file sent meanwhile follows it.
    std::string sBytes;
    for (int i = 0; i < 3 << 20; ++i)
        sBytes.push_back(char(i * 7 % 256));
    TestEnv::WriteFile(w.env.Path("big.edi"), sBytes);
    TestEnv::WriteFile(w.env.Path("small.edi"), "ISA*small~");
    ASSERT_TRUE(w.client.SendFile(w.env.Path("big.edi")));
    ASSERT_TRUE(w.client.SendFile(w.env.Path("small.edi")));
    sBytes += "ISA*small~";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.Lines(QStringLiteral("-Send data complete event$")).isEmpty(); }, 10000));
    qint64 nSent = 0;
    for (const QString& s : w.Lines(QStringLiteral("-Send progress event\\. sent=\\d+ left=\\d+$")))
        nSent += s.section(QStringLiteral("sent="), 1).section(QLatin1Char(' '), 0, 0).toLongLong();
    EXPECT_EQ(nSent, qint64(sBytes.size()));

    w.client.Disconnect();
    EXPECT_TRUE(w.log.last().endsWith(QStringLiteral(":(Closed)-Close connection to server ...")));
    ASSERT_TRUE(server.WaitForEnd(10));
    EXPECT_EQ(TestEnv::ReadFile(w.env.Path("server/received-001.edi")), sBytes);
    EXPECT_TRUE(w.Incoming().isEmpty());  // nothing was received
    EXPECT_TRUE(w.env.ui.Messages().empty());
}

TEST(EdiClient, InterchangesAcrossPiecesAreAnnouncedAndKept)
{
    ClientWorld w;
    Peer peer;
    ASSERT_TRUE(w.ConnectTo(peer.server.serverPort()));
    QTcpSocket* server = peer.Accept();
    ASSERT_TRUE(server);
    auto sendAndWait = [&](const std::string& sText) {
        const qsizetype nBefore = w.Lines(QStringLiteral("^Rcv-")).size();
        server->write(sText.data(), qint64(sText.size()));
        return QTest::qWaitFor([&] { return w.Lines(QStringLiteral("^Rcv-")).size() > nBefore; }, 5000);
    };

    // One interchange in two pieces: one announcement, after the second.
    const std::size_t nCut = kInterchange.find("ST*850");
    ASSERT_TRUE(sendAndWait(kInterchange.substr(0, nCut)));
    EXPECT_TRUE(w.env.ui.Messages().empty());
    ASSERT_TRUE(sendAndWait(kInterchange.substr(nCut)));
    EXPECT_EQ(w.env.ui.Messages(), std::vector<std::string>{"An Transmission is received from parser."});
    EXPECT_EQ(w.env.ui.Calls()[0].icon, MsgIcon::Information);
    EXPECT_EQ(w.Lines(QStringLiteral("^Rcv-")),
              QStringList({QStringLiteral("Rcv-ISA*00*   "), QStringLiteral("Rcv-ST*850*000")}));
    ASSERT_EQ(w.Incoming().size(), 1);
    EXPECT_TRUE(w.Incoming()[0].endsWith(QStringLiteral("-001.edi")));
    EXPECT_EQ(w.IncomingText(w.Incoming()[0]), kInterchange.substr(0, kInterchange.size() - 2));
    EXPECT_EQ(w.Lines(QStringLiteral("-Interchange saved to .*") + w.Incoming()[0] + QStringLiteral("$")).size(), 1);

    // The server closes inside the next one: its start is kept, marked partial.
    w.env.ui.Clear();
    ASSERT_TRUE(sendAndWait(kInterchange + kInterchange.substr(0, nCut)));
    server->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.client.IsConnected(); }, 5000));
    EXPECT_EQ(w.Lines(QStringLiteral("-Server connection closed event$")).size(), 1);
    EXPECT_EQ(w.Lines(QStringLiteral("-Close connection to server \\.\\.\\.$")).size(), 1);
    const QStringList files = w.Incoming();
    ASSERT_EQ(files.size(), 3);
    EXPECT_TRUE(files[2].endsWith(QStringLiteral("-003-partial.edi")));
    EXPECT_EQ(w.Lines(QStringLiteral("-Unfinished interchange saved to .*-003-partial\\.edi$")).size(), 1);
    // Nothing received is lost: the files hold every byte, in order.
    EXPECT_EQ(w.IncomingText(files[0]) + w.IncomingText(files[1]) + w.IncomingText(files[2]),
              kInterchange + kInterchange + kInterchange.substr(0, nCut));
    EXPECT_EQ(w.env.ui.Messages(), (std::vector<std::string>{"An Transmission is received from parser.",
                                                             "Error detected in the incoming document.\r\n\r\n"
                                                             "Leftover data"}));
    EXPECT_EQ(w.env.ui.Calls()[1].icon, MsgIcon::Critical);

    // A new connection starts clean and never reuses a name.
    ASSERT_TRUE(w.ConnectTo(peer.server.serverPort()));
    server = peer.Accept();
    ASSERT_TRUE(sendAndWait(kInterchange));
    w.client.Disconnect();
    EXPECT_EQ(w.Incoming().size(), 4);
}

// A user who reads the announcement while the server hangs up: the message
// box runs the event loop inside the parser's call.
class WaitingUi final : public UiService {
public:
    WaitingUi() { gfSetUi(this); }
    ~WaitingUi() override { gfSetUi(nullptr); }
    MsgAnswer MsgBox(const std::string& sText, MsgButtons, MsgIcon, const std::string&) override
    {
        messages.push_back(sText);
        QTest::qWait(300);
        return MsgAnswer::OK;
    }
    std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    int ChooseFromList(const std::string&, const std::string&, const std::vector<std::string>&, int) override
    {
        return -1;
    }
    std::vector<std::string> messages;
};

TEST(EdiClient, ServerClosingDuringAnAnnouncementLosesNothing)
{
    ClientWorld w;
    WaitingUi ui;
    Peer peer;
    ASSERT_TRUE(w.ConnectTo(peer.server.serverPort()));
    QTcpSocket* server = peer.Accept();
    const std::string sText = kInterchange + "ISA*00*";
    server->write(sText.data(), qint64(sText.size()));
    server->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.client.IsConnected(); }, 5000));
    const QStringList files = w.Incoming();
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(w.IncomingText(files[0]) + w.IncomingText(files[1]), sText);
    EXPECT_EQ(ui.messages.size(), 2u);  // the announcement, then the leftover
}

TEST(EdiClient, RefusedConnectionIsLoggedAndNothingIsWritten)
{
    ClientWorld w;
    quint16 nPort = 0;
    {
        Peer closed;  // a port that was free a moment ago
        nPort = closed.server.serverPort();
    }
    bool bFailed = false;
    QObject::connect(&w.client, &clsEdiClient::ConnectFailed, [&] { bFailed = true; });
    w.client.SetRemote(QStringLiteral("127.0.0.1"), nPort);
    ASSERT_TRUE(w.client.Connect());
    ASSERT_TRUE(QTest::qWaitFor([&] { return bFailed; }, 5000));
    EXPECT_EQ(w.Lines(QStringLiteral("^\\d+:\\(Closed\\)-Error evnet:0 reason:Connection refused$")).size(), 1)
        << w.log.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(w.client.IsConnected());
    w.client.Disconnect();
    EXPECT_TRUE(w.Incoming().isEmpty());
    EXPECT_TRUE(w.env.ui.Messages().empty());
}

}  // namespace
}  // namespace orr
