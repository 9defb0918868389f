#pragma once
// The document window's save with a one-generation backup (WriteToFile), as a
// core function the shell calls and tests drive: the
// previous file is renamed to "<file> Backup", the tree is written with
// clsTreeDSave, and on a failed write the partial file is deleted and the
// backup renamed back. At every moment either the new file or the backup
// that can be moved back exists.
#include <functional>
#include <string>

#include "app/clsConfig.h"
#include "store/TreeNode.h"

namespace orr {

// Appended to the full file name to name the backup: "C:\a.edi Backup".
inline constexpr const char* kBackupSuffix = " Backup";

// Messages of WriteToFile, exactly.
inline constexpr const char* kSaveNoFileName = "WriteToFile:No file name.";       // gfIllogic detail
inline constexpr const char* kSaveNoBackup = "No backup file can be restore.";    // information icon
inline constexpr const char* kSaveFailed = "File save failed.\r\n\r\nError:";     // + writer's sError, critical

// The backup's name for a file.
std::string gfBackupName(const std::string& sFile);
// An existing path that is not a directory.
bool gfIsFile(const std::string& sPath);

// The file-system steps WriteToFile uses. An empty member means the real
// operation; tests put failures in. The rename and remove members report a
// refusal by throwing (std::filesystem::filesystem_error, as the real ones
// do); the writer returns false and puts its description in sError.
struct SaveFileOps {
    std::function<bool(const std::string& sFile, const TreeNode& ndRoot, SepCode nDelimiter, SepCode nSelimiter,
                       std::string& sError)>
        fnWrite;
    std::function<void(const std::string& sFrom, const std::string& sTo)> fnRename;
    // Deletes a file, also when it is read-only.
    std::function<void(const std::string& sFile)> fnForceRemove;
};

// WriteToFile: saves ndRoot's document to sFileName with the
// window's separators. The writer is clsTreeDSave::SaveAs with bSilent
// false (it may ask about line breaks). On success bChanged is cleared and
// the backup stays on disk; on a failed write the previous version is
// restored from the backup ("No backup file can be restore." when the
// backup is gone), "File save failed." CR LF CR LF "Error:" + the writer's
// error is shown, and bChanged is set. A run-time failure of the file system
// (a rename refused) is shown with gfReportRunTimeError and ends the save
// with false, without restoring: the previous content then still lies under
// the file's name or under the backup's name. An empty file name is an
// illogic report ("WriteToFile:No file name.").
bool gfWriteToFile(const std::string& sFileName, const TreeNode& ndRoot, SepCode nDelimiter, SepCode nSelimiter,
                   bool& bChanged, const SaveFileOps& ops = {});

}  // namespace orr
