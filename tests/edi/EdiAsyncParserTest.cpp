#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "edi/clsEdiAsyncParser.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::TestEnv;
using Log = std::vector<std::string>;

// Every event as one line, in order.
struct Recorder : EdiParserListener {
    std::vector<std::string> log;
    void TriggerIsa(bool bBegin, std::string_view s) override { Add(bBegin ? "ISA+ " : "ISA- ", s); }
    void TriggerGs(bool bBegin, std::string_view s) override { Add(bBegin ? "GS+ " : "GS- ", s); }
    void TriggerSt(bool bBegin, std::string_view s) override { Add(bBegin ? "ST+ " : "ST- ", s); }
    void TriggerSeg(std::string_view s) override { Add("SEG ", s); }
    void TriggerEnd() override { log.push_back("END"); }
    void ErrorDetected(std::int16_t nCode, const std::string& s) override
    {
        log.push_back("ERR " + std::to_string(nCode) + " " + s);
    }
    void Add(const char* sWhat, std::string_view s) { log.push_back(sWhat + std::string(s)); }
};

struct Opts {
    SepCode nDelimiter = '*';
    SepCode nSelimiter = '~';
    bool bIsa = true, bGs = true, bSt = true, bSeg = true;
};

void Configure(clsEdiAsyncParser& p, const Opts& o)
{
    p.SetDelimiter(o.nDelimiter);
    p.SetSelimiter(o.nSelimiter);
    p.bIsaTrigger = o.bIsa;
    p.bGsTrigger = o.bGs;
    p.bStTrigger = o.bSt;
    p.bSegTrigger = o.bSeg;
}

// Feeds the pieces, each from a short-lived copy that is scribbled over
// afterwards, so that nothing may keep pointing into the caller's text.
Log ParsePieces(const std::vector<std::string>& pieces, const Opts& o = {})
{
    Recorder r;
    clsEdiAsyncParser p(&r);
    Configure(p, o);
    for (const std::string& piece : pieces) {
        std::string copy = piece;
        p.ParseData(copy);
        std::fill(copy.begin(), copy.end(), '#');
    }
    p.EndData();
    return r.log;
}

std::vector<std::string> Split(std::string_view sText, std::size_t nPiece)
{
    std::vector<std::string> pieces;
    for (std::size_t i = 0; i < sText.size(); i += nPiece)
        pieces.emplace_back(sText.substr(i, nPiece));
    return pieces;
}

Log Parse(std::string_view sText, const Opts& o = {})
{
    return ParsePieces({std::string(sText)}, o);
}

// The same events for every piece size from 1 to the whole text, and for
// every cut of the text into two pieces.
void ExpectSameInAnyPieces(std::string_view sText, const Opts& o = {})
{
    const auto whole = Parse(sText, o);
    for (std::size_t n = 1; n <= sText.size(); ++n) {
        const auto log = ParsePieces(Split(sText, n), o);
        ASSERT_EQ(log, whole) << "piece size " << n;
    }
    for (std::size_t cut = 0; cut <= sText.size(); ++cut) {
        const auto log =
            ParsePieces({std::string(sText.substr(0, cut)), std::string(sText.substr(cut))}, o);
        ASSERT_EQ(log, whole) << "cut at " << cut;
    }
}

const std::string kIsa =
    "ISA*00*          *00*          *ZZ*SENDER         *ZZ*RECEIVER       *230101*1200*U*00401*000000001*0*P*>";

// An interchange with CR LF after every terminator, a name split over two
// lines, an empty and an all-blank segment.
std::string Interchange850()
{
    return kIsa + "~\r\n"
                  "GS*PO*SENDER*RECEIVER*20230101*1200*1*X*004010~\r\n"
                  "ST*850*0001~\r\n"
                  "BEG*00*SA*PO123**20230101~\r\n"
                  "N1*ST*ACME\r\n"
                  " WAREHOUSE~\r\n"
                  "~\r\n"
                  "   ~\r\n"
                  "PO1*1*10*EA*9.99**VP*ABC~\r\n"
                  "CTT*1~\r\n"
                  "SE*7*0001~\r\n"
                  "GE*1*1~\r\n"
                  "IEA*1*000000001~\r\n";
}

const std::vector<std::string> kInterchange850Events = {
    "ISA+ " + kIsa,
    "GS+ GS*PO*SENDER*RECEIVER*20230101*1200*1*X*004010",
    "ST+ ST*850*0001",
    "SEG BEG*00*SA*PO123**20230101",
    "SEG N1*ST*ACME WAREHOUSE",
    "SEG PO1*1*10*EA*9.99**VP*ABC",
    "SEG CTT*1",
    "ST- SE*7*0001",
    "GS- GE*1*1",
    "ISA- IEA*1*000000001",
    "END",
};

// ---- segments and their cleaning ---------------------------------------------

TEST(EdiAsyncParser, InterchangeEventsInOrderInAnyPieces)
{
    EXPECT_EQ(Parse(Interchange850()), kInterchange850Events);
    ExpectSameInAnyPieces(Interchange850());
    // Line ends as terminators, CR LF between the lines.
    std::string sLines = Interchange850();
    sLines.erase(std::remove(sLines.begin(), sLines.end(), '~'), sLines.end());
    ExpectSameInAnyPieces(sLines, Opts{'*', 0});
    // No line ends at all.
    std::string sFlat = Interchange850();
    sFlat.erase(std::remove_if(sFlat.begin(), sFlat.end(), [](char c) { return c == '\r' || c == '\n'; }),
                sFlat.end());
    ExpectSameInAnyPieces(sFlat);
    // Carriage return as the terminator, with CR LF line ends.
    std::string sCr = Interchange850();
    sCr.erase(std::remove(sCr.begin(), sCr.end(), '~'), sCr.end());
    ExpectSameInAnyPieces(sCr, Opts{'*', 13});
    EXPECT_EQ(Parse(sCr, Opts{'*', 13})[4], "SEG N1*ST*ACME");  // the CR inside the name now ends it
    // Mixed line ends; a group without interchange.
    ExpectSameInAnyPieces("\r\n\rN1*A~N2*\rB~N3*C\n~\r");
    ExpectSameInAnyPieces("GS*PO*A*B*20230101*1200*1*X*004010~\r\nST*850*1~\r\nBEG*00~\r\nSE*3*1~\r\nGE*1*1~\r\n");
}

// Segments of every length from 1 to 200 (terminators at every offset of
// the finder's 64-character blocks), some with line ends inside, against a
// plain split of the same text.
TEST(EdiAsyncParser, SegmentsOfEveryLengthMatchAPlainSplit)
{
    std::string sText;
    Log expected;
    for (std::size_t n = 1; n <= 200; ++n) {
        std::string sSeg = "S" + std::to_string(n) + "*";
        while (sSeg.size() < n + 4)
            sSeg += char('a' + sSeg.size() % 26);
        std::string sRaw = sSeg;
        if (n % 7 == 0)
            sRaw.insert(sRaw.size() / 2, "\r\n");  // a line end inside: removed
        sText += sRaw + (n % 5 == 0 ? "~\r\n" : "~");
        expected.push_back("SEG " + sSeg);
    }
    expected.push_back("ERR 1 Leftover data");  // no IEA: the segments stay in the buffer
    EXPECT_EQ(Parse(sText), expected);
    for (std::size_t nPiece : {1u, 63u, 64u, 65u, 1000u})
        EXPECT_EQ(ParsePieces(Split(sText, nPiece)), expected) << "piece size " << nPiece;

    // A handler that changes the terminator in the middle of a piece: the
    // rest of that piece is cut at the new one.
    struct Switcher : Recorder {
        clsEdiAsyncParser* p = nullptr;
        void TriggerSeg(std::string_view s) override
        {
            Recorder::TriggerSeg(s);
            if (s == "N2*B")
                p->SetSelimiter('\'');
        }
    } r;
    clsEdiAsyncParser p(&r);
    r.p = &p;
    Configure(p, {});
    p.ParseData("N1*A~N2*B~N3*C~D'N4*E'");
    EXPECT_EQ(r.log, (Log{"SEG N1*A", "SEG N2*B", "SEG N3*C~D", "SEG N4*E"}));
}

// Texts fed whole and the events they give. Without an IEA everything cut
// stays in the buffer and is left over at the end.
TEST(EdiAsyncParser, TextsGiveTheirEvents)
{
    const Opts lines{'*', 0}, isaOnly{'*', '~', true, false, false, false};
    const std::string sIea = "ISA*1~IEA*1~", sLeft = "ERR 1 Leftover data";
    const Log pair = {"ISA+ ISA*1", "ISA- IEA*1"}, pairEnd = {pair[0], pair[1], "END"},
              pairLeft = {pair[0], pair[1], sLeft};
    const struct {
        const char* sWhat;
        std::string sText;
        Opts o;
        Log events;
    } cases[] = {
        {"each line a segment, whatever the line end; empty lines give nothing",
         "ISA*1\r\n\r\nN2*B\nN3*C\rIEA*1\n\r\n", lines, {"ISA+ ISA*1", "SEG N2*B", "SEG N3*C", "ISA- IEA*1", "END"}},
        {"a tilde is ordinary text between line ends", "N1*A~N2*B\r\n", lines, {"SEG N1*A~N2*B", sLeft}},
        {"the last line without its line end is not reported", "ISA*1\r\nIEA*1", lines, {"ISA+ ISA*1", sLeft}},
        {"CR only and mixed line ends between segments", "N1*A~\rN2*B~\nN3*C~\r\n\r", {},
         {"SEG N1*A", "SEG N2*B", "SEG N3*C", sLeft}},
        {"line ends inside segments", "\r\n\rN1*A~N2*\rB~N3*C\n~", {}, {"SEG N1*A", "SEG N2*B", "SEG N3*C", sLeft}},
        {"blanks trimmed only at the ends, tabs stay", "  N1*A B  ~\tN2*B\t~ \r\n N3*C \r\n ~", {},
         {"SEG N1*A B", "SEG \tN2*B\t", "SEG N3*C", sLeft}},
        {"identifiers are exact and case-sensitive", "IEA~isa*00~ISA *00~GSX*1~S*1~ISA*1~", {},
         {"SEG IEA", "SEG isa*00", "SEG ISA *00", "SEG GSX*1", "SEG S*1", "ISA+ ISA*1", sLeft}},
        {"an element separator that never occurs makes every segment ???", sIea, {'|', '~'},
         {"SEG ISA*1", "SEG IEA*1", sLeft}},
        {"element separator beyond 8 bits", sIea, {0x2A2A, '~'}, {"SEG ISA*1", "SEG IEA*1", sLeft}},
        {"terminator beyond 8 bits", sIea, {'*', 0x17E}, {sLeft}},
        {"a terminator never found cuts nothing", Interchange850(), {'*', '\''}, {sLeft}},
        {"group-started text", "GS*PO*A*B*20230101*1200*1*X*004010~\r\nST*850*1~\r\nBEG*00~\r\nSE*3*1~\r\nGE*1*1~\r\n",
         {},
         {"GS+ GS*PO*A*B*20230101*1200*1*X*004010", "ST+ ST*850*1", "SEG BEG*00", "ST- SE*3*1", "GS- GE*1*1", sLeft}},
        {"transaction-started text", "ST*850*1~BEG*00~SE*3*1~", {},
         {"ST+ ST*850*1", "SEG BEG*00", "ST- SE*3*1", sLeft}},
        // The verdict of EndData on what follows the IEA.
        {"ends exactly at the IEA terminator", sIea, isaOnly, pair},
        {"line end after IEA", sIea + "\r\n", isaOnly, pairEnd},
        {"white space after IEA", sIea + " \t\r\n\n", isaOnly, pairEnd},
        {"ends inside a segment", sIea + "ISA*2", isaOnly, pairLeft},
        {"a whole segment after IEA", sIea + "N1*A~", isaOnly, pairLeft},
        {"an empty segment after IEA leaves its terminator", sIea + "~", isaOnly, pairLeft},
        {"a blank segment after IEA", sIea + " ~", isaOnly, pairLeft},
        {"an empty line is blank with line-end terminators", "ISA*1\r\nIEA*1\r\n\r\n \r\n",
         {'*', 0, true, false, false, false}, pairEnd},
        {"text before the ISA counts as any other", "N1*A~" + sIea, isaOnly, pair},
        {"nothing at all", "", {}, {}},
        {"only white space", "\r\n \t", {}, {"END"}},
        {"white space and text", "\r\n x", {}, {sLeft}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Parse(c.sText, c.o), c.events) << c.sWhat;
}

TEST(EdiAsyncParser, UnusualSeparators)
{
    const std::string sText = "ISA|00|X|^'\r\nGS|PO'ST|850'BEG|00'SE|3'GE|1'IEA|1'";
    const std::vector<std::string> expected = {"ISA+ ISA|00|X|^", "GS+ GS|PO", "ST+ ST|850", "SEG BEG|00",
                                               "ST- SE|3",        "GS- GE|1",  "ISA- IEA|1"};
    EXPECT_EQ(Parse(sText, Opts{'|', '\''}), expected);
    std::string sNak = sText;
    std::replace(sNak.begin(), sNak.end(), '\'', '\x15');
    std::replace(sNak.begin(), sNak.end(), '|', '+');
    auto log = Parse(sNak, Opts{'+', 0x15});
    ASSERT_EQ(log.size(), 7u);
    EXPECT_EQ(log[3], "SEG BEG+00");
}

// ---- trigger switches --------------------------------------------------------

TEST(EdiAsyncParser, EachTriggerSwitchAloneReportsItsClass)
{
    const std::string sText = Interchange850();
    Opts o{'*', '~', true, false, false, false};
    EXPECT_EQ(Parse(sText, o), (Log{"ISA+ " + kIsa, "ISA- IEA*1*000000001", "END"}));
    o = {'*', '~', false, true, false, false};
    EXPECT_EQ(Parse(sText, o),
              (Log{"GS+ GS*PO*SENDER*RECEIVER*20230101*1200*1*X*004010", "GS- GE*1*1", "END"}));
    o = {'*', '~', false, false, true, false};
    EXPECT_EQ(Parse(sText, o), (Log{"ST+ ST*850*0001", "ST- SE*7*0001", "END"}));
    o = {'*', '~', false, false, false, true};
    EXPECT_EQ(Parse(sText, o),
              (Log{"SEG BEG*00*SA*PO123**20230101", "SEG N1*ST*ACME WAREHOUSE",
                                        "SEG PO1*1*10*EA*9.99**VP*ABC", "SEG CTT*1", "END"}));
}

// Unconfigured, the parser reports only the interchange and cuts with the
// configured separators.
TEST(EdiAsyncParser, DefaultsAreTheInterchangeAndTheConfiguredSeparators)
{
    TestEnv env;
    env.config->Delimiter = '|';
    env.config->Selimiter = 0;
    Recorder r;
    clsEdiAsyncParser p(&r);
    p.ParseData("ISA|1\r\nN1|A\r\nN2*B~C\nIEA|1\r\n");
    p.EndData();
    EXPECT_EQ(r.log, (Log{"ISA+ ISA|1", "ISA- IEA|1", "END"}));
}

// ---- the cut at IEA and after the end ----------------------------------------

TEST(EdiAsyncParser, TheBufferIsCutAtIeaWhateverTheSwitches)
{
    const std::string sText = "ISA*1~GS*1~ST*1~N1*A~SE*1~GE*1~IEA*1~\r\n";
    for (int nMask = 0; nMask < 16; ++nMask) {
        const Opts o{'*', '~', bool(nMask & 1), bool(nMask & 2), bool(nMask & 4), bool(nMask & 8)};
        auto log = Parse(sText + sText, o);
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), "END") << "switches " << nMask;
        EXPECT_EQ(log.size(), 1 + 2 * (2 * bool(nMask & 1) + 2 * bool(nMask & 2) + 2 * bool(nMask & 4) +
                                       bool(nMask & 8)));
    }
    // "IEA" without an element is no IEA: nothing is cut.
    EXPECT_EQ(Parse("ISA*1~IEA~\r\n", Opts{'*', '~', true, false, false, false}),
              (Log{"ISA+ ISA*1", "ERR 1 Leftover data"}));
}

TEST(EdiAsyncParser, AfterEndDataNothingIsCutOrReported)
{
    Recorder r;
    clsEdiAsyncParser p(&r);
    Configure(p, {});
    p.ParseData("N1*A~N2");
    p.EndData();
    p.ParseData("*B~N3*C~");
    p.EndData();
    EXPECT_EQ(r.log, (Log{"SEG N1*A", "ERR 1 Leftover data", "ERR 1 Leftover data"}));
}

// ---- byte-order mark ---------------------------------------------------------

TEST(EdiAsyncParser, ByteOrderMarkAtTheStartIsSkipped)
{
    const std::string sBom = "\xEF\xBB\xBF";
    EXPECT_EQ(Parse(sBom + Interchange850()), kInterchange850Events);
    ExpectSameInAnyPieces(sBom + "ISA*1~N1*A~IEA*1~");
    EXPECT_EQ(Parse(sBom), Log{});
    EXPECT_EQ(Parse(sBom + "\r\n"), Log{"END"});
    // Only a whole mark at the very start: part of one is text.
    EXPECT_EQ(Parse("\xEF\xBBISA*1~"), (Log{"SEG \xEF\xBBISA*1", "ERR 1 Leftover data"}));
    EXPECT_EQ(ParsePieces({"\xEF", "\xBB"}), Log{"ERR 1 Leftover data"});
    EXPECT_EQ(Parse("N1*A~" + sBom + "N2*B~"),
              (Log{"SEG N1*A", "SEG " + sBom + "N2*B", "ERR 1 Leftover data"}));
    // After blank lines, and at the start of an interchange appended to
    // another, the mark is skipped as well (saving cannot put it back as text).
    EXPECT_EQ(Parse(" \r\n " + sBom + " \r\n" + sBom + "N1*A~N2*B~"), (Log{"SEG N1*A", "SEG N2*B", "ERR 1 Leftover data"}));
    ExpectSameInAnyPieces("\r\n" + sBom + "ISA*1~IEA*1~\r\n" + sBom + "ISA*2~N1*A~IEA*2~");
    // Line ends inside a segment go before anything else is looked at.
    EXPECT_EQ(Parse("\r\n\xEF\xBB\r\n\xBF N1*A~"), (Log{"SEG N1*A", "ERR 1 Leftover data"}));
    EXPECT_EQ(Parse(" " + sBom + "~" + sBom + "N1*A~"), (Log{"SEG N1*A", "ERR 1 Leftover data"}));
    EXPECT_EQ(Parse("ISA*1~IEA*1~" + sBom + "ISA*2~IEA*2~"), (Log{"ISA+ ISA*1", "ISA- IEA*1", "ISA+ ISA*2", "ISA- IEA*2"}));
}

// ---- large input ------------------------------------------------------------

TEST(EdiAsyncParser, EnormousSegmentAcrossThousandsOfPieces)
{
    const std::string sHuge = "BIN*4000000*" + std::string(4'000'000, 'x');
    Recorder r;
    clsEdiAsyncParser p(&r);
    Configure(p, {});
    const std::string sText = "N1*A~" + sHuge + "~N2*B~";
    for (std::size_t i = 0; i < sText.size(); i += 512)
        p.ParseData(std::string_view(sText).substr(i, 512));
    p.EndData();
    ASSERT_EQ(r.log.size(), 4u);
    EXPECT_EQ(r.log[1].size(), 4u + sHuge.size());
    EXPECT_EQ(r.log[1].substr(0, 16), "SEG BIN*4000000*");
    EXPECT_EQ(r.log[2], "SEG N2*B");
    EXPECT_EQ(r.log[3], "ERR 1 Leftover data");
}

// ---- handlers that call back -------------------------------------------------

TEST(EdiAsyncParser, HandlerMayFeedMoreTextOrEndTheInput)
{
    struct Feeder : Recorder {
        clsEdiAsyncParser* p = nullptr;
        void TriggerSeg(std::string_view s) override
        {
            Recorder::TriggerSeg(s);
            if (s == "N1*A")
                p->ParseData("N9*Z~");  // handled after the current piece
            if (s == "N3*C")
                p->EndData();
        }
    } feeder;
    clsEdiAsyncParser p(&feeder);
    feeder.p = &p;
    Configure(p, {});
    p.ParseData("N1*A~N2*B~");
    p.ParseData("N3*C~N4*D~");
    p.ParseData("N5*E~");
    // EndData inside the handler judged the rest of the piece that was waiting.
    EXPECT_EQ(feeder.log,
              (Log{"SEG N1*A", "SEG N2*B", "SEG N9*Z", "SEG N3*C", "ERR 1 Leftover data"}));
}

TEST(EdiAsyncParser, ThrowingHandlerEndsTheInput)
{
    struct Thrower : Recorder {
        void TriggerSeg(std::string_view s) override
        {
            Recorder::TriggerSeg(s);
            throw std::runtime_error("handler failed");
        }
    } thrower;
    clsEdiAsyncParser p(&thrower);
    Configure(p, {});
    EXPECT_THROW(p.ParseData("N1*A~N2*B~"), std::runtime_error);
    p.ParseData("N3*C~");
    p.EndData();
    EXPECT_EQ(thrower.log, (Log{"SEG N1*A", "ERR 1 Leftover data"}));
}

TEST(EdiAsyncParser, NewTerminatorAppliesToTheWaitingTail)
{
    Recorder r;
    clsEdiAsyncParser p(&r);
    Configure(p, {});
    p.ParseData("N1*A~N2*B'N3*C");
    p.SetSelimiter('\'');
    p.ParseData("'");
    EXPECT_EQ(r.log, (Log{"SEG N1*A", "SEG N2*B", "SEG N3*C"}));
}

// ---- the save file -----------------------------------------------------------

TEST(EdiAsyncParser, SaveFileKeepsEachInterchangeAndBacksUpThePrevious)
{
    TestEnv env;
    const std::string sFile = env.Path("recv.edi");
    struct Check : Recorder {
        std::string sFile;
        std::vector<std::string> seen;  // the save file's text when each IEA is reported
        void TriggerIsa(bool bBegin, std::string_view s) override
        {
            Recorder::TriggerIsa(bBegin, s);
            if (!bBegin)
                seen.push_back(TestEnv::ReadFile(sFile));
        }
    } r;
    r.sFile = sFile;
    clsEdiAsyncParser p(&r);
    p.SetSaveFile(sFile);
    EXPECT_EQ(p.SaveFile(), sFile);
    const std::string sFirst = "\xEF\xBB\xBF\r\nISA*1~N1*A~IEA*1~";
    const std::string sSecond = "\r\nISA*2~\r\nIEA*2~";
    const std::string sText = sFirst + sSecond + "\r\nISA*3~";
    for (std::size_t i = 0; i < sText.size(); i += 5)
        p.ParseData(sText.substr(i, 5));
    p.EndData();
    EXPECT_EQ(r.seen, (Log{sFirst.substr(3), sSecond}));
    EXPECT_EQ(TestEnv::ReadFile(sFile), sSecond);
    EXPECT_EQ(TestEnv::ReadFile(env.Path("recv.000")), sFirst.substr(3));
    EXPECT_EQ(r.log.back(), "ERR 1 Leftover data");
}

TEST(EdiAsyncParser, SaveFileThatCannotBeWrittenIsReportedAndParsingGoesOn)
{
    TestEnv env;
    Recorder r;
    clsEdiAsyncParser p(&r);
    p.SetSaveFile(env.Path("missing/recv.edi"));
    p.ParseData("ISA*1~IEA*1~ISA*2~IEA*2~");
    EXPECT_EQ(r.log, (Log{"ISA+ ISA*1", "ISA- IEA*1", "ISA+ ISA*2", "ISA- IEA*2"}));
    const auto messages = env.ui.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].rfind("Error:", 0), 0u) << messages[0];
    EXPECT_NE(messages[0].find("\r\n\r\nError Code:"), std::string::npos);
    EXPECT_FALSE(fs::exists(env.Path("missing")));
}

}  // namespace
}  // namespace orr
