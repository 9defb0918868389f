// The element check: one document per rule, each breaking exactly that rule
// and found at its exact place; a valid document without findings;
// composites and repetitions cut at the interchange's own separators; lines
// of files with and without line breaks; the document left as it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/GlobalsScope.h"
#include "doctree/EdiDocument.h"
#include "doctree/clsTreeDCheck.h"
#include "edi/modDocType.h"
#include "edi/modGuessEdi.h"
#include "schema/clsDefFiles.h"
#include "store/modTreeDump.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

using test::kValidE1;
using test::TestEnv;
using Kind = FindingKind;

struct CheckEnv : test::DocTreeFixture {
    // Reads sText as an E1 document and checks it, lines located.
    EdiFindings Check(const std::string& sText, SepCode nDelimiter = '*', SepCode nSelimiter = '~')
    {
        const std::string sFile = Path("doc.edi");
        WriteFile(sFile, sText);
        doc.SetSeparators(nDelimiter, nSelimiter);
        EXPECT_TRUE(doc.LoadDefinition("E1"));
        EXPECT_TRUE(doc.Open(sFile, EdiDocument::OpenMode::Batch));
        EdiFindings findings = clsTreeDCheck().Check(doc);
        clsTreeDCheck::LocateLines(findings, sFile, nDelimiter, nSelimiter);
        return findings;
    }

    EdiDocument doc;
};

// "line:segment:reference" of a finding.
std::string Where(const EdiFinding& f)
{
    return std::to_string(f.nLine) + ":" + std::to_string(f.nSegment) + ":" + clsTreeDCheck::Reference(f);
}

TEST(ElementCheck, EachRuleIsFoundAtItsPlace)
{
    struct Case {
        const char* sOld;
        const char* sNew;
        Kind kind;
        const char* sWhere;
        const char* sMessage;  // checked when not empty
    };
    const Case cases[] = {
        {"PO1**", "**", Kind::MissingElement, "4:4:BEG03", "BEG03 (Order Number) is required but missing."},
        {"PO1**", "PO1*R1*", Kind::ElementNotUsed, "4:4:BEG04",
         "BEG04 (Release Number) is not used here but holds \"R1\"."},
        {"*SA*", "*S*", Kind::TooShort, "4:4:BEG02", "BEG02 (Order Type) \"S\" is too short: 1 character, at least 2."},
        {"Ship Here", "Ship Here!!", Kind::TooLong, "5:5:N102", ""},
        {"-12.5", "12x", Kind::InvalidCharacter, "6:6:QTY02",
         "QTY02 (Quantity) \"12x\" is not a decimal number (type R)."},
        {"-12.5", "-123456789", Kind::TooLong, "6:6:QTY02", ""},
        {"*1050", "*10.5", Kind::InvalidCharacter, "6:6:QTY03", ""},
        {"040310", "20040231", Kind::InvalidDate, "7:7:DTM02", ""},
        {"^120000", "^2460", Kind::InvalidTime, "7:7:DTM03",
         "DTM03 (Time) repetition 2 \"2460\" is not a valid time (HHMM, HHMMSS, HHMMSSd or HHMMSSdd)."},
        {"N1*ST", "N1*ZZ", Kind::InvalidCode, "5:5:N101", "N101 (Entity Identifier Code) \"ZZ\" is not a valid code (valid codes: BT, SF, ST)."},
        {"N1*ST", "N1*ST:X", Kind::TooManyComponents, "5:5:N101", ""},
        {"Ship Here~", "Ship Here**X~", Kind::TooManyElements, "5:5:N104", "N1 has 4 elements; the definition has 2."},
        {"ZZ:1:2", "QQ:1", Kind::InvalidCode, "8:8:REF04-01", ""},
        {"ZZ:1:2", "ZZ:1234567890", Kind::TooLong, "8:8:REF04", ""},
        {"PO1", "P\x01O", Kind::InvalidCharacter, "4:4:BEG03",
         "BEG03 (Order Number) \"P\\x01O\" holds a control character."},
        {"SE*7", "SE*9", Kind::SetSegmentCount, "9:9:SE01", "SE01 is \"9\", but the transaction set has 7 segments."},
        {"SE*7*0001", "SE*7*0002", Kind::SetControlNumber, "9:9:SE02", "SE02 \"0002\" does not match ST02 \"0001\"."},
        {"GE*1", "GE*2", Kind::GroupSetCount, "10:10:GE01",
         "GE01 is \"2\", but the functional group has 1 transaction set."},
        {"GE*1*7", "GE*1*8", Kind::GroupControlNumber, "10:10:GE02", ""},
        {"IEA*1", "IEA*2", Kind::InterchangeGroupCount, "11:11:IEA01", ""},
        {"IEA*1*000000001", "IEA*1*000000002", Kind::InterchangeControlNumber, "11:11:IEA02",
         "IEA02 \"000000002\" does not match ISA13 \"000000001\"."},
        {"SENDER         *", "SENDER*", Kind::IsaLayout, "1:1:ISA06",
         "ISA06 \"SENDER\" must be exactly 15 characters long; it has 6."},
        {"~\nN1*", "~\nNTE*X~\nN1*", Kind::SegmentUnexpected, "5:5:NTE", ""},
    };
    for (const Case& c : cases) {
        CheckEnv env;
        std::string sText = TestEnv::Replaced(kValidE1, c.sOld, c.sNew);
        if (c.kind == Kind::SegmentUnexpected)
            sText = TestEnv::Replaced(sText, "SE*7*", "SE*8*");  // the count stays right
        const EdiFindings findings = env.Check(sText);
        ASSERT_EQ(findings.size(), 1u) << c.sNew << ": " << (findings.empty() ? "" : findings[0].sMessage);
        const EdiFinding& f = findings[0];
        EXPECT_EQ(f.kind, c.kind) << c.sNew;
        EXPECT_EQ(Where(f), c.sWhere) << c.sNew;
        EXPECT_EQ(f.severity, c.kind == Kind::ElementNotUsed ? FindingSeverity::Warning : FindingSeverity::Error);
        if (*c.sMessage) {
            EXPECT_EQ(f.sMessage, c.sMessage);
        }
        EXPECT_TRUE(env.doc.Tree().IsValid(f.node)) << c.sNew;
    }
}

TEST(ElementCheck, ValidDocumentHasNoFindingAndStaysUntouched)
{
    CheckEnv env;
    EXPECT_TRUE(env.Check(kValidE1).empty());
    clsTree& tree = env.doc.Tree();
    const NodeId isa = tree.FirstChild(tree.FirstChild(env.doc.Root().Id()));
    EXPECT_TRUE(tree.ChildrenPending(isa));  // the values were read from the segment's text
    const std::string sBefore = gfDumpTreeText(tree, env.doc.Root().Id());
    EXPECT_TRUE(clsTreeDCheck().Check(env.doc).empty());
    EXPECT_EQ(gfDumpTreeText(tree, env.doc.Root().Id()), sBefore);
    EXPECT_FALSE(env.doc.Modified());
    // The round trip of validation gives the same.
    ASSERT_TRUE(env.doc.Validate());
    EXPECT_TRUE(clsTreeDCheck().Check(env.doc).empty());
}

TEST(ElementCheck, FindingsLocateSegmentsElementsAndLoops)
{
    CheckEnv env;
    // Two interchanges, each with a bad N101.
    const std::string sText =
        TestEnv::Replaced(kValidE1, "N1*ST", "N1*ZZ") + TestEnv::Replaced(kValidE1, "N1*ST", "N1*XX");
    const EdiFindings findings = env.Check(sText);
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(Where(findings[0]), "5:5:N101");
    EXPECT_EQ(Where(findings[1]), "16:5:N101");  // numbered in its own interchange
    EXPECT_EQ(findings[1].nOrdinal, 16u);
    EXPECT_EQ(findings[1].nInterchange, 2u);
    EXPECT_EQ(findings[1].nGroup, 1u);
    EXPECT_EQ(findings[1].nSet, 1u);
    EXPECT_EQ(findings[1].nSetPosition, 3u);
    EXPECT_EQ(findings[1].sLoopPath, "ISA/GS/ST/N1");
    EXPECT_EQ(findings[1].sLoopId, "N1");
    EXPECT_EQ(findings[1].sElementNumber, "98");
    EXPECT_EQ(findings[1].sValue, "XX");
    EXPECT_EQ(env.doc.Tree().Text(clsTreeDCheck::NodeOf(env.doc.Tree(), findings[1])), "XX");
    EXPECT_EQ(env.doc.Tree().Text(findings[1].node), "N1");

    // Without line breaks there are no lines; a segment broken over two
    // lines moves the later ones; a lone CR ends a line too.
    std::string sFlat = TestEnv::Replaced(kValidE1, "N1*ST", "N1*ZZ");
    sFlat.erase(std::remove(sFlat.begin(), sFlat.end(), '\n'), sFlat.end());
    EXPECT_EQ(Where(env.Check(sFlat).at(0)), "0:5:N101");
    EXPECT_EQ(
        Where(env.Check(TestEnv::Replaced(TestEnv::Replaced(kValidE1, "N1*ST", "N1*ZZ"), "PO1**", "PO1**\n")).at(0)),
        "6:5:N101");
    std::string sCr = TestEnv::Replaced(kValidE1, "N1*ST", "N1*ZZ");
    std::replace(sCr.begin(), sCr.end(), '\n', '\r');
    EXPECT_EQ(Where(env.Check(sCr).at(0)), "5:5:N101");
}

TEST(ElementCheck, CompositesAndRepetitionsUseTheInterchangeSeparators)
{
    // "|" between elements, ">" between components, "{" between repetitions.
    std::string sText = kValidE1;
    std::replace(sText.begin(), sText.end(), '*', '|');
    sText = TestEnv::Replaced(sText, "|^|00501|", "|{|00501|");
    sText = TestEnv::Replaced(sText, "|T|:~", "|T|>~");
    sText = TestEnv::Replaced(sText, "1200^120000", "1200{2460");
    sText = TestEnv::Replaced(sText, "ZZ:1:2", "QQ>1:2");
    sText = TestEnv::Replaced(sText, "N1|ST|Ship Here", "N1|ST>X|A:B");
    CheckEnv env;
    EdiFindings findings = env.Check(sText, '|');
    ASSERT_EQ(findings.size(), 3u);
    EXPECT_EQ(Where(findings[0]), "5:5:N101");
    EXPECT_EQ(findings[0].sMessage,
              "N101 (Entity Identifier Code) \"ST>X\" holds the component separator \">\" but is not a composite.");
    EXPECT_EQ(Where(findings[1]), "7:7:DTM03");
    EXPECT_EQ(findings[1].nRepetition, 2u);
    EXPECT_EQ(Where(findings[2]), "8:8:REF04-01");

    // Before version 00501 ISA11 is no repetition separator: the whole value is one time.
    findings = env.Check(TestEnv::Replaced(sText, "|{|00501|", "|{|00401|"), '|');
    ASSERT_EQ(findings.size(), 3u);
    EXPECT_EQ(findings[1].sMessage,
              "DTM03 (Time) \"1200{2460\" is not a valid time (HHMM, HHMMSS, HHMMSSd or HHMMSSdd).");
    EXPECT_EQ(findings[1].nRepetition, 0u);
}

TEST(ElementCheck, EditedSegmentsAndTheLimit)
{
    CheckEnv env;
    // An element changed in the tree is read from the tree, not the file's text.
    clsTree& tree = env.doc.Tree();
    EdiFindings bad = env.Check(TestEnv::Replaced(
        TestEnv::Replaced(TestEnv::Replaced(kValidE1, "N1*ST", "N1*ZZ"), "*SA*", "*S*"), "-12.5", "x"));
    ASSERT_EQ(bad.size(), 3u);
    const NodeId element = clsTreeDCheck::NodeOf(tree, bad[1]);
    tree.SetText(element, "ST");
    EXPECT_EQ(clsTreeDCheck().Check(env.doc).size(), 2u);

    clsTreeDCheck limited(1);
    EXPECT_EQ(limited.Check(env.doc).size(), 1u);
    EXPECT_TRUE(limited.Truncated());
}

// A definition with envelope elements, and release dictionaries, for the
// checks that follow the group's release.
constexpr const char* kDocV1 = R"(A??*LS*0001*99*ISA*Interchange
ISA*0*M*1*Interchange header
A??*LS*0002*99*GS*Group
GS*0*M*1*Group header
479*1*M*ID*2*2*Functional Identifier Code
373*4*M*DT*8*8*Date
480*8*M*AN*1*12*Version
A??*LS*0003*99*ST*Transaction
ST*0*M*1*Transaction header
143*1*M*ID*3*3*Transaction Set Identifier Code
329*2*M*AN*4*9*Transaction Set Control Number
BEG*0*M*1*Beginning
353*1*M*ID*2*2*Purpose*00,01,05
92*2*M*ID*2*2*Order Type
QTY*0*O*1*Quantity
673*1*M*ID*2*2*Quantity Qualifier
REF*0*O*2*Reference
128*1*M*ID*2*3*Reference Identification Qualifier
C040*4*O*COMP*1*40*Reference Identifier*AB,ZZ
AK1*0*O*1*Group response
479*1*M*ID*2*2*Functional Identifier Code
28*2*M*N0*1*9*Group Control Number
SE*0*M*1*Transaction trailer
A??*LE
GE*0*M*1*Group trailer
A??*LE
IEA*0*M*1*Interchange trailer
A??*LE
)";

// Test dictionaries, not the shipped ones: 005010 knows order types CN and SA,
// 004010 SA and XX; C040 has three components in both.
constexpr const char* kDict5010 = "; a comment line\n"
                                  "353*ID*2*2*Purpose*00,01,04,05\n"
                                  "92*ID*2*2*Purchase Order Type Code*SA,CN\n"
                                  "673*ID*2*2*Quantity Qualifier*01,02,03,04,05,06,07,08,09,10,11\n"
                                  "128*ID*2*3*Reference Identification Qualifier*DP,ZZ\n"
                                  "127*AN*1*5*Reference Identification\n"
                                  "C040*COMP*1*66*Reference Identifier*128:M,127:M,127:O\n"
                                  "C999*COMP*1*9*Unknown parts*999:M\n"
                                  "bad line\n";
constexpr const char* kDict4010 = "92*ID*2*2*Purchase Order Type Code*SA,XX\n"
                                  "128*ID*2*3*Reference Identification Qualifier*DP,ZZ\n"
                                  "127*AN*1*5*Reference Identification\n"
                                  "C040*COMP*1*66*Reference Identifier*128:M,127:M,127:O\n";

// One V1 interchange of release 005010 without a finding.
constexpr const char* kValidV1 =
    "ISA*00*          *00*          *ZZ*SENDER         *ZZ*RECEIVER       *040305*0907*^*00501*000000001*0*T*:~\n"
    "GS*PO*SENDER*RECEIVER*20040305*0907*7*X*005010~\n"
    "ST*850*0001~\n"
    "BEG*00*SA~\n"
    "QTY*01~\n"
    "REF*DP***ZZ:12~\n"
    "SE*5*0001~\n"
    "GE*1*7~\n"
    "IEA*1*000000001~\n";

struct ReleaseEnv : TestEnv {
    ReleaseEnv()
    {
        WriteContainer(config->DefinitionFile, {{"docV1.def", kDocV1},
                                                {"dict5010.def", kDict5010},
                                                {"dict4010.def", kDict4010}});
        EXPECT_TRUE(files.RefreshBinFile());
    }

    // The findings of sText read against V1, each as "reference: message".
    std::vector<std::string> Check(const std::string& sText)
    {
        WriteFile(Path("doc.edi"), sText);
        EdiDocument doc;
        doc.SetSeparators('*', '~');
        EXPECT_TRUE(doc.LoadDefinition("V1"));
        EXPECT_TRUE(doc.Open(Path("doc.edi"), EdiDocument::OpenMode::Batch));
        EXPECT_EQ(doc.BuildError(), 0);
        std::vector<std::string> out;
        for (const EdiFinding& f : clsTreeDCheck().Check(doc))
            out.push_back(clsTreeDCheck::Reference(f) + ": " + f.sMessage);
        return out;
    }

    clsDefFiles files;
    GlobalsScope defs{&files};
};

using Lines = std::vector<std::string>;

TEST(ElementCheck, CodeListsAndCompositesFromTheReleaseDictionary)
{
    ReleaseEnv env;
    EXPECT_EQ(env.Check(kValidV1), Lines{});
    const struct {
        const char* sOld;
        const char* sNew;
        const char* sFinding;  // "" for none
    } cases[] = {
        // An ID element without a list of its own takes the dictionary's, named when short.
        {"BEG*00*SA", "BEG*00*QQ", "BEG02: BEG02 (Order Type) \"QQ\" is not a valid code (valid codes: CN, SA)."},
        // The definition's own list rules where it has one (04 is in the dictionary's).
        {"BEG*00*SA", "BEG*04*SA", "BEG01: BEG01 (Purpose) \"04\" is not a valid code (valid codes: 00, 01, 05)."},
        // A long list is not spelled out.
        {"QTY*01", "QTY*99", "QTY01: QTY01 (Quantity Qualifier) \"99\" is not a valid code."},
        // Composites, component by component: count, required, length, codes.
        {"ZZ:12", "ZZ:12:3:4", "REF04-04: REF04 (Reference Identifier) \"ZZ:12:3:4\" has 4 components; C040 has 3."},
        {"ZZ:12", "ZZ:12:3::", ""},  // empty components at the end are harmless
        {"ZZ:12", "ZZ", "REF04-02: REF04-02 (Reference Identification) is required but missing."},
        {"ZZ:12", "ZZ:123456", "REF04-02: REF04-02 (Reference Identification) \"123456\" is too long: 6 characters, "
                               "at most 5."},
        // The definition's list is the first component's.
        {"ZZ:12", "DP:12", "REF04-01: REF04-01 (Reference Identification Qualifier) \"DP\" is not a valid code "
                           "(valid codes: AB, ZZ)."},
        {"ZZ:12", "ZZ:1^ZZ:1:2:3", "REF04-04: REF04 (Reference Identifier) repetition 2 \"ZZ:1:2:3\" has 4 "
                                   "components; C040 has 3."},
    };
    for (const auto& c : cases) {
        const Lines findings = env.Check(TestEnv::Replaced(kValidV1, c.sOld, c.sNew));
        EXPECT_EQ(findings, *c.sFinding ? Lines{c.sFinding} : Lines{}) << c.sNew;
    }
    // Another release takes its own dictionary: XX is an order type of 004010 only.
    const std::string s4010 =
        TestEnv::Replaced(TestEnv::Replaced(kValidV1, "*005010~", "*004010~"), "BEG*00*SA", "BEG*00*XX");
    EXPECT_EQ(env.Check(s4010), Lines{});
    EXPECT_EQ(env.Check(TestEnv::Replaced(s4010, "BEG*00*XX", "BEG*00*CN")).size(), 1u);
    // A release without a dictionary: no list, no component structure, nothing said.
    const std::string s4020 = TestEnv::Replaced(kValidV1, "*005010~", "*004020~");
    EXPECT_EQ(env.Check(TestEnv::Replaced(TestEnv::Replaced(s4020, "BEG*00*SA", "BEG*00*QQ"), "ZZ:12", "ZZ:12:3:4")),
              Lines{});
}

TEST(ElementCheck, EnvelopeRulesFollowTheGroupsRelease)
{
    ReleaseEnv env;
    const std::string s3040 =
        TestEnv::Replaced(TestEnv::Replaced(kValidV1, "*005010~", "*003040~"), "R*20040305", "R*040305");
    const struct {
        std::string sText;
        std::string sFinding;
    } cases[] = {
        // ST03 exists from 004030 on, whatever the definition lists.
        {TestEnv::Replaced(kValidV1, "ST*850*0001", "ST*850*0001*005010X186A1"), ""},
        {TestEnv::Replaced(kValidV1, "ST*850*0001", "ST*850*0001*" + std::string(36, 'X')),
         "ST03: ST03 (Implementation Convention Reference) \"" + std::string(36, 'X') +
             "\" is too long: 36 characters, at most 35."},
        {TestEnv::Replaced(TestEnv::Replaced(kValidV1, "*005010~", "*004010~"), "ST*850*0001", "ST*850*0001*X"),
         "ST03: ST03 \"X\" has no place in release 004010; ST03 exists from release 004030 on."},
        // AK103 exists from 005010 on.
        {TestEnv::Replaced(TestEnv::Replaced(kValidV1, "SE*5*", "SE*6*"), "ZZ:12~\n", "ZZ:12~\nAK1*PO*7*005010X222A1~\n"),
         ""},
        {TestEnv::Replaced(TestEnv::Replaced(TestEnv::Replaced(kValidV1, "SE*5*", "SE*6*"), "ZZ:12~\n",
                                             "ZZ:12~\nAK1*PO*7*004010~\n"),
                           "*005010~", "*004010~"),
         "AK103: AK103 \"004010\" has no place in release 004010; AK103 exists from release 005010 on."},
        // GS04: YYMMDD before 004010, CCYYMMDD from it on.
        {s3040, ""},
        {TestEnv::Replaced(s3040, "R*040305", "R*20040305"),
         "GS04: GS04 (Date) \"20040305\" is too long: 8 characters, at most 6."},
        {TestEnv::Replaced(kValidV1, "R*20040305", "R*040305"),
         "GS04: GS04 (Date) \"040305\" is too short: 6 characters, at least 8."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(env.Check(c.sText), c.sFinding.empty() ? Lines{} : Lines{c.sFinding}) << c.sText;
}

// The shipped library: every bundled example checks clean against its own
// type, and the guides' code lists hold per position (the subscriber's birth
// date in DMG02 is given as D8, CCYYMMDD, only).
TEST(ElementCheck, ShippedExamplesAndCodeLists)
{
    TestEnv env;
    env.config->DefinitionFile = ORRINDALE_EDIDEF;
    clsDefFiles files;
    ASSERT_TRUE(files.RefreshBinFile());
    const GlobalsScope defs(&files);
    std::vector<std::string> entries;
    files.GetEdiDefFiles(entries);
    const std::vector<std::string> types = gfDocTypes(entries);
    auto check = [&](const std::string& sFile) {
        SepCode nDelimiter = 0, nSelimiter = 0;
        EXPECT_TRUE(gfGuessEdi(sFile, nDelimiter, nSelimiter)) << sFile;
        EdiDocument doc;
        doc.SetSeparators(nDelimiter, nSelimiter);
        EXPECT_TRUE(doc.LoadDefinition(gfGuessDocType(sFile, types, env.config->FreeFormDocType), sFile));
        EXPECT_TRUE(doc.Open(sFile, EdiDocument::OpenMode::Batch));
        EXPECT_EQ(doc.BuildError(), 0) << sFile;
        return clsTreeDCheck().Check(doc);
    };
    for (const auto& entry : std::filesystem::directory_iterator(std::string(ORRINDALE_SOURCE_DIR) + "/examples")) {
        if (entry.path().extension() != ".edi")
            continue;
        const EdiFindings findings = check(entry.path().string());
        EXPECT_TRUE(findings.empty()) << entry.path() << ": " << findings.at(0).sMessage;
    }
    std::string sClaim =
        TestEnv::ReadFile(std::string(ORRINDALE_SOURCE_DIR) + "/examples/837P_X222A1-professional-claim.edi");
    sClaim = TestEnv::Replaced(sClaim, "DMG*D8*", "DMG*RD8*");
    TestEnv::WriteFile(env.Path("claim.edi"), sClaim);
    const EdiFindings findings = check(env.Path("claim.edi"));
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, Kind::InvalidCode);
    EXPECT_EQ(Where(findings[0]), "0:18:DMG01");  // lines not asked for
    EXPECT_EQ(findings[0].sLoopPath, "ISA/GS/ST/2000B/2010BA");

    // The release dictionaries: codes of a retail set, composites of a guide and of a retail set.
    const std::string sOrder = TestEnv::ReadFile(std::string(ORRINDALE_SOURCE_DIR) + "/examples/850-purchase-order.edi");
    const std::string sCob =
        TestEnv::ReadFile(std::string(ORRINDALE_SOURCE_DIR) + "/examples/837P_X222A1-dependent-with-cob.edi");
    const struct {
        std::string sText;
        const char* sWhere;
        Kind kind;
    } cases[] = {
        {TestEnv::Replaced(sOrder, "BEG*00*", "BEG*QQ*"), "0:4:BEG01", Kind::InvalidCode},
        {TestEnv::Replaced(sOrder, "REF*DP*042", "REF*DP*042**DP:1:DP:2:DP:3:DP:4"), "0:6:REF04-07",
         Kind::TooManyComponents},
        {TestEnv::Replaced(sCob, "HI*ABK:J029*ABF:R509", "HI*ABK:J029*ABF"), "0:35:HI02-02", Kind::MissingElement},
        {TestEnv::Replaced(sCob, "HI*ABK:J029*ABF:R509", "HI*ABK:J029*8901:R509"), "0:35:HI02-01", Kind::TooLong},
    };
    for (const auto& c : cases) {
        TestEnv::WriteFile(env.Path("changed.edi"), c.sText);
        const EdiFindings changed = check(env.Path("changed.edi"));
        ASSERT_EQ(changed.size(), 1u) << c.sWhere;
        EXPECT_EQ(Where(changed[0]), c.sWhere);
        EXPECT_EQ(changed[0].kind, c.kind) << c.sWhere;
    }

    // A file of groups of two releases has a composed definition, made from
    // the file's groups: they are read with the file's own separators, not
    // the default ones, by which a GS with an asterisk has other elements
    // (an acknowledgement of such a file failed its own check).
    const std::string sIsa5010 =
        "ISA+00+          +00+          +ZZ+RECEIVERS.ID   +ZZ+SUBMITTERS.ID  +240611+0930+^+"
        "00501+000000000+0+T+:'\n";
    const std::string sIsa4010 =
        "ISA+00+          +00+          +ZZ+123456789012345+ZZ+ABCDEFGHIJKLMNO+240611+0930+U+"
        "00401+000000001+0+P+:'\n";
    TestEnv::WriteFile(env.Path("acks.edi"),
                       sIsa5010 +
                           "GS+FA+RECEIVER+SENDER *1+20240611+0930+1+X+005010'\nST+997+0001'\nAK1+HC+1'\n"
                           "AK9+A+1+1+1'\nSE+4+0001'\nGE+1+1'\nIEA+1+000000000'\n" +
                           sIsa4010 +
                           "GS+FA+XDZ+EMEDNYBAT+20240611+0930+2+X+004010'\nST+997+0002'\nAK1+HS+14420'\n"
                           "AK9+R+0+0+0+3'\nSE+4+0002'\nGE+1+2'\nIEA+1+000000001'\n");
    const std::optional<EdiFindings> mixed = clsTreeDCheck::CheckFile(env.Path("acks.edi"));
    ASSERT_TRUE(mixed.has_value());
    EXPECT_TRUE(mixed->empty()) << mixed->front().sMessage;
}

}  // namespace
}  // namespace orr
