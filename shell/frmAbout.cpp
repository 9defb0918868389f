#include "shell/frmAbout.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/modMain.h"

namespace orr {

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Orrindale"));
    auto* title = new QLabel(QStringLiteral("<h2>Orrindale</h2>"), this);
    lblVersion = new QLabel(QString::fromStdString(gfVersionText()), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    auto* text = new QLabel(QStringLiteral("An editor and viewer for ANSI X12 EDI documents: open an interchange, "
                                           "see it beside its definition, edit, validate and save it."),
                            this);
    text->setWordWrap(true);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(lblVersion);
    layout->addWidget(text);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    layout->addLayout(buttons);
    setFixedWidth(380);
}

}  // namespace orr
