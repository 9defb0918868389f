#include <gtest/gtest.h>

#include <filesystem>

#include "edi/clsFA.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::TestEnv;

const char* const kNotice =
    "The generated 997 is an extremely simple one.\r\nContact Quillmark, Inc if you need more specific "
    "segments.\r\n\r\nClick Ok button to continue.";

std::tm Noon()
{
    std::tm t{};
    t.tm_year = 104;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 12;
    return t;
}

struct AckRun {
    bool bOk;
    std::string sOut;
    std::vector<std::string> messages;
};

AckRun Acknowledge(TestEnv& env, const std::string& sInput)
{
    env.config->IsaIcNumber = 7;
    env.config->MyAddr = "ME";
    env.config->HerAddr = "YOU";
    env.config->GsReleaseID = "004010";
    env.config->GsAgencyCode = "X";
    TestEnv::WriteFile(env.Path("in.edi"), sInput);
    fs::remove(env.Path("out.997"));
    env.ui.Clear();
    clsFA fa(Noon);
    const bool bOk = fa.CreateFA(env.Path("in.edi"), env.Path("out.997"));
    return {bOk, TestEnv::ReadFile(env.Path("out.997")), env.ui.Messages()};
}

TEST(FunctionalAck, OneAndTwoGroups)
{
    TestEnv env;
    AckRun r = Acknowledge(env, "ISA*00*x~\r\nGS*PO*A*B*20040305*1200*1234*X*004010\r\nST*850*0001~\r\n"
                                "BEG*00~\r\nSE*3*0001~\r\nGE*1*1234~\r\nIEA*1*000000007~\r\n");
    EXPECT_TRUE(r.bOk);
    EXPECT_EQ(r.messages, (std::vector<std::string>{kNotice}));
    EXPECT_EQ(r.sOut,
              "ISA*00**00***YOU**ME*040305*1200**00000*000000007*0*P*:\r\n"
              "GS*FA*ME*YOU*20040305*1200*1*X*004010\r\n"
              "ST*997*1\r\n"
              "AK1*PO*1234\r\n"
              "SE*3*1\r\n"
              "GE*1*1\r\n"
              "IEA*1*000000007\r\n");
    EXPECT_EQ(std::count(r.sOut.begin(), r.sOut.end(), '\n'), 7);

    // Lower-case identifiers, LF and CR line ends, blank lines and two groups.
    r = Acknowledge(env, "isa*00\n\n  gs*IN*A*B*1*2*77  \rst*810*1\rSE*2*1\nge*1*77\ngs*PO*A*B*1*2*78\n"
                         "st*850*1\nse*2*1\nst*850*2\nse*2*2\nGE*2*78\niea*2*7\n");
    EXPECT_TRUE(r.bOk);
    const std::string two = "GS*FA*ME*YOU*20040305*1200*1*X*004010\r\nST*997*1\r\nAK1*IN*77\r\nSE*3*1\r\nGE*1*1\r\n"
                            "GS*FA*ME*YOU*20040305*1200*2*X*004010\r\nST*997*2\r\nAK1*PO*78\r\nSE*3*2\r\nGE*1*2\r\n"
                            "IEA*2*000000007\r\n";
    EXPECT_EQ(r.sOut.substr(r.sOut.find("\r\n") + 2), two);
}

TEST(FunctionalAck, BrokenEnvelopes)
{
    TestEnv env;
    const std::string invalidGroup = "Could not generate 997: Invalid Functional Group.";
    struct Case {
        const char* sInput;
        std::string sMessage;
    } cases[] = {
        {"ISA*1\nGS*PO*A*B*1*2*5\nGE*0*5\nIEA*1*1\n", invalidGroup},  // group without ST..SE
        {"ISA*1~GS*PO*A*B*1*2*5~ST*850*1~SE*2*1~GE*1*5~IEA*1*1~\n", invalidGroup},  // all on one line
        {"ISA*1\nGS*PO*A*B*1*2*5\nST*850*1\nSE*2*1\nGE*1*5\n", invalidGroup},  // no IEA
        {"GS*PO*A*B*1*2*5\n", "Could not generate 997: Missing ISA segment."},
        {"ISA*1\nGS*PO*A*B*1*2*5\nST*850*1\nSE*2*1\nGE*1*5\nXYZ\n", "997 Error: Missing IEA segment."},
        {"", "Could not generate 997: Missing ISA segment."},
    };
    for (const Case& c : cases) {
        AckRun r = Acknowledge(env, c.sInput);
        EXPECT_FALSE(r.bOk) << c.sInput;
        ASSERT_EQ(r.messages.size(), 2u) << c.sInput;
        EXPECT_EQ(r.messages[1], c.sMessage) << c.sInput;
        // The output is still closed with an IEA line.
        ASSERT_NE(r.sOut.rfind("\r\nIEA*"), std::string::npos) << c.sInput;
        EXPECT_EQ(r.sOut.substr(r.sOut.size() - 12), "*000000007\r\n") << c.sInput;
    }
}

TEST(FunctionalAck, FileChecksAndDialog)
{
    TestEnv env;
    TestEnv::WriteFile(env.Path("in.edi"), "ISA\nGS*PO*A*B*1*2*5\nST*850*1\nSE*2*1\nGE*1*5\nIEA*1*1\n");
    TestEnv::WriteFile(env.Path("out.997"), "precious");
    clsFA fa(Noon);
    EXPECT_FALSE(fa.CreateFA(env.Path("in.edi"), env.Path("IN.EDI")));
    env.ui.QueueAnswer(MsgAnswer::No);
    EXPECT_FALSE(fa.CreateFA(env.Path("in.edi"), env.Path("out.997")));
    EXPECT_EQ(TestEnv::ReadFile(env.Path("out.997")), "precious");
    EXPECT_EQ(env.ui.Messages(),
              (std::vector<std::string>{"Input file and output file can not be the same file.",
                                        "File " + env.Path("out.997") + "exists. Overwrite ?"}));

    std::string in = "  ", out = env.Path("x");
    EXPECT_FALSE(clsFA::DialogOk(in, out, '*'));
    EXPECT_EQ(in, "");
    in = " " + env.Path("a") + " ";
    out = env.Path("A");
    EXPECT_FALSE(clsFA::DialogOk(in, out, '*'));
    in = env.Path("in.edi");
    out = env.Path("new.997");
    env.ui.Clear();
    EXPECT_TRUE(clsFA::DialogOk(in, out, '|', Noon));
    EXPECT_EQ(env.ui.Messages().back(), "Functional Acknowledgement created in:\r\n\r\n" + env.Path("new.997"));
    EXPECT_NE(TestEnv::ReadFile(env.Path("new.997")).find("\r\nST|997|1\r\n"), std::string::npos);

    env.ui.Clear();
    in = env.Path("missing.edi");
    EXPECT_TRUE(clsFA::DialogOk(in, out = env.Path("m.997"), '*', Noon));  // closes, but no success notice
    ASSERT_EQ(env.ui.Messages().size(), 2u);
    EXPECT_EQ(env.ui.Messages()[1].rfind("Error:No such file or directory", 0), 0u);
}

}  // namespace
}  // namespace orr
