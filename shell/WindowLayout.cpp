#include "shell/WindowLayout.h"

#include <QMdiSubWindow>
#include <QVariant>
#include <algorithm>

namespace orr {
namespace {

// The cascade step Place gave a sub-window, until the user or an
// arrangement moves it.
const char* const kPlacedIndex = "orrPlacedIndex";

}  // namespace

void WindowLayout::Place(QMdiArea& area, QMdiSubWindow* sub, int nIndex)
{
    const QRect rect = area.viewport()->rect();
    constexpr int kStep = 24, kSteps = 5;
    const int nOffset = kStep * (nIndex % (kSteps + 1));
    const QSize size(std::max(rect.width() - kStep * kSteps, std::min(rect.width(), 480)),
                     std::max(rect.height() - kStep * kSteps, std::min(rect.height(), 320)));
    sub->setGeometry(QRect(QPoint(nOffset, nOffset), size).intersected(rect));
    sub->setProperty(kPlacedIndex, nIndex);
}

void WindowLayout::RefitPlaced(QMdiArea& area)
{
    // A window opened before the frame had its final size (a file named at
    // start) follows the client area until the user moves or sizes it.
    for (QMdiSubWindow* sub : area.subWindowList())
        if (!sub->isMaximized() && !sub->isMinimized() && sub->property(kPlacedIndex).isValid())
            Place(area, sub, sub->property(kPlacedIndex).toInt());
}

void WindowLayout::ForgetPlace(QObject* sub) { sub->setProperty(kPlacedIndex, QVariant()); }

std::vector<QMdiSubWindow*> WindowLayout::Arrangeable(QMdiArea& area)
{
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : area.subWindowList(QMdiArea::CreationOrder))
        if (sub->isVisible() && !sub->isMinimized())
            windows.push_back(sub);
    return windows;
}

void WindowLayout::Tile(QMdiArea& area, Qt::Orientation along)
{
    const auto windows = Arrangeable(area);
    if (windows.empty())
        return;
    const QSize size = area.viewport()->size();
    const int n = int(windows.size());
    const QSize cell =
        along == Qt::Vertical ? QSize(size.width(), size.height() / n) : QSize(size.width() / n, size.height());
    const QPoint step = along == Qt::Vertical ? QPoint(0, cell.height()) : QPoint(cell.width(), 0);
    for (QMdiSubWindow* sub : windows)
        ForgetPlace(sub);
    for (int i = 0; i < n; ++i) {
        windows[std::size_t(i)]->showNormal();
        windows[std::size_t(i)]->setGeometry(QRect(step * i, cell));
    }
}

void WindowLayout::ArrangeIcons(QMdiArea& area)
{
    const QRect rect = area.viewport()->rect();
    int x = 0;
    for (QMdiSubWindow* sub : area.subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized())
            continue;
        const QSize size = sub->size();
        sub->move(x, rect.height() - size.height());
        x += size.width();
    }
}

}  // namespace orr
