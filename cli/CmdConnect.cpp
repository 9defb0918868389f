// A session with an EDI server as the connection window holds one: every
// event log line on stdout, each received interchange into the incoming
// documents folder.
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <filesystem>

#include "app/modGlobals.h"
#include "cli/CliCommands.h"
#include "net/clsEdiClient.h"

namespace orr {
namespace {

int WholeNumber(const CliArgs& args, const std::string& sOption, int nMin, int nMax, int nDefault)
{
    const std::string sText = args.Option(sOption);
    if (sText.empty())
        return nDefault;
    std::size_t nUsed = 0;
    int nValue = nMin - 1;
    try {
        nValue = std::stoi(sText, &nUsed);
    } catch (const std::exception&) {
    }
    if (nUsed != sText.size() || nValue < nMin || nValue > nMax)
        throw UsageError(sOption + " needs a whole number from " + std::to_string(nMin) + " to " +
                         std::to_string(nMax));
    return nValue;
}

}  // namespace

int gfCmdConnect(const CliArgs& args)
{
    args.Require(1, {"--host", "--port", "--send", "--wait"});
    const int nPort = WholeNumber(args, "--port", 1, 65535, 0);
    const int nWait = WholeNumber(args, "--wait", 0, 24 * 3600, 10);
    const std::string sSend = args.Option("--send");
    std::error_code ec;
    if (!sSend.empty() && !std::filesystem::is_regular_file(sSend, ec)) {
        std::fprintf(stderr, "error: no file to send: %s\n", sSend.c_str());
        return 1;
    }
    CliSession session(args);
    if (!session.Start())
        return 1;

    clsEdiClient client;
    const std::string sHost = args.Option("--host");
    client.SetRemote(QString::fromStdString(sHost.empty() ? gConfig->ServerHost : sHost),
                     nPort ? nPort : gConfig->ServerPort);
    QEventLoop loop;
    bool bConnected = false;
    bool bDone = false;
    QObject::connect(&client, &clsEdiClient::LogAdded, [](const QString& sLine) {
        std::printf("%s\n", sLine.toLocal8Bit().constData());
        std::fflush(stdout);
    });
    QObject::connect(&client, &clsEdiClient::Connected, [&] {
        bConnected = true;
        client.SendFile(sSend);
    });
    // A refused or unreachable server ends the session at once.
    QObject::connect(&client, &clsEdiClient::ConnectFailed, [&] { client.Disconnect(); });
    QObject::connect(&client, &clsEdiClient::Closed, [&] {
        bDone = true;
        loop.quit();
    });
    QTimer::singleShot(nWait * 1000, &client, [&] { client.Disconnect(); });
    if (!client.Connect())
        return 1;
    if (!bDone)
        loop.exec();
    return bConnected ? 0 : 1;
}

}  // namespace orr
