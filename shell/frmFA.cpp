#include "shell/frmFA.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "app/modGlobals.h"
#include "doctree/clsTreeDCheck.h"
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

    optAck997 = new QRadioButton(QStringLiteral("997 Functional Acknowledgment"), this);
    optAck997->setObjectName(QStringLiteral("optAck997"));
    optAck997->setChecked(true);
    optAck999 = new QRadioButton(QStringLiteral("999 Implementation Acknowledgment (005010X231A1)"), this);
    optAck999->setObjectName(QStringLiteral("optAck999"));
    chkFindings = new QCheckBox(QStringLiteral("Report the errors of the element check (AK2 to AK5, AK9)"), this);
    chkFindings->setObjectName(QStringLiteral("chkFindings"));
    lblOutput = new QLabel(QStringLiteral("997 output file:"), this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Received EDI file:"), this), 0, 0);
    layout->addWidget(txtInput, 0, 1);
    layout->addWidget(cmdInput, 0, 2);
    layout->addWidget(lblOutput, 1, 0);
    layout->addWidget(txtOutput, 1, 1);
    layout->addWidget(cmdOutput, 1, 2);
    layout->addWidget(optAck997, 2, 1);
    layout->addWidget(optAck999, 3, 1);
    layout->addWidget(chkFindings, 4, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons, 5, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    resize(560, 210);

    // A 999 always reports what the check finds.
    connect(optAck999, &QRadioButton::toggled, this, [this](bool b999) {
        chkFindings->setChecked(b999);
        chkFindings->setEnabled(!b999);
        chkFindings->setText(b999 ? QStringLiteral("Report the errors of the element check (IK3 to IK5, AK9)")
                                  : QStringLiteral("Report the errors of the element check (AK2 to AK5, AK9)"));
        lblOutput->setText(b999 ? QStringLiteral("999 output file:") : QStringLiteral("997 output file:"));
    });

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
    const AckKind kind = optAck999->isChecked() ? AckKind::ImplementationAck999 : AckKind::FunctionalAck997;
    clsFA::Checker fnCheck;
    if (chkFindings->isChecked() || kind == AckKind::ImplementationAck999)
        fnCheck = &clsTreeDCheck::CheckFile;
    const bool bClose = clsFA::DialogOk(sInput, sOutput, Delimiter, {}, kind, fnCheck);
    txtInput->setText(QString::fromStdString(sInput));
    txtOutput->setText(QString::fromStdString(sOutput));
    if (bClose)
        accept();
}

}  // namespace orr
