#include "shell/frmPrintView.h"

#include <QFile>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>

#include "app/UiService.h"
#include "shell/TextLineModel.h"
#include "shell/modPrintText.h"

namespace orr {

frmPrintView::frmPrintView(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPrintView"));
    setWindowTitle(QStringLiteral("Print Document"));
    lvwText = new QListView(this);
    lvwText->setObjectName(QStringLiteral("lvwText"));
    mLines = new TextLineModel(this);
    lvwText->setModel(mLines);
    lvwText->setUniformItemSizes(true);  // rows are never measured one by one
    lvwText->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvwText->setFont(gfDefaultPrintFont());
    cmdFont = new QPushButton(QStringLiteral("Select Font..."), this);
    cmdFont->setObjectName(QStringLiteral("cmdFont"));
    cmdPrint = new QPushButton(QStringLiteral("Print"), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdPrint->setDefault(true);
    cmdFont->setAutoDefault(false);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdFont);
    buttons->addStretch();
    buttons->addWidget(cmdPrint);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lvwText, 1);
    layout->addLayout(buttons);
    resize(900, 600);  // an ISA segment whole in the default font

    connect(cmdFont, &QPushButton::clicked, this, &frmPrintView::CmdFontClick);
    connect(cmdPrint, &QPushButton::clicked, this, &frmPrintView::CmdPrintClick);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmPrintView::LoadFile(const std::string& sFile)
{
    if (!mLines->Load(sFile))
        gfMsgBox("Could not load file.", MsgIcon::Critical);
}

QString frmPrintView::Text() const
{
    const std::string_view text = mLines->Text();
    return gfPrintableText(QByteArray::fromRawData(text.data(), qsizetype(text.size())));
}

void frmPrintView::ShowPrintButtons(bool bShow)
{
    cmdFont->setVisible(bShow);
    cmdPrint->setVisible(bShow);
}

void frmPrintView::CmdFontClick()
{
    QFontDialog dlg(lvwText->font(), this);
    if (dlg.exec() == QDialog::Accepted)
        lvwText->setFont(dlg.selectedFont());
}

void frmPrintView::CmdPrintClick()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    QPrintDialog dlg(&printer, this);
    dlg.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (dlg.exec() != QDialog::Accepted)
        return;
    if (!PrintOn(printer)) {
        gfMsgBox("The document could not be printed.", MsgIcon::Critical);
        return;
    }
    gfMsgBox("Document printed.", MsgIcon::Information);
    accept();
}

bool frmPrintView::PrintOn(QPagedPaintDevice& device)
{
    return gfPrintText(device, Text(), lvwText->font(), msTitle) > 0;
}

}  // namespace orr
