#pragma once
// Start-up steps that need no window and no definitions: the settings and
// the version. Loading the definition container is schema/modStartup.
#include <string>

namespace orr {

// Reads the settings and prepares the document directories; a step that
// fails is skipped.
void gfSetupSettings();
// "Version 0.1.0".
std::string gfVersionText();

inline constexpr const char* kFailedToStart = "Orrindale failed to start.";

}  // namespace orr
