#include "shell/modWebBrowser.h"

#include <QDesktopServices>
#include <QUrl>

#include "app/SettingsStore.h"
#include "app/UiService.h"
#include "app/clsConfig.h"
#include "app/modGlobals.h"

namespace orr {

std::string gfHomePage() { return gSettings->Get(gConfig->SettingsApp, gConfig->SectionSystem, "HomePage", ""); }

void gfSaveHomePage(const std::string& sUrl)
{
    gSettings->Save(gConfig->SettingsApp, gConfig->SectionSystem, "HomePage", sUrl);
}

void gfOpenWebBrowser()
{
    const std::string sHome = gfHomePage();
    if (sHome.empty()) {
        gfMsgBox("No home page is set. Enter one under View, Options.", MsgIcon::Information);
        return;
    }
    // "example.com" and "/path/page.html" work as well as full addresses.
    if (!QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromStdString(sHome))))
        gfMsgBox("The web browser could not be started for " + sHome + ".", MsgIcon::Exclamation);
}

}  // namespace orr
