#include "shell/frmPrintView.h"

#include <QFile>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>

#include "app/UiService.h"
#include "shell/modPrintText.h"

namespace orr {

frmPrintView::frmPrintView(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPrintView"));
    setWindowTitle(QStringLiteral("Print Document"));
    rtb = new QPlainTextEdit(this);
    rtb->setObjectName(QStringLiteral("rtb"));
    rtb->setReadOnly(true);
    rtb->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    rtb->setFont(gfDefaultPrintFont());
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
    layout->addWidget(rtb, 1);
    layout->addLayout(buttons);
    resize(760, 560);

    connect(cmdFont, &QPushButton::clicked, this, &frmPrintView::CmdFontClick);
    connect(cmdPrint, &QPushButton::clicked, this, &frmPrintView::CmdPrintClick);
    connect(cmdCancel, &QPushButton::clicked, this, &frmPrintView::reject);
}

void frmPrintView::LoadFile(const std::string& sFile)
{
    msFile = sFile;
    QFile file(QString::fromLocal8Bit(sFile.c_str()));
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) {
        rtb->clear();
        gfMsgBox("Could not load file.", MsgIcon::Critical);
        return;
    }
    rtb->setPlainText(gfPrintableText(file.readAll()));
}

void frmPrintView::ShowPrintButtons(bool bShow)
{
    cmdFont->setVisible(bShow);
    cmdPrint->setVisible(bShow);
}

void frmPrintView::CmdFontClick()
{
    QFontDialog dlg(rtb->font(), this);
    if (dlg.exec() == QDialog::Accepted)
        rtb->setFont(dlg.selectedFont());
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
    return gfPrintText(device, rtb->toPlainText(), rtb->font(), msTitle) > 0;
}

void frmPrintView::reject()
{
    if (!msFile.empty())
        QFile::remove(QString::fromLocal8Bit(msFile.c_str()));
    QDialog::reject();
}

}  // namespace orr
