#pragma once
// The help manual: HTML files in the "help" folder of the install directory
// (or beside the program).
#include <QString>

class QWidget;

namespace orr {

// The manual's first page, or empty when the program has none.
QString gfHelpFile();

// Shows the manual in its window (one window, brought to the front when
// already open); the window belongs to pOwner.
void gfShowHelp(QWidget* pOwner);

}  // namespace orr
