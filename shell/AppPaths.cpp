#include "shell/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace orr {

AppPaths gfResolveAppPaths(const QString& sHome)
{
    AppPaths paths;
    QString home = sHome.isEmpty() ? qEnvironmentVariable("ORRINDALE_HOME") : sHome;
    if (!home.isEmpty()) {
        home = QDir(home).absolutePath();
        paths.installDir = paths.dataDir = home;
        paths.settingsFile = home + QStringLiteral("/Orrindale.ini");
    } else {
        const QString exeDir = QCoreApplication::applicationDirPath();
        const QString shared = QDir::cleanPath(exeDir + QStringLiteral("/../share/orrindale"));
        const bool bBesideExe = QFileInfo::exists(exeDir + QStringLiteral("/EdiDef.bin"));
        paths.installDir = (bBesideExe || !QFileInfo::exists(shared)) ? exeDir : shared;
        paths.dataDir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    }
    QDir().mkpath(paths.dataDir);
    return paths;
}

}  // namespace orr
