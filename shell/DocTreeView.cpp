#include "shell/DocTreeView.h"

#include <QScrollBar>
#include <algorithm>

namespace orr {

DocTreeView::DocTreeView(QWidget* parent) : QTreeView(parent)
{
    // The scroll bar counts rows, which the cost estimate reads.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
}

void DocTreeView::RelayoutLater() { scheduleDelayedItemsLayout(); }

bool DocTreeView::RelayoutCheaper(const QModelIndex& index, qsizetype nOpenChildren) const
{
    const QScrollBar* bar = verticalScrollBar();
    const qint64 nRows = qint64(bar->maximum()) + bar->pageStep();
    const qint64 nRow = bar->value() + visualRect(index).top() / std::max(1, rowHeight(index));
    const qint64 nBelow = std::max<qint64>(0, nRows - nRow);
    // Measured: moving a row costs under a nanosecond, laying one out some
    // hundred times that.
    constexpr qint64 kLayoutPerMove = 128;
    return qint64(nOpenChildren) * (nBelow + nOpenChildren) > kLayoutPerMove * nRows;
}

}  // namespace orr
