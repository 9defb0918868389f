#include "shell/QtUi.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>

#include "shell/frmNewSegment.h"

namespace orr {
namespace {

QMessageBox::Icon ToQt(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::None: return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQt(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OK: return QMessageBox::Ok;
    case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// A message box sizes itself to its text only; a longer caption would be
// cut in the title bar. A spacer in its grid makes room for it.
void FitCaption(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const int nCaption = box.fontMetrics().horizontalAdvance(box.windowTitle()) + 160;  // icon and title buttons
    grid->addItem(new QSpacerItem(nCaption, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

// Engines ask through gfUi() with no window in hand, so their dialogs need one owner for the whole program.
QPointer<QWidget> gpDialogOwner;

}  // namespace

void QtUi::SetDialogOwner(QWidget* pOwner) { gpDialogOwner = pOwner; }

QWidget* QtUi::DialogParent()
{
    QWidget* pActive = QApplication::activeWindow();
    if (pActive && pActive->objectName() != QStringLiteral("frmSplash"))
        return pActive;
    return gpDialogOwner;
}

QString QtUi::ToDisplay(const std::string& sText)
{
    QString s = QString::fromLatin1(sText.data(), qsizetype(sText.size()));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

MsgAnswer QtUi::MsgBox(const std::string& sText, MsgButtons buttons, MsgIcon icon, const std::string& sTitle)
{
    QMessageBox box(ToQt(icon), ToDisplay(sTitle), ToDisplay(sText), ToQt(buttons), DialogParent());
    FitCaption(box);
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    default: return buttons == MsgButtons::OK ? MsgAnswer::OK : MsgAnswer::Cancel;
    }
}

std::optional<std::string> QtUi::InputBox(const std::string& sPrompt, const std::string& sTitle,
                                          const std::string& sDefault)
{
    bool bOk = false;
    const QString s = QInputDialog::getText(DialogParent(), ToDisplay(sTitle), ToDisplay(sPrompt),
                                            QLineEdit::Normal, ToDisplay(sDefault), &bOk);
    if (!bOk)
        return std::nullopt;
    return s.toLatin1().toStdString();
}

int QtUi::ChooseFromList(const std::string& sPrompt, const std::string& sTitle,
                         const std::vector<std::string>& items, int nSelected)
{
    QStringList lines;
    for (const std::string& item : items)
        lines << ToDisplay(item);
    return frmNewSegment::Choose(ToDisplay(sTitle), ToDisplay(sPrompt), lines, nSelected, DialogParent());
}

void QtUi::ProgressShow()
{
    if (!mProgress) {
        // The frame owns it, so it stays over the frame, not at a screen corner.
        QWidget* pOwner = gpDialogOwner;
        mProgress = new frmProgress(pOwner);
        mProgress->adjustSize();
        if (pOwner)
            mProgress->move(pOwner->frameGeometry().center() - mProgress->rect().center());
    }
    if (mProgress->isVisible())
        return;
    mProgress->show();
    // Painted before the work that follows blocks the event loop: the window
    // manager maps a new window only after a round trip.
    QElapsedTimer waited;
    waited.start();
    while (!mProgress->windowHandle()->isExposed() && waited.elapsed() < kExposeWaitMs)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    mProgress->repaint();
}

void QtUi::ProgressStatus(const std::string& sMessage)
{
    ProgressShow();
    mProgress->SetStatus(ToDisplay(sMessage));
    ProcessEvents();
}

void QtUi::ProgressRaise()
{
    if (mProgress)
        mProgress->raise();
}

void QtUi::ProgressHide()
{
    delete mProgress.data();
}

void QtUi::ProcessEvents() { QCoreApplication::processEvents(); }

}  // namespace orr
