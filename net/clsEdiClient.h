#pragma once
// The EDI server client without a window: one TCP connection to a server,
// files sent to it as they are, and received text fed to the segment parser,
// which announces each complete interchange. Every event becomes one log
// line; each received interchange is written to its own file in the incoming
// documents folder, and what is left unfinished when the connection ends is
// written too, so nothing received is lost. The connection window and the
// command-line tool both drive this class.
#include <QFile>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>
#include <deque>
#include <memory>
#include <string>

#include "edi/clsEdiAsyncParser.h"

namespace orr {

class clsEdiClient : public QObject, private EdiParserListener {
    Q_OBJECT
public:
    explicit clsEdiClient(QObject* pParent = nullptr);
    ~clsEdiClient() override;

    // The closed state's number, and how long a connection attempt may take
    // before the log says so.
    static constexpr int kStateClosed = 0;
    static constexpr int kConnectTimeoutMs = 30000;

    // "Closed", "Connecting", ...; "??? state:" and the number outside the table.
    static QString StateName(int nState);
    // Qt's socket states on the table's numbers; one the table lacks keeps
    // Qt's number plus 100, so the log names it as unknown.
    static int StateNumber(QAbstractSocket::SocketState state);
    // Seconds since midnight, ":(", the state's name, ")-" and the text.
    static QString LogLine(int nSeconds, int nState, const QString& sText);

    // The server; an empty host means 127.0.0.1, a port of 0 means 1001.
    void SetRemote(const QString& sHost, int nPort);

    // Starts connecting. False, after the message, when the incoming or the
    // outgoing documents folder is not set up.
    bool Connect();
    // Closes the connection (or the attempt); what was received and not yet
    // written is written first.
    void Disconnect();
    // Sends the file's bytes as they are, after any file still being sent;
    // an empty path or an empty file sends nothing. False when nothing is
    // sent.
    bool SendFile(const std::string& sPath);

    int State() const { return StateNumber(mSocket->state()); }
    bool IsConnected() const { return mbLinked; }

    QString LocalHostName() const;
    // The connection's own address, or this machine's first non-loopback
    // IPv4 address while there is none.
    QString LocalIpAddress() const;
    quint16 LocalPort() const { return mSocket->localPort(); }

signals:
    // One event log line.
    void LogAdded(const QString& sLine);
    void Connected();
    void Closed();
    // A socket error before the connection was made.
    void ConnectFailed();

private:
    void OnConnected();
    void OnDisconnected();
    void OnReadyRead();
    void OnBytesWritten(qint64 nBytes);
    void OnError(QAbstractSocket::SocketError error);
    void OnTimer();

    void FeedSocket();
    // Bytes of the files being sent that the system has not taken yet.
    qint64 SendLeft() const;
    void AddLog(const QString& sText);
    // Feeds everything that has arrived to the parser.
    void ReadArrived();
    std::unique_ptr<clsEdiAsyncParser> NewParser();
    // The next interchange of this connection goes to a new file.
    void NextSaveFile();
    // Writes the unfinished rest of the connection's text; the file's path,
    // or empty when nothing but blank text was left.
    QString SaveUnfinished();
    // SaveUnfinished with its log line, then ends the parser's input and
    // starts a new parser for the next connection.
    void FinishReceiving();

    void TriggerIsa(bool bBegin, std::string_view sSegment) override;
    void ErrorDetected(std::int16_t nCode, const std::string& sError) override;

    QTcpSocket* mSocket;
    std::deque<std::unique_ptr<QFile>> mSending;  // oldest first
    QByteArray mPiece;
    QTimer mTimer;
    std::unique_ptr<clsEdiAsyncParser> mParser;
    QString msHost = QStringLiteral("127.0.0.1");
    quint16 mnPort = 1001;
    bool mbLinked = false;     // connected, and not yet closed by either side
    bool mbInParse = false;    // the parser is running (a message box may be open)
    bool mbClosePending = false;
    QString msStamp;           // names this connection's files
    int mnFileSeq = 0;
    QString msFileBase;        // the current interchange's file, without ".edi"
};

}  // namespace orr
