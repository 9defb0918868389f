#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "edi/cls2ndChance.h"
#include "edi/modGuessEdi.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::TestEnv;

const std::string kIsaBody =
    "*00*          *00*          *ZZ*SENDER         *ZZ*RECEIVER       *230101*1200*U*00401*000000001*0*P*>";

// An interchange head with the given separators and line end after each terminator.
std::string Interchange(char d, const std::string& sTerm, const std::string& sEol)
{
    std::string sIsa = "ISA" + kIsaBody;
    std::replace(sIsa.begin(), sIsa.end(), '*', d);
    std::string s = sIsa + sTerm + sEol + "GS" + d + "PO" + d + "S" + d + "R" + d + "20230101" + d + "1200" + d +
                    "1" + d + "X" + d + "004010" + sTerm + sEol + "ST" + d + "850" + d + "0001" + sTerm + sEol;
    return s;
}

struct Detected {
    bool bFound;
    SepCode d, s;
    std::string sMessage;
    bool operator==(const Detected&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Detected& r)
{
    return os << r.bFound << " " << r.d << " " << r.s << " [" << r.sMessage << "]";
}

Detected Guess(const std::string& sHead)
{
    clsConfig config("", "");
    const GuessResult r = gfGuessText(sHead, "/data/in.edi", config);
    return {r.bFound, r.nDelimiter, r.nSelimiter, r.sMessage};
}

// ---- detection on text ---------------------------------------------------------

TEST(GuessEdi, SeparatorsFoundInText)
{
    const std::string sIsa = Interchange('*', "~", "\r\n");
    std::string sLower = sIsa;
    sLower.replace(0, 3, "isa");
    // The component separator counts when it is a candidate itself.
    std::string sAt = Interchange('*', "~", "");
    sAt[kIsaBody.size() + 2] = '@';
    // Without ISA16 the terminator follows the last element separator, the GS right after it.
    std::string sNo16 = Interchange('*', "~", "");
    sNo16.erase(kIsaBody.size() + 2, 1);
    const struct {
        std::string sText;
        SepCode d, s;
    } cases[] = {
        // Line ends and terminators.
        {Interchange('*', "~", "\r\n"), 42, 126},
        {Interchange('*', "~", ""), 42, 126},
        {Interchange('*', "~", "\n"), 42, 126},
        {Interchange('*', "", "\r\n"), 42, 13},
        {Interchange('*', "", "\n"), 42, 10},
        {Interchange('*', "", "\r"), 42, 13},
        // Unusual candidates; "~" may separate elements, then the component separator field decides.
        {Interchange('|', "'", ""), 124, 39},
        {Interchange('+', "\x15", "\r\n"), 43, 21},
        {Interchange('{', "@", ""), 123, 64},
        {Interchange('~', "'", ""), 126, 39},
        // What comes before the control segment: blank lines, a byte-order mark, noise; lower case.
        {"\r\n\r\n   \r\n" + sIsa, 42, 126},
        {"\xEF\xBB\xBF" + sIsa, 42, 126},
        {"-- 12 --" + sIsa, 42, 126},
        {sLower, 42, 126},
        // Files starting with a group or a transaction set.
        {"GS*PO*S*R*20230101*1200*1*X*004010~ST*850*0001~", 42, 126},
        {"GS*PO*S*R*20230101*1200*1*X*004010\r\nST*850*0001\r\n", 42, 13},
        {"ST*850*0001'BEG*00*SA*1**20230101'", 42, 39},
        {"st|850|0001\nBEG|00\n", 124, 10},
        // Carriage return by default: too few fields, fewer than 17 fields in the first 512
        // characters.
        {"GS*PO*S*R~ST*850~", 42, 13},
        {"ISA*" + std::string(600, 'x') + "*00~", 42, 13},
        // A fixed-width ISA names its terminator whatever it is, and ISA16 is never taken for it.
        {Interchange('*', "!", ""), 42, 33},
        {sAt, 42, 126},
        {sNo16, 42, 126},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Guess(c.sText), (Detected{true, c.d, c.s, ""})) << c.sText;
}

TEST(GuessEdi, FailuresAndTheirMessages)
{
    EXPECT_EQ(Guess(""), (Detected{false, 42, 13, "The file is too small to be an EDI file."}));
    // Blanks are trimmed, line ends are not.
    EXPECT_EQ(Guess("   ISA*00* \r  "), (Detected{false, 42, 13, "The file is too small to be an EDI file.ISA*00* \r"}));
    EXPECT_EQ(Guess("Hello, this is a letter."),
              (Detected{false, 42, 13, "Could not find the control segment in file:/data/in.edi"}));
    EXPECT_EQ(Guess(std::string("\x7f" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0", 16)),
              (Detected{false, 42, 13, "Could not find the control segment in file:/data/in.edi"}));
    // Only the first 512 characters are looked at.
    EXPECT_EQ(Guess(std::string(520, '\n') + Interchange('*', "~", "")),
              (Detected{false, 42, 13, "Could not find the control segment in file:/data/in.edi"}));
    // The identifier is all there is.
    EXPECT_EQ(Guess("1234567890 ISA"), (Detected{false, 42, 13, "Data Element separator is not known:"}));

    const std::string sGs = "\x1D" "PO\x1DS\x1DR~";
    // The separator is named as the options write it.
    EXPECT_EQ(Guess("ISA" + sGs), (Detected{false, 0x1D, 13, "Data Element separator is not known:0x1D"}));
    EXPECT_EQ(Guess("ISA  :00:01~"), (Detected{false, ':', 13, "Data Element separator is not known:0x3A"}));
}

TEST(GuessEdi, SegmentSeparatorScan)
{
    clsConfig config("", "");
    EXPECT_EQ(gfGuessSelimiter("ST*850*0001~BEG", 2, '*', config), 126);
    EXPECT_EQ(gfGuessSelimiter("ST*850* \n~", 2, '*', config), 10);
    EXPECT_EQ(gfGuessSelimiter("ST*850*   ", 2, '*', config), 13);  // empty after trimming
    EXPECT_EQ(gfGuessSelimiter("ST*850*abc", 2, '*', config), 13);  // no candidate
    EXPECT_EQ(gfGuessSelimiter("ST*850", 2, '*', config), 13);      // too few fields
    EXPECT_EQ(gfGuessSelimiter("ST*850*a'b~", 2, '*', config), 39);
    EXPECT_EQ(gfGuessSelimiter("ST*850*0001~", 2, 0x2A2A, config), 13);
}

// ---- detection on files ----------------------------------------------------------

TEST(GuessEdi, FileDetectionLeavesTheFileAlone)
{
    TestEnv env;
    const std::string sFile = env.Path("a.edi");
    const std::string sText = Interchange('*', "~", "\r\n") + std::string(2000, 'z');
    TestEnv::WriteFile(sFile, sText);
    fs::last_write_time(sFile, fs::file_time_type::clock::now() - std::chrono::hours(5));
    const auto when = fs::last_write_time(sFile);

    SepCode d = 0, s = 0;
    EXPECT_TRUE(gfGuessEdi(sFile, d, s));
    EXPECT_EQ(d, 42);
    EXPECT_EQ(s, 126);
    EXPECT_TRUE(env.ui.Calls().empty());
    EXPECT_EQ(TestEnv::ReadFile(sFile), sText);
    EXPECT_EQ(fs::last_write_time(sFile), when);
}

TEST(GuessEdi, FileFailuresAreShownToTheUser)
{
    TestEnv env;
    SepCode d = 0, s = 0;

    TestEnv::WriteFile(env.Path("empty.edi"), "");
    EXPECT_FALSE(gfGuessEdi(env.Path("empty.edi"), d, s));
    TestEnv::WriteFile(env.Path("letter.txt"), "Dear reader, nothing here.");
    EXPECT_FALSE(gfGuessEdi(env.Path("letter.txt"), d, s));
    TestEnv::WriteFile(env.Path("gs.edi"), "GS\x1DPO\x1DSENDER~");
    EXPECT_FALSE(gfGuessEdi(env.Path("gs.edi"), d, s));
    ASSERT_EQ(env.ui.Calls().size(), 3u);
    for (const auto& call : env.ui.Calls()) {
        EXPECT_EQ(call.icon, MsgIcon::Information);
        EXPECT_EQ(call.buttons, MsgButtons::OK);
        EXPECT_EQ(call.sTitle, "Orrindale");
    }
    EXPECT_EQ(env.ui.Messages(),
              (std::vector<std::string>{"The file is too small to be an EDI file.",
                                        "Could not find the control segment in file:" + env.Path("letter.txt"),
                                        "Data Element separator is not known:0x1D"}));
}

TEST(GuessEdi, UnreadablePathsGiveTheRunTimeErrorReport)
{
    TestEnv env;
    SepCode d = 0, s = 0;
    EXPECT_FALSE(gfGuessEdi(env.Path("none.edi"), d, s));
    fs::create_directory(env.Path("folder"));
    EXPECT_FALSE(gfGuessEdi(env.Path("folder"), d, s));
    EXPECT_FALSE(gfGuessEdi("", d, s));
    const auto messages = env.ui.Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], "Error:No such file or directory: " + env.Path("none.edi") + "\r\n\r\nError Code:2");
    EXPECT_EQ(messages[1], "Error:Is a directory: " + env.Path("folder") + "\r\n\r\nError Code:21");
    EXPECT_EQ(messages[2].rfind("Error:No such file or directory", 0), 0u);
    EXPECT_EQ(env.ui.Calls()[0].icon, MsgIcon::Critical);

    if (::geteuid() != 0) {  // root reads whatever the permissions say
        TestEnv::WriteFile(env.Path("locked.edi"), Interchange('*', "~", ""));
        fs::permissions(env.Path("locked.edi"), fs::perms::none);
        EXPECT_FALSE(gfGuessEdi(env.Path("locked.edi"), d, s));
        EXPECT_EQ(env.ui.Messages().back(),
                  "Error:Permission denied: " + env.Path("locked.edi") + "\r\n\r\nError Code:13");
    }
}

// ---- the question and the separator-choice dialog ---------------------------------

TEST(SeparatorChoice, QuestionTextAndAnswers)
{
    TestEnv env;
    const SeparatorPair detected{'|', 13};
    const SeparatorPair configured{'*', '~'};
    const std::string sExpected =
        "This document seems to be using:\r\n"
        "Data Element separator:|  and Segment separator:CR\r\n\r\n"
        "The current Editor settings are:\r\n"
        "Data Element separator:*  and Segment separator:~\r\n\r\n"
        "Use detected separators ?\r\n\r\n"
        "Click Yes to use the detected separators\r\n"
        "Click No  to use the Editor setting separators\r\n\r\n\r\n\r\n"
        "(You can change the Editor settings by selecting the View/Option menu.)";
    EXPECT_EQ(gfSeparatorQuestionText(detected, configured, *env.config), sExpected);

    env.ui.QueueAnswer(MsgAnswer::Yes);
    env.ui.QueueAnswer(MsgAnswer::No);
    env.ui.QueueAnswer(MsgAnswer::Cancel);
    EXPECT_EQ(gfChooseSeparators(detected, *env.config), detected);
    EXPECT_EQ(gfChooseSeparators(detected, *env.config), configured);
    EXPECT_EQ(gfChooseSeparators(detected, *env.config), std::nullopt);
    ASSERT_EQ(env.ui.Calls().size(), 3u);
    const auto& call = env.ui.Calls()[0];
    EXPECT_EQ(call.sText, sExpected);
    EXPECT_EQ(call.sTitle, "Select Segment and DE Separators");
    EXPECT_EQ(call.icon, MsgIcon::Question);
    EXPECT_EQ(call.buttons, MsgButtons::YesNoCancel);

    // The same pair asks nothing; one differing separator asks.
    env.ui.Clear();
    EXPECT_EQ(gfChooseSeparators(configured, *env.config), configured);
    EXPECT_TRUE(env.ui.Calls().empty());
    env.ui.QueueAnswer(MsgAnswer::Yes);
    EXPECT_EQ(gfChooseSeparators(SeparatorPair{'*', 0x15}, *env.config), (SeparatorPair{'*', 0x15}));
    EXPECT_NE(env.ui.Messages()[0].find("Segment separator:0x15\r\n"), std::string::npos);
}

TEST(SeparatorChoice, DialogLogicPreselectsAndReturnsNotations)
{
    TestEnv env;
    clsConfig& config = *env.config;
    config.Delimiter = '|';
    config.Selimiter = 13;

    cls2ndChance dlg(config);
    EXPECT_EQ(dlg.Segment().entries, (std::vector<std::string>{"LF", "CR", "~", "'", "@", "0x15"}));
    EXPECT_EQ(dlg.DataElement().entries, (std::vector<std::string>{"*", "+", "~", "|", "{", "}"}));
    EXPECT_EQ(dlg.SegmentText(), "CR");
    EXPECT_EQ(dlg.DataElementText(), "|");

    dlg.SelectSegment(5);
    dlg.SelectDataElement(1);
    dlg.SelectDataElement(6);  // no such entry: ignored
    ASSERT_TRUE(dlg.Ok());
    EXPECT_EQ(dlg.Choice(), (SeparatorPair{'+', 0x15}));
    EXPECT_EQ(config.Delimiter, '|');  // the configured pair stays
    EXPECT_EQ(config.Selimiter, 13);

    cls2ndChance again(config);
    again.Cancel();
    EXPECT_EQ(again.Choice(), std::nullopt);
}

TEST(SeparatorChoice, ConfiguredSeparatorThatIsNoCandidate)
{
    TestEnv env;
    clsConfig& config = *env.config;
    config.Selimiter = '!';
    cls2ndChance dlg(config);
    EXPECT_EQ(dlg.Segment().nSelected, -1);
    EXPECT_EQ(dlg.SegmentText(), "");
    EXPECT_FALSE(dlg.CanOk());
    EXPECT_FALSE(dlg.Ok());  // stays open, stores nothing
    EXPECT_EQ(dlg.Choice(), std::nullopt);
    dlg.SelectSegment(0);
    EXPECT_TRUE(dlg.Ok());
    EXPECT_EQ(dlg.Choice(), (SeparatorPair{'*', 10}));
    dlg.SelectSegment(-1);
    EXPECT_FALSE(dlg.CanOk());
}

}  // namespace
}  // namespace orr
