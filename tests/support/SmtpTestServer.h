#pragma once
// A real SMTP server on loopback (tests/support/smtp_server.py on Debian's
// python3-aiosmtpd), started for one test and killed when it ends, and the
// messages it received, taken apart by Python's MIME parser.
#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace orr::test {

struct ReceivedMail {
    std::map<std::string, std::string> parts;  // "from", "rcpt", "to", "subject", "body", "attachment", ...
    std::string Part(const std::string& sName) const;
};

class SmtpTestServer {
public:
    // sAuth "user:password" makes the server require that sign-on.
    explicit SmtpTestServer(const std::string& sDir, const std::string& sAuth = {});
    ~SmtpTestServer();
    SmtpTestServer(const SmtpTestServer&) = delete;
    SmtpTestServer& operator=(const SmtpTestServer&) = delete;

    int Port() const { return mnPort; }  // 0 when the server did not come up
    std::vector<ReceivedMail> Messages() const;

private:
    std::string mOut;
    pid_t mPid = -1;
    int mnPort = 0;
};

// A loopback port that accepts connections and never says a word.
class SilentPort {
public:
    SilentPort();
    ~SilentPort();
    int Port() const { return mnPort; }

private:
    int mFd = -1;
    int mnPort = 0;
};

// A loopback port nobody listens on.
int gfClosedPort();

// Points the mail settings of the installed store at 127.0.0.1:nPort, no
// security, sender edi@example.test; sUser empty: no sign-on.
void gfUseMailServer(int nPort, const std::string& sUser = {});

}  // namespace orr::test
