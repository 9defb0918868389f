#pragma once
// The start-up steps that load the definitions, shared by both programs.
namespace orr {

// The window-free part of start-up, with gConfig and gSettings set: writes the
// first-run settings when they are new, keeps built schemas in the data
// folder's "cache", then gfLoadDefinitions.
bool gfStartCore();
// Locates and loads the definition container into gDefFiles, then runs
// gfSetupSettings; true when the main window may open.
bool gfLoadDefinitions();

}  // namespace orr
