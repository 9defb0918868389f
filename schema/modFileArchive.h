#pragma once
// Small file helpers used when interchanges are received and saved.
#include <string>

namespace orr {

// Moves an existing file aside to "name.000" .. "name.999" (its last four
// characters, the extension, replaced); does nothing when all are taken or
// the file does not exist. Throws std::filesystem::filesystem_error.
void gfBackupByRenaming(const std::string& sFile);

// Creates or replaces a text file holding exactly sText. Throws std::system_error.
void gfWriteTextFile(const std::string& sFile, const std::string& sText);

// The whole content of a file. Throws std::system_error.
std::string gfReadFileBytes(const std::string& sFile);

}  // namespace orr
