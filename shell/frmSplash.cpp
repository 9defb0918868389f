#include "shell/frmSplash.h"

#include <QApplication>
#include <QEvent>
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
    qApp->installEventFilter(this);
    FormRegistry::Add(this);
}

frmSplash::~frmSplash() { FormRegistry::Remove(this); }

bool frmSplash::eventFilter(QObject* watched, QEvent* event)
{
    // A message or a dialog must never sit under the splash: it steps back
    // while one shows.
    if (event->type() == QEvent::Show && watched != this && watched->isWidgetType()) {
        const auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow() && (widget->windowType() == Qt::Dialog || widget->isModal()))
            hide();
    }
    return QWidget::eventFilter(watched, event);
}

void frmSplash::StartCloseTimer()
{
    show();
    raise();
    tmr->setInterval(3000);
    tmr->start();
}

}  // namespace orr
