#include "shell/frmFA.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "app/modGlobals.h"
#include "edi/clsFA.h"
#include "shell/modFrmDocFile.h"

namespace orr {

frmFA::frmFA(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFA"));
    setWindowTitle(QStringLiteral("Create Functional Acknowledgement"));
    if (gConfig) {
        Delimiter = gConfig->Delimiter;
        Selimiter = gConfig->Selimiter;
    }
    txtInput = new QLineEdit(this);
    txtInput->setObjectName(QStringLiteral("txtInput"));
    txtOutput = new QLineEdit(this);
    txtOutput->setObjectName(QStringLiteral("txtOutput"));
    cmdInput = new QPushButton(QStringLiteral("..."), this);
    cmdInput->setObjectName(QStringLiteral("cmdInput"));
    cmdOutput = new QPushButton(QStringLiteral("..."), this);
    cmdOutput->setObjectName(QStringLiteral("cmdOutput"));
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Received EDI file:"), this), 0, 0);
    layout->addWidget(txtInput, 0, 1);
    layout->addWidget(cmdInput, 0, 2);
    layout->addWidget(new QLabel(QStringLiteral("997 output file:"), this), 1, 0);
    layout->addWidget(txtOutput, 1, 1);
    layout->addWidget(cmdOutput, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons, 2, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    resize(520, 130);

    connect(cmdInput, &QPushButton::clicked, this, [this] {
        const std::string sPath = gfOpenFileDialog();
        if (!sPath.empty())
            txtInput->setText(QString::fromStdString(sPath));
    });
    connect(cmdOutput, &QPushButton::clicked, this, [this] {
        const std::string sPath = gfSaveFileDialog();
        if (!sPath.empty())
            txtOutput->setText(QString::fromStdString(sPath));
    });
    connect(cmdOk, &QPushButton::clicked, this, &frmFA::CmdOkClick);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmFA::SetInputFile(const std::string& sPath) { txtInput->setText(QString::fromStdString(sPath)); }

void frmFA::CmdOkClick()
{
    std::string sInput = txtInput->text().toStdString();
    std::string sOutput = txtOutput->text().toStdString();
    const bool bClose = clsFA::DialogOk(sInput, sOutput, Delimiter);
    txtInput->setText(QString::fromStdString(sInput));
    txtOutput->setText(QString::fromStdString(sOutput));
    if (bClose)
        accept();
}

}  // namespace orr
