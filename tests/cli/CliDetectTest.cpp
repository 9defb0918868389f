#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>

#include "tests/cli/CliRun.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::RunCli;
using test::TestEnv;

const std::string kIsa =
    "ISA*00*          *00*          *ZZ*SENDER         *ZZ*RECEIVER       *230101*1200*U*00401*000000001*0*P*>";

// Detection runs in a home of its own; it needs no definitions.
struct DetectFixture {
    TestEnv env;
    std::string sHome = env.Path("home");
    DetectFixture() { fs::create_directories(sHome); }
    std::string File(const std::string& sName, const std::string& sText)
    {
        TestEnv::WriteFile(env.Path(sName), sText);
        return env.Path(sName);
    }
    test::CliResult Detect(const std::string& sArgs) { return RunCli("--home " + sHome + " detect " + sArgs); }
};

TEST(CliDetect, PrintsTheSeparatorsInNotation)
{
    DetectFixture f;
    const struct {
        std::string sText;
        const char* sOut;
    } cases[] = {
        {kIsa + "~\r\nGS*PO*S*R~\r\n", "delimiter=* selimiter=~\n"},
        {kIsa + "\r\nGS*PO*S*R\r\n", "delimiter=* selimiter=CR\n"},
        {kIsa + "\nGS*PO*S*R\n", "delimiter=* selimiter=LF\n"},
        {"\xEF\xBB\xBF" + kIsa + "~GS*PO~", "delimiter=* selimiter=~\n"},
        {"\r\n\r\nST|850|0001\x15" "BEG|00\x15", "delimiter=| selimiter=0x15\nST01=850 GS08= sets=1\n"},
        {"GS+PO+S+R+20230101+1200+1+X+004010'ST+850'ST+850'GS+IN+S+R+20230101+1200+2+X+004010VICS'ST+810'",
         "delimiter=+ selimiter='\nST01=850 GS08=004010 sets=2\nST01=810 GS08=004010VICS sets=1\n"},
    };
    for (const auto& c : cases) {
        const std::string sFile = f.File("in.edi", c.sText);
        const auto r = f.Detect(sFile);
        EXPECT_EQ(r.nExit, 0) << r.sErr;
        EXPECT_EQ(r.sOut, c.sOut);
        EXPECT_EQ(r.sErr, "");
    }
}

TEST(CliDetect, NotationFollowsTheSettings)
{
    DetectFixture f;
    TestEnv::WriteFile(f.sHome + "/Orrindale.ini", "[Edi]\nDelimiterS=+\n");
    const auto r = f.Detect(f.File("in.edi", kIsa + "~GS*PO~"));
    EXPECT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sOut, "delimiter=0x2A selimiter=~\n");
}

// The texts themselves are the detection's (GuessEdi tests); here the prefix,
// the message on one line, and the exit status.
TEST(CliDetect, FailuresGiveTheMessageAndExitOne)
{
    DetectFixture f;
    auto r = f.Detect(f.File("small.edi", "ISA*00*\r\n"));
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.sOut, "");
    EXPECT_EQ(r.sErr, "info: The file is too small to be an EDI file.ISA*00*\n");

    r = f.Detect(f.env.Path("none.edi"));
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.sErr,
              "error: Error:No such file or directory: " + f.env.Path("none.edi") + " Error Code:2\n");
}

TEST(CliDetect, UsageErrors)
{
    DetectFixture f;
    for (const char* sArgs : {"", "a.edi b.edi", "a.edi --bogus 1"}) {
        const auto r = f.Detect(sArgs);
        EXPECT_EQ(r.nExit, 2) << sArgs;
        EXPECT_EQ(r.sErr.rfind("error: ", 0), 0u) << sArgs;
        EXPECT_NE(r.sErr.find("detect FILE"), std::string::npos) << r.sErr;
    }
}

TEST(CliDetect, TheInputFileIsOnlyRead)
{
    DetectFixture f;
    const std::string sText = kIsa + "~\r\nGS*PO*S*R~\r\n";
    const std::string sFile = f.File("in.edi", sText);
    fs::last_write_time(sFile, fs::file_time_type::clock::now() - std::chrono::hours(3));
    const auto when = fs::last_write_time(sFile);
    auto names = [&] {
        std::set<std::string> s;
        for (const auto& e : fs::directory_iterator(f.env.Dir()))
            s.insert(e.path().filename().string());
        return s;
    };
    const auto before = names();
    const auto r = f.Detect(sFile);
    EXPECT_EQ(r.nExit, 0);
    EXPECT_EQ(TestEnv::ReadFile(sFile), sText);
    EXPECT_EQ(fs::last_write_time(sFile), when);
    EXPECT_EQ(names(), before);  // no backup or work file beside it
}

}  // namespace
}  // namespace orr
