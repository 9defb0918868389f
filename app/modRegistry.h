#pragma once
// Moves the persistent settings between the configuration object (gConfig)
// and the settings store (gSettings).
#include <string>

namespace orr {

// True when "AppName" in section "System" is missing or empty.
bool gfIsNewInstall();
// Fills the configuration from the store. Throws std::invalid_argument when a
// stored control number is not a number; the keys after it keep their values.
void gfReadRegistry();
// Saves every key, section "System" then "Edi".
void gfSaveRegistry();
// Writes the first-run values.
void gfWriteDefaultRegistry();

// Where first-run document folders go: beneath the user data directory.
std::string gfDefaultIncomingDir();
std::string gfDefaultOutgoingDir();

}  // namespace orr
