#pragma once
// Menus of the frame and of its document windows, merged the way Qt MDI
// programs do: the frame's menu bar shows the active document window's
// menus in place of its own, and each document menu also holds every entry
// of the frame's menu of the same name that it lacks.
#include <QMenuBar>

namespace orr {

// Adds to each menu of into every entry of from's menu of the same object
// name that into's menu has neither by object name nor by caption (mnemonic
// marks aside), after the entry it follows in from; a menu into lacks
// entirely is added whole. The entries are shared, not copied.
void gfMergeMenuEntries(const QMenuBar* from, QMenuBar* into);

}  // namespace orr
