#pragma once
// The process-wide objects (modGlobals) set for the life of a scope and put
// back as they were when it ends: a test, a benchmark or a command-line run
// sets them with one of these instead of by hand.
namespace orr {

class clsConfig;
class clsDefFiles;
class SettingsStore;

class GlobalsScope {
public:
    GlobalsScope(clsConfig* pConfig, SettingsStore* pSettings, clsDefFiles* pDefFiles = nullptr);
    // Only the definitions: the configuration and settings stay.
    explicit GlobalsScope(clsDefFiles* pDefFiles);
    ~GlobalsScope();
    GlobalsScope(const GlobalsScope&) = delete;
    GlobalsScope& operator=(const GlobalsScope&) = delete;

private:
    clsConfig* mpConfig;  // what was set before
    SettingsStore* mpSettings;
    clsDefFiles* mpDefFiles;
};

}  // namespace orr
