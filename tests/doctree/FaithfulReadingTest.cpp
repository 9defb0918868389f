// A file that opens holds exactly its segments, whatever its separators;
// what cannot be read as a segment is kept and said.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "doctree/EdiDocument.h"
#include "doctree/clsTreeD.h"
#include "doctree/clsTreeDCheck.h"
#include "doctree/clsTreeDSave.h"
#include "doctree/modNodeD.h"
#include "edi/modGuessEdi.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

using test::TestEnv;
using LineEnd = clsTreeDSave::LineEnd;

struct Separators {
    char d = '*', c = ':', rep = '^';
    std::string t = "~";  // the terminator's bytes
    LineEnd lineEnd = LineEnd::None;
};

// A generated file and the segments it holds, each with the first
// interchange's element separator (the document's).
struct Generated {
    std::string sText;
    std::vector<std::string> segments;
    bool bUniform = true;  // every interchange uses the first one's separators
    Separators first;
};

class Generator {
public:
    explicit Generator(unsigned nSeed) : mRandom(nSeed) {}

    Separators PickSeparators()
    {
        // Bytes X12 allows as separators: punctuation and control characters
        // that the values never hold; terminators also as UTF-8 characters
        // beyond Latin-1 ("…", "€", "Ā").
        static const std::string kElement = "*|^!$_+{}`~\x1C\x1D\x1F\x07\x11#%&";
        static const std::string kComponent = "@:>\\^!\x1F\x1E";
        static const std::vector<std::string> kTerminators = {
            "~", "'", "!", "$", "_", "|", "\x15", "\x1E", "\x1C", "\x85", "@", "#", "\xE2\x80\xA6", "\xE2\x82\xAC",
            "\xC4\x80"};
        Separators s;
        do {
            s.d = Pick(kElement);
            s.c = Pick(kComponent);
            s.t = kTerminators[Below(kTerminators.size())];
            s.rep = Below(2) ? '^' : 'U';
        } while (s.d == s.c || s.t.find(s.d) != std::string::npos || s.t.find(s.c) != std::string::npos ||
                 s.rep == s.d || s.rep == s.c || s.t.find(s.rep) != std::string::npos);
        s.lineEnd = LineEnd(Below(3));
        return s;
    }

    Generated Document()
    {
        Generated g;
        const std::size_t nInterchanges = 1 + Below(3);
        for (std::size_t i = 0; i < nInterchanges; ++i) {
            const Separators s = i == 0 ? PickSeparators() : Below(2) ? g.first : PickSeparators();
            if (i == 0)
                g.first = s;
            g.bUniform = g.bUniform && s.d == g.first.d && s.t == g.first.t && s.lineEnd == g.first.lineEnd;
            Interchange(g, s, i + 1);
        }
        return g;
    }

private:
    std::size_t Below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(mRandom); }
    char Pick(const std::string& s) { return s[Below(s.size())]; }

    std::string Value()
    {
        static const std::string kChars = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .-";
        std::string v;
        for (std::size_t n = 1 + Below(12); n > 0; --n)
            v += Pick(kChars);
        // Blanks around a segment are no part of it: values here neither start nor end with one.
        v.front() = v.front() == ' ' ? 'X' : v.front();
        v.back() = v.back() == ' ' ? 'Y' : v.back();
        return v;
    }

    void Add(Generated& g, const Separators& s, std::vector<std::string> elements)
    {
        std::string sOwn, sDocument;
        for (std::size_t i = 0; i < elements.size(); ++i) {
            sOwn += (i ? std::string(1, s.d) : "") + elements[i];
            sDocument += (i ? std::string(1, g.first.d) : "") + elements[i];
        }
        g.sText += sOwn + s.t + (s.lineEnd == LineEnd::CrLf ? "\r\n" : s.lineEnd == LineEnd::Lf ? "\n" : "");
        g.segments.push_back(sDocument);
    }

    void Interchange(Generated& g, const Separators& s, std::size_t nNumber)
    {
        const std::string sControl = std::string(8, '0') + std::to_string(nNumber);
        Add(g, s, {"ISA", "00", "          ", "00", "          ", "ZZ", "SENDER         ", "ZZ", "RECEIVER       ",
                   "040305", "0907", std::string(1, s.rep), "00501", sControl, "0", "T", std::string(1, s.c)});
        Add(g, s, {"GS", "PO", "SENDER", "RECEIVER", "20040305", "0907", "1", "X", "005010"});
        const std::size_t nSets = 1 + Below(2);
        for (std::size_t n = 1; n <= nSets; ++n) {
            const std::size_t nFirst = g.segments.size();
            Add(g, s, {"ST", "850", "000" + std::to_string(n)});
            Add(g, s, {"BEG", "00", "SA", Value(), "", "20040305"});
            for (std::size_t k = Below(4); k > 0; --k)
                Add(g, s, {"REF", "DP", Value() + std::string(1, s.c) + Value()});
            if (Below(2)) {
                // Binary data holds any byte, the separators and line ends included.
                std::string sData;
                for (std::size_t k = Below(40); k > 0; --k)
                    sData += Below(4) == 0 ? std::string(1, s.d) + s.t + "\r\n" : std::string(1, char(Below(256)));
                Add(g, s, {"BIN", std::to_string(sData.size()), sData});
            }
            Add(g, s, {"SE", std::to_string(g.segments.size() - nFirst + 1), "000" + std::to_string(n)});
        }
        Add(g, s, {"GE", std::to_string(nSets), "1"});
        Add(g, s, {"IEA", "1", sControl});
    }

    std::mt19937 mRandom;
};

std::vector<std::string> SegmentTexts(clsTree& tree, NodeId root, char cDelimiter)
{
    std::vector<std::string> texts;
    std::string sBuffer;
    for (NodeId n = root; (n = gfDnodeNextInOrder(tree, root, n));)
        if (gfDnodeType(tree.Node(n)) == 'S')
            texts.emplace_back(gfDnodeSegmentText(tree, n, cDelimiter, sBuffer));
    return texts;
}

// Random separators, one to three interchanges, each perhaps with its own:
// detection names the first ones, the tree holds exactly the segments
// written, and the writer gives the file back byte for byte.
TEST(FaithfulReading, RandomSeparatorsReadExactly)
{
    test::DocTreeFixture env;
    const std::string sFile = env.Path("random.edi");
    for (unsigned nSeed = 1; nSeed <= 300; ++nSeed) {
        SCOPED_TRACE("seed " + std::to_string(nSeed));
        const Generated g = Generator(nSeed).Document();
        TestEnv::WriteFile(sFile, g.sText);
        const GuessResult guess = gfGuessText(g.sText.substr(0, kGuessLength), sFile, *env.config);
        ASSERT_TRUE(guess.bFound) << guess.sMessage;
        ASSERT_EQ(guess.nDelimiter, SepCode(static_cast<unsigned char>(g.first.d)));
        ASSERT_EQ(gfSeparatorBytes(guess.nSelimiter), g.first.t);

        EdiDocument doc;
        doc.SetSeparators(guess.nDelimiter, guess.nSelimiter);
        ASSERT_TRUE(doc.LoadDefinition("FreeForm"));
        ASSERT_TRUE(doc.Open(sFile, EdiDocument::OpenMode::Batch));
        ASSERT_EQ(doc.BuildError(), 0) << doc.BuildErrorText();
        ASSERT_EQ(SegmentTexts(doc.Tree(), doc.Root().Id(), g.first.d), g.segments);
        // Read in small pieces, the segments, headers and binary data cut across them.
        clsTree tree;
        std::istringstream in(g.sText);
        clsTreeD reader;
        reader.SetDelimiter(guess.nDelimiter);
        reader.SetSelimiter(guess.nSelimiter);
        const TreeNode ndRoot = reader.Build(tree, in, sFile, doc.SchemaTree(), doc.Index());
        ASSERT_EQ(reader.nError(), 0) << reader.sError();
        ASSERT_EQ(SegmentTexts(tree, ndRoot.Id(), g.first.d), g.segments);
        if (g.bUniform) {
            clsTreeDSave writer;
            writer.SetDelimiter(guess.nDelimiter);
            writer.SetSelimiter(guess.nSelimiter);
            ASSERT_EQ(writer.ToText(doc.Root(), g.first.lineEnd), g.sText);
        }
    }
}

// The finding kinds of a text read against FreeForm, in file order.
std::vector<FindingKind> KindsOf(const EdiFindings& findings)
{
    std::vector<FindingKind> kinds;
    for (const EdiFinding& f : findings)
        kinds.push_back(f.kind);
    return kinds;
}

struct Read {
    std::int16_t nError = -1;
    std::string sError;
    EdiFindings findings;
    std::string sWritten;
    std::vector<std::string> segments;
};

Read ReadText(TestEnv& env, const std::string& sText)
{
    const std::string sFile = env.Path("doc.edi");
    TestEnv::WriteFile(sFile, sText);
    EdiDocument doc;
    doc.SetSeparators('*', '~');
    Read r;
    if (!doc.LoadDefinition("FreeForm") || !doc.Open(sFile, EdiDocument::OpenMode::Batch))
        return r;
    r.nError = doc.BuildError();
    r.sError = doc.BuildErrorText();
    r.findings = clsTreeDCheck().Check(doc);
    clsTreeDSave writer;
    writer.SetDelimiter('*');
    writer.SetSelimiter('~');
    r.sWritten = writer.ToText(doc.Root(), LineEnd::Lf);
    r.segments = SegmentTexts(doc.Tree(), doc.Root().Id(), '*');
    return r;
}

const std::string kHead = "ISA*00*          *00*          *ZZ*SENDER         *ZZ*RECEIVER       *040305*0907*U*"
                          "00401*000000001*0*T*:~\nGS*PO*SENDER*RECEIVER*20040305*0907*1*X*004010~\n";
const std::string kSet = "ST*850*0001~\nBEG*00*SA*PO1**20040305~\nSE*3*0001~\n";
const std::string kTail = "GE*1*1~\nIEA*1*000000001~\n";

// Text after the last terminator, a file cut short at each envelope level,
// a set that runs into the next, binary data with line feeds: each is kept
// and reported, where it stands.
TEST(FaithfulReading, WhatCannotBeReadIsKeptAndSaid)
{
    test::DocTreeFixture env;

    // An end-of-file mark of old systems after the last terminator.
    Read r = ReadText(env, kHead + kSet + kTail + "\x1A");
    EXPECT_EQ(r.nError, 0) << r.sError;
    EXPECT_EQ(r.sWritten, kHead + kSet + kTail + "\x1A");
    ASSERT_EQ(KindsOf(r.findings), std::vector<FindingKind>{FindingKind::TrailingText});
    EXPECT_EQ(r.findings[0].sMessage, "text after the last segment terminator: 1 character");
    EXPECT_EQ(r.findings[0].nOrdinal, 8u);

    // The last segment without its terminator is read; a warning says so and a save adds it.
    r = ReadText(env, kHead + kSet + "GE*1*1~\nIEA*1*000000001");
    EXPECT_EQ(r.nError, 0) << r.sError;
    ASSERT_EQ(KindsOf(r.findings), std::vector<FindingKind>{FindingKind::UnterminatedSegment});
    EXPECT_EQ(r.findings[0].sSegmentId, "IEA");
    EXPECT_FALSE(r.findings[0].IsError());
    EXPECT_EQ(r.sWritten, kHead + kSet + kTail);

    // Cut after ST's body, after SE, after GE: every envelope still open is named.
    r = ReadText(env, kHead + "ST*850*0001~\nBEG*00*SA*PO1**20040305~\n");
    EXPECT_EQ(r.nError, clsTreeD::kTruncated);
    EXPECT_EQ(r.sError, "The file ends inside transaction set 0001: its SE segment is missing (segment 5).\r\n"
                        "The file ends inside functional group 1: its GE segment is missing (segment 5).\r\n"
                        "The file ends inside interchange 000000001: its IEA segment is missing (segment 5).");
    EXPECT_EQ(KindsOf(r.findings), (std::vector<FindingKind>{FindingKind::SetTrailerMissing,
                                                             FindingKind::GroupTrailerMissing,
                                                             FindingKind::InterchangeTrailerMissing}));
    EXPECT_EQ(r.findings[0].nSegment, 5u);
    EXPECT_EQ(r.findings[0].sSegmentId, "SE");
    EXPECT_EQ(r.findings[0].nSet, 1u);
    EXPECT_EQ(r.findings[0].sMessage, "Transaction set 0001 ends without its SE segment.");
    r = ReadText(env, kHead + kSet);
    EXPECT_EQ(r.nError, clsTreeD::kTruncated);
    EXPECT_EQ(KindsOf(r.findings), (std::vector<FindingKind>{FindingKind::GroupTrailerMissing,
                                                             FindingKind::InterchangeTrailerMissing}));
    r = ReadText(env, kHead + kSet + "GE*1*1~\n");
    EXPECT_EQ(KindsOf(r.findings), std::vector<FindingKind>{FindingKind::InterchangeTrailerMissing});
    EXPECT_EQ(r.findings[0].nSegment, 7u);

    // A set without SE before the next one: reported at the next ST.
    r = ReadText(env, kHead + "ST*850*0001~\nBEG*00*SA*PO1**20040305~\n" + kSet + kTail);
    ASSERT_FALSE(r.findings.empty());
    EXPECT_EQ(r.findings[0].kind, FindingKind::SetTrailerMissing);
    EXPECT_EQ(r.findings[0].nSegment, 5u);

    // Binary data keeps its line feeds and separators, and its length.
    const std::string sData = "ab*c~\nd\r\n";
    const std::string sBin = "BIN*" + std::to_string(sData.size()) + "*" + sData + "~\n";
    r = ReadText(env, kHead + "ST*850*0001~\n" + sBin + "SE*3*0001~\n" + kTail);
    EXPECT_EQ(r.nError, 0) << r.sError;
    ASSERT_EQ(r.segments.size(), 7u);
    EXPECT_EQ(r.segments[3], sBin.substr(0, sBin.size() - 2));
    EXPECT_EQ(r.sWritten, kHead + "ST*850*0001~\n" + sBin + "SE*3*0001~\n" + kTail);
    EXPECT_TRUE(r.findings.empty());

    // So does binary data that ends the file without its terminator (none in
    // it either), where its length says; data running on past its length is an ordinary segment,
    // without line ends, as it would be with a terminator after it.
    const std::string sOpen = kHead + "ST*850*0001~\n", sLastBin = "BIN*8*ab*c\nd\r\n";
    r = ReadText(env, sOpen + sLastBin + "\r\n");
    EXPECT_EQ(r.segments.back(), sLastBin);
    EXPECT_EQ(ReadText(env, r.sWritten).segments.back(), r.segments.back());
    r = ReadText(env, sOpen + "BIN*4*ab\r\ncd\r\nef");
    EXPECT_EQ(r.segments.back(), "BIN*4*abcdef");
    EXPECT_EQ(ReadText(env, r.sWritten).segments.back(), r.segments.back());

    // A segment that begins like binary data, its length element past a
    // terminator, is no binary segment: it ends at that terminator.
    r = ReadText(env, sOpen + "BDS*0100~GE*1*1~\n");
    ASSERT_GE(r.segments.size(), 2u);
    EXPECT_EQ(r.segments[r.segments.size() - 2], "BDS*0100");
    EXPECT_EQ(r.segments.back(), "GE*1*1");
}

// Detection takes a fixed-width ISA's separators whatever bytes they are,
// and otherwise never takes ISA16 as the terminator.
TEST(FaithfulReading, SeparatorsFromTheFixedIsa)
{
    test::DocTreeFixture env;
    const std::string sIsa =
        "ISA*00*          *00*          *ZZ*SENDER         *ZZ*RECEIVER       *040305*0907*U*00401*000000001*0*T*@";
    const auto guess = [&](const std::string& sText) { return gfGuessText(sText, "f", *env.config); };

    GuessResult r = guess(sIsa + "~GS*PO");
    EXPECT_TRUE(r.bFound);
    EXPECT_EQ(r.nSelimiter, SepCode('~'));  // "@" is a terminator candidate, but it is ISA16 here
    r = guess(sIsa + "_\nGS*PO");
    EXPECT_EQ(r.nSelimiter, SepCode('_'));
    r = guess(sIsa + "\xE2\x80\xA6GS*PO");
    EXPECT_EQ(r.nSelimiter, SepCode(0x2026));
    EXPECT_EQ(env.config->N2S(r.nSelimiter), "0x2026");
    EXPECT_EQ(clsConfig::S2N("0x2026"), SepCode(0x2026));
    std::string sControl = sIsa + "\x1D" + "GS";
    std::replace(sControl.begin(), sControl.end(), '*', '\x1F');
    r = guess(sControl);
    EXPECT_TRUE(r.bFound);
    EXPECT_EQ(r.nDelimiter, SepCode(0x1F));
    EXPECT_EQ(r.nSelimiter, SepCode(0x1D));

    // Not fixed width (a short sender): the candidate search, past ISA16.
    std::string sShort = sIsa;
    sShort.replace(sShort.find("SENDER         "), 15, "SENDER");
    r = guess(sShort + "\nGS*PO");
    EXPECT_TRUE(r.bFound);
    EXPECT_EQ(r.nSelimiter, SepCode(10));
    std::replace(sShort.begin(), sShort.end(), '*', '\x1D');
    r = guess(sShort + "~GS");
    EXPECT_FALSE(r.bFound);
    EXPECT_EQ(r.sMessage, "Data Element separator is not known:0x1D");

    // A header wrapped over lines (a file cut into lines of 80 characters)
    // is of the fixed layout all the same, first in the file or later.
    std::string sWrapped = sControl;
    sWrapped.insert(80, "\r\n");
    r = guess(sWrapped);
    EXPECT_TRUE(r.bFound);
    EXPECT_EQ(r.nDelimiter, SepCode(0x1F));
    EXPECT_EQ(r.nSelimiter, SepCode(0x1D));
    std::string sSecond = kHead + kSet + kTail;
    std::replace(sSecond.begin(), sSecond.end(), '*', '!');
    std::replace(sSecond.begin(), sSecond.end(), '~', '^');
    sSecond.insert(80, "\r\n");
    const Read read = ReadText(env, kHead + kSet + kTail + sSecond);
    EXPECT_EQ(read.nError, 0) << read.sError;
    ASSERT_EQ(read.segments.size(), 14u);
    EXPECT_EQ(read.segments[7], read.segments[0]);
    EXPECT_EQ(read.sWritten, kHead + kSet + kTail + kHead + kSet + kTail);

    // A header cut short keeps the blanks at its end (other segments lose
    // theirs): its values have fixed widths, and written without them the
    // header and the next line would read back as one of the fixed layout.
    const Read cut = ReadText(env, "ISA*00* ~\nV         *00*   ~\nGS*PO*S*R ~\n");
    ASSERT_EQ(cut.segments.size(), 3u);
    EXPECT_EQ(cut.segments[0], "ISA*00* ");
    EXPECT_EQ(cut.segments[2], "GS*PO*S*R");
    EXPECT_EQ(cut.sWritten.substr(0, 10), "ISA*00* ~\n");
}

}  // namespace
}  // namespace orr
