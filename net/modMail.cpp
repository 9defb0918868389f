#include "net/modMail.h"

#include <algorithm>
#include <charconv>

#include "app/SettingsStore.h"
#include "app/UiService.h"
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "app/modText.h"
#include "net/clsMail.h"

namespace orr {
namespace {

// The password of the account it was given for, for this run only.
struct SessionPassword {
    std::string sAccount;
    std::optional<std::string> sPassword;
};

SessionPassword& Session()
{
    static SessionPassword session;
    return session;
}

std::string Get(const char* sSection, const std::string& sKey, const std::string& sDefault = {})
{
    return gSettings->Get(gConfig->SettingsApp, sSection, sKey, sDefault);
}

void Save(const char* sSection, const std::string& sKey, const std::string& sValue)
{
    gSettings->Save(gConfig->SettingsApp, sSection, sKey, sValue);
}

bool SameAddress(const std::string& a, const std::string& b)
{
    return gfSameName(clsMail::AddressOf(a), clsMail::AddressOf(b));
}

MailSecurity Security(const std::string& sSecurity)
{
    if (sSecurity == "none")
        return MailSecurity::None;
    return sSecurity == "tls" ? MailSecurity::Tls : MailSecurity::StartTls;
}

// Sign-on: the password of an account with a user name, asked once per run.
// Without a server there is nothing to sign on to; sending says so.
std::optional<std::string> SignOn(const MailSettings& settings, const MailLogon& fnLogon)
{
    if (settings.sUser.empty() || settings.sServer.empty())
        return std::string();
    const std::string sAccount = settings.sUser + "@" + settings.sServer + ":" + std::to_string(settings.nPort);
    SessionPassword& session = Session();
    if (session.sPassword && session.sAccount == sAccount)
        return session.sPassword;
    std::optional<std::string> sPassword = fnLogon ? fnLogon(settings) : std::nullopt;
    if (sPassword) {
        session.sAccount = sAccount;
        session.sPassword = sPassword;
    }
    return sPassword;
}

}  // namespace

std::int32_t gfDefaultMailPort(const std::string& sSecurity)
{
    switch (Security(sSecurity)) {
    case MailSecurity::None: return 25;
    case MailSecurity::Tls: return 465;
    case MailSecurity::StartTls: break;
    }
    return 587;
}

MailSettings gfReadMailSettings()
{
    MailSettings s;
    s.sServer = gfTrimBlanks(Get(kSectionMail, "Server"));
    s.sSecurity = Get(kSectionMail, "Security", "starttls");
    if (s.sSecurity != "none" && s.sSecurity != "tls")
        s.sSecurity = "starttls";
    const std::string sPort = gfTrimBlanks(Get(kSectionMail, "Port"));
    const auto [ptr, ec] = std::from_chars(sPort.data(), sPort.data() + sPort.size(), s.nPort);
    if (ec != std::errc() || ptr != sPort.data() + sPort.size() || s.nPort <= 0 || s.nPort > 65535)
        s.nPort = gfDefaultMailPort(s.sSecurity);
    s.sUser = gfTrimBlanks(Get(kSectionMail, "User"));
    s.sFrom = gfTrimBlanks(Get(kSectionMail, "From"));
    return s;
}

void gfSaveMailSettings(const MailSettings& settings)
{
    Save(kSectionMail, "Server", settings.sServer);
    Save(kSectionMail, "Port", std::to_string(settings.nPort));
    Save(kSectionMail, "Security", settings.sSecurity);
    Save(kSectionMail, "User", settings.sUser);
    Save(kSectionMail, "From", settings.sFrom);
}

std::vector<std::string> gfSplitAddresses(const std::string& sTo)
{
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start <= sTo.size()) {
        const std::size_t end = std::min(sTo.find_first_of(";,", start), sTo.size());
        if (std::string sEntry = gfTrimBlanks(sTo.substr(start, end - start)); !sEntry.empty())
            entries.push_back(std::move(sEntry));
        start = end + 1;
    }
    return entries;
}

std::vector<std::string> gfMailAddressBook()
{
    std::vector<std::string> book;
    for (const auto& [sKey, sValue] : gSettings->ListSection(gConfig->SettingsApp, kSectionAddressBook))
        if (!sValue.empty())
            book.push_back(sValue);
    return book;
}

void gfRememberAddresses(const std::vector<std::string>& entries)
{
    std::vector<std::string> book;
    auto add = [&book](const std::string& sEntry) {
        const bool bKnown = std::any_of(book.begin(), book.end(),
                                        [&](const std::string& s) { return SameAddress(s, sEntry); });
        if (!bKnown && book.size() < kAddressBookSize)
            book.push_back(sEntry);
    };
    const std::vector<std::string> old = gfMailAddressBook();
    std::for_each(entries.begin(), entries.end(), add);
    std::for_each(old.begin(), old.end(), add);
    for (std::size_t i = 0; i < std::max(old.size(), book.size()); ++i) {
        const std::string sKey = "Address" + std::to_string(i + 1);
        if (i < book.size())
            Save(kSectionAddressBook, sKey, book[i]);
        else
            gSettings->Delete(gConfig->SettingsApp, kSectionAddressBook, sKey);
    }
}

std::string gfAddAddresses(const std::string& sTo, const std::vector<std::string>& chosen)
{
    std::vector<std::string> entries = gfSplitAddresses(sTo);
    for (const std::string& sEntry : chosen)
        if (std::none_of(entries.begin(), entries.end(), [&](const std::string& s) { return SameAddress(s, sEntry); }))
            entries.push_back(sEntry);
    std::string s;
    for (const std::string& sEntry : entries)
        s += (s.empty() ? "" : "; ") + sEntry;
    return s;
}

bool gfSendMail(const MailRequest& request, const MailLogon& fnLogon, long nTimeoutSeconds)
{
    const MailSettings settings = gfReadMailSettings();
    const std::optional<std::string> sPassword = SignOn(settings, fnLogon);
    if (!sPassword)
        return false;

    const MailServer server{settings.sServer, settings.nPort, Security(settings.sSecurity), settings.sUser,
                            *sPassword, settings.sFrom};
    const MailMessage message{gfSplitAddresses(request.sTo), request.sSubject, request.sMessage,
                              request.sAttachedFile};
    clsMail mail;
    mail.nTimeoutSeconds = nTimeoutSeconds;
    if (!mail.Send(server, message)) {
        // A refused password is asked again next time.
        if (mail.LoginDenied())
            gfForgetMailPassword();
        // A setting the user has not made yet: say where it is made.
        const bool bUnset = server.sServer.empty() || server.sFrom.empty();
        gfMsgBox("Could not send message. Error:" + mail.sError + (bUnset ? ". Enter one under View, Options, Mail." : ""),
                 MsgIcon::Critical);
        return false;
    }
    gfRememberAddresses(message.to);
    return true;
}

void gfForgetMailPassword() { Session() = {}; }

}  // namespace orr
