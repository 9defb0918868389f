#include "doctree/modSaveFile.h"

#include <filesystem>
#include <system_error>

#include "app/UiService.h"
#include "app/modSystem.h"
#include "doctree/clsTreeDSave.h"

namespace orr {

namespace fs = std::filesystem;

namespace {

bool RealWrite(const std::string& sFile, const TreeNode& ndRoot, SepCode nDelimiter, SepCode nSelimiter,
               std::string& sError)
{
    clsTreeDSave saver;
    saver.SetDelimiter(nDelimiter);
    saver.SetSelimiter(nSelimiter);
    bool bSilent = false;
    const bool bOk = saver.SaveAs(sFile, ndRoot, bSilent);
    sError = saver.sError();
    return bOk;
}

void RealRename(const std::string& sFrom, const std::string& sTo) { fs::rename(sFrom, sTo); }

void RealForceRemove(const std::string& sFile)
{
    std::error_code ec;
    if (fs::remove(sFile, ec) || !fs::exists(fs::symlink_status(sFile)))
        return;
    // Read-only: give the owner write permission and try again; a second
    // refusal is the file system's and throws.
    fs::permissions(sFile, fs::perms::owner_write, fs::perm_options::add);
    fs::remove(sFile);
}

}  // namespace

std::string gfBackupName(const std::string& sFile) { return sFile + kBackupSuffix; }

bool gfIsFile(const std::string& sPath)
{
    std::error_code ec;
    const auto st = fs::status(sPath, ec);
    return !ec && fs::exists(st) && !fs::is_directory(st);
}

bool gfWriteToFile(const std::string& sFileName, const TreeNode& ndRoot, SepCode nDelimiter, SepCode nSelimiter,
                   bool& bChanged, const SaveFileOps& ops)
{
    if (sFileName.empty()) {
        gfIllogic(kSaveNoFileName);
        return false;
    }
    const auto write = ops.fnWrite ? ops.fnWrite : RealWrite;
    const auto rename = ops.fnRename ? ops.fnRename : RealRename;
    const auto forceRemove = ops.fnForceRemove ? ops.fnForceRemove : RealForceRemove;

    try {
        std::string sBackup;
        if (gfIsFile(sFileName)) {
            sBackup = gfBackupName(sFileName);
            if (gfIsFile(sBackup))
                forceRemove(sBackup);
            rename(sFileName, sBackup);
        }

        std::string sError;
        if (write(sFileName, ndRoot, nDelimiter, nSelimiter, sError)) {
            bChanged = false;
            return true;
        }

        if (gfIsFile(sFileName))
            forceRemove(sFileName);
        if (!sBackup.empty()) {
            if (gfIsFile(sBackup))
                rename(sBackup, sFileName);
            else
                gfMsgBox(kSaveNoBackup, MsgIcon::Information);
        }
        gfMsgBox(kSaveFailed + sError, MsgIcon::Critical);
        bChanged = true;
        return false;
    } catch (const std::exception& e) {
        gfReportRunTimeError(e);
        return false;
    }
}

}  // namespace orr
