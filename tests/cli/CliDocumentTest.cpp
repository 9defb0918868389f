#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>

#include "tests/cli/CliRun.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

using test::RunCli;
using test::TestEnv;

// A portable home whose container holds the test definitions.
std::string TestHome(TestEnv& env)
{
    const std::string home = env.Path("home");
    std::filesystem::create_directories(home);
    TestEnv::WriteContainer(home + "/EdiDef.bin", {{"docT1.def", test::kDocT1}});
    return home;
}

TEST(CliDocument, TreeValidateConvertExport)
{
    TestEnv env;
    const std::string home = TestHome(env);
    const std::string in = env.Path("in.edi");
    TestEnv::WriteFile(in, test::kValidT1);
    const std::string pre = "--home " + home + " ";

    auto r = RunCli(pre + "tree " + in + " --type T1");
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sOut.substr(0, r.sOut.find('\n')), "0\tRoot\tD   *00000\t" + in + "\tcloseddata\topendata");
    EXPECT_NE(r.sOut.find("\n4\t\tSBEG*00000."), std::string::npos);
    EXPECT_NE(r.sOut.find("\n5\t\tE03\tPO1\tdde\t\n"), std::string::npos) << r.sOut;

    r = RunCli(pre + "validate " + in + " --type T1");
    EXPECT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sOut, "Document is valid.\n");

    r = RunCli(pre + "convert " + in + " --type T1 --to-delimiter '|' --to-selimiter 0x15 --crlf -o " +
               env.Path("out.edi"));
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    std::string expected = test::kValidT1;
    std::replace(expected.begin(), expected.end(), '*', '|');
    std::string converted;
    for (char c : expected)
        converted += c == '~' ? std::string("\x15") : c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(TestEnv::ReadFile(env.Path("out.edi")), converted);

    // Terminator 0 (line ends terminate segments): every segment ends with CR LF, so the
    // result reads back. Separators that could not be told apart are refused.
    r = RunCli(pre + "convert " + in + " --type T1 --to-delimiter '|' --to-selimiter 0x00 -o " + env.Path("lines.edi"));
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    std::string lines = expected;
    lines.erase(std::remove(lines.begin(), lines.end(), '~'), lines.end());
    std::string crlf;
    for (char c : lines)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(TestEnv::ReadFile(env.Path("lines.edi")), crlf);
    EXPECT_EQ(RunCli(pre + "tree " + env.Path("lines.edi") + " --type T1").nExit, 0);
    r = RunCli(pre + "convert " + in + " --type T1 --to-delimiter '~' --to-selimiter '~' -o " + env.Path("x.edi"));
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.sErr, "error: The data element separator and the segment terminator must differ.\n");
    EXPECT_FALSE(std::filesystem::exists(env.Path("x.edi")));
    // A value that holds a separator of the output: refused, named, no file.
    r = RunCli(pre + "convert " + in + " --type T1 --to-delimiter ':' --to-selimiter '~' -o " + env.Path("x.edi"));
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.sErr, "error: The value \":\" of ISA16 holds the element separator \":\" the document is written "
                      "with. Choose other separators.\n");
    EXPECT_FALSE(std::filesystem::exists(env.Path("x.edi")));

    r = RunCli(pre + "export " + in + " --type T1 --separator tab -o " + env.Path("out.txt"));
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_NE(TestEnv::ReadFile(env.Path("out.txt")).find("\r\nN1\tST:X\tShip Here\r\n"), std::string::npos);

    // The input is never replaced by an output.
    r = RunCli(pre + "export " + in + " --type T1 --separator comma -o " + in);
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(TestEnv::ReadFile(in), test::kValidT1);
}

// --type auto with the shipped definitions: the guide of GS08, else the standard set of ST01.
TEST(CliDocument, AutoTypeFromTheFirstTransactionSet)
{
    TestEnv env;
    const std::string pre = "--home " + test::MakeCliHome(env.Path("home")) + " ";
    const std::string sExamples = std::string(ORRINDALE_SOURCE_DIR) + "/examples/";
    auto r = RunCli(pre + "tree " + sExamples + "837P_X222A1-professional-claim.edi --type auto");
    EXPECT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sErr, "info: type 837P_X222A1\n");
    r = RunCli(pre + "validate " + sExamples + "FreeForm-two-interchanges.edi --type auto");
    EXPECT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sErr.rfind("info: type 940+850_5010+999_X231A1\n", 0), 0u) << "groups of three types: " << r.sErr;
    // Read first as the first set's 940, then again: the first attempt's messages are not shown.
    const auto composed =
        RunCli(pre + "validate " + sExamples + "FreeForm-two-interchanges.edi --type 940+850_5010+999_X231A1");
    EXPECT_EQ(r.sErr, "info: type 940+850_5010+999_X231A1\n" + composed.sErr);
    EXPECT_EQ(r.sOut, composed.sOut);
    r = RunCli(pre + "validate " + sExamples + "856-ship-notice.edi --type auto");
    EXPECT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sOut, "Document is valid.\n");
}

TEST(CliDocument, FailuresAndUsage)
{
    TestEnv env;
    const std::string home = TestHome(env);
    const std::string bad = env.Path("bad.edi");
    std::string text = test::kValidT1;
    text.replace(text.find("HL*2*1*O"), 8, "HL*2*1*Q");
    TestEnv::WriteFile(bad, text);
    const std::string pre = "--home " + home + " ";

    auto r = RunCli(pre + "tree " + bad + " --type T1");
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.sErr.find("Segment matching failed.\nFailed segment:HL*2*1*Q\n"), std::string::npos) << r.sErr;
    EXPECT_NE(r.sOut.find("\terrclosed\terropen\n"), std::string::npos);

    r = RunCli(pre + "validate " + bad + " --type T1");
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.sOut, "Document failed validation.\nSegment matching failed.\nFailed segment:HL*2*1*Q\n");

    // Separators given on the command line override detection: wrong ones find nothing
    // (in a header that does not name its own by the fixed layout).
    TestEnv::WriteFile(bad, TestEnv::Replaced(text, "SENDER         ", "SENDER"));
    r = RunCli(pre + "tree " + bad + " --type T1 --delimiter '|' --selimiter @");
    EXPECT_EQ(r.nExit, 2);

    r = RunCli(pre + "tree " + bad + " --type NOPE");
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.sErr.find("Could not open definition file:docNOPE.def"), std::string::npos) << r.sErr;

    r = RunCli(pre + "tree " + bad);
    EXPECT_EQ(r.nExit, 2);
    EXPECT_NE(r.sErr.find("usage: orrindale-cli [--home DIR] tree FILE --type T"), std::string::npos) << r.sErr;
    r = RunCli(pre + "export " + bad + " --type T1 --separator semicolon -o x");
    EXPECT_EQ(r.nExit, 2);
}

// validate --elements: the verdict, then one line per finding, exit 1 for an
// error (a warning alone keeps 0); --format json for tools.
TEST(CliDocument, ValidateElements)
{
    TestEnv env;
    const std::string home = env.Path("home");
    std::filesystem::create_directories(home);
    TestEnv::WriteContainer(home + "/EdiDef.bin", {{"docE1.def", test::kDocE1}});
    const std::string pre = "--home " + home + " validate ";
    const std::string in = env.Path("in.edi");
    TestEnv::WriteFile(in, test::kValidE1);
    auto r = RunCli(pre + in + " --type E1 --elements");
    EXPECT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sOut, "Document is valid.\n");

    std::string text = test::kValidE1;
    text.replace(text.find("N1*ST"), 5, "N1*ZZ");
    text.replace(text.find("GE*1*7"), 6, "GE*1*8");
    TestEnv::WriteFile(in, text);
    r = RunCli(pre + in + " --type E1 --elements");
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.sOut, "Document has 2 errors and 0 warnings.\n"
                      "5:5:N1:01: error: N101 (Entity Identifier Code) \"ZZ\" is not a valid code (valid codes: BT, "
                      "SF, ST).\n"
                      "10:10:GE:02: error: GE02 \"8\" does not match GS06 \"7\".\n");
    EXPECT_EQ(RunCli(pre + in + " --type E1").nExit, 0);  // the structure alone is fine

    // One line, a warning only: no line numbers, exit 0.
    text = test::kValidE1;
    text.replace(text.find("PO1**"), 5, "PO1*R1*");
    text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
    TestEnv::WriteFile(in, text);
    r = RunCli(pre + in + " --type E1 --elements");
    EXPECT_EQ(r.nExit, 0);
    EXPECT_EQ(r.sOut, "Document is valid.\n"
                      ":4:BEG:04: warning: BEG04 (Release Number) is not used here but holds \"R1\".\n");

    r = RunCli(pre + in + " --type E1 --elements --format json");
    EXPECT_EQ(r.nExit, 0);
    const nlohmann::json o = nlohmann::json::parse(r.sOut);
    EXPECT_TRUE(o.at("valid").get<bool>());
    const nlohmann::json& f = o.at("findings").at(0);
    EXPECT_TRUE(f.at("line").is_null());
    EXPECT_EQ(f.at("segment"), 4);
    EXPECT_EQ(f.at("element"), 4);
    EXPECT_EQ(f.at("loop"), "ISA/GS/ST");
    EXPECT_EQ(f.at("severity"), "warning");
    EXPECT_EQ(RunCli(pre + in + " --type E1 --format xml").nExit, 2);

    // One verdict in JSON too; a file that cannot be read is still an object.
    text = test::kValidE1;
    TestEnv::WriteFile(in, TestEnv::Replaced(text, "N1*ST", "N1*ZZ"));
    r = RunCli(pre + in + " --type E1 --elements --format json");
    EXPECT_EQ(r.nExit, 1);
    nlohmann::json bad = nlohmann::json::parse(r.sOut);
    EXPECT_FALSE(bad.at("valid").get<bool>());
    EXPECT_EQ(bad.at("verdict"), "Document has 1 error and 0 warnings.");
    TestEnv::WriteFile(in, "ISA\x1D" "00\x1D" "01~");
    r = RunCli(pre + in + " --type E1 --elements --format json");
    EXPECT_EQ(r.nExit, 1);
    bad = nlohmann::json::parse(r.sOut);
    EXPECT_FALSE(bad.at("valid").get<bool>());
    EXPECT_EQ(bad.at("error"), "Data Element separator is not known:0x1D");
    EXPECT_NE(r.sErr.find("--delimiter X --selimiter Y"), std::string::npos) << r.sErr;
}

}  // namespace
}  // namespace orr
