#include "shell/frmSplash.h"

#include <QVBoxLayout>

#include "app/modMain.h"
#include "shell/FormRegistry.h"

namespace orr {

frmSplash::frmSplash(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* title = new QLabel(QStringLiteral("<h1>Orrindale</h1><p>ANSI X12 EDI editor</p>"), this);
    title->setAlignment(Qt::AlignCenter);
    lblVersion = new QLabel(QString::fromStdString(gfVersionText()), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(48, 32, 48, 32);
    layout->addWidget(title);
    layout->addWidget(lblVersion);
    tmr = new QTimer(this);
    tmr->setSingleShot(true);
    connect(tmr, &QTimer::timeout, this, &QWidget::close);
    FormRegistry::Add(this);
}

frmSplash::~frmSplash() { FormRegistry::Remove(this); }

void frmSplash::StartCloseTimer()
{
    raise();
    tmr->setInterval(3000);
    tmr->start();
}

}  // namespace orr
