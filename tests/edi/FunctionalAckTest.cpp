#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/modGlobals.h"
#include "doctree/EdiDocument.h"
#include "doctree/clsTreeDCheck.h"
#include "edi/clsFA.h"
#include "tests/support/DocTreeFixture.h"
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

// The envelope settings every acknowledgement here is written with; sInput as the received file.
void Prepare(TestEnv& env, const std::string& sInput, const std::string& sOutput)
{
    env.config->IsaIcNumber = 7;
    env.config->MyAddr = "ME";
    env.config->HerAddr = "YOU";
    env.config->GsReleaseID = "004010";
    env.config->GsAgencyCode = "X";
    TestEnv::WriteFile(env.Path("in.edi"), sInput);
    fs::remove(sOutput);
}

AckRun Acknowledge(TestEnv& env, const std::string& sInput)
{
    Prepare(env, sInput, env.Path("out.997"));
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

// The element check of an E1 document, the real engines on the real file.
std::optional<EdiFindings> CheckE1(const std::string& sFile)
{
    EdiDocument doc;
    doc.SetSeparators('*', '~');
    if (!doc.LoadDefinition("E1") || !doc.Open(sFile, EdiDocument::OpenMode::Batch))
        return std::nullopt;
    return clsTreeDCheck().Check(doc);
}

// Acknowledges sInput (kind, with the E1 check) and returns the lines between ISA and IEA.
std::string Answer(TestEnv& env, const std::string& sInput, AckKind kind, std::string* pIsa = nullptr)
{
    Prepare(env, sInput, env.Path("out.ack"));
    clsFA fa(Noon);
    fa.SetKind(kind);
    fa.SetChecker(CheckE1);
    EXPECT_TRUE(fa.CreateFA(env.Path("in.edi"), env.Path("out.ack")));
    std::string s = TestEnv::ReadFile(env.Path("out.ack"));
    std::replace(s.begin(), s.end(), '\r', ' ');
    if (pIsa)
        *pIsa = s.substr(0, s.find('\n'));
    return s.substr(s.find('\n') + 1, s.rfind("IEA") - s.find('\n') - 1);
}

TEST(FunctionalAck, AnswersEverySetFromTheFindings)
{
    test::DocTreeFixture env;

    // A valid set is accepted; a wrong code and a wrong SE02 reject it.
    EXPECT_EQ(Answer(env, test::kValidE1, AckKind::FunctionalAck997),
              "GS*FA*ME*YOU*20040305*1200*1*X*004010 \nST*997*1 \nAK1*PO*7 \nAK2*850*0001 \nAK5*A \n"
              "AK9*A*1*1*1 \nSE*6*1 \nGE*1*1 \n");
    const std::string sBad = TestEnv::Replaced(TestEnv::Replaced(test::kValidE1, "N1*ST", "N1*ZZ"), "SE*7*0001", "SE*7*0002");
    EXPECT_EQ(Answer(env, sBad, AckKind::FunctionalAck997),
              "GS*FA*ME*YOU*20040305*1200*1*X*004010 \nST*997*1 \nAK1*PO*7 \nAK2*850*0001 \nAK3*N1*3*N1*8 \n"
              "AK4*1*98*7*ZZ \nAK5*R*3*5 \nAK9*R*1*1*0 \nSE*8*1 \nGE*1*1 \n");

    // A segment with no place in the definition: AK3 code 2, the set rejected.
    const std::string sOdd = TestEnv::Replaced(TestEnv::Replaced(test::kValidE1, "~\nN1*", "~\nNTE*X~\nN1*"), "SE*7*", "SE*8*");
    EXPECT_NE(Answer(env, sOdd, AckKind::FunctionalAck997).find("AK2*850*0001 \nAK3*NTE*3**2 \nAK5*R*5 \nAK9*R*1*1*0 \n"),
              std::string::npos);

    // Two sets, the second with a component separator in a simple element and
    // a bad time in a repetition, the group's count wrong: partly accepted.
    std::string sTwo = test::kValidE1;
    const std::string sSet = sTwo.substr(sTwo.find("ST*"), sTwo.find("GE*") - sTwo.find("ST*"));
    std::string sSecond = TestEnv::Replaced(TestEnv::Replaced(sSet, "N1*ST", "N1*ST:X"), "^120000", "^2460");
    sTwo.insert(sTwo.find("GE*"), TestEnv::Replaced(TestEnv::Replaced(sSecond, "ST*850*0001", "ST*850*0002"), "SE*7*0001", "SE*7*0002"));
    EXPECT_EQ(Answer(env, sTwo, AckKind::FunctionalAck997),
              "GS*FA*ME*YOU*20040305*1200*1*X*004010 \nST*997*1 \nAK1*PO*7 \nAK2*850*0001 \nAK5*A \n"
              "AK2*850*0002 \nAK3*N1*3*N1*8 \nAK4*1*98*6 \nAK3*DTM*5**8 \nAK4*3*337*9*2460 \nAK5*R*5 \n"
              "AK9*R*1*2*1*5 \nSE*12*1 \nGE*1*1 \n");

    // The 999: its own envelope version, AK1 with GS08, IK3 to IK5, the
    // component separator as too many components and the repetition in IK401.
    std::string sIsa;
    EXPECT_EQ(Answer(env, TestEnv::Replaced(sTwo, "GE*1*7", "GE*2*7"), AckKind::ImplementationAck999, &sIsa),
              "GS*FA*ME*YOU*20040305*1200*1*X*005010X231A1 \nST*999*1*005010X231A1 \nAK1*PO*7*005010 \n"
              "AK2*850*0001 \nIK5*A \nAK2*850*0002 \nIK3*N1*3*N1*8 \nIK4*1*98*13 \nIK3*DTM*5**8 \n"
              "IK4*3::2*337*9*2460 \nIK5*R*5 \nAK9*P*2*2*1 \nSE*12*1 \nGE*1*1 \n");
    EXPECT_NE(sIsa.find("*^*00501*000000007*"), std::string::npos) << sIsa;
}

}  // namespace
}  // namespace orr
