#include "shell/modRecentMenu.h"

#include <QAction>
#include <QWidget>

#include "app/modRecent.h"
#include "shell/frmMain.h"

namespace orr {
namespace {

QAction* WindowEntry(QWidget* pWindow, int i)
{
    return pWindow->findChild<QAction*>(QStringLiteral("mnuRecentFile%1").arg(i));
}

}  // namespace

void gfLoadRecentMenu(frmMain& frame)
{
    for (QAction* entry : frame.mnuRecentFile) {
        entry->setVisible(false);
        entry->setText({});
        entry->setData({});
    }
    // Opening a file needs the document window; without it the list stays hidden.
    const bool bCanOpen = frmMain::CanOpenDocuments();
    const std::vector<std::string> files = gfRecentFiles();
    int i = 1;
    for (const std::string& sPath : files) {
        const QString sFile = QString::fromStdString(sPath);
        QAction* entry = frame.mnuRecentFile[std::size_t(i++)];
        entry->setText(QString(sFile).replace(u'&', QStringLiteral("&&")));
        entry->setData(sFile);
        entry->setVisible(bCanOpen);
        frame.mnuRecentFile[0]->setVisible(bCanOpen);
    }
}

void gfCopyRecentMenu(const frmMain& frame, QWidget* pWindow)
{
    if (!pWindow)
        return;
    for (int i = 0; i < int(frame.mnuRecentFile.size()); ++i) {
        QAction* source = frame.mnuRecentFile[std::size_t(i)];
        if (QAction* target = WindowEntry(pWindow, i)) {
            target->setVisible(source->isVisible());
            target->setText(source->text());
            target->setData(source->data());
        }
    }
}

void gfRefreshRecentMenus(frmMain& frame)
{
    gfLoadRecentMenu(frame);
    for (const auto& [sKey, window] : frame.ChildForms())
        gfCopyRecentMenu(frame, window);
}

}  // namespace orr
