#include "app/modSystem.h"

#include <cstdlib>
#include <filesystem>

#include "app/UiService.h"
#include "app/modText.h"

namespace orr {
namespace {

SystemIllogicHost gHost;

}  // namespace

void gfReportRunTimeError(const std::string& sDescription, long nNumber)
{
    gfMsgBox("Error:" + sDescription + kCrLf + kCrLf + "Error Code:" + std::to_string(nNumber), MsgIcon::Critical);
}

void gfReportRunTimeError(const std::error_code& ec) { gfReportRunTimeError(ec.message(), ec.value()); }

void gfReportRunTimeError(const std::exception& e)
{
    if (auto* fe = dynamic_cast<const std::filesystem::filesystem_error*>(&e)) {
        // Name the path: "No such file or directory" alone does not say which.
        std::string sDescription = fe->code().message();
        if (!fe->path1().empty())
            sDescription += ": " + fe->path1().string();
        gfReportRunTimeError(sDescription, fe->code().value());
    } else if (auto* se = dynamic_cast<const std::system_error*>(&e)) {
        gfReportRunTimeError(se->code());
    } else {
        gfReportRunTimeError(e.what(), 0);
    }
}

void gfIllogic(const std::string& sDetail)
{
    std::string s;
    s += "The Orrindale program has detected an illogic condition.";
    s += kCrLf;
    s += sDetail + kCrLf + kCrLf;
    s += "Sorry for the inconvenience.  We would appreciate that you can report this problem";
    s += kCrLf;
    s += std::string("to ") + kSupportEmail + " for support.  We will try to fix the problem" + kCrLf;
    s += std::string("as soon as we can.") + kCrLf + kCrLf;
    s += "Please include as much information as possible as to when this occurred and";
    s += kCrLf;
    s += std::string("the document and document type you were editing.") + kCrLf + kCrLf;
    s += "Thanks.";
    gfMsgBox(s, MsgIcon::Critical);
}

void gfSystemIllogic(const std::string& sDetail)
{
    const std::string sTitle = "System Error";
    gfMsgBox(std::string("System illogic.") + kCrLf + kCrLf + sDetail, MsgIcon::Critical, MsgButtons::OK, sTitle);

    std::vector<LoadedForm> forms = gHost.fnLoadedForms ? gHost.fnLoadedForms() : std::vector<LoadedForm>{};
    for (auto it = forms.rbegin(); it != forms.rend(); ++it)
        gfMsgBox("active form:" + it->sName, MsgIcon::Information, MsgButtons::OK, sTitle);

    std::vector<bool> unloaded(forms.size(), false);
    auto unload = [&](std::size_t i, const char* sAnnouncement) {
        gfMsgBox(sAnnouncement + forms[i].sName, MsgIcon::Information, MsgButtons::OK, sTitle);
        if (forms[i].fnUnload)
            forms[i].fnUnload();
        unloaded[i] = true;
    };
    for (std::size_t i = forms.size(); i-- > 0;)
        if (forms[i].bMdiChild && forms[i].sName == "frmDocument")
            unload(i, "Unloading MDI Child form:");
    for (std::size_t i = forms.size(); i-- > 0;)
        if (!unloaded[i])
            unload(i, "Unloading MDI frame form:");

    if (gHost.fnEnd)
        gHost.fnEnd();
    std::exit(1);
}

void gfSetSystemIllogicHost(SystemIllogicHost host) { gHost = std::move(host); }

}  // namespace orr
