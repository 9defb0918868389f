#include "shell/frmNewSegment.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace orr {

frmNewSegment::frmNewSegment(const QString& sTitle, const QString& sPrompt, const QStringList& lines, int nSelected,
                             QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmNewSegment"));
    setWindowTitle(sTitle);
    lblTitle = new QLabel(sPrompt, this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lstLoops = new QListWidget(this);
    lstLoops->setObjectName(QStringLiteral("lstLoops"));
    lstLoops->addItems(lines);
    lstLoops->setSelectionMode(QAbstractItemView::SingleSelection);
    if (nSelected >= 0 && nSelected < lstLoops->count())
        lstLoops->setCurrentRow(nSelected);
    else
        lstLoops->setCurrentRow(-1);
    cmdOk = new QPushButton(QStringLiteral("&Select"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle);
    layout->addWidget(lstLoops);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);
    // Wide enough for the longest line without scrolling sideways.
    resize(std::max(360, lstLoops->sizeHintForColumn(0) + 60), 300);

    connect(cmdOk, &QPushButton::clicked, this, &frmNewSegment::CmdOkClick);
    connect(cmdCancel, &QPushButton::clicked, this, &frmNewSegment::reject);
    connect(lstLoops, &QListWidget::itemDoubleClicked, this, &frmNewSegment::CmdOkClick);
}

void frmNewSegment::CmdOkClick()
{
    mnChosenIndex = lstLoops->selectedItems().isEmpty() ? -1 : lstLoops->currentRow();
    accept();
}

int frmNewSegment::Choose(const QString& sTitle, const QString& sPrompt, const QStringList& lines, int nSelected,
                          QWidget* parent)
{
    frmNewSegment dlg(sTitle, sPrompt, lines, nSelected, parent);
    dlg.exec();
    return dlg.ChosenIndex();
}

}  // namespace orr
