#include "net/clsEdiClient.h"

#include <QDateTime>
#include <QFile>
#include <QHostInfo>
#include <QNetworkInterface>
#include <algorithm>
#include <exception>
#include <filesystem>

#include "app/UiService.h"
#include "app/modGlobals.h"
#include "app/modSystem.h"
#include "app/modText.h"
#include "schema/modFileArchive.h"

namespace orr {
namespace {

constexpr const char* kStateNames[] = {"Closed",     "Open",           "Listening",
                                       "Connection pending", "Resolving host", "Host resolved",
                                       "Connecting", "Connected",      "Peer is closing connection"};

// Shown in the log: the first characters of a received piece, with line
// ends and other control characters as blanks so the line stays one line.
QString Preview(const QByteArray& data)
{
    QString s = QString::fromLatin1(data.left(10));
    for (QChar& c : s)
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
    return s;
}

int SecondsSinceMidnight() { return QTime::currentTime().msecsSinceStartOfDay() / 1000; }

}  // namespace

clsEdiClient::clsEdiClient(QObject* pParent)
    : QObject(pParent), mSocket(new QTcpSocket(this)), mParser(NewParser())
{
    connect(mSocket, &QTcpSocket::connected, this, &clsEdiClient::OnConnected);
    connect(mSocket, &QTcpSocket::disconnected, this, &clsEdiClient::OnDisconnected);
    connect(mSocket, &QTcpSocket::readyRead, this, &clsEdiClient::OnReadyRead);
    connect(mSocket, &QTcpSocket::bytesWritten, this, &clsEdiClient::OnBytesWritten);
    connect(mSocket, &QTcpSocket::errorOccurred, this, &clsEdiClient::OnError);
    mTimer.setSingleShot(true);
    connect(&mTimer, &QTimer::timeout, this, &clsEdiClient::OnTimer);
}

clsEdiClient::~clsEdiClient()
{
    // The socket closes after this object is gone: no more events from it.
    mSocket->disconnect(this);
    if (mbLinked)
        SaveUnfinished();
}

QString clsEdiClient::StateName(int nState)
{
    if (nState >= 0 && nState < int(std::size(kStateNames)))
        return QString::fromLatin1(kStateNames[nState]);
    return QStringLiteral("??? state:") + QString::number(nState);
}

int clsEdiClient::StateNumber(QAbstractSocket::SocketState state)
{
    switch (state) {
    case QAbstractSocket::UnconnectedState: return 0;
    case QAbstractSocket::BoundState: return 1;
    case QAbstractSocket::ListeningState: return 2;
    case QAbstractSocket::HostLookupState: return 4;
    case QAbstractSocket::ConnectingState: return 6;
    case QAbstractSocket::ConnectedState: return 7;
    case QAbstractSocket::ClosingState: return 8;
    }
    return 100 + int(state);
}

QString clsEdiClient::LogLine(int nSeconds, int nState, const QString& sText)
{
    return QString::number(nSeconds) + QStringLiteral(":(") + StateName(nState) + QStringLiteral(")-") + sText;
}

void clsEdiClient::SetRemote(const QString& sHost, int nPort)
{
    msHost = sHost.trimmed().isEmpty() ? QStringLiteral("127.0.0.1") : sHost.trimmed();
    mnPort = nPort > 0 && nPort <= 65535 ? quint16(nPort) : quint16(1001);
}

bool clsEdiClient::Connect()
{
    if (!gConfig || gConfig->DirIncoming.empty() || gConfig->DirOutgoing.empty()) {
        gfMsgBox("You must set up Inbound AND outbound documents directory.\r\n"
                 "Use View menu then Option to set this up.",
                 MsgIcon::Information);
        return false;
    }
    AddLog(QStringLiteral("Open connect to server ..."));
    if (mSocket->state() != QAbstractSocket::UnconnectedState) {
        AddLog(QStringLiteral("Closing socket State:") + StateName(State()));
        if (mbLinked)
            Disconnect();
        else
            mSocket->abort();
    }
    mSocket->connectToHost(msHost, mnPort);
    mTimer.start(kConnectTimeoutMs);
    return true;
}

void clsEdiClient::Disconnect()
{
    if (mbInParse) {
        // A message box of the parser is open; close once it is done.
        mbClosePending = true;
        return;
    }
    mTimer.stop();
    const bool bWasLinked = mbLinked;
    if (bWasLinked)
        ReadArrived();
    mbLinked = false;
    mbClosePending = false;
    mSending.clear();
    mSocket->flush();
    mSocket->abort();
    AddLog(QStringLiteral("Close connection to server ..."));
    if (bWasLinked)
        FinishReceiving();
    emit Closed();
}

bool clsEdiClient::SendFile(const std::string& sPath)
{
    if (sPath.empty() || !mbLinked)
        return false;
    auto file = std::make_unique<QFile>(QString::fromStdString(sPath));
    if (!file->open(QIODevice::ReadOnly)) {
        gfReportRunTimeError(file->errorString().toStdString() + ": " + sPath, long(file->error()));
        return false;
    }
    if (file->size() == 0)
        return false;
    mSending.push_back(std::move(file));
    FeedSocket();
    return true;
}

void clsEdiClient::FeedSocket()
{
    // The file goes out piece by piece as the socket takes it, from the
    // event loop, so a long send neither stalls the window nor holds the
    // whole file in memory.
    constexpr qint64 kPiece = 256 * 1024;
    constexpr qint64 kAhead = 1024 * 1024;
    while (!mSending.empty() && mSocket->bytesToWrite() < kAhead) {
        QFile& file = *mSending.front();
        mPiece.resize(kPiece);
        const qint64 nRead = file.read(mPiece.data(), kPiece);
        if (nRead < 0)
            gfReportRunTimeError(file.errorString().toStdString() + ": " + file.fileName().toStdString(),
                                 long(file.error()));
        else if (nRead > 0)
            mSocket->write(mPiece.constData(), nRead);
        if (nRead <= 0 || file.atEnd())
            mSending.pop_front();
    }
}

qint64 clsEdiClient::SendLeft() const
{
    qint64 nLeft = mSocket->bytesToWrite();
    for (const auto& file : mSending)
        nLeft += file->size() - file->pos();
    return nLeft;
}

QString clsEdiClient::LocalHostName() const { return QHostInfo::localHostName(); }

QString clsEdiClient::LocalIpAddress() const
{
    if (!mSocket->localAddress().isNull())
        return mSocket->localAddress().toString();
    for (const QHostAddress& address : QNetworkInterface::allAddresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            return address.toString();
    return QStringLiteral("127.0.0.1");
}

void clsEdiClient::OnConnected()
{
    AddLog(QStringLiteral("Server connected event"));
    mTimer.stop();
    mbLinked = true;
    msStamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    mnFileSeq = 0;
    NextSaveFile();
    emit Connected();
}

void clsEdiClient::OnDisconnected()
{
    if (!mbLinked)
        return;  // our own close
    AddLog(QStringLiteral("Server connection closed event"));
    Disconnect();
}

void clsEdiClient::OnReadyRead()
{
    if (mbInParse)
        return;  // the running read takes this data too
    ReadArrived();
    if (mbClosePending)
        Disconnect();
}

void clsEdiClient::ReadArrived()
{
    while (mSocket->bytesAvailable() > 0) {
        const QByteArray data = mSocket->readAll();
        const QString sLine = QStringLiteral("Rcv-") + Preview(data);
        emit LogAdded(sLine);
        mbInParse = true;
        try {
            mParser->ParseData(std::string_view(data.constData(), std::size_t(data.size())));
        } catch (const std::exception& e) {
            // The parser has ended its input; the text stays for the unfinished file.
            gfReportRunTimeError(e);
        }
        mbInParse = false;
    }
}

void clsEdiClient::OnBytesWritten(qint64 nBytes)
{
    FeedSocket();
    const qint64 nLeft = SendLeft();
    AddLog(QStringLiteral("Send progress event. sent=%1 left=%2").arg(nBytes).arg(nLeft));
    if (nLeft == 0)
        AddLog(QStringLiteral("Send data complete event"));
}

void clsEdiClient::OnError(QAbstractSocket::SocketError error)
{
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;  // logged as the server's close
    AddLog(QStringLiteral("Error evnet:") + QString::number(int(error)) + QStringLiteral(" reason:") +
           mSocket->errorString());
    if (!mbLinked)
        emit ConnectFailed();
}

void clsEdiClient::OnTimer() { AddLog(QStringLiteral("Connection timer expired.  No connection.")); }

void clsEdiClient::AddLog(const QString& sText) { emit LogAdded(LogLine(SecondsSinceMidnight(), State(), sText)); }

std::unique_ptr<clsEdiAsyncParser> clsEdiClient::NewParser()
{
    auto parser = std::make_unique<clsEdiAsyncParser>(static_cast<EdiParserListener*>(this));
    parser->bIsaTrigger = true;  // interchange boundaries only
    return parser;
}

void clsEdiClient::NextSaveFile()
{
    const QString sDir = QString::fromStdString(gConfig->DirIncoming) + QLatin1Char('/');
    auto taken = [](const QString& sBase) {
        return QFile::exists(sBase + QStringLiteral(".edi")) || QFile::exists(sBase + QStringLiteral("-partial.edi"));
    };
    do {
        ++mnFileSeq;
        msFileBase = sDir + QStringLiteral("rcv-%1-%2").arg(msStamp).arg(mnFileSeq, 3, 10, QLatin1Char('0'));
    } while (taken(msFileBase));
    mParser->SetSaveFile((msFileBase + QStringLiteral(".edi")).toStdString());
}

QString clsEdiClient::SaveUnfinished()
{
    const std::string& sRest = mParser->UnsavedText();
    if (gfAllBlank(sRest))
        return {};
    const QString sPath = msFileBase + QStringLiteral("-partial.edi");
    try {
        gfWriteTextFile(sPath.toStdString(), sRest);
    } catch (const std::exception& e) {
        gfReportRunTimeError(e);
        return {};
    }
    return sPath;
}

void clsEdiClient::FinishReceiving()
{
    const QString sPath = SaveUnfinished();
    if (!sPath.isEmpty())
        AddLog(QStringLiteral("Unfinished interchange saved to ") + sPath);
    auto ended = std::move(mParser);
    mParser = NewParser();
    ended->EndData();  // says whether anything but blank text was left
}

void clsEdiClient::TriggerIsa(bool bBegin, std::string_view sSegment)
{
    if (bBegin)
        return;
    // The parser has just written the interchange to the current file.
    const QString sPath = msFileBase + QStringLiteral(".edi");
    if (QFile::exists(sPath))
        AddLog(QStringLiteral("Interchange saved to ") + sPath);
    NextSaveFile();
    gfMsgBox("An Transmission is received from parser.", MsgIcon::Information);
}

void clsEdiClient::ErrorDetected(std::int16_t nCode, const std::string& sError)
{
    gfMsgBox("Error detected in the incoming document.\r\n\r\n" + sError, MsgIcon::Critical);
}

}  // namespace orr
