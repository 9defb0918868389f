#pragma once
// The in-place editor of the document tree's labels: a line that will not
// take the document's element or segment separator, which would split the
// value when the document is written.
#include <QStyledItemDelegate>

namespace orr {

class LabelEditDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit LabelEditDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}

    // The characters a value may not hold.
    void SetSeparators(char cDelimiter, char cSelimiter);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QString msRefused;
};

}  // namespace orr
