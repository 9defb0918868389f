#include "schema/modStartup.h"

#include <filesystem>
#include <memory>
#include <string>

#include "app/UiService.h"
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "app/modMain.h"
#include "app/modRegistry.h"
#include "app/modSystem.h"
#include "schema/clsDefFiles.h"

namespace orr {
namespace {

std::unique_ptr<clsDefFiles> gpDefFilesOwned;

void ReportContainer(const std::string& sFirstLine)
{
    gfMsgBox(sFirstLine + "\r\n" + gConfig->DefinitionFile + "\r\n\r\n" + "Contact Quillmark, Inc.  (" +
                 kSupportEmail + ")",
             MsgIcon::Critical);
}

}  // namespace

bool gfStartCore()
{
    if (gfIsNewInstall())
        gfWriteDefaultRegistry();
    gConfig->SchemaCacheDir = (std::filesystem::path(gConfig->DataDir) / "cache").string();
    return gfLoadDefinitions();
}

bool gfLoadDefinitions()
{
    std::error_code ec;
    if (!std::filesystem::exists(gConfig->DefinitionFile, ec)) {
        ReportContainer("Could not find EDI document definition file:");
        return false;
    }
    gpDefFilesOwned = std::make_unique<clsDefFiles>();
    gDefFiles = gpDefFilesOwned.get();
    if (!gDefFiles->RefreshBinFile()) {
        ReportContainer("Could not read EDI document definition file:");
        return false;
    }
    gfSetupSettings();
    return true;
}

}  // namespace orr
