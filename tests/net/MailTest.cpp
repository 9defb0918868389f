// The mail routine against a real SMTP server on loopback.
#include <gtest/gtest.h>

#include <chrono>

#include "net/clsMail.h"
#include "net/modMail.h"
#include "tests/support/SmtpTestServer.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using test::SmtpTestServer;
using test::TestEnv;

// A logon that answers from a list and counts how often it was asked.
struct Logon {
    std::vector<std::optional<std::string>> answers;
    int nAsked = 0;
    MailLogon Fn()
    {
        return [this](const MailSettings& s) {
            EXPECT_EQ(s.sUser, "clerk");
            return answers.at(std::size_t(nAsked++));
        };
    }
};

TEST(Mail, MessagesArriveWithAndWithoutAttachment)
{
    TestEnv env;
    gfForgetMailPassword();
    SmtpTestServer server(env.Dir());
    ASSERT_NE(server.Port(), 0) << "the SMTP test server did not start";
    test::gfUseMailServer(server.Port());
    env.settings.Save("Orrindale", "Mail", "From", "Shipping <ship@example.test>");
    const std::string sSubject = "Order 4711 \xC3\xBC" "ber das Lager, " + std::string(60, 'x') + " \xE2\x9C\x93";
    ASSERT_TRUE(gfSendMail({"a@example.test; Bob Lee <b@example.test>, ", sSubject, "line 1\n.\nline 3", ""}, {}));

    // Every byte value, CR LF and a long line: base64 has to carry them all.
    std::string sBytes = "ISA*00*          *00*\r\n" + std::string(3000, 'Z') + "\n";
    for (int i = 0; i < 256; ++i)
        sBytes += char(i);
    const std::string sFile = env.Path("order 850.edi");
    TestEnv::WriteFile(sFile, sBytes);
    ASSERT_TRUE(gfSendMail({"c@example.test", "With file", "See attachment.", sFile}, {}));
    EXPECT_TRUE(env.ui.Messages().empty());

    const auto mails = server.Messages();
    ASSERT_EQ(mails.size(), 2u);
    EXPECT_EQ(mails[0].Part("from"), "ship@example.test");
    EXPECT_EQ(mails[0].Part("rcpt"), "a@example.test\nb@example.test");
    EXPECT_EQ(mails[0].Part("to"), "a@example.test, Bob Lee <b@example.test>");
    EXPECT_EQ(mails[0].Part("subject"), sSubject);
    EXPECT_EQ(mails[0].Part("body"), "line 1\r\n.\r\nline 3");  // mail text lines end in CR LF
    EXPECT_EQ(mails[0].parts.count("attachment"), 0u);
    EXPECT_EQ(mails[1].Part("rcpt"), "c@example.test");
    EXPECT_EQ(mails[1].Part("body"), "See attachment.");
    EXPECT_EQ(mails[1].Part("attachment-name"), "order 850.edi");
    EXPECT_EQ(mails[1].Part("attachment"), sBytes);

    // The recipients went into the address book, the latest first.
    EXPECT_EQ(gfMailAddressBook(),
              (std::vector<std::string>{"c@example.test", "a@example.test", "Bob Lee <b@example.test>"}));
}

TEST(Mail, SignOnAndRefusedPassword)
{
    TestEnv env;
    gfForgetMailPassword();
    SmtpTestServer server(env.Dir(), "clerk:secret");
    ASSERT_NE(server.Port(), 0) << "the SMTP test server did not start";
    test::gfUseMailServer(server.Port(), "clerk");
    const MailRequest request{"a@example.test", "Subject", "Body", ""};
    Logon logon{{std::nullopt, "wrong", "secret"}};

    // A cancelled logon sends nothing and says nothing.
    EXPECT_FALSE(gfSendMail(request, logon.Fn()));
    EXPECT_TRUE(env.ui.Messages().empty());

    EXPECT_FALSE(gfSendMail(request, logon.Fn()));
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Calls()[0].icon, MsgIcon::Critical);
    const std::string sPrefix = "Could not send message. Error:";
    EXPECT_EQ(env.ui.Messages()[0].substr(0, sPrefix.size()), sPrefix);
    EXPECT_GT(env.ui.Messages()[0].size(), sPrefix.size());

    // The refused password is asked again; a good one is kept for the run.
    EXPECT_TRUE(gfSendMail(request, logon.Fn()));
    EXPECT_TRUE(gfSendMail(request, logon.Fn()));
    EXPECT_EQ(logon.nAsked, 3);
    EXPECT_EQ(server.Messages().size(), 2u);
    EXPECT_TRUE(env.settings.Get("Orrindale", "Mail", "Password", "").empty());
    for (const auto& [sKey, sValue] : env.settings.ListSection("Orrindale", "Mail"))
        EXPECT_EQ(sValue.find("secret"), std::string::npos) << sKey;
}

TEST(Mail, FailuresGiveTheReasonWithoutHanging)
{
    TestEnv env;
    gfForgetMailPassword();
    const std::string sPrefix = "Could not send message. Error:";
    auto lastMessage = [&] { return env.ui.Messages().empty() ? std::string() : env.ui.Messages().back(); };

    // Nothing listens.
    test::gfUseMailServer(test::gfClosedPort());
    EXPECT_FALSE(gfSendMail({"a@example.test", "s", "b", ""}, {}, 2));
    EXPECT_EQ(lastMessage().substr(0, sPrefix.size()), sPrefix);
    EXPECT_NE(lastMessage().find("connect"), std::string::npos) << lastMessage();

    // A server that accepts and never greets: the timeout ends the wait.
    test::SilentPort silent;
    test::gfUseMailServer(silent.Port());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(gfSendMail({"a@example.test", "s", "b", ""}, {}, 2));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_NE(lastMessage().find("time"), std::string::npos) << lastMessage();

    SmtpTestServer server(env.Dir());
    ASSERT_NE(server.Port(), 0);
    test::gfUseMailServer(server.Port());
    // A file that is not there, a server without STARTTLS when it is required,
    // and missing settings: each refused with its reason, nothing sent.
    EXPECT_FALSE(gfSendMail({"a@example.test", "s", "b", env.Path("missing.edi")}, {}));
    EXPECT_NE(lastMessage().find(env.Path("missing.edi")), std::string::npos) << lastMessage();
    env.settings.Save("Orrindale", "Mail", "Security", "starttls");
    EXPECT_FALSE(gfSendMail({"a@example.test", "s", "b", ""}, {}));
    EXPECT_EQ(lastMessage().substr(0, sPrefix.size()), sPrefix);
    env.settings.Save("Orrindale", "Mail", "Security", "none");
    EXPECT_FALSE(gfSendMail({" ; ", "s", "b", ""}, {}));
    EXPECT_EQ(lastMessage(), sPrefix + "No recipient address");
    // Without a server no password is asked.
    env.settings.Save("Orrindale", "Mail", "Server", "");
    env.settings.Save("Orrindale", "Mail", "User", "clerk");
    EXPECT_FALSE(gfSendMail({"a@example.test", "s", "b", ""}, [](const MailSettings&) {
        ADD_FAILURE() << "password asked";
        return std::optional<std::string>();
    }));
    EXPECT_EQ(lastMessage(), sPrefix + "No mail server set. Enter one under View, Options, Mail.");
    EXPECT_TRUE(server.Messages().empty());
    EXPECT_TRUE(gfMailAddressBook().empty());
}

TEST(Mail, SettingsAndAddressBook)
{
    TestEnv env;
    MailSettings s = gfReadMailSettings();
    EXPECT_EQ(s.sSecurity, "starttls");
    EXPECT_EQ(s.nPort, 587);
    env.settings.Save("Orrindale", "Mail", "Security", "tls");
    env.settings.Save("Orrindale", "Mail", "Port", "twenty");
    EXPECT_EQ(gfReadMailSettings().nPort, 465);
    env.settings.Save("Orrindale", "Mail", "Security", "smoke");
    env.settings.Save("Orrindale", "Mail", "Port", "70000");
    EXPECT_EQ(gfReadMailSettings().sSecurity, "starttls");
    EXPECT_EQ(gfReadMailSettings().nPort, 587);
    gfSaveMailSettings({"mail.example.test", 2525, "none", "clerk", "me@example.test"});
    s = gfReadMailSettings();
    EXPECT_EQ(s.sServer + "|" + std::to_string(s.nPort) + "|" + s.sSecurity + "|" + s.sUser + "|" + s.sFrom,
              "mail.example.test|2525|none|clerk|me@example.test");

    // The book keeps each address once, whatever its case, newest first, and
    // forgets the oldest beyond its size.
    gfRememberAddresses({"a@x.test", "B <b@x.test>"});
    gfRememberAddresses({"b@X.test", "c@x.test"});
    EXPECT_EQ(gfMailAddressBook(), (std::vector<std::string>{"b@X.test", "c@x.test", "a@x.test"}));
    for (std::size_t i = 0; i < kAddressBookSize; ++i)
        gfRememberAddresses({"n" + std::to_string(i) + "@x.test"});
    const auto book = gfMailAddressBook();
    ASSERT_EQ(book.size(), kAddressBookSize);
    EXPECT_EQ(book.front(), "n" + std::to_string(kAddressBookSize - 1) + "@x.test");
    EXPECT_EQ(book.back(), "n0@x.test");

    // Chosen addresses join the To field once.
    EXPECT_EQ(gfAddAddresses("a@x.test, ", {"A@X.TEST", "Bob <b@x.test>"}), "a@x.test; Bob <b@x.test>");
    EXPECT_EQ(gfAddAddresses("", {"c@x.test"}), "c@x.test");
    EXPECT_EQ(clsMail::DateHeader(0), "Thu, 01 Jan 1970 00:00:00 +0000");
}

}  // namespace
}  // namespace orr
