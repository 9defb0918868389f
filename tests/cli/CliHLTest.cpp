// orrindale-cli hl on documents of the shipped definitions: the editor tree
// on stdout, drags given as --move, messages on stderr, Save with -o.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/cli/CliRun.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using test::RunCli;
using test::TestEnv;

struct CliHL : ::testing::Test {
    // The shipped 856 example, copied so that a test may change it.
    CliHL() { std::filesystem::copy_file(std::string(ORRINDALE_SOURCE_DIR) + "/examples/856-ship-notice.edi", s856); }
    test::CliResult HL(const std::string& sFile, const std::string& sType, const std::string& sRest = {})
    {
        return RunCli("--home " + sHome + " hl " + sFile + " --type " + sType + " " + sRest);
    }
    TestEnv env;
    const std::string sHome = test::MakeCliHome(env.Path("home"));
    const std::string s856 = env.Path("856.edi"), sOut = env.Path("out.edi");
};

TEST_F(CliHL, ProfessionalClaimTreeAndAMove)
{
    const std::string sClaim = std::string(ORRINDALE_SOURCE_DIR) + "/examples/837P_X222A1-dependent-with-cob.edi";
    const auto r = HL(sClaim, "837P_X222A1", "--move 3:1 -o " + sOut);
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sOut,
              "0\tHierarchical Level\t\n"
              "1\t(ORRINDALE CLINIC) Billing Provider Hierarchical Level (1 of 999999)\t1**20*1\n"
              "2\t(DOE JANE) Subscriber Hierarchical Level (1 of 999999)\t2*1*22*0\n"
              "2\t(DOE JIMMY) Patient Hierarchical Level (1 of 999999)\t3*1*23*0\n");
    const std::string sSaved = TestEnv::ReadFile(sOut);
    EXPECT_NE(sSaved.find("HL*1**20*1~"), std::string::npos) << sSaved;
    EXPECT_NE(sSaved.find("HL*2*1*22*0~"), std::string::npos) << sSaved;
    EXPECT_NE(sSaved.find("HL*3*1*23*0~"), std::string::npos) << sSaved;
}

TEST_F(CliHL, ShipNoticeMovesRefusalsAndOrder)
{
    const auto r = HL(s856, "856", "--move 4:5 --move 2:6 --move 6:6 -o " + sOut);
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sErr,
              "message: You can not demote a node: moving a node to its child or grand child.\n"
              "message: You can not drag a node to itself.\n"
              "question: Do you want to add a CR and LF at the end of each segment ? -> no\nunanswered\n");
    EXPECT_EQ(r.sOut.substr(0, r.sOut.find('\n')), "0\tHierarchical Level\t");
    EXPECT_NE(r.sOut.find("\t3*2*P*0\n"), std::string::npos) << r.sOut;
    EXPECT_NE(r.sOut.find("\t4*5*I*0\n"), std::string::npos) << r.sOut;
    // Item 4 now stands after item 6, below its new parent.
    const std::string sSaved = TestEnv::ReadFile(sOut);
    EXPECT_NE(sSaved.find("HL*3*2*P*0~MAN*GM*00012345678901234567~HL*5*2*P*1~MAN*GM*00012345678901234574~"
                          "HL*6*5*I*0~LIN**UP*012345678912*VN*GADGET-B~SN1**10*CA~HL*4*5*I*0~"),
              std::string::npos)
        << sSaved;
}

TEST_F(CliHL, DuplicateIdsNeedYes)
{
    TestEnv::WriteFile(s856, TestEnv::Replaced(TestEnv::ReadFile(s856), "HL*4*3*I*0~", "HL*6*3*I*0~"));
    const std::string sQuestion = "question: Duplicate HL id #:6\\nDo You want me to fix it automatically ? -> ";
    auto r = HL(s856, "856", "-o " + sOut);
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.sOut, "");
    EXPECT_EQ(r.sErr, sQuestion +
                          "no\nunanswered\nmessage: You must fix all the HL segments to ensure that "
                          "\\nevery HL segment has a unique id.\n");
    EXPECT_FALSE(std::filesystem::exists(sOut));
    r = HL(s856, "856", "--yes -o " + sOut);
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sErr.substr(0, r.sErr.find('\n')), sQuestion + "yes");
    EXPECT_NE(r.sOut.find("\t7*5*I*0\n"), std::string::npos) << r.sOut;  // one above the highest id, 6
    EXPECT_NE(TestEnv::ReadFile(sOut).find("HL*7*5*I*0~"), std::string::npos);
}

TEST_F(CliHL, FailuresWriteNothing)
{
    // A ship notice whose HL segments leave HL04 out.
    std::string sNoChildCodes = TestEnv::ReadFile(s856);
    for (const char* sHL : {"HL*1**S", "HL*2*1*O", "HL*3*2*P", "HL*5*2*P"})
        sNoChildCodes = TestEnv::Replaced(sNoChildCodes, std::string(sHL) + "*1~", std::string(sHL) + "~");
    const std::string sNoHL04 = env.Path("no-hl04.edi");
    TestEnv::WriteFile(sNoHL04, sNoChildCodes);
    const auto r = HL(sNoHL04, "856", "-o " + sOut);
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.sOut, "");
    EXPECT_NE(r.sErr.find("message: Invalid HL structure.\\nHL segment must have 4 data elements."), std::string::npos)
        << r.sErr;
    EXPECT_FALSE(std::filesystem::exists(sOut));
    const auto none = HL(std::string(ORRINDALE_SOURCE_DIR) + "/examples/850-purchase-order.edi", "850");
    EXPECT_EQ(none.nExit, 1);
    EXPECT_EQ(none.sErr, "message: No HL found in this document.\n");
    EXPECT_EQ(HL(s856, "856", "--move 9:1").nExit, 2);
    EXPECT_EQ(HL(s856, "856", "--move 9").nExit, 2);
}

}  // namespace
}  // namespace orr
