#pragma once
// SMTP submission of one message, optionally with one attached file, through
// libcurl. No windows and no settings: the caller says where and what.
#include <string>
#include <vector>

namespace orr {

enum class MailSecurity { None, StartTls, Tls };

struct MailServer {
    std::string sServer;
    int nPort = 587;
    MailSecurity security = MailSecurity::StartTls;
    std::string sUser;  // empty: the server is not asked to authenticate
    std::string sPassword;
    std::string sFrom;  // the sender address
};

struct MailMessage {
    std::vector<std::string> to;  // each "address" or "Name <address>"
    std::string sSubject;
    std::string sBody;
    std::string sAttachedFile;  // empty: no attachment
};

class clsMail {
public:
    // How long connecting, and any silence of the server, may last.
    long nTimeoutSeconds = 30;

    // False on failure, with the library's code and reason in nError/sError.
    bool Send(const MailServer& server, const MailMessage& message);
    // The server refused the user name or password.
    bool LoginDenied() const;

    int nError = 0;
    std::string sError;

    // "Name <address>" -> "address"; a bare address stays as it is.
    static std::string AddressOf(const std::string& sEntry);
    // RFC 5322 date of a moment (seconds since 1970), in UTC.
    static std::string DateHeader(long long nSeconds);
    // A header value as ASCII: other texts become one RFC 2047 word.
    static std::string EncodeHeader(const std::string& sText);

private:
    bool Fail(int nCode, const std::string& sReason);
};

}  // namespace orr
