#include "shell/LabelEditDelegate.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace orr {

void LabelEditDelegate::SetSeparators(char cDelimiter, char cSelimiter)
{
    msRefused = QString::fromLatin1(&cDelimiter, 1) + QString::fromLatin1(&cSelimiter, 1);
}

QWidget* LabelEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor); line && !msRefused.isEmpty()) {
        const QString sPattern = QStringLiteral("[^%1]*").arg(QRegularExpression::escape(msRefused));
        line->setValidator(new QRegularExpressionValidator(QRegularExpression(sPattern), line));
    }
    return editor;
}

}  // namespace orr
