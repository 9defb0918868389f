#pragma once
// The commands of the menus and of the toolbar, once: each entry's object
// name and caption, the command it runs (the window's or the frame's) and
// its shortcuts, and the toolbar button (key, tooltip, icon) of those that
// have one. The document window's menus, the frame's own menus and the
// frame's toolbar are built from it.
#include <QKeySequence>
#include <QList>
#include <span>
#include <variant>

#include "shell/FrameServices.h"

namespace orr {

struct CommandDef {
    std::variant<DocCommand, FrameCommand> command;
    const char* sName;     // the menu entry's object name
    const char* sCaption;  // the menu entry's text
    QList<QKeySequence> shortcuts;
    const char* sButton = nullptr;  // the toolbar button's key; null: no button
    const char* sTooltip = nullptr;
    const char* sIcon = nullptr;
};

// Every entry; those with a button in the toolbar's order.
std::span<const CommandDef> gfCommandTable();
// The document window's entry with object name sName; it must exist.
const CommandDef& gfCommandNamed(const char* sName);
// The frame's own entry with object name sName: the frame's row where the
// frame runs another command or shows another caption, else the window's
// (a frame command); it must exist.
const CommandDef& gfFrameCommandNamed(const char* sName);

}  // namespace orr
