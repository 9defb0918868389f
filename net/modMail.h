#pragma once
// Mailing a file: the mail settings (section "Mail"), the address book of
// addresses used before, and the send routine shared by the window and the
// command-line tool. The password is asked when sending and kept for the
// running program only; it is never written to the settings.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orr {

inline constexpr const char* kSectionMail = "Mail";
inline constexpr const char* kSectionAddressBook = "AddressBook";
inline constexpr std::size_t kAddressBookSize = 50;

struct MailSettings {
    std::string sServer;
    std::int32_t nPort = 587;
    std::string sSecurity = "starttls";  // none | starttls | tls
    std::string sUser;                   // empty: no sign-on
    std::string sFrom;
};

// The usual submission port of a security mode.
std::int32_t gfDefaultMailPort(const std::string& sSecurity);
// A missing or unknown security reads as "starttls"; a port that is not a
// number as the security's usual port.
MailSettings gfReadMailSettings();
void gfSaveMailSettings(const MailSettings& settings);

// The To field's entries: split at ";" and ",", trimmed, empty ones dropped.
std::vector<std::string> gfSplitAddresses(const std::string& sTo);
// Addresses used before, the most recent first.
std::vector<std::string> gfMailAddressBook();
// Puts the entries first in the book (once each, whatever their case),
// keeping at most kAddressBookSize.
void gfRememberAddresses(const std::vector<std::string>& entries);
// The To field with the chosen entries added that it does not hold yet.
std::string gfAddAddresses(const std::string& sTo, const std::vector<std::string>& chosen);

// Asks for the account's password; nullopt when the user cancels.
using MailLogon = std::function<std::optional<std::string>(const MailSettings& settings)>;

struct MailRequest {
    std::string sTo, sSubject, sMessage, sAttachedFile;
};

// Signs on (asking fnLogon for the password the first time an account with a
// user name sends), sends, and remembers the recipients. A cancelled sign-on
// returns false without a message; a failure to send shows "Could not send
// message. Error:" with the reason and returns false. nTimeoutSeconds bounds
// connecting and every wait for the server.
bool gfSendMail(const MailRequest& request, const MailLogon& fnLogon, long nTimeoutSeconds = 30);
// Drops the password kept for this run.
void gfForgetMailPassword();

}  // namespace orr
