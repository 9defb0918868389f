#include "shell/frmExportText.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "doctree/modExportFile.h"
#include "shell/modFrmDocFile.h"

namespace orr {

frmExportText::frmExportText(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmExportText"));
    setWindowTitle(QStringLiteral("Export EDI Document to Text File"));
    cboDelimiter = new QComboBox(this);
    cboDelimiter->setObjectName(QStringLiteral("cboDelimiter"));
    cboDelimiter->addItems({QStringLiteral("Tab"), QStringLiteral("Comma")});
    txtOutFile = new QLineEdit(this);
    txtOutFile->setObjectName(QStringLiteral("txtOutFile"));
    cmdSaveAs = new QPushButton(QStringLiteral("..."), this);
    cmdSaveAs->setObjectName(QStringLiteral("cmdSaveAs"));
    cmdSave = new QPushButton(QStringLiteral("&Save"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Delimiter:"), this), 0, 0);
    layout->addWidget(cboDelimiter, 0, 1, Qt::AlignLeft);
    layout->addWidget(new QLabel(QStringLiteral("Output File:"), this), 1, 0);
    layout->addWidget(txtOutFile, 1, 1);
    layout->addWidget(cmdSaveAs, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons, 2, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    resize(520, 120);

    // Nothing to write to until a file is named.
    cmdSave->setEnabled(false);
    connect(txtOutFile, &QLineEdit::textChanged, this,
            [this](const QString& s) { cmdSave->setEnabled(!s.trimmed().isEmpty()); });
    connect(cmdSaveAs, &QPushButton::clicked, this, [this] { gfChooseSaveFile(txtOutFile); });
    connect(cmdSave, &QPushButton::clicked, this, &frmExportText::CmdSaveClick);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmExportText::CmdSaveClick()
{
    const bool bComma = cboDelimiter->currentText() != QLatin1String("Tab");
    if (gfExportTextFile(txtOutFile->text().toStdString(), mndRoot, bComma))
        accept();
}

}  // namespace orr
