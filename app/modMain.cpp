#include "app/modMain.h"

#include <filesystem>
#include <memory>

#include "app/SettingsStore.h"
#include "app/UiService.h"
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "app/modRegistry.h"
#include "app/modSystem.h"

namespace orr {
namespace {

namespace fs = std::filesystem;

// One start-up statement; its failure is ignored and the next one runs.
template <typename F>
void Try(F&& step)
{
    try {
        step();
    } catch (...) {
    }
}

// An empty document directory gets its first-run value, saved back.
void FillEmptyDirectory(std::string& sField, const std::string& sKey, const std::string& sDefault)
{
    Try([&] {
        if (sField.empty()) {
            sField = sDefault;
            gSettings->Save(gConfig->SettingsApp, gConfig->SectionSystem, sKey, sField);
        }
    });
}

void CreateOneLevel(const std::string& sDir)
{
    std::error_code ec;
    if (!sDir.empty() && !fs::is_directory(sDir, ec))
        fs::create_directory(sDir, ec);  // a missing parent makes this fail, which is fine
}

}  // namespace

std::string gfVersionText()
{
    return "Version " + std::to_string(ORRINDALE_VERSION_MAJOR) + "." + std::to_string(ORRINDALE_VERSION_MINOR) +
           "." + std::to_string(ORRINDALE_VERSION_PATCH);
}

void gfSetupSettings()
{
    Try([] { gfReadRegistry(); });
    FillEmptyDirectory(gConfig->DirIncoming, "DirIncoming", gfDefaultIncomingDir());
    FillEmptyDirectory(gConfig->DirOutgoing, "DirOutgoing", gfDefaultOutgoingDir());
    CreateOneLevel(gConfig->DirOutgoing);
    CreateOneLevel(gConfig->DirIncoming);
    gConfig->OverWriteDefault();
}

}  // namespace orr
