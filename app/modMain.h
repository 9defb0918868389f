#pragma once
// Start-up steps that need no window: settings and the definition container.
#include <string>

namespace orr {

// The window-free part of start-up, with gConfig and gSettings set: writes the
// first-run settings when they are new, then gfLoadDefinitions.
bool gfStartCore();
// Locates and loads the definition container into gDefFiles, then runs
// gfSetupSettings; true when the main window may open.
bool gfLoadDefinitions();
// Reads the settings and prepares the document directories; a step that
// fails is skipped.
void gfSetupSettings();
// "Version 0.1.0".
std::string gfVersionText();

inline constexpr const char* kFailedToStart = "Orrindale failed to start.";

}  // namespace orr
