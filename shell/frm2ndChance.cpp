#include "shell/frm2ndChance.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "app/modGlobals.h"
#include "shell/modSeparatorBox.h"

namespace orr {

frm2ndChance::frm2ndChance(QWidget* parent) : QDialog(parent), mChoice(*gConfig)
{
    setObjectName(QStringLiteral("frm2ndChance"));
    setWindowTitle(QString::fromLatin1(k2ndChanceCaption));
    setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) + 160);  // the whole caption, with the title buttons

    cboSegment = new QComboBox(this);
    cboSegment->setObjectName(QStringLiteral("cboSegment"));
    cboDataElement = new QComboBox(this);
    cboDataElement->setObjectName(QStringLiteral("cboDataElement"));
    gfFillSeparatorBox(cboSegment, mChoice.Segment());
    gfFillSeparatorBox(cboDataElement, mChoice.DataElement());
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* note = new QLabel(QString::fromLatin1(k2ndChanceNote), this);
    note->setWordWrap(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QString::fromLatin1(k2ndChanceSegmentLabel), this), 0, 0);
    layout->addWidget(cboSegment, 1, 0);
    layout->addWidget(new QLabel(QString::fromLatin1(k2ndChanceDataElementLabel), this), 0, 1);
    layout->addWidget(cboDataElement, 1, 1);
    layout->addWidget(note, 2, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons, 3, 0, 1, 2);

    // OK is offered only while both lists show a separator.
    auto update = [this] { cmdOk->setEnabled(mChoice.CanOk()); };
    connect(cboSegment, &QComboBox::currentIndexChanged, this, [this, update](int n) {
        mChoice.SelectSegment(n);
        update();
    });
    connect(cboDataElement, &QComboBox::currentIndexChanged, this, [this, update](int n) {
        mChoice.SelectDataElement(n);
        update();
    });
    // Any separator may be typed in the notation, beyond the candidates listed.
    for (QComboBox* box : {cboSegment, cboDataElement}) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        connect(box, &QComboBox::editTextChanged, this, [this, box, update](const QString& sText) {
            const std::string s = sText.toLatin1().toStdString();
            if (box == cboSegment)
                mChoice.TypeSegment(s);
            else
                mChoice.TypeDataElement(s);
            update();
        });
    }
    update();
    connect(cmdOk, &QPushButton::clicked, this, &frm2ndChance::CmdOkClick);
    connect(cmdCancel, &QPushButton::clicked, this, &frm2ndChance::reject);
}

void frm2ndChance::CmdOkClick()
{
    if (mChoice.Ok())
        accept();
}

void frm2ndChance::reject()
{
    mChoice.Cancel();
    QDialog::reject();
}

std::optional<SeparatorPair> frm2ndChance::Choose(QWidget* parent)
{
    frm2ndChance dialog(parent);
    dialog.exec();
    return dialog.Choice();
}

}  // namespace orr
