#include "shell/DocTreeView.h"

#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>

namespace orr {

DocTreeView::DocTreeView(QWidget* parent) : QTreeView(parent)
{
    // The scroll bar counts rows, which the cost estimate reads.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
}

void DocTreeView::RelayoutLater() { scheduleDelayedItemsLayout(); }

void DocTreeView::FitColumn()
{
    const int nWidth = sizeHintForColumn(0);
    if (nWidth > header()->sectionSize(0))
        header()->resizeSection(0, nWidth);
}

void DocTreeView::doItemsLayout()
{
    QTreeView::doItemsLayout();
    FitColumn();
}

void DocTreeView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    // Each pass opens at most a screenful of rows; a few passes settle it.
    for (int nPass = 0; nPass < 8; ++nPass) {
        QTreeView::scrollTo(index, hint);
        const QRect rect = visualRect(index);
        if (rect.isEmpty() || viewport()->rect().contains(rect.topLeft()))
            return;
    }
}

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
