#pragma once
// The frame's own menus (File, Tools, View, Window, Help), shown in its menu
// bar while no document window is active.

namespace orr {

class frmMain;

class FrameMenus {
public:
    static void Build(frmMain& f);
};

}  // namespace orr
