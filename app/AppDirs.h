#pragma once
// Where the program finds its files, without Qt: the read-only install
// folder, the writable data folder and the settings file, at the places
// Qt's QStandardPaths and QSettings use for the organisation and
// application "Orrindale", so that the command line and the desktop
// program share them. ORRINDALE_HOME (or --home) makes one folder serve as
// install and data folder, with the settings in Orrindale.ini inside it.
#include <string>

namespace orr {

struct AppDirs {
    std::string installDir;    // EdiDef.bin, icons, manual
    std::string dataDir;       // work files, first-run Incoming/Outgoing
    std::string settingsFile;  // the INI file
    bool bPortable = false;    // one folder (--home or ORRINDALE_HOME) for all

    // sHome overrides ORRINDALE_HOME when not empty; sExeDir is the folder
    // of the running program. Creates the data folder.
    static AppDirs Resolve(const std::string& sHome, const std::string& sExeDir);
    // The folder of the running program (/proc/self/exe).
    static std::string ExeDir();
};

}  // namespace orr
