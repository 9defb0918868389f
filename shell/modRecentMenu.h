#pragma once
// The recent-file entries of the windows' File menus: five actions named
// "mnuRecentFile0" (a separator line) to "mnuRecentFile4", rebuilt from the
// settings whenever the list changes.
class QWidget;

namespace orr {

class frmMain;

// Fills the frame's entries from the stored list; unused ones are hidden.
void gfLoadRecentMenu(frmMain& frame);
// Gives pWindow's entries the frame's captions and visibility.
void gfCopyRecentMenu(const frmMain& frame, QWidget* pWindow);
// gfLoadRecentMenu, then gfCopyRecentMenu for every document window.
void gfRefreshRecentMenus(frmMain& frame);

}  // namespace orr
