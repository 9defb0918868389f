// orrindale-cli mail against a real SMTP server on loopback.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/cli/CliRun.h"
#include "tests/support/SmtpTestServer.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using test::RunCli;
using test::TestEnv;

TEST(CliMail, SendsWithTheHomeSettingsAndPassword)
{
    TestEnv env;
    test::SmtpTestServer server(env.Dir(), "clerk:secret");
    ASSERT_NE(server.Port(), 0) << "the SMTP test server did not start";
    const std::string home = env.Path("home");
    std::filesystem::create_directories(home);
    TestEnv::WriteFile(home + "/Orrindale.ini", "[Mail]\nServer=127.0.0.1\nPort=" + std::to_string(server.Port()) +
                                                    "\nSecurity=none\nUser=clerk\nFrom=edi@example.test\n");
    const std::string sFile = env.Path("po.edi");
    TestEnv::WriteFile(sFile, "ISA*00~IEA*1~\n");
    const std::string pre = "--home " + home + " mail --to 'a@example.test;b@example.test' --subject 'PO 1' ";

    ::setenv("ORRINDALE_MAIL_PASSWORD", "secret", 1);
    auto r = RunCli(pre + "--body 'Here it is.' --attach " + sFile);
    EXPECT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sOut, "Message sent.\n");

    ::setenv("ORRINDALE_MAIL_PASSWORD", "guess", 1);
    r = RunCli(pre);
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.sOut, "");
    EXPECT_NE(r.sErr.find("Could not send message. Error:"), std::string::npos) << r.sErr;

    // No password at all: the prompt reads nothing, nothing is sent.
    ::unsetenv("ORRINDALE_MAIL_PASSWORD");
    r = RunCli(pre);
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.sErr.find("no password"), std::string::npos) << r.sErr;

    EXPECT_EQ(RunCli("--home " + home + " mail --subject x").nExit, 2);

    const auto mails = server.Messages();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].Part("rcpt"), "a@example.test\nb@example.test");
    EXPECT_EQ(mails[0].Part("subject"), "PO 1");
    EXPECT_EQ(mails[0].Part("body"), "Here it is.");
    EXPECT_EQ(mails[0].Part("attachment-name"), "po.edi");
    EXPECT_EQ(mails[0].Part("attachment"), "ISA*00~IEA*1~\n");
    // The password never reaches the settings file; the address book does.
    const std::string ini = TestEnv::ReadFile(home + "/Orrindale.ini");
    EXPECT_EQ(ini.find("secret"), std::string::npos);
    EXPECT_NE(ini.find("b@example.test"), std::string::npos);
}

}  // namespace
}  // namespace orr
