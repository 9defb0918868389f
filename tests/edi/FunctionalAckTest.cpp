#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "app/GlobalsScope.h"
#include "app/modGlobals.h"
#include "app/modText.h"
#include "doctree/EdiDocument.h"
#include "doctree/clsTreeDCheck.h"
#include "edi/EnvelopeReader.h"
#include "edi/clsFA.h"
#include "edi/modDocType.h"
#include "edi/modGuessEdi.h"
#include "schema/clsDefFiles.h"
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
    std::string sOut;  // segments one per line, "~\r\n" as "\n"; "<none>" when no file was written
    std::vector<std::string> messages;
};

std::string Lines(std::string s)
{
    for (std::size_t n; (n = s.find("~\r\n")) != std::string::npos;)
        s.replace(n, 3, "\n");
    return s;
}

// The envelope settings every acknowledgement here is written with.
void Prepare(TestEnv& env, const std::string& sInput)
{
    env.config->IsaIcNumber = 7;
    env.config->GsControlNumber = 0;
    env.config->MyAddrQualifier = "12";
    env.config->MyAddr = "ME";
    env.config->HerAddrQualifier = "14";
    env.config->HerAddr = "YOU";
    env.config->GsReleaseID = "004010";
    env.config->GsAgencyCode = "X";
    env.config->IsaAckRequired = false;
    env.config->IsaTest = true;
    TestEnv::WriteFile(env.Path("in.edi"), sInput);
    fs::remove(env.Path("out.ack"));
    env.ui.Clear();
}

AckRun RunAck(TestEnv& env, clsFA& fa)
{
    const bool bOk = fa.CreateFA(env.Path("in.edi"), env.Path("out.ack"));
    EXPECT_FALSE(fs::exists(env.Path("out.ack.part")));  // never left behind
    const bool bWritten = fs::exists(env.Path("out.ack"));
    EXPECT_EQ(bOk, bWritten);
    return {bOk, bWritten ? Lines(TestEnv::ReadFile(env.Path("out.ack"))) : "<none>", env.ui.Messages()};
}

AckRun Acknowledge(TestEnv& env, const std::string& sInput, AckKind kind = AckKind::FunctionalAck997)
{
    Prepare(env, sInput);
    clsFA fa(Noon);
    fa.SetDelimiter('*');
    fa.SetSelimiter('~');
    fa.SetKind(kind);
    return RunAck(env, fa);
}

// One interchange of one group of one 850, on one line: the received file of the envelope cases.
const std::string kOne =
    "ISA*00*          *00*          *ZZ*SENDER         *ZZ*RECEIVER       *040301*0907*U*00401*"
    "000000001*0*T*:~GS*PO*AS*AR*20040301*0907*5*X*004010~ST*850*0001~BEG*00~SE*3*0001~"
    "GE*1*5~IEA*1*000000001~";

// The lines from AK1 to AK9 of an acknowledgement.
std::string Body(const std::string& sOut)
{
    const std::size_t nFrom = sOut.find("AK1*");
    return nFrom == std::string::npos ? sOut : sOut.substr(nFrom, sOut.find("\nSE*") + 1 - nFrom);
}

// A group of a release before 004010 is answered in its release, whose GS04 has no century.
TEST(FunctionalAck, GroupsBefore4010AreDatedWithoutTheCentury)
{
    TestEnv env;
    const AckRun r = Acknowledge(
        env, "ISA*00*          *00*          *ZZ*SENDER         *ZZ*RECEIVER       *960302*0800*U*00301*000000003*0*P*>~"
             "GS*PO*APP3*ME*960302*0800*9*X*003010~ST*850*0001~BEG*00~SE*3*0001~GE*1*9~IEA*1*000000003~");
    ASSERT_TRUE(r.bOk) << r.sOut;
    EXPECT_NE(r.sOut.find("\nGS*FA*ME*APP3*040305*1200*1*X*003010\n"), std::string::npos) << r.sOut;
}

TEST(FunctionalAck, AddressedBackWhateverTheLayout)
{
    TestEnv env;
    // Two interchanges: a 5010 one with ISB and TA1 after its ISA, and a 4010
    // one whose receiver and application receiver are blank.
    const std::string sFirst =
        "ISA|00|          |00|          |ZZ|SENDER         |ZZ|RECEIVER       |040301|0907|^|00501|000000001|0|T|>~"
        "ISB|1~TA1|000000009|040301|0900|A|000~GS|PO|APPSEND|APPRECV|20040301|0907|7|X|005010X222A1~ST|850|0001~"
        "BEG|00~SE|3|0001~GE|1|7~IEA|1|000000001~";
    const std::string sSecond =
        "ISA|00|          |00|          |01|PARTNER2       |  |               |040302|0800|U|00401|000000002|0|P|>~"
        "GS|IN|APP2||20040302|0800|8|X|004010~ST|810|0001~BIG|x~SE|3|0001~ST|810|0002~SE|2|0002~GE|2|8~"
        "IEA|1|000000002~";
    const std::string sExpected =
        "ISA*00*          *00*          *ZZ*RECEIVER       *ZZ*SENDER         *040305*1200*^*00501*000000007*0*T*:\n"
        "GS*FA*APPRECV*APPSEND*20040305*1200*1*X*005010\nST*997*0001\nAK1*PO*7\nAK9*A*1*1*1\nSE*4*0001\n"
        "GE*1*1\nIEA*1*000000007\n"
        "ISA*00*          *00*          *12*ME             *01*PARTNER2       *040305*1200*U*00401*000000008*0*P*:\n"
        "GS*FA*ME*APP2*20040305*1200*2*X*004010\nST*997*0002\nAK1*IN*8\nAK9*A*2*2*2\nSE*4*0002\nGE*1*2\n"
        "IEA*1*000000008\n";
    std::string sLines = sFirst + sSecond;
    for (std::size_t n = 0; (n = sLines.find('~', n)) != std::string::npos; n += 3)
        sLines.insert(n + 1, "\r\n");
    std::string sUnterminated = sFirst + sSecond;
    sUnterminated.pop_back();
    // One line after a byte-order mark; a segment per line; the last IEA cut off (answered all the same).
    for (const std::string& sInput : {"\xEF\xBB\xBF" + sFirst + sSecond, sLines, sUnterminated}) {
        const AckRun r = Acknowledge(env, sInput);
        EXPECT_TRUE(r.bOk) << sInput;
        EXPECT_EQ(r.messages, (std::vector<std::string>{kNotice}));
        EXPECT_EQ(r.sOut, sExpected) << sInput;
    }
}

TEST(FunctionalAck, EnvelopeFaultsAnsweredOrRefused)
{
    TestEnv env;
    struct Answered {
        const char* sFrom;
        const char* sTo;
        const char* sBody;
    } answered[] = {
        {"SE*3*0001", "SE*4*0001", "AK1*PO*5\nAK2*850*0001\nAK5*R*4\nAK9*R*1*1*0\n"},
        {"SE*3*0001", "SE*3*0002", "AK1*PO*5\nAK2*850*0001\nAK5*R*3\nAK9*R*1*1*0\n"},
        {"SE*3*0001~", "", "AK1*PO*5\nAK2*850*0001\nAK5*R*2\nAK9*R*1*1*0\n"},  // the set has no SE
        {"GE*1*5", "GE*2*5", "AK1*PO*5\nAK9*R*2*1*1*5\n"},
        {"GE*1*5", "GE*1*6", "AK1*PO*5\nAK9*R*1*1*1*4\n"},
        {"GE*1*5~IEA*1*000000001~", "", "AK1*PO*5\nAK9*R*1*1*1*3\n"},  // cut off after the set
    };
    for (const Answered& c : answered) {
        const AckRun r = Acknowledge(env, TestEnv::Replaced(kOne, c.sFrom, c.sTo));
        EXPECT_TRUE(r.bOk) << c.sFrom;
        EXPECT_EQ(Body(r.sOut), c.sBody) << c.sFrom;
    }
    EXPECT_EQ(Body(Acknowledge(env, kOne).sOut), "AK1*PO*5\nAK9*A*1*1*1\n");

    const std::string sCannot = "Could not generate 997: ";
    struct Refused {
        std::string sInput;
        std::string sMessage;
    } refused[] = {
        {TestEnv::Replaced(kOne, "SE*3*0001~", "SE*3*0001~BEG*00~"),
         sCannot + "Invalid Functional Group.\r\nInterchange 1: Segment BEG is outside a transaction set."},
        {TestEnv::Replaced(kOne, "ST*850*0001~BEG*00~SE*3*0001~", ""),
         sCannot + "Invalid Functional Group.\r\nInterchange 1: Functional group 1 (GS06 5) holds no transaction set."},
        {kOne + "BEG*00~", sCannot + "Missing ISA segment.\r\nSegment BEG follows the IEA segment of interchange 1."},
        {TestEnv::Replaced(kOne, "GS*PO*AS*AR*20040301*0907*5*X*004010~ST*850*0001~BEG*00~SE*3*0001~GE*1*5~", ""),
         sCannot + "Invalid Functional Group.\r\nThe file holds no functional group."},
    };
    for (const Refused& c : refused) {
        const AckRun r = Acknowledge(env, c.sInput);
        EXPECT_FALSE(r.bOk) << c.sInput;
        EXPECT_EQ(r.sOut, "<none>");
        EXPECT_EQ(r.messages, (std::vector<std::string>{kNotice, c.sMessage})) << c.sInput;
    }
}

TEST(FunctionalAck, ValuesThatDoNotFitAreRefused)
{
    TestEnv env;
    // Received with "|": a sender's identifier holding "*", a group control number that is no number.
    std::string sIn = TestEnv::Replaced(TestEnv::Replaced(kOne, "SENDER   ", "SEN*DER  "), "*5*X*", "*X5*X*");
    std::replace(sIn.begin(), sIn.end(), '*', '|');
    sIn = TestEnv::Replaced(sIn, "SEN|DER", "SEN*DER");
    AckRun r = Acknowledge(env, sIn);
    EXPECT_EQ(r.sOut, "<none>");
    EXPECT_EQ(r.messages.back(),
              "Could not generate 997: values of the received file do not fit the acknowledgement:"
              "\r\nISA06 \"SEN*DER\" holds a separator of the acknowledgement."
              "\r\nGS06 \"X5\" is not a number.");

    // A set control number of blanks is none; blanks after one are padding, which leaves it too short.
    r = Acknowledge(env, TestEnv::Replaced(kOne, "ST*850*0001~", "ST*850*    *X~"));
    EXPECT_EQ(r.sOut, "<none>");
    EXPECT_NE(r.messages.back().find("ST02 \"    \" is blank."), std::string::npos) << r.messages.back();
    r = Acknowledge(env, TestEnv::Replaced(kOne, "ST*850*0001~", "ST*850*001  *X~"));
    EXPECT_NE(r.messages.back().find("ST02 \"001  \" does not have 4 to 9 characters."), std::string::npos)
        << r.messages.back();

    // A qualifier that is no code of ISA05 and ISA07, even two characters long, cannot be addressed back;
    // the acknowledgement's own check would refuse it.
    for (const AckKind kind : {AckKind::FunctionalAck997, AckKind::InterchangeAckTA1}) {
        r = Acknowledge(env, TestEnv::Replaced(TestEnv::Replaced(kOne, "*ZZ*SENDER", "*Z*SENDER"), "*ZZ*RECEIVER", "*QQ*RECEIVER"), kind);
        EXPECT_EQ(r.sOut, "<none>");
        EXPECT_NE(r.messages.back().find("do not fit the acknowledgement:\r\nISA07 \"QQ\" is not an interchange ID "
                                         "qualifier.\r\nISA05 \"Z\" is not an interchange ID qualifier."),
                  std::string::npos)
            << r.messages.back();
    }

    // The acknowledgement's own separators must be told apart.
    Prepare(env, kOne);
    clsFA fa(Noon);
    fa.SetDelimiter(':');
    r = RunAck(env, fa);
    EXPECT_EQ(r.messages.back(),
              "Could not generate 997: The separators of the acknowledgement cannot be told apart: "
              "element \":\", component \":\", repetition \"^\", terminator \"~\".");
}

TEST(FunctionalAck, Ta1NotesTheFirstEnvelopeFault)
{
    TestEnv env;
    AckRun r = Acknowledge(env, kOne, AckKind::InterchangeAckTA1);
    EXPECT_TRUE(r.bOk);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(
        r.sOut,
        "ISA*00*          *00*          *ZZ*RECEIVER       *ZZ*SENDER         *040305*1200*U*00401*000000007*0*T*:\n"
        "TA1*000000001*040301*0907*A*000\nIEA*0*000000007\n");
    struct Case {
        const char* sFrom;
        const char* sTo;
        const char* sTa1;
    } cases[] = {
        {"IEA*1*000000001", "IEA*1*000000002", "TA1*000000001*040301*0907*E*001"},
        {"IEA*1*000000001", "IEA*2*000000001", "TA1*000000001*040301*0907*E*021"},
        {"IEA*1*000000001~", "", "TA1*000000001*040301*0907*R*023"},
        {"GE*1*5~", "", "TA1*000000001*040301*0907*R*024"},                     // the group is not closed
        {"*040301*0907*", "*040231*0907*", "TA1*000000001*040305*0907*R*014"},  // no date: today's instead
        {"*0*T*:~", "*0*X*:~", "TA1*000000001*040301*0907*R*020"},
        {"*0*T*:~", "*0*T*A~", "TA1*000000001*040301*0907*R*027"},
        {"*000000001*0*", "*12345*0*", "TA1*000012345*040301*0907*R*018"},
        {"ISA*00*          *", "ISA*00*         *", "TA1*000000001*040301*0907*R*011"},
        {"*U*00401*", "*U*00041*", "<none>"},  // no version, and the options give none either
        {"*ZZ*SENDER ", "*QQ*SENDER ", "<none>"},  // a qualifier that is no code cannot be addressed back
    };
    for (const Case& c : cases) {
        r = Acknowledge(env, TestEnv::Replaced(kOne, c.sFrom, c.sTo), AckKind::InterchangeAckTA1);
        if (r.sOut == "<none>") {
            EXPECT_EQ(r.sOut, c.sTa1) << c.sTo;
            continue;
        }
        EXPECT_TRUE(r.bOk) << c.sTo;
        const std::size_t nAt = r.sOut.find("TA1*");
        EXPECT_EQ(r.sOut.substr(nAt, r.sOut.find('\n', nAt) - nAt), c.sTa1) << c.sFrom << " -> " << c.sTo;
    }
    // A received ISA12 that is no version: the options' version in the header, the fault noted.
    env.config->IsaIcVersion = "401";
    r = Acknowledge(env, TestEnv::Replaced(kOne, "*U*00401*", "*U*00041*"), AckKind::InterchangeAckTA1);
    EXPECT_NE(r.sOut.find("*U*00401*000000007*0*T*:\nTA1*000000001*040301*0907*R*017\n"), std::string::npos) << r.sOut;
    env.config->IsaIcVersion.clear();

    // One TA1 interchange for each received one, in order.
    r = Acknowledge(env, kOne + TestEnv::Replaced(kOne, "IEA*1*000000001", "IEA*1*000000002"),
                    AckKind::InterchangeAckTA1);
    EXPECT_NE(r.sOut.find("TA1*000000001*040301*0907*A*000\nIEA*0*000000007\nISA*"), std::string::npos) << r.sOut;
    EXPECT_NE(r.sOut.find("*000000008*0*T*:\nTA1*000000001*040301*0907*E*001\nIEA*0*000000008\n"), std::string::npos);
}

TEST(FunctionalAck, OwnCheckGuardsWhatIsWritten)
{
    TestEnv env;
    Prepare(env, kOne);
    std::string sChecked;
    EdiFindings found;
    clsFA fa(Noon);
    fa.SetSelfCheck([&](const std::string& sFile) -> std::optional<EdiFindings> {
        sChecked = TestEnv::ReadFile(sFile);
        return found;
    });
    AckRun r = RunAck(env, fa);
    ASSERT_TRUE(r.bOk);
    EXPECT_EQ(sChecked, TestEnv::ReadFile(env.Path("out.ack")));  // what was checked is what was written

    found.emplace_back().sMessage = "AK102 is too long.";
    Prepare(env, kOne);
    r = RunAck(env, fa);
    EXPECT_FALSE(r.bOk);
    ASSERT_EQ(r.messages.size(), 2u);
    EXPECT_NE(r.messages[1].find("illogic condition.\r\nThe 997 acknowledgement fails its own check\r\nAK102 is too "
                                 "long.\r\n"),
              std::string::npos)
        << r.messages[1];

    // The set and group codes it echoes (AK201, AK101) may be wrong as received; nothing else may.
    found.clear();
    for (const char* sSegment : {"AK1", "AK2"}) {
        EdiFinding& f = found.emplace_back();
        f.kind = FindingKind::InvalidCode;
        f.sSegmentId = sSegment;
        f.nElement = 1;
    }
    Prepare(env, kOne);
    EXPECT_TRUE(RunAck(env, fa).bOk);
    found.back().nElement = 2;
    Prepare(env, kOne);
    EXPECT_FALSE(RunAck(env, fa).bOk);

    fa.SetSelfCheck([](const std::string&) { return std::optional<EdiFindings>(); });
    Prepare(env, kOne);
    r = RunAck(env, fa);
    EXPECT_FALSE(r.bOk);
    EXPECT_NE(r.messages.back().find("fails its own check: it could not be read back."), std::string::npos);
}

TEST(FunctionalAck, FileChecksAndDialog)
{
    TestEnv env;
    Prepare(env, kOne);
    TestEnv::WriteFile(env.Path("out.ack"), "precious");
    clsFA fa(Noon);
    EXPECT_FALSE(fa.CreateFA(env.Path("in.edi"), env.Path("IN.EDI")));
    env.ui.QueueAnswer(MsgAnswer::No);
    EXPECT_FALSE(fa.CreateFA(env.Path("in.edi"), env.Path("out.ack")));
    EXPECT_EQ(TestEnv::ReadFile(env.Path("out.ack")), "precious");
    EXPECT_EQ(env.ui.Messages(), (std::vector<std::string>{"Input file and output file can not be the same file.",
                                                           "File " + env.Path("out.ack") + "exists. Overwrite ?"}));

    std::string in = "  ", out = env.Path("x");
    EXPECT_FALSE(clsFA::DialogOk(in, out, fa));
    EXPECT_EQ(in, "");
    in = " " + env.Path("a") + " ";
    out = env.Path("A");
    EXPECT_FALSE(clsFA::DialogOk(in, out, fa));
    in = env.Path("in.edi");
    out = env.Path("new.ack");
    env.ui.Clear();
    fa.SetDelimiter('|');
    fa.SetKind(AckKind::InterchangeAckTA1);
    EXPECT_TRUE(clsFA::DialogOk(in, out, fa));
    EXPECT_EQ(env.ui.Messages().back(), "Interchange Acknowledgement created in:\r\n\r\n" + env.Path("new.ack"));
    EXPECT_NE(TestEnv::ReadFile(env.Path("new.ack")).find("\r\nTA1|000000001|"), std::string::npos);

    env.ui.Clear();
    fa.SetKind(AckKind::FunctionalAck997);
    in = env.Path("missing.edi");
    EXPECT_TRUE(clsFA::DialogOk(in, out = env.Path("m.997"), fa));  // closes, but no success notice
    ASSERT_EQ(env.ui.Messages().size(), 2u);
    EXPECT_EQ(env.ui.Messages()[1].rfind("Error:No such file or directory", 0), 0u);
    EXPECT_FALSE(fs::exists(env.Path("m.997")));
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

// Acknowledges sInput (kind, answered from the E1 check); the lines from ST to SE.
std::string Answer(TestEnv& env, const std::string& sInput, AckKind kind, std::string* pEnvelope = nullptr)
{
    Prepare(env, sInput);
    clsFA fa(Noon);
    fa.SetKind(kind);
    fa.SetChecker(CheckE1);
    const AckRun r = RunAck(env, fa);
    EXPECT_TRUE(r.bOk);
    if (pEnvelope)
        *pEnvelope = r.sOut.substr(0, r.sOut.find("ST*"));
    return r.sOut.substr(r.sOut.find("ST*"), r.sOut.rfind("GE*") - r.sOut.find("ST*"));
}

TEST(FunctionalAck, AnswersEverySetFromTheFindings)
{
    test::DocTreeFixture env;

    // A valid set is accepted; a wrong code and a wrong SE02 reject it.
    EXPECT_EQ(Answer(env, test::kValidE1, AckKind::FunctionalAck997),
              "ST*997*0001\nAK1*PO*7\nAK2*850*0001\nAK5*A\nAK9*A*1*1*1\nSE*6*0001\n");
    const std::string sBad =
        TestEnv::Replaced(TestEnv::Replaced(test::kValidE1, "N1*ST", "N1*ZZ"), "SE*7*0001", "SE*7*0002");
    EXPECT_EQ(Answer(env, sBad, AckKind::FunctionalAck997),
              "ST*997*0001\nAK1*PO*7\nAK2*850*0001\nAK3*N1*3*N1*8\nAK4*1*98*7*ZZ\nAK5*R*3*5\nAK9*R*1*1*0\n"
              "SE*8*0001\n");

    // A segment with no place in the definition: AK3 code 2, the set rejected.
    const std::string sOdd =
        TestEnv::Replaced(TestEnv::Replaced(test::kValidE1, "~\nN1*", "~\nNTE*X~\nN1*"), "SE*7*", "SE*8*");
    EXPECT_NE(Answer(env, sOdd, AckKind::FunctionalAck997).find("AK2*850*0001\nAK3*NTE*3**2\nAK5*R*5\nAK9*R*1*1*0\n"),
              std::string::npos);

    // A composite's code: its position names the component, AK402 stays
    // empty (a composite has no element number) and the value holds the
    // component separator, so it is not copied.
    EXPECT_NE(Answer(env, TestEnv::Replaced(test::kValidE1, "ZZ:1:2", "XX:1:2"), AckKind::FunctionalAck997)
                  .find("AK3*REF*6**8\nAK4*4:1**7\nAK5*R*5\n"),
              std::string::npos);

    // Two sets, the second with a component separator in a simple element and
    // a bad time in a repetition, the group's count wrong: partly accepted.
    std::string sTwo = test::kValidE1;
    const std::string sSet = sTwo.substr(sTwo.find("ST*"), sTwo.find("GE*") - sTwo.find("ST*"));
    std::string sSecond = TestEnv::Replaced(TestEnv::Replaced(sSet, "N1*ST", "N1*ST:X"), "^120000", "^2460");
    sTwo.insert(sTwo.find("GE*"),
                TestEnv::Replaced(TestEnv::Replaced(sSecond, "ST*850*0001", "ST*850*0002"), "SE*7*0001", "SE*7*0002"));
    EXPECT_EQ(Answer(env, sTwo, AckKind::FunctionalAck997),
              "ST*997*0001\nAK1*PO*7\nAK2*850*0001\nAK5*A\nAK2*850*0002\nAK3*N1*3*N1*8\nAK4*1*98*6\n"
              "AK3*DTM*5**8\nAK4*3*337*9*2460\nAK5*R*5\nAK9*R*1*2*1*5\nSE*12*0001\n");

    // A 997 notes 99 elements of a segment at most (AK4 repeats 99 times), a 999 every one.
    std::string sRepeats;
    for (int i = 0; i < 120; ++i)
        sRepeats += "^2460";
    const std::string sMany = TestEnv::Replaced(test::kValidE1, "^120000", sRepeats);
    const auto notes = [&](AckKind kind, const char* sNote) {
        const std::string s = Answer(env, sMany, kind);
        std::size_t n = 0;
        for (std::size_t i = s.find(sNote); i != std::string::npos; i = s.find(sNote, i + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(notes(AckKind::FunctionalAck997, "\nAK4*"), 99u);
    EXPECT_EQ(notes(AckKind::ImplementationAck999, "\nIK4*"), 120u);
    // An element past the 99th has no AK401 of two digits: its segment's AK3 alone says it.
    const std::string sLong = "N1*ST*Ship Here" + std::string(120, '*') + "*X";  // X in N1123
    const std::string sFar =
        Answer(env, TestEnv::Replaced(test::kValidE1, "N1*ST*Ship Here", sLong), AckKind::FunctionalAck997);
    EXPECT_NE(sFar.find("AK3*N1*3*N1*8\n"), std::string::npos) << sFar;
    EXPECT_EQ(sFar.find("AK4*"), std::string::npos) << sFar;

    // The 999: its own envelope version, AK1 with GS08, IK3 to IK5, the
    // component separator as too many components and the repetition in IK401.
    std::string sEnvelope;
    EXPECT_EQ(Answer(env, TestEnv::Replaced(sTwo, "GE*1*7", "GE*2*7"), AckKind::ImplementationAck999, &sEnvelope),
              "ST*999*0001*005010X231A1\nAK1*PO*7*005010\nAK2*850*0001\nIK5*A\nAK2*850*0002\nIK3*N1*3*N1*8\n"
              "IK4*1*98*13\nIK3*DTM*5**8\nIK4*3::2*337*9*2460\nIK5*R*5\nAK9*P*2*2*1\nSE*12*0001\n");
    EXPECT_EQ(
        sEnvelope,
        "ISA*00*          *00*          *ZZ*RECEIVER       *ZZ*SENDER         *040305*1200*^*00501*000000007*0*T*:\n"
        "GS*FA*RECEIVER*SENDER*20040305*1200*1*X*005010X231A1\n");

    // Every interchange is answered from its own findings.
    const std::string sBoth = std::string(test::kValidE1) + TestEnv::Replaced(sBad, "*000000001", "*000000002");
    const std::string sAnswer = Answer(env, sBoth, AckKind::FunctionalAck997);
    EXPECT_NE(sAnswer.find("AK2*850*0001\nAK5*A\nAK9*A*1*1*1\n"), std::string::npos) << sAnswer;
    EXPECT_NE(sAnswer.find("AK2*850*0001\nAK3*N1*3*N1*8\nAK4*1*98*7*ZZ\nAK5*R*3*5\nAK9*R*1*1*0\n"), std::string::npos);
}

// ---- the real engines on the public samples and the examples ------------------------------

struct Opened {
    std::string sType;
    int nError = -1;
    EdiFindings findings;
};

// Opens sFile as --type auto does and checks its elements.
Opened OpenAuto(const std::string& sFile, const std::vector<std::string>& types)
{
    Opened o;
    SepCode nDelimiter = 0, nSelimiter = 0;
    if (!gfGuessEdi(sFile, nDelimiter, nSelimiter))
        return o;
    o.sType = gfGuessDocType(sFile, types, gConfig->FreeFormDocType);
    EdiDocument doc;
    doc.SetSeparators(nDelimiter, nSelimiter);
    if (!doc.LoadDefinition(o.sType) || !doc.Open(sFile, EdiDocument::OpenMode::Batch))
        return o;
    o.nError = doc.BuildError();
    o.findings = clsTreeDCheck().Check(doc);
    return o;
}

// Every interchange of the answer names the sender of the one it answers as
// receiver and the other way round, in the ISA and in each GS.
void ExpectSwapped(const ReceivedFile& in, const ReceivedFile& out, const std::string& sWhat)
{
    using Pairs = std::vector<std::pair<std::size_t, std::size_t>>;  // the element written, the element received
    ASSERT_EQ(in.interchanges.size(), out.interchanges.size()) << sWhat;
    for (std::size_t i = 0; i < in.interchanges.size(); ++i) {
        const ReceivedInterchange &a = in.interchanges[i], &b = out.interchanges[i];
        for (const auto& [nOut, nIn] : Pairs{{5, 7}, {6, 8}, {7, 5}, {8, 6}})
            if (!gfTrimSpaces(gfElementAt(a.isa, nIn)).empty()) {
                EXPECT_EQ(gfTrimSpaces(gfElementAt(b.isa, nOut)), gfTrimSpaces(gfElementAt(a.isa, nIn)))
                    << sWhat << " ISA" << nOut;
            }
        for (std::size_t g = 0; g < b.groups.size() && g < a.groups.size(); ++g)
            for (const auto& [nOut, nIn] : Pairs{{2, 3}, {3, 2}})
                if (!gfTrimSpaces(gfElementAt(a.groups[g].gs, nIn)).empty()) {
                    EXPECT_EQ(gfTrimSpaces(gfElementAt(b.groups[g].gs, nOut)),
                              gfTrimSpaces(gfElementAt(a.groups[g].gs, nIn)))
                        << sWhat << " GS0" << nOut;
                }
    }
}

TEST(AcknowledgementCorpus, EveryReadableFileIsAnsweredWellFormed)
{
    TestEnv env;
    env.config->DefinitionFile = ORRINDALE_EDIDEF;
    clsDefFiles files;
    ASSERT_TRUE(files.RefreshBinFile());
    const GlobalsScope defs(&files);
    std::vector<std::string> entries;
    files.GetEdiDefFiles(entries);
    const std::vector<std::string> types = gfDocTypes(entries);

    std::vector<std::string> paths;
    for (const char* sDir : {"/tests/data/public", "/examples"})
        for (const auto& e : fs::recursive_directory_iterator(std::string(ORRINDALE_SOURCE_DIR) + sDir))
            if (e.is_regular_file() && e.path().filename().string().rfind("LICENSE", 0) != 0 &&
                e.path().filename() != "README.md")
                paths.push_back(e.path().string());
    std::sort(paths.begin(), paths.end());

    const std::string sOut = env.Path("out.ack");
    std::size_t nWithGroup = 0, nAnswered = 0;
    std::map<std::string, std::pair<int, int>> tally;  // kind: written and read back clean, tried
    for (const std::string& sFile : paths) {
        env.ui.Clear();
        if (OpenAuto(sFile, types).nError != 0)
            continue;
        const std::optional<ReceivedFile> received = EnvelopeReader::ReadFile(sFile);
        ASSERT_TRUE(received) << sFile;
        if (received->GroupCount() == 0)
            continue;
        ++nWithGroup;
        bool b5010 = false, bFrom5010 = false;
        for (const ReceivedInterchange& i : received->interchanges)
            for (const ReceivedGroup& g : i.groups) {
                b5010 = b5010 || gfElementAt(g.gs, 8).rfind("00501", 0) == 0;
                bFrom5010 = bFrom5010 || gfElementAt(g.gs, 8).substr(0, 6) >= "005010";
            }
        struct Kind {
            AckKind kind;
            bool bFindings;
            std::string sType;  // the definition the acknowledgement is read against
        };
        const std::string s997 = bFrom5010 ? "997_5010" : "997";  // the 997 of the groups' release
        std::vector<Kind> kinds = {{AckKind::FunctionalAck997, false, s997},
                                   {AckKind::FunctionalAck997, true, s997},
                                   {AckKind::InterchangeAckTA1, false, env.config->FreeFormDocType}};
        if (b5010)
            kinds.push_back({AckKind::ImplementationAck999, true, "999_X231A1"});
        bool bAll = true;
        for (const Kind& k : kinds) {
            const std::string sKind = k.sType + (k.bFindings ? " from findings" : "");
            const std::string sWhat = sFile + " as " + sKind;
            ++tally[sKind].second;
            fs::remove(sOut);
            clsFA fa;
            fa.SetKind(k.kind);
            if (k.bFindings)
                fa.SetChecker(&clsTreeDCheck::CheckFile);
            fa.SetSelfCheck(&clsTreeDCheck::CheckFile);
            const bool bOk = fa.CreateFA(sFile, sOut);
            bAll = bAll && bOk;
            EXPECT_TRUE(bOk) << sWhat << ": " << (env.ui.Messages().empty() ? "" : env.ui.Messages().back());
            if (!bOk)
                continue;
            const Opened ack = OpenAuto(sOut, types);
            EXPECT_EQ(ack.sType, k.sType) << sWhat;
            EXPECT_EQ(ack.nError, 0) << sWhat;
            EXPECT_TRUE(ack.findings.empty()) << sWhat << ": " << ack.findings.at(0).sMessage;
            ExpectSwapped(*received, *EnvelopeReader::ReadFile(sOut), sWhat);
            tally[sKind].first += ack.nError == 0 && ack.findings.empty() ? 1 : 0;
        }
        nAnswered += bAll ? 1 : 0;
    }
    std::printf("acknowledged %zu of %zu files that open with a group\n", nAnswered, nWithGroup);
    for (const auto& [sKind, counts] : tally)
        std::printf("  %s: %d of %d written and read back without a finding\n", sKind.c_str(), counts.first,
                    counts.second);
    EXPECT_GE(nWithGroup, 40u);  // the samples are there
}

}  // namespace
}  // namespace orr
