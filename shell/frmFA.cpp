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
    optAckTA1 = new QRadioButton(QStringLiteral("TA1 Interchange Acknowledgment"), this);
    optAckTA1->setObjectName(QStringLiteral("optAckTA1"));
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
    layout->addWidget(optAckTA1, 4, 1);
    layout->addWidget(chkFindings, 5, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons, 6, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    resize(560, 240);

    // A 999 always reports what the check finds; a TA1 looks at the envelopes only.
    auto kindChanged = [this] {
        const bool b999 = optAck999->isChecked(), bTA1 = optAckTA1->isChecked();
        chkFindings->setChecked(b999 || (!bTA1 && chkFindings->isChecked() && chkFindings->isEnabled()));
        chkFindings->setEnabled(!b999 && !bTA1);
        chkFindings->setText(b999 ? QStringLiteral("Report the errors of the element check (IK3 to IK5, AK9)")
                                  : QStringLiteral("Report the errors of the element check (AK2 to AK5, AK9)"));
        lblOutput->setText(b999   ? QStringLiteral("999 output file:")
                           : bTA1 ? QStringLiteral("TA1 output file:")
                                  : QStringLiteral("997 output file:"));
    };
    for (QRadioButton* opt : {optAck997, optAck999, optAckTA1})
        connect(opt, &QRadioButton::toggled, this, kindChanged);

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
    clsFA fa;
    fa.SetDelimiter(Delimiter);
    fa.SetSelimiter(Selimiter);
    fa.SetKind(optAck999->isChecked()   ? AckKind::ImplementationAck999
               : optAckTA1->isChecked() ? AckKind::InterchangeAckTA1
                                        : AckKind::FunctionalAck997);
    if (chkFindings->isChecked())
        fa.SetChecker(&clsTreeDCheck::CheckFile);
    fa.SetSelfCheck(&clsTreeDCheck::CheckFile);
    const bool bClose = clsFA::DialogOk(sInput, sOutput, fa);
    txtInput->setText(QString::fromStdString(sInput));
    txtOutput->setText(QString::fromStdString(sOutput));
    if (bClose)
        accept();
}

}  // namespace orr
