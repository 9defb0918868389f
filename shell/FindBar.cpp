#include "shell/FindBar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyle>
#include <QToolButton>

#include "doctree/clsTreeDFind.h"

namespace orr {

FindBar::FindBar(EdiDocument& doc, QWidget* parent) : QToolBar(QStringLiteral("Find"), parent), mDoc(doc)
{
    setObjectName(QStringLiteral("FindBar"));
    setMovable(false);
    addWidget(new QLabel(QStringLiteral("Find: "), this));
    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setPlaceholderText(QStringLiteral("segment text, e.g. N1*ST"));
    txtFind->setClearButtonEnabled(true);
    txtFind->setMinimumWidth(260);
    txtFind->setMaximumWidth(480);
    addWidget(txtFind);
    chkRegex = new QCheckBox(QStringLiteral("Regular e&xpression"), this);
    chkRegex->setObjectName(QStringLiteral("chkRegex"));
    chkMatchCase = new QCheckBox(QStringLiteral("Match &case"), this);
    chkMatchCase->setObjectName(QStringLiteral("chkMatchCase"));
    addWidget(chkRegex);
    addWidget(chkMatchCase);

    actFind = new QAction(QStringLiteral("&Find..."), this);
    actFind->setObjectName(QStringLiteral("mnuEditFind"));
    actFind->setShortcut(QKeySequence::Find);
    connect(actFind, &QAction::triggered, this, &FindBar::Start);
    actFindNext = new QAction(QStringLiteral("Find &Next"), this);
    actFindNext->setObjectName(QStringLiteral("mnuEditFindNext"));
    actFindNext->setShortcut(Qt::Key_F3);
    connect(actFindNext, &QAction::triggered, this, [this] {
        if (txtFind->text().isEmpty())
            Start();
        else
            FindNext();
    });
    addAction(actFindNext);
    lblResult = new QLabel(this);
    lblResult->setObjectName(QStringLiteral("lblResult"));
    lblResult->setContentsMargins(8, 0, 8, 0);
    addWidget(lblResult);
    QAction* close = addAction(style()->standardIcon(QStyle::SP_TitleBarCloseButton), QStringLiteral("Close"));
    connect(close, &QAction::triggered, this, &QWidget::hide);

    connect(txtFind, &QLineEdit::returnPressed, this, &FindBar::FindNext);
    connect(txtFind, &QLineEdit::textChanged, lblResult, &QLabel::clear);
    hide();
}

void FindBar::Start()
{
    show();
    txtFind->setFocus();
    txtFind->selectAll();
}

bool FindBar::FindNext()
{
    clsTreeDFind find;
    find.SetDelimiter(mDoc.Delimiter());
    if (mDoc.Busy() || !mDoc.HasRoot())
        return false;
    if (!find.SetQuery({txtFind->text().toLatin1().toStdString(), chkRegex->isChecked(), chkMatchCase->isChecked()})) {
        lblResult->setText(QString::fromStdString(find.sError()));
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const clsTreeDFind::Hit hit = find.FindNext(mDoc.Tree(), mDoc.Root().Id(), mDoc.Current());
    QApplication::restoreOverrideCursor();
    if (!hit.node) {
        lblResult->setText(QStringLiteral("Not found."));
        return false;
    }
    lblResult->setText(hit.bWrapped ? QStringLiteral("Continued from the top.") : QString());
    // The view expands the path to it as it scrolls there.
    mDoc.Tree().ScrollIntoView(hit.node);
    mDoc.SetCurrent(hit.node);
    return true;
}

void FindBar::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QToolBar::keyPressEvent(event);
}

}  // namespace orr
