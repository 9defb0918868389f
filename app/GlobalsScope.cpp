#include "app/GlobalsScope.h"

#include "app/modGlobals.h"

namespace orr {

GlobalsScope::GlobalsScope(clsConfig* pConfig, SettingsStore* pSettings, clsDefFiles* pDefFiles)
    : mpConfig(gConfig), mpSettings(gSettings), mpDefFiles(gDefFiles)
{
    gConfig = pConfig;
    gSettings = pSettings;
    gDefFiles = pDefFiles;
}

GlobalsScope::GlobalsScope(clsDefFiles* pDefFiles) : GlobalsScope(gConfig, gSettings, pDefFiles) {}

GlobalsScope::~GlobalsScope()
{
    gConfig = mpConfig;
    gSettings = mpSettings;
    gDefFiles = mpDefFiles;
}

}  // namespace orr
