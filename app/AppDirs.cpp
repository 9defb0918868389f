#include "app/AppDirs.h"

#include <cstdlib>
#include <filesystem>

namespace orr {
namespace {

namespace fs = std::filesystem;

std::string Env(const char* sName)
{
    const char* s = std::getenv(sName);
    return s ? s : "";
}

// An XDG base folder: the variable when it names an absolute path, else the fallback under HOME.
fs::path XdgDir(const char* sVariable, const char* sFallback)
{
    const fs::path dir = Env(sVariable);
    return dir.is_absolute() ? dir : fs::path(Env("HOME")) / sFallback;
}

}  // namespace

std::string AppDirs::ExeDir()
{
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).parent_path().string();
}

AppDirs AppDirs::Resolve(const std::string& sHome, const std::string& sExeDir)
{
    AppDirs dirs;
    std::error_code ec;
    const std::string home = sHome.empty() ? Env("ORRINDALE_HOME") : sHome;
    if (!home.empty()) {
        dirs.installDir = fs::absolute(home, ec).lexically_normal().string();
        if (dirs.installDir.size() > 1 && dirs.installDir.back() == '/')
            dirs.installDir.pop_back();
        dirs.dataDir = dirs.installDir;
        dirs.settingsFile = dirs.installDir + "/Orrindale.ini";
        dirs.bPortable = true;
    } else {
        const fs::path exe(sExeDir);
        const fs::path shared = (exe / "../share/orrindale").lexically_normal();
        const bool bBesideExe = fs::exists(exe / "EdiDef.bin", ec);
        dirs.installDir = (bBesideExe || !fs::exists(shared, ec)) ? exe.string() : shared.string();
        dirs.dataDir = (XdgDir("XDG_DATA_HOME", ".local/share") / "Orrindale/Orrindale").string();
        dirs.settingsFile = (XdgDir("XDG_CONFIG_HOME", ".config") / "Orrindale/Orrindale.ini").string();
    }
    fs::create_directories(dirs.dataDir, ec);
    return dirs;
}

}  // namespace orr
