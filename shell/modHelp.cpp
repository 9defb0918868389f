#include "shell/modHelp.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>

#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "shell/frmHelp.h"

namespace orr {

QString gfHelpFile()
{
    QStringList dirs;
    if (gConfig)
        dirs << QString::fromStdString(gConfig->InstallDir);
    dirs << QCoreApplication::applicationDirPath();
    for (const QString& dir : dirs) {
        const QString sFile = dir + QStringLiteral("/help/index.html");
        if (QFileInfo(sFile).isFile())
            return sFile;
    }
    return {};
}

void gfShowHelp(QWidget* pOwner)
{
    static QPointer<frmHelp> window;
    const QString sFile = gfHelpFile();
    if (sFile.isEmpty())
        return;
    if (!window)
        window = new frmHelp(sFile, pOwner);
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace orr
