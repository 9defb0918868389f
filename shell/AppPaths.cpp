#include "shell/AppPaths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

#include "app/AppDirs.h"

namespace orr {

AppPaths gfResolveAppPaths(const QString& sHome)
{
    const AppDirs dirs = AppDirs::Resolve(sHome.toStdString(), QCoreApplication::applicationDirPath().toStdString());
    // Outside portable mode QSettings finds the user's file itself (and the
    // system-wide defaults behind it).
    return {QString::fromStdString(dirs.installDir), QString::fromStdString(dirs.dataDir),
            dirs.bPortable ? QString::fromStdString(dirs.settingsFile) : QString()};
}

QString gfRecoveryDir(const AppPaths& paths)
{
    const QString sSettings =
        paths.settingsFile.isEmpty()
            ? QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Orrindale"), QStringLiteral("Orrindale"))
                  .fileName()
            : paths.settingsFile;
    return QFileInfo(sSettings).absolutePath() + QStringLiteral("/Recovery");
}

}  // namespace orr
