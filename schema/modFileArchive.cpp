#include "schema/modFileArchive.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace orr {

namespace fs = std::filesystem;

void gfBackupByRenaming(const std::string& sFile)
{
    if (!fs::exists(sFile))
        return;
    const std::string sStem = sFile.size() >= 4 ? sFile.substr(0, sFile.size() - 4) : std::string();
    for (int n = 0; n <= 999; ++n) {
        char suffix[8];
        std::snprintf(suffix, sizeof suffix, ".%03d", n);
        const std::string sBackup = sStem + suffix;
        if (fs::exists(sBackup))
            continue;
        fs::copy_file(sFile, sBackup);
        fs::remove(sFile);
        return;
    }
}

void gfWriteTextFile(const std::string& sFile, const std::string& sText)
{
    std::ofstream out(sFile, std::ios::binary | std::ios::trunc);
    out.write(sText.data(), std::streamsize(sText.size()));
    out.close();
    if (!out)
        throw std::system_error(errno ? errno : EIO, std::generic_category(), sFile);
}

std::string gfReadFileBytes(const std::string& sFile)
{
    std::ifstream in(sFile, std::ios::binary);
    std::string sText;
    if (in) {
        in.seekg(0, std::ios::end);
        sText.resize(std::size_t(std::max<std::streamoff>(in.tellg(), 0)));
        in.seekg(0);
        in.read(sText.data(), std::streamsize(sText.size()));
    }
    if (!in)
        throw std::system_error(errno ? errno : EIO, std::generic_category(), sFile);
    return sText;
}

}  // namespace orr
