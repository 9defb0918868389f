#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "tests/cli/CliRun.h"
#include "tests/support/EdiServerProcess.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using test::MakeCliHome;
using test::RunCli;
using test::TestEnv;

const std::string kInterchange =
    "ISA*00*          *00*          *ZZ*SENDER         *ZZ*RECEIVER       *240101*1200*U*00401*000000001*0*P*>~"
    "GS*PO*SENDER*RECEIVER*20240101*1200*1*X*004010~ST*850*0001~BEG*00*SA*PO1**20240101~SE*3*0001~"
    "GE*1*1~IEA*1*000000001~";

std::vector<std::string> Lines(const std::string& sText)
{
    std::vector<std::string> lines;
    std::istringstream in(sText);
    for (std::string s; std::getline(in, s);)
        lines.push_back(s);
    return lines;
}

bool HasLine(const std::string& sOut, const std::string& sPattern)
{
    const std::regex re(sPattern);
    for (const std::string& s : Lines(sOut))
        if (std::regex_match(s, re))
            return true;
    return false;
}

std::vector<std::filesystem::path> Files(const std::string& sDir)
{
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(sDir))
        files.push_back(e.path());
    return files;
}

// A loopback port nobody listens on: bound, never listened, then freed.
int UnusedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t n = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), n);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    ::close(fd);
    return ntohs(a.sin_port);
}

TEST(CliConnect, SendsReceivesAndLogsLikeTheWindow)
{
    TestEnv env;
    const std::string sHome = MakeCliHome(env.Path("home"));
    TestEnv::WriteFile(env.Path("reply.edi"), kInterchange + "\r\n");
    TestEnv::WriteFile(env.Path("order.edi"), "ISA*order~IEA*1*2~");
    test::EdiServerProcess server(env.Path("server"), {"--send", env.Path("reply.edi"), "--pieces", "2",
                                                       "--close-after-send"});
    const auto r = RunCli("--home " + sHome + " connect --host 127.0.0.1 --port " + std::to_string(server.Port()) +
                          " --send " + env.Path("order.edi") + " --wait 30");
    EXPECT_EQ(r.nExit, 0) << r.sErr;
    // Every line in the window's form; the window's texts are checked with the client itself.
    for (const std::string& s : Lines(r.sOut))
        EXPECT_TRUE(std::regex_match(s, std::regex(R"(\d+:\([A-Za-z ]+\)-.+|Rcv-.{1,10})"))) << s;
    EXPECT_TRUE(HasLine(r.sOut, R"(\d+:\(Connected\)-Send data complete event)"));
    EXPECT_TRUE(HasLine(r.sOut, "Rcv-ISA\\*00\\*   "));
    EXPECT_TRUE(HasLine(r.sOut, R"(\d+:\(Closed\)-Close connection to server \.\.\.)"));
    EXPECT_NE(r.sErr.find("info: An Transmission is received from parser."), std::string::npos) << r.sErr;

    // The interchange is in the incoming folder, and the server got the order.
    const auto files = Files(sHome + "/Incoming");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(TestEnv::ReadFile(files[0].string()), kInterchange);
    EXPECT_TRUE(HasLine(r.sOut, R"(\d+:\(.*\)-Interchange saved to .*)" + files[0].filename().string()));
    ASSERT_TRUE(server.WaitForEnd(10));
    EXPECT_EQ(TestEnv::ReadFile(env.Path("server/received-001.edi")), "ISA*order~IEA*1*2~");
}

TEST(CliConnect, RefusedConnectionsAndBadArguments)
{
    TestEnv env;
    const std::string sHome = MakeCliHome(env.Path("home"));
    const auto r = RunCli("--home " + sHome + " connect --host 127.0.0.1 --port " + std::to_string(UnusedPort()) +
                          " --wait 20");
    EXPECT_EQ(r.nExit, 1);
    EXPECT_TRUE(HasLine(r.sOut, R"(\d+:\(Closed\)-Error evnet:0 reason:Connection refused)")) << r.sOut;
    EXPECT_TRUE(HasLine(r.sOut, R"(\d+:\(Closed\)-Close connection to server \.\.\.)"));
    EXPECT_TRUE(Files(sHome + "/Incoming").empty());

    EXPECT_EQ(RunCli("--home " + sHome + " connect --port 70000").nExit, 2);
    EXPECT_EQ(RunCli("--home " + sHome + " connect --wait soon").nExit, 2);
    EXPECT_EQ(RunCli("--home " + sHome + " connect extra").nExit, 2);
    const auto missing = RunCli("--home " + sHome + " connect --send " + env.Path("none.edi"));
    EXPECT_EQ(missing.nExit, 1);
    EXPECT_NE(missing.sErr.find("no file to send"), std::string::npos);
}

}  // namespace
}  // namespace orr
