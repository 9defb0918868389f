#pragma once
// Where the document windows of the frame's client area go: a new window's
// place, the arrangements of the Window menu, and windows that follow the
// area's size until the user moves them.
#include <QMdiArea>
#include <vector>

class QMdiSubWindow;

namespace orr {

class WindowLayout {
public:
    // Most of the client area, each further window (by nIndex) one step
    // down and right; the window follows the area until ForgetPlace.
    static void Place(QMdiArea& area, QMdiSubWindow* sub, int nIndex);
    // Placed windows take their place again in the area's new size.
    static void RefitPlaced(QMdiArea& area);
    // The window was moved or sized by hand: it keeps where it is.
    static void ForgetPlace(QObject* sub);
    // The arrangeable windows in a row along the orientation, each a cell of equal size.
    static void Tile(QMdiArea& area, Qt::Orientation along);
    // Minimised windows in a row along the bottom edge.
    static void ArrangeIcons(QMdiArea& area);
    // The shown windows that are not minimised, in the order they were made.
    static std::vector<QMdiSubWindow*> Arrangeable(QMdiArea& area);
};

}  // namespace orr
