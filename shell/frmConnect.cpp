#include "shell/frmConnect.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>

#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "shell/frmAbout.h"
#include "shell/frmConnSetup.h"
#include "shell/modFrmDocFile.h"

namespace orr {
namespace {

constexpr const char* kCaptionPrefix = "EDI Client Connection ";

QPushButton* Button(QWidget* parent, const char* sName, const char* sCaption, const char* sToolTip)
{
    auto* b = new QPushButton(QString::fromLatin1(sCaption), parent);
    b->setObjectName(QString::fromLatin1(sName));
    if (*sToolTip)
        b->setToolTip(QString::fromLatin1(sToolTip));
    return b;
}

}  // namespace

frmConnect::frmConnect(QWidget* parent) : QDialog(parent), tcpClient(new clsEdiClient(this))
{
    setObjectName(QStringLiteral("frmConnect"));
    if (gConfig)
        tcpClient->SetRemote(QString::fromStdString(gConfig->ServerHost), gConfig->ServerPort);

    cmdConnect = Button(this, "cmdConnect", "Connect", "Connect to EDI Server");
    cmdSend = Button(this, "cmdSend", "Send", "Send EDI file to Server");
    cmdExit = Button(this, "cmdExit", "Exit", "");
    cmdFileOpen = Button(this, "cmdFileOpen", "...", "Select EDI file to send");
    txtSend = new QLineEdit(this);
    txtSend->setObjectName(QStringLiteral("txtSend"));
    txtSend->setToolTip(QStringLiteral("EDI file to send"));
    lstEvents = new QListWidget(this);
    lstEvents->setObjectName(QStringLiteral("lstEvents"));
    lstEvents->setToolTip(QStringLiteral("Communication events log"));

    auto* bar = new QMenuBar(this);
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mnuFileSetup = file->addAction(QStringLiteral("&Setup .."), this, &frmConnect::MnuFileSetupClick);
    mnuFileSetup->setObjectName(QStringLiteral("mnuFileSetup"));
    mnuFileExit = file->addAction(QStringLiteral("&Exit"), this, &QDialog::reject);
    mnuFileExit->setObjectName(QStringLiteral("mnuFileExit"));
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpAbout = help->addAction(QStringLiteral("&About"), this, [this] { frmAbout(this).exec(); });
    mnuHelpAbout->setObjectName(QStringLiteral("mnuHelpAbout"));

    auto* layout = new QGridLayout(this);
    layout->setMenuBar(bar);
    auto* label = new QLabel(QStringLiteral("Document:"), this);
    label->setBuddy(txtSend);
    layout->addWidget(label, 0, 0);
    layout->addWidget(txtSend, 0, 1);
    layout->addWidget(cmdFileOpen, 0, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdConnect);
    buttons->addWidget(cmdSend);
    buttons->addStretch();
    buttons->addWidget(cmdExit);
    layout->addLayout(buttons, 1, 0, 1, 3);
    layout->addWidget(lstEvents, 2, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(2, 1);
    resize(600, 380);

    connect(cmdConnect, &QPushButton::clicked, this, &frmConnect::CmdConnectClick);
    connect(cmdSend, &QPushButton::clicked, this, &frmConnect::CmdSendClick);
    connect(cmdExit, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdFileOpen, &QPushButton::clicked, this, &frmConnect::CmdFileOpenClick);
    connect(tcpClient, &clsEdiClient::LogAdded, this, [this](const QString& sLine) {
        lstEvents->addItem(sLine);
        lstEvents->scrollToBottom();
    });
    connect(tcpClient, &clsEdiClient::Connected, this, &frmConnect::ShowConnected);
    connect(tcpClient, &clsEdiClient::Closed, this, &frmConnect::ShowClosed);
    ShowClosed();
}

void frmConnect::SetFileName(const std::string& sPath) { txtSend->setText(QString::fromStdString(sPath)); }

void frmConnect::ShowState(const char* sState)
{
    setWindowTitle(QString::fromLatin1(kCaptionPrefix) + QString::fromLatin1(sState));
}

void frmConnect::SetConnectButton(const char* sCaption, const QColor& colour)
{
    cmdConnect->setText(QString::fromLatin1(sCaption));
    QPalette palette = cmdConnect->palette();
    palette.setColor(QPalette::Button, colour);
    cmdConnect->setPalette(palette);
}

void frmConnect::ShowConnected()
{
    cmdSend->setEnabled(true);
    SetConnectButton("Disconnect", Qt::red);
    ShowState("Connected");
}

void frmConnect::ShowClosed()
{
    cmdSend->setEnabled(false);
    ShowState("Closed");
    SetConnectButton("Connect", Qt::green);
}

void frmConnect::CmdConnectClick()
{
    if (cmdConnect->text().toUpper() != QStringLiteral("CONNECT")) {
        tcpClient->Disconnect();
        return;
    }
    if (tcpClient->Connect())
        ShowState("Connection ...");
}

void frmConnect::CmdSendClick() { tcpClient->SendFile(txtSend->text().toStdString()); }

void frmConnect::CmdFileOpenClick()
{
    const std::string sPath = gfOpenFileDialog();
    if (!sPath.empty())
        SetFileName(sPath);
}

void frmConnect::MnuFileSetupClick()
{
    frmConnSetup setup(this);
    setup.txtLocalHostName->setText(tcpClient->LocalHostName());
    setup.txtLocalIpAddress->setText(tcpClient->LocalIpAddress());
    setup.txtLocalPort->setText(QString::number(tcpClient->LocalPort()));
    setup.exec();
}

void frmConnect::done(int nResult)
{
    if (tcpClient->State() != clsEdiClient::kStateClosed || tcpClient->IsConnected())
        tcpClient->Disconnect();
    QDialog::done(nResult);
}

}  // namespace orr
