#include "shell/frmConnSetup.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/clsConfig.h"
#include "app/modGlobals.h"

namespace orr {
namespace {

// The fields only show: what is typed would go nowhere.
QLineEdit* Field(QWidget* parent, const char* sName)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(sName));
    field->setReadOnly(true);
    return field;
}

}  // namespace

frmConnSetup::frmConnSetup(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmConnSetup"));
    setWindowTitle(QStringLiteral("Host TCP/IP Setup"));

    auto* host = new QGroupBox(QStringLiteral(" Host TCP/IP information "), this);
    txtIpAddress = Field(host, "txtIpAddress");
    txtPort = Field(host, "txtPort");
    auto* hostForm = new QFormLayout(host);
    hostForm->addRow(QStringLiteral("Host  IP Address:"), txtIpAddress);
    hostForm->addRow(QStringLiteral("TCP Port Number:"), txtPort);

    auto* mine = new QGroupBox(QStringLiteral(" My TCP/IP information "), this);
    txtLocalHostName = Field(mine, "txtLocalHostName");
    txtLocalIpAddress = Field(mine, "txtLocalIpAddress");
    txtLocalPort = Field(mine, "txtLocalPort");
    auto* mineForm = new QFormLayout(mine);
    mineForm->addRow(QStringLiteral("Local host name:"), txtLocalHostName);
    mineForm->addRow(QStringLiteral("Local IP address:"), txtLocalIpAddress);
    mineForm->addRow(QStringLiteral("TCP Port Number:"), txtLocalPort);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(host);
    layout->addWidget(mine);
    layout->addLayout(buttons);
    resize(380, 260);

    if (gConfig) {
        txtIpAddress->setText(QString::fromStdString(gConfig->ServerHost));
        txtPort->setText(QString::number(gConfig->ServerPort));
    }
}

}  // namespace orr
