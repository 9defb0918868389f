#pragma once
// Where the program finds its files: the read-only install directory and the
// writable user data directory. ORRINDALE_HOME (or --home) makes one
// directory serve as both, with the settings kept inside it.
#include <QString>

namespace orr {

struct AppPaths {
    QString installDir;    // EdiDef.bin, icons, manual
    QString dataDir;       // work files, first-run Incoming/Outgoing
    QString settingsFile;  // INI file in portable mode; empty: the user's settings
};

// Needs a QCoreApplication. sHome overrides ORRINDALE_HOME when not empty.
// Creates the data directory.
AppPaths gfResolveAppPaths(const QString& sHome = {});

// The recovery folder: "Recovery" beside the settings file.
QString gfRecoveryDir(const AppPaths& paths);

}  // namespace orr
