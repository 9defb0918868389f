#pragma once
// Process-wide objects, set once by start-up (tests set their own).

namespace orr {

class clsConfig;
class clsDefFiles;
class SettingsStore;

inline clsConfig* gConfig = nullptr;      // all settings and paths
inline clsDefFiles* gDefFiles = nullptr;  // the loaded definition container and templates
inline SettingsStore* gSettings = nullptr;

}  // namespace orr
