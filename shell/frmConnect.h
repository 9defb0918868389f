#pragma once
#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <string>

#include "net/clsEdiClient.h"

namespace orr {

// The EDI server client window: connects to the server, sends the chosen
// EDI file and logs every communication event; received interchanges are
// announced and written to the incoming documents folder by the client.
class frmConnect : public QDialog {
    Q_OBJECT
public:
    explicit frmConnect(QWidget* parent = nullptr);

    // The path of the file to send.
    void SetFileName(const std::string& sPath);

    void CmdConnectClick();
    void CmdSendClick();
    void CmdFileOpenClick();
    void MnuFileSetupClick();
    // Closes a connection that is not closed, then the window.
    void done(int nResult) override;

    clsEdiClient* tcpClient;
    QPushButton* cmdConnect;
    QPushButton* cmdSend;
    QPushButton* cmdExit;
    QPushButton* cmdFileOpen;
    QLineEdit* txtSend;
    QListWidget* lstEvents;
    QAction* mnuFileSetup;
    QAction* mnuFileExit;
    QAction* mnuHelpAbout;

private:
    void ShowState(const char* sState);
    void SetConnectButton(const char* sCaption, const QColor& colour);
    void ShowConnected();
    void ShowClosed();
};

}  // namespace orr
