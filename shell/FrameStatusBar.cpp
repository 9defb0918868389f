#include "shell/FrameStatusBar.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>

namespace orr {

FrameStatusBar::FrameStatusBar(QMainWindow& frame) : QObject(&frame)
{
    sbStatusBar = frame.statusBar();
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    auto panel = [&frame](const char* sName, const QString& sText) {
        auto* l = new QLabel(sText, &frame);
        l->setObjectName(QString::fromLatin1(sName));
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    sbText = panel("sbText", {});
    sbText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    sbStatusBar->addWidget(sbText, 1);
    sbDate = panel("sbDate", {});
    sbTime = panel("sbTime", {});
    sbIns = panel("sbIns", QStringLiteral("INS"));
    sbCaps = panel("sbCaps", QStringLiteral("CAPS"));
    sbNum = panel("sbNum", QStringLiteral("NUM"));
    for (QLabel* l : {sbDate, sbTime, sbIns, sbCaps, sbNum})
        sbStatusBar->addPermanentWidget(l);
    mClock = new QTimer(this);
    connect(mClock, &QTimer::timeout, this, [this] {
        UpdateClock();
        emit ticked();
    });
    mClock->start(1000);
    UpdateClock();
    UpdateKeyPanels();
}

void FrameStatusBar::UpdateClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    sbDate->setText(locale.toString(now.date(), QLocale::ShortFormat));
    sbTime->setText(locale.toString(now.time(), QLocale::ShortFormat));
}

void FrameStatusBar::UpdateKeyPanels()
{
    // A panel whose key is off is shown greyed out.
    sbIns->setEnabled(mbIns);
    sbCaps->setEnabled(mbCaps);
    sbNum->setEnabled(mbNum);
}

void FrameStatusBar::KeyTyped(const QKeyEvent& key)
{
    const bool bShift = key.modifiers() & Qt::ShiftModifier;
    const QString sText = key.text();
    switch (key.key()) {
    case Qt::Key_Insert: mbIns = !mbIns; break;
    case Qt::Key_CapsLock: mbCaps = !mbCaps; break;
    case Qt::Key_NumLock: mbNum = !mbNum; break;
    default:
        if (sText.size() == 1 && sText[0].isLetter() && sText[0].toUpper() != sText[0].toLower())
            mbCaps = sText[0].isUpper() != bShift;
        else if (key.modifiers() & Qt::KeypadModifier)
            mbNum = key.key() >= Qt::Key_0 && key.key() <= Qt::Key_9;
        break;
    }
    UpdateKeyPanels();
}

}  // namespace orr
