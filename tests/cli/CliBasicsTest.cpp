#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "cli/ConsoleUi.h"
#include "tests/cli/CliRun.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::RunCli;
using test::TestEnv;

TEST(Cli, VersionUsageAndExitCodes)
{
    auto r = RunCli("--version");
    EXPECT_EQ(r.nExit, 0);
    EXPECT_EQ(r.sOut.rfind("orrindale-cli 0.", 0), 0u);

    for (const char* bad : {"", "frobnicate", "defs extra", "pack onlyfolder", "defs --bogus 1", "pack --home"}) {
        r = RunCli(bad);
        EXPECT_EQ(r.nExit, 2) << bad;
        EXPECT_EQ(r.sErr.rfind("error: ", 0), 0u) << bad;
        EXPECT_EQ(std::count(r.sErr.begin(), r.sErr.end(), '\n'), 1) << bad;  // one line
    }
}

// print, mail and connect run in orrindale-cli-io, so that orrindale-cli
// itself loads no Qt (not even Qt Core: it reads the settings file itself)
// and no libcurl; without the helper beside it (or installed) those
// commands say what could not be started.
TEST(Cli, PrintMailAndConnectRunInTheHelper)
{
    std::string sNeeded;
    if (FILE* p = ::popen(("readelf -d '" + std::string(ORRINDALE_CLI) + "' 2>/dev/null").c_str(), "r")) {
        char buf[512];
        while (std::fgets(buf, sizeof buf, p))
            sNeeded += buf;
        ::pclose(p);
    }
    if (sNeeded.find("NEEDED") == std::string::npos)
        GTEST_SKIP() << "no readelf";
    for (const char* sLib : {"libQt6Core", "libQt6Gui", "libQt6Network", "libcurl"})
        EXPECT_EQ(sNeeded.find(sLib), std::string::npos) << sLib;

    EXPECT_EQ(RunCli("mail").nExit, 2);  // the helper's usage error

    TestEnv env;
    const std::string sAlone = env.Path("orrindale-cli");
    fs::copy_file(ORRINDALE_CLI, sAlone);
    fs::permissions(sAlone, fs::perms::owner_all);
    const std::string sErr = env.Path("err.txt");
    const int nStatus = std::system(("'" + sAlone + "' connect 2>'" + sErr + "'").c_str());
    EXPECT_EQ(WEXITSTATUS(nStatus), 1);
    const std::string sText = TestEnv::ReadFile(sErr);
    EXPECT_EQ(sText.rfind("error: cannot start ", 0), 0u) << sText;
    EXPECT_NE(sText.find("orrindale-cli-io"), std::string::npos);
}

TEST(Cli, DefsListsTheShippedDefinitions)
{
    TestEnv env;
    const std::string home = test::MakeCliHome(env.Path("home"));
    auto r = RunCli("--home " + home + " defs");
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_NE(r.sOut.find("docFreeForm.def\t"), std::string::npos) << r.sOut;
    EXPECT_NE(r.sOut.find("\tDD\n"), std::string::npos);
    // Portable mode keeps settings and document folders inside the home.
    EXPECT_TRUE(fs::exists(home + "/Orrindale.ini"));
    EXPECT_TRUE(fs::is_directory(home + "/Incoming"));

    fs::remove(home + "/EdiDef.bin");
    r = RunCli("--home " + home + " defs");
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.sErr.find("error: Could not find EDI document definition file: " + home + "/EdiDef.bin"),
              std::string::npos)
        << r.sErr;
    EXPECT_NE(r.sErr.find("error: Orrindale failed to start."), std::string::npos);
}

TEST(Cli, PackBuildsAContainerTheReaderLists)
{
    TestEnv env;
    fs::create_directories(env.Path("defs"));
    TestEnv::WriteFile(env.Path("defs/docT1.def"), "???*DESCRIPTION*First test type\r\n");
    TestEnv::WriteFile(env.Path("defs/ST.def"), "ST*0\r\n");
    fs::create_directories(env.Path("home"));
    auto r = RunCli("pack " + env.Path("defs") + " -o " + env.Path("home/EdiDef.bin"));
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    r = RunCli("defs --home " + env.Path("home"));
    EXPECT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sOut, "docT1.def\tFirst test type\tDD\n");

    r = RunCli("pack " + env.Path("nothere") + " -o " + env.Path("x.bin"));
    EXPECT_EQ(r.nExit, 1);
    EXPECT_FALSE(fs::exists(env.Path("x.bin")));
}

TEST(ConsoleUi, AnswersFromOptionsAndPrintsOneLinePerMessage)
{
    std::FILE* out = std::tmpfile();
    ConsoleUi ui(out);
    EXPECT_EQ(ui.MsgBox("Line one\r\nLine two\r\n\r\n", MsgButtons::OK, MsgIcon::Critical, "T"), MsgAnswer::OK);
    EXPECT_EQ(ui.MsgBox("Save?", MsgButtons::YesNo, MsgIcon::Question, "T"), MsgAnswer::No);
    EXPECT_EQ(ui.MsgBox("Save?", MsgButtons::YesNoCancel, MsgIcon::Question, "T"), MsgAnswer::Cancel);
    ui.SetQuestionAnswer(MsgAnswer::Yes);
    EXPECT_EQ(ui.MsgBox("Overwrite?", MsgButtons::YesNo, MsgIcon::Question, "T"), MsgAnswer::Yes);
    ui.SetQuestionAnswer(MsgAnswer::Cancel);
    EXPECT_EQ(ui.MsgBox("Overwrite?", MsgButtons::YesNo, MsgIcon::Question, "T"), MsgAnswer::No);
    EXPECT_EQ(ui.InputBox("Name", "T", "dflt"), std::optional<std::string>("dflt"));
    EXPECT_EQ(ui.ChooseFromList("Pick", "T", {"a", "b"}, 1), 1);
    EXPECT_EQ(ui.ChooseFromList("Pick", "T", {"a", "b"}, 5), -1);
    ui.MsgBox("Note", MsgButtons::OK, MsgIcon::Information, "T");

    std::rewind(out);
    std::string text(4096, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), out));
    std::fclose(out);
    EXPECT_EQ(text,
              "error: Line one Line two\n"
              "question: Save? -> no\n"
              "question: Save? -> cancel\n"
              "question: Overwrite? -> yes\n"
              "question: Overwrite? -> no\n"
              "prompt: Name -> dflt\n"
              "choose: Pick -> b\n"
              "choose: Pick -> (none)\n"
              "info: Note\n");
}

}  // namespace
}  // namespace orr
