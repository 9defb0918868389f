#include "schema/clsDefPacker.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "app/modText.h"
#include "schema/DefContainerFormat.h"
#include "schema/clsDefFiles.h"

namespace orr {

using namespace defformat;
namespace fs = std::filesystem;

std::string gfDefDescription(const std::string& sDefText)
{
    std::istringstream in(sDefText);
    std::string sLine;
    while (std::getline(in, sLine)) {
        if (!sLine.empty() && sLine.back() == '\r')
            sLine.pop_back();
        sLine = gfTrimBlanks(std::move(sLine));
        const std::string sPrefix = "???*DESCRIPTION*";
        if (sLine.size() >= sPrefix.size() && gfSameName(sLine.substr(0, sPrefix.size()), sPrefix))
            return gfTrimBlanks(sLine.substr(sPrefix.size()));
    }
    return {};
}

void clsDefPacker::AddFile(const std::string& sName, const std::string& sDescription, const std::string& sType,
                           const std::string& sData)
{
    std::string sField = sDescription.empty() ? sName : sName + "*" + sDescription;
    if (sName.empty() || sName.find('*') != std::string::npos || sField.size() > kEntryNameSize)
        throw std::invalid_argument("name and description of \"" + sName + "\" exceed " +
                                    std::to_string(kEntryNameSize) + " characters or contain \"*\"");
    if (sData.size() > std::size_t(std::numeric_limits<std::int32_t>::max()))
        throw std::invalid_argument("\"" + sName + "\" is too large for a container");
    mFiles.push_back({sName, sDescription, sType, sData});
}

int clsDefPacker::AddFolder(const std::string& sFolder)
{
    std::vector<fs::path> paths;
    for (const auto& item : fs::directory_iterator(sFolder)) {
        const std::string sExt = item.path().extension().string();
        if (item.is_regular_file() && gfSameName(sExt, ".def"))
            paths.push_back(item.path());
    }
    std::sort(paths.begin(), paths.end());
    for (const fs::path& path : paths) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream data;
        data << in.rdbuf();
        if (!in)
            throw std::system_error(errno, std::generic_category(), path.string());
        const std::string sName = path.filename().string();
        const bool bDoc = sName.size() >= 3 && gfSameName(sName.substr(0, 3), "doc");
        AddFile(sName, gfDefDescription(data.str()), bDoc ? "DD" : "SD", data.str());
    }
    return int(paths.size());
}

void clsDefPacker::Write(const std::string& sPath) const
{
    const std::size_t nDirPos = kHeaderSize + 1;
    std::size_t nDataPos = kHeaderSize + mFiles.size() * kEntrySize + 1;
    std::string sOut(nDataPos - 1, ' ');
    auto* bytes = reinterpret_cast<unsigned char*>(sOut.data());
    sOut[0] = sOut[1] = 'O';
    WriteInt32(bytes + kHeaderCountAt, std::int32_t(mFiles.size()));
    WriteInt32(bytes + kHeaderDirAt, mFiles.empty() ? 0 : std::int32_t(nDirPos));

    for (std::size_t k = 0; k < mFiles.size(); ++k) {
        const File& f = mFiles[k];
        if (nDataPos - 1 + f.sData.size() > std::size_t(std::numeric_limits<std::int32_t>::max()))
            throw std::system_error(std::make_error_code(std::errc::file_too_large), sPath);
        unsigned char* entry = bytes + kHeaderSize + k * kEntrySize;
        std::string sType = (f.sType + "  ").substr(0, 2);
        std::copy(sType.begin(), sType.end(), entry + kEntryTypeAt);
        std::string sField = f.sDescription.empty() ? f.sName : f.sName + "*" + f.sDescription;
        std::copy(sField.begin(), sField.end(), entry + kEntryNameAt);
        WriteInt32(entry + kEntryPositionAt, std::int32_t(nDataPos));
        WriteInt32(entry + kEntryLengthAt, std::int32_t(f.sData.size()));
        nDataPos += f.sData.size();
    }
    for (const File& f : mFiles)
        for (std::size_t i = 0; i < f.sData.size(); ++i)
            sOut.push_back(char(Scramble(static_cast<unsigned char>(f.sData[i]), i + 1)));

    // Write beside the target and rename, so a failed pack never leaves a
    // half-written container where a good one was.
    const std::string sTemp = sPath + ".part";
    {
        std::ofstream out(sTemp, std::ios::binary | std::ios::trunc);
        out.write(sOut.data(), std::streamsize(sOut.size()));
        out.close();
        if (!out)
            throw std::system_error(errno ? errno : EIO, std::generic_category(), sTemp);
    }
    std::error_code ec;
    fs::rename(sTemp, sPath, ec);
    if (ec) {
        fs::remove(sTemp);
        throw std::system_error(ec, sPath);
    }
}

}  // namespace orr
