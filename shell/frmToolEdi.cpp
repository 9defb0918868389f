#include "shell/frmToolEdi.h"

#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>

#include "app/modGlobals.h"
#include "doctree/modExportFile.h"
#include "shell/modFrmDocFile.h"
#include "shell/modSeparatorBox.h"

namespace orr {
namespace {

SepCode Code(const QComboBox* box) { return clsConfig::S2N(box->currentText().toLatin1().toStdString()); }

}  // namespace

frmToolEdi::frmToolEdi(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmToolEdi"));
    setWindowTitle(QStringLiteral("Save in a Different EDI format"));
    cboDelimiter = new QComboBox(this);
    cboDelimiter->setObjectName(QStringLiteral("cboDelimiter"));
    cboSelimiter = new QComboBox(this);
    cboSelimiter->setObjectName(QStringLiteral("cboSelimiter"));
    if (gConfig) {
        gfFillSeparatorBox(cboDelimiter, gConfig->PopulateDelimiter());
        gfFillSeparatorBox(cboSelimiter, gConfig->PopulateSelimiter());
    }
    txtOutFile = new QLineEdit(QDir::toNativeSeparators(QDir::currentPath() + QStringLiteral("/New.edi")), this);
    txtOutFile->setObjectName(QStringLiteral("txtOutFile"));
    cmdOutFile = new QPushButton(QStringLiteral("..."), this);
    cmdOutFile->setObjectName(QStringLiteral("cmdOutFile"));
    cmdSave = new QPushButton(QStringLiteral("Save"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* file = new QHBoxLayout;
    file->addWidget(txtOutFile, 1);
    file->addWidget(cmdOutFile);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Data Element Separator:"), cboDelimiter);
    form->addRow(QStringLiteral("Segment Separator:"), cboSelimiter);
    form->addRow(QStringLiteral("Save new document in:"), file);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(520, 150);

    // Nothing to write to until a file is named.
    connect(txtOutFile, &QLineEdit::textChanged, this,
            [this](const QString& s) { cmdSave->setEnabled(!s.trimmed().isEmpty()); });
    connect(cmdOutFile, &QPushButton::clicked, this, [this] { gfChooseSaveFile(txtOutFile); });
    connect(cmdSave, &QPushButton::clicked, this, &frmToolEdi::CmdSaveClick);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmToolEdi::CmdSaveClick()
{
    if (gfConvertEdiFile(txtOutFile->text().toStdString(), mndRoot, Code(cboDelimiter), Code(cboSelimiter)))
        accept();
}

}  // namespace orr
