#pragma once
// Writes definition containers: the inverse of clsDefFiles' reader. Used by
// the build, by tests and by users who keep their own template files.
#include <string>
#include <vector>

namespace orr {

class clsDefPacker {
public:
    // Adds one contained file. Throws std::invalid_argument when the name and
    // description do not fit the directory's 80-character field.
    void AddFile(const std::string& sName, const std::string& sDescription, const std::string& sType,
                 const std::string& sData);
    // Adds every "*.def" file of a folder, sorted by name. Document definitions
    // ("doc...") get type "DD", all others "SD"; the description is the
    // argument of the file's first DESCRIPTION directive. Returns the count.
    int AddFolder(const std::string& sFolder);
    // Writes the container; throws std::system_error when it cannot.
    void Write(const std::string& sPath) const;

    std::size_t FileCount() const { return mFiles.size(); }

private:
    struct File {
        std::string sName, sDescription, sType, sData;
    };
    std::vector<File> mFiles;
};

// The argument of the first "???*DESCRIPTION*text" line of a DEF text, or "".
std::string gfDefDescription(const std::string& sDefText);

}  // namespace orr
