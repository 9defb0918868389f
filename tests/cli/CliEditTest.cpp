// orrindale-cli edit: Edit commands from a script and -e options, every
// message, question and chooser on one line of stderr, answers queued by
// the script, the tree dumped and the document saved.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/cli/CliRun.h"
#include "tests/editing/EditFixture.h"

namespace orr {
namespace {

using test::RunCli;
using test::TestEnv;

struct CliEdit : ::testing::Test {
    CliEdit()
    {
        std::filesystem::create_directories(env.Path("home"));
        TestEnv::WriteContainer(env.Path("home/EdiDef.bin"), {{"docE1.def", test::kEditDocE1}});
        TestEnv::WriteFile(sIn, test::DocumentE1());
    }
    test::CliResult Edit(const std::string& sArgs)
    {
        return RunCli("--home " + env.Path("home") + " edit " + sIn + " --type E1 " + sArgs);
    }
    TestEnv env;
    const std::string sIn = env.Path("in.edi");
};

TEST_F(CliEdit, ReportsEveryQuestionWithItsAnswer)
{
    const std::string sOut = env.Path("out.edi");
    const auto r = Edit(
        "-e 'select /1/2/2' -e new-sibling-after -e 'answer yes' -e new-sibling-after "
        "-e 'select /1/2/2/7' -e 'answer 1' -e 'answer 2' -e new-child "
        "-e 'select /1/2/2/2' -e new-sibling-before -e 'answer no' -o " +
        sOut);
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    const std::string sQuestion =
        "question: You are about to insert a new Transaction AFTER the active node.\\n\\nContinue ? -> ";
    EXPECT_EQ(r.sErr, sQuestion + "no\nunanswered\n" + sQuestion + "yes\n" +
                          "chooser: Select a New Segment or Loop | Shipment | Order | Other level -> 1\n"
                          "chooser: Select Parent HL | No parent. (Top level HL) | HL 1 Shipment | "
                          "HL 2 Order (1 of 99) | HL 5 Order (2 of 99) -> 2\n"
                          "message: The maximum repeat count reached for this segment.\n"
                          "question: Do you want to add a CR and LF at the end of each segment ? -> no\n");
    const std::string sSaved = TestEnv::ReadFile(sOut);
    EXPECT_NE(sSaved.find("HL*5*1*O~HL*6*2*O*0~NM1"), std::string::npos) << sSaved;
    EXPECT_NE(sSaved.find("SE*2*0001~ST**1~BEG**~NTE*~SE*1*1~ST*850*0002~"), std::string::npos);  // the new transaction
    // Saved again: the previous output is the backup.
    ASSERT_EQ(Edit("-e 'answer no' -o " + sOut).nExit, 0);
    EXPECT_EQ(TestEnv::ReadFile(sOut + " Backup"), sSaved);

    // Cancel before a chooser chooses nothing and says so, as the window's Cancel does.
    const auto cancelled = Edit("-e 'select /1/2/2/7' -e 'answer cancel' -e new-child --dump");
    ASSERT_EQ(cancelled.nExit, 0) << cancelled.sErr;
    EXPECT_EQ(cancelled.sErr, "chooser: Select a New Segment or Loop | Shipment | Order | Other level -> -1\n"
                              "message: You did not select an item to insert.\n");
}

TEST_F(CliEdit, ScriptFileValuesUndoAndDump)
{
    TestEnv::WriteFile(env.Path("fix.txt"),
                       "# the purpose code\r\n\r\nselect /1/2/2/2/1\r\nset 05\r\n"
                       "select /1/2/2/2/3\nset\nanswer yes\nset\nnew-sibling-before\n");
    auto r = Edit("--script " + env.Path("fix.txt") + " -e 'select /1/2/2/3' -e delete -e undo --dump");
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_NE(r.sOut.find("\t\tE01\t05\tdde\t\n5\t\tE02\t\tdde\t\n5\t\tE03\t\tdde\t\n"), std::string::npos);
    EXPECT_EQ(r.sOut.substr(0, r.sOut.find('\n')), "0\tRoot\tD   *00000\t" + sIn + "\tcloseddata\topendata");
    EXPECT_EQ(r.sErr.substr(0, r.sErr.find('\n')), "question: Set value to empty string ? -> no");
    // The illogic report keeps its line breaks as \n.
    EXPECT_NE(r.sErr.find("message: The Orrindale program has detected an illogic condition.\\nYou are not allowed "
                          "to insert a new sibling to \\n\\nSorry"),
              std::string::npos)
        << r.sErr;
    // The deletion undone: as many nodes as read.
    const std::string sTree = RunCli("--home " + env.Path("home") + " tree " + sIn + " --type E1").sOut;
    EXPECT_EQ(std::count(r.sOut.begin(), r.sOut.end(), '\n'), std::count(sTree.begin(), sTree.end(), '\n'));
}

TEST_F(CliEdit, ScriptErrorsAndFailedSaves)
{
    auto r = Edit("-e new-child -e frob --dump");
    EXPECT_EQ(r.nExit, 2);
    EXPECT_EQ(r.sErr, "error: -e 2: unknown command frob\n");
    EXPECT_EQ(r.sOut, "");
    for (const char* sArgs : {"-e 'select /1/9'", "-e 'select 1'", "-e 'select /1/0'", "-e 'answer maybe'",
                              "-e 'select /1/2/2' -e 'answer 0' -e new-sibling-after", "-e 'undo x'"}) {
        r = Edit(sArgs);
        EXPECT_EQ(r.nExit, 2) << sArgs;
        EXPECT_EQ(r.sErr.rfind("error: -e ", 0), 0u) << r.sErr;
    }
    EXPECT_EQ(Edit("-e 'answer no' -o " + env.Path("missing/out.edi")).nExit, 1);
    EXPECT_EQ(RunCli("--home " + env.Path("home") + " edit " + env.Path("none.edi") + " --type E1").nExit, 1);
}

// Free-form edits keep an interchange's own segments (TA1, ISB, ISE) where
// reading places them, before its groups: a new interchange is an
// interchange as reading makes it, not a transaction set, so its TA1 does not
// move past the group (filled there it was written where no reading places
// it) and either interchange may then be deleted; a cut TA1 is not pasted
// beside a group.
TEST(CliEditFreeForm, InterchangeSegmentsStayBeforeTheGroups)
{
    TestEnv env;
    const std::string sHome = test::MakeCliHome(env.Path("home"));
    const std::string sOut = env.Path("out.edi");
    auto edit = [&](const std::string& sExample, const std::string& sScript) {
        TestEnv::WriteFile(env.Path("script.txt"), sScript);
        return RunCli("--home " + sHome + " edit " ORRINDALE_SOURCE_DIR "/examples/" + sExample +
                      " --type FreeForm --script " + env.Path("script.txt") + " -o " + sOut);
    };
    auto readsBack = [&] { return RunCli("--home " + sHome + " tree " + sOut + " --type FreeForm").nExit == 0; };
    auto r = edit("835_X221A1-remittance.edi", "select /\nnew-child\nselect /2/4\nmove-down\nnew-child\n");
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_NE(TestEnv::ReadFile(sOut).find("*:~TA1*~GS*"), std::string::npos) << TestEnv::ReadFile(sOut);
    EXPECT_TRUE(readsBack());
    // Two interchanges: the first goes, and then the new one is the last.
    r = edit("835_X221A1-remittance.edi", "select /\nnew-child\nselect /1\ndelete\nselect /1\ndelete\n");
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sErr.substr(0, r.sErr.find('\n')), "message: You can not delete the last system loop.");
    EXPECT_EQ(TestEnv::ReadFile(sOut).rfind("ISA*00**00**", 0), 0u);
    // The second interchange: ISA ISB ISE TA1, a group, IEA.
    r = edit("FreeForm-interchange-acknowledgments.edi", "select /2/4\ncut\nselect /2/5\npaste\n");
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_NE(TestEnv::ReadFile(sOut).find("*ET~TA1*000000101*240115*1030*A*000~GS*"), std::string::npos);
    EXPECT_TRUE(readsBack());
}

// Pasting a cut node elsewhere takes it from its parent as a delete would:
// the last transaction set of a group stays (a group without one does not
// read back), under its own definition and under the free-form one.
TEST(CliEditCutPaste, TheLastSetOfAGroupIsNotCutAway)
{
    TestEnv env;
    const std::string sHome = test::MakeCliHome(env.Path("home"));
    const std::string sOut = env.Path("out.edi");
    auto edit = [&](const std::string& sExample, const std::string& sType, const std::string& sScript) {
        TestEnv::WriteFile(env.Path("script.txt"), sScript);
        return RunCli("--home " + sHome + " edit " ORRINDALE_SOURCE_DIR "/examples/" + sExample + " --type " + sType +
                      " --script " + env.Path("script.txt") + " -o " + sOut);
    };
    auto readsBack = [&](const std::string& sType) {
        return RunCli("--home " + sHome + " tree " + sOut + " --type " + sType).nExit == 0;
    };
    // A new interchange's one set, pasted beside the first interchange's.
    auto r = edit("834_X220A1-enrollment.edi", "834_X220A1",
                  "select /\nanswer yes\nnew-child\nselect /2/5/2\ncut\nselect /1/2/2\npaste\n");
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_NE(r.sErr.find("message: You can not delete the last system loop."), std::string::npos) << r.sErr;
    EXPECT_TRUE(readsBack("834_X220A1"));
    // A copy may go there, and a cut set that is not the last.
    r = edit("834_X220A1-enrollment.edi", "834_X220A1",
             "select /\nanswer yes\nnew-child\nselect /2/5/2\ncopy\nselect /1/2/2\npaste\n");
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sErr.find("message:"), std::string::npos) << r.sErr;
    EXPECT_TRUE(readsBack("834_X220A1"));

    r = edit("FreeForm-two-interchanges.edi", "FreeForm", "select /2/2/2\ncut\nselect /2/3/2\npaste\n");
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_TRUE(readsBack("FreeForm"));
    EXPECT_EQ(RunCli("--home " + sHome + " diff " + sOut + " " ORRINDALE_SOURCE_DIR
                     "/examples/FreeForm-two-interchanges.edi --type FreeForm").nExit, 0);
    r = edit("FreeForm-two-interchanges.edi", "FreeForm", "select /1/2/2\ncut\nselect /2/3/2\npaste\n");
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_TRUE(readsBack("FreeForm"));
    EXPECT_EQ(RunCli("--home " + sHome + " diff " + sOut + " " ORRINDALE_SOURCE_DIR
                     "/examples/FreeForm-two-interchanges.edi --type FreeForm").nExit, 1);
}

}  // namespace
}  // namespace orr
