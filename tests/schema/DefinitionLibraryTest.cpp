// The shipped definition library (data/definitions, packed into the built EdiDef.bin):
// every document definition builds its schema tree without a message and has the shape the
// document tree builder's matching relies on (the builder's matching rules):
//   root > loop L "0001" (ISA, ISB?, ISE?, TA1*, loop L "0002" (GS?, loop L "0003" (ST, ..., SE),
//   GE), IEA),
// with repeating envelope loops, and HLS/ELS/ESS groups the matching can key. The bundled
// examples (examples/) and the every-segment documents made for the other types
// (tests/data/library/) open without error against their own type and the free-form type;
// the documents of tests/data/invalid/ fail to match; an interchange of TA1 segments alone
// opens against every type.
#include <gtest/gtest.h>

#include "doctree/EdiDocument.h"
#include "doctree/clsTreeDSave.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "doctree/clsTreeD.h"
#include "doctree/clsTreeDCheck.h"
#include "doctree/modNodeD.h"
#include "edi/modDocType.h"
#include "edi/modGuessEdi.h"
#include "schema/clsDefFiles.h"
#include "schema/clsTreeS.h"
#include "schema/modNodeS.h"
#include "store/TreeNode.h"
#include "store/clsTree.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::TestEnv;

// Types the library must hold: the retail sets, a few more X12 standard sets, and the
// implementation guides (named by set and guide); the library holds every standard set of
// the reference tables besides.
const std::vector<std::string> kRequiredTypes = {
    "FreeForm",    "850",         "810",         "855",        "856",         "860",        "997",
    "204",         "210",         "214",         "940",        "945",         "999",        "837",
    "999_X231A1",  "820_X218",    "834_X220A1",  "835_X221A1", "837P_X222A1", "837I_X223A2", "270_X279A1",
    "271_X279A1",  "277_X212",    "277CA_X214",  "837P_X098A1", "837I_X096A1", "837D_X097A1", "835_X091A1",
    "834_X095A1",  "820_X061A1",  "270_X092A1",  "271_X092A1", "276_X093A1",  "277_X093A1", "278_X094A1",
    "278R_X094A1"};

const std::set<std::string> kHierarchicalTypes = {"856",        "837",         "837P_X222A1", "837I_X223A2",
                                                  "270_X279A1", "271_X279A1",  "277_X212",    "277CA_X214",
                                                  "278_X094A1", "837P_X098A1"};

struct DocEntry {
    std::string sName, sDescription, sType, sDocType;
};

class DefinitionLibrary : public ::testing::Test {
protected:
    DefinitionLibrary()
    {
        env.config->DefinitionFile = ORRINDALE_EDIDEF;
        gDefFiles = &files;
        loaded = files.RefreshBinFile();
        std::vector<std::string> list;
        files.GetEdiDefFiles(list);
        for (const std::string& s : list) {
            const auto first = s.find('*');
            const auto last = s.rfind('*');
            DocEntry e{s.substr(0, first), s.substr(first + 1, last - first - 1), s.substr(last + 1), {}};
            // "doc" + type + ".def"
            e.sDocType = e.sName.substr(3, e.sName.size() - 3 - 4);
            docs.push_back(e);
        }
    }

    static std::string Type(TreeNode nd)
    {
        std::string sType, sSub;
        gfSnodeType(nd, sType, sSub);
        return sType + sSub;
    }
    static bool IsLoop(TreeNode nd, const char* sLevel)
    {
        return nd && Type(nd) == "SLS" && gfSnodeGetAttr(nd, 'L') == sLevel;
    }
    static bool IsSegment(TreeNode nd, const char* sId) { return nd && Type(nd) == std::string("R") + sId; }
    // The group loop of an interchange loop: after ISA, ISB, ISE and TA1.
    static TreeNode GroupLoop(TreeNode x) { return x.Child(4); }

    TestEnv env;
    clsDefFiles files;
    bool loaded = false;
    std::vector<DocEntry> docs;
};

TEST_F(DefinitionLibrary, ListsEveryRequiredTypeWithADescription)
{
    ASSERT_TRUE(loaded) << ORRINDALE_EDIDEF;
    std::set<std::string> types;
    for (const DocEntry& e : docs) {
        types.insert(e.sDocType);
        EXPECT_FALSE(e.sDescription.empty()) << e.sName;
        EXPECT_EQ(e.sType, "DD") << e.sName;
        EXPECT_EQ(e.sName.substr(0, 3), "doc");
        EXPECT_EQ(e.sName.substr(e.sName.size() - 4), ".def");
    }
    for (const std::string& t : kRequiredTypes)
        EXPECT_TRUE(types.count(t)) << "no definition doc" << t << ".def";
    EXPECT_GE(types.size(), 340u);
    EXPECT_TRUE(env.ui.Messages().empty());
}

TEST_F(DefinitionLibrary, EveryDefinitionBuildsWithTheShapeTheMatchingNeeds)
{
    ASSERT_TRUE(loaded);
    ASSERT_FALSE(docs.empty());
    int nHls = 0, nEls = 0, nEss = 0;
    for (const DocEntry& e : docs) {
        SCOPED_TRACE(e.sName);
        env.ui.Clear();
        clsTree tree;
        clsTreeS builder;
        const NodeId rootId = builder.Build(tree, e.sDocType);
        ASSERT_TRUE(rootId);
        EXPECT_TRUE(env.ui.Messages().empty()) << env.ui.Messages().front();
        const TreeNode root = tree.Node(rootId);
        EXPECT_EQ(root.Key(), "K00000");

        // root > L0001 (ISA, ISB?, ISE?, TA1*, L0002 (GS?, L0003 (ST ... SE), GE), IEA): GS is
        // optional, so that an interchange of TA1 segments alone matches.
        const TreeNode x = root.FirstChild();
        ASSERT_TRUE(IsLoop(x, "0001"));
        EXPECT_EQ(x.Next(), TreeNode()) << "the interchange loop is the root's only child";
        ASSERT_TRUE(IsSegment(x.FirstChild(), "ISA"));
        EXPECT_TRUE(gfSnodeRequired(x.FirstChild()));
        const char* const sOptional[] = {"ISB", "ISE", "TA1"};
        for (std::uint32_t i = 0; i < 3; ++i) {
            ASSERT_TRUE(IsSegment(x.Child(i + 1), sOptional[i]));
            EXPECT_FALSE(gfSnodeRequired(x.Child(i + 1))) << sOptional[i];
        }
        const TreeNode f = GroupLoop(x);
        ASSERT_TRUE(IsLoop(f, "0002"));
        ASSERT_TRUE(IsSegment(f.FirstChild(), "GS"));
        EXPECT_FALSE(gfSnodeRequired(f.FirstChild()));
        const TreeNode t = f.FirstChild().Next();
        ASSERT_TRUE(IsLoop(t, "0003"));
        ASSERT_TRUE(IsSegment(t.FirstChild(), "ST"));
        EXPECT_TRUE(gfSnodeRequired(t.FirstChild()));
        EXPECT_TRUE(IsSegment(t.LastChild(), "SE"));
        EXPECT_TRUE(IsSegment(f.LastChild(), "GE"));
        EXPECT_TRUE(IsSegment(x.LastChild(), "IEA"));

        // Repeating envelope loops: with R = 1 the matching climbs past the root after the
        // last IEA (DESIGN.md); several groups and transaction sets are common too.
        for (const TreeNode& loop : {x, f, t}) {
            const std::int32_t nR = gfSnodeGetAttrNum(loop, 'R');
            EXPECT_GT(nR, 1) << loop.Tag();
        }
        if (kHierarchicalTypes.count(e.sDocType)) {
            bool bFound = false;
            for (TreeNode c = t.FirstChild(); c; c = c.Next())
                bFound = bFound || Type(c) == "SHLS";
            EXPECT_TRUE(bFound) << "no HLS group directly in the transaction set";
        }

        // Every system loop below the envelope has a shape the matching can use.
        std::vector<TreeNode> stack{tree.Node(rootId)};
        while (!stack.empty()) {
            const TreeNode nd = stack.back();
            stack.pop_back();
            for (TreeNode c = nd.FirstChild(); c; c = c.Next())
                if (Type(c)[0] == 'S')
                    stack.push_back(c);
            const std::string sKind = Type(nd);
            if (sKind[0] != 'S' || nd.Key() == "K00000")
                continue;
            ASSERT_TRUE(nd.FirstChild()) << "empty system loop " << nd.Tag();
            std::int16_t nX = 0, nY = 0;
            gfSnodeGetKeyPositions(nd, nX, nY);
            if (sKind == "SLS") {
                EXPECT_EQ(Type(nd.FirstChild())[0], 'R') << "loop does not start with a segment: " << nd.Tag();
                const std::int32_t nR = gfSnodeGetAttrNum(nd, 'R');
                EXPECT_GE(nR, 1) << nd.Tag();
            } else if (sKind == "SHLS" || sKind == "SELS") {
                ++(sKind == "SHLS" ? nHls : nEls);
                EXPECT_EQ(nX, 1) << "key segment must be the loop's first: " << nd.Tag();
                if (sKind == "SHLS")
                    EXPECT_EQ(nY, 3) << "HL loops are told apart by HL03: " << nd.Tag();
                else
                    EXPECT_GE(nY, 1) << nd.Tag();
                const std::string sFirst = Type(nd.FirstChild().FirstChild());
                for (TreeNode c = nd.FirstChild(); c; c = c.Next()) {
                    EXPECT_EQ(Type(c), "SLS") << c.Tag();
                    EXPECT_FALSE(gfSnodeGetKey(c).empty()) << "loop without key: " << c.Tag();
                    const std::int32_t nR = gfSnodeGetAttrNum(c, 'R');
                    EXPECT_GE(nR, 1) << c.Tag();
                    EXPECT_EQ(Type(c.FirstChild()), sKind == "SHLS" ? "RHL" : sFirst) << c.Tag();
                }
            } else if (sKind == "SESS") {
                ++nEss;
                EXPECT_GE(nY, 1) << nd.Tag();
                const std::string sFirst = Type(nd.FirstChild());
                EXPECT_EQ(sFirst[0], 'R');
                for (TreeNode c = nd.FirstChild(); c; c = c.Next()) {
                    EXPECT_EQ(Type(c), sFirst) << c.Tag();
                    EXPECT_FALSE(gfSnodeGetKey(c).empty()) << "segment without key: " << c.Tag();
                }
            } else {
                ADD_FAILURE() << "unknown system loop " << nd.Tag();
            }
        }
    }
    EXPECT_TRUE(env.ui.Messages().empty());
    // The hierarchical sets and the HIPAA guides use all three kinds.
    EXPECT_GT(nHls, 0);
    EXPECT_GT(nEls, 0);
    EXPECT_GT(nEss, 0);
}

TEST_F(DefinitionLibrary, FreeFormAcceptsAnySegmentInATransaction)
{
    ASSERT_TRUE(loaded);
    clsTree tree;
    clsTreeS builder;
    const NodeId rootId = builder.Build(tree, "FreeForm");
    ASSERT_TRUE(rootId);
    const TreeNode t = GroupLoop(tree.Node(rootId).FirstChild()).FirstChild().Next();
    ASSERT_TRUE(IsLoop(t, "0003"));
    ASSERT_EQ(t.Children(), 3u);
    EXPECT_TRUE(IsSegment(t.Child(0), "ST"));
    const TreeNode any = t.Child(1);
    ASSERT_TRUE(IsSegment(any, "XXX"));
    EXPECT_FALSE(gfSnodeRequired(any));
    const std::int32_t nR = gfSnodeGetAttrNum(any, 'R');
    EXPECT_GE(nR, 1000000);
    EXPECT_TRUE(IsSegment(t.Child(2), "SE"));
}

// Every shipped type has a bundled example (examples/<type>-*.edi); the examples open with
// nError 0 against their own definition and against the free-form definition; the invalid
// documents fail to match.
class DefinitionLibraryDocuments : public DefinitionLibrary {
protected:
    // (type, path) of every "<type>-....edi" in a folder of the source tree.
    static std::vector<std::pair<std::string, std::string>> Documents(const char* sFolder)
    {
        std::vector<std::pair<std::string, std::string>> out;
        for (const auto& item : fs::directory_iterator(fs::path(ORRINDALE_SOURCE_DIR) / sFolder)) {
            const std::string sName = item.path().filename().string();
            const auto dash = sName.find('-');
            if (item.is_regular_file() && dash != std::string::npos && item.path().extension() == ".edi")
                out.emplace_back(sName.substr(0, dash), item.path().string());
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    std::int16_t Read(const std::string& sType, const std::string& sFile, std::string& sError,
                      SepCode nDelimiter = '*', SepCode nSelimiter = '~')
    {
        EdiDocument doc;
        doc.SetSeparators(nDelimiter, nSelimiter);
        if (!doc.LoadDefinition(sType, sFile) || !doc.Open(sFile, EdiDocument::OpenMode::Batch))
            return -1;
        sError = doc.BuildErrorText();
        return doc.BuildError();
    }
};

// The functional group of an example file, GS to GE.
std::string GroupOf(const std::string& sExample)
{
    const std::string s = TestEnv::ReadFile(std::string(ORRINDALE_SOURCE_DIR) + "/examples/" + sExample);
    const std::size_t nGs = s.find("GS*"), nGe = s.find("GE*");
    return s.substr(nGs, s.find('\n', nGe) + 1 - nGs);
}

// Groups of different types in one file: the automatic choice names them
// all, and each group is read and checked against its own definition.
TEST_F(DefinitionLibraryDocuments, GroupsOfDifferentTypesReadEachAgainstItsOwn)
{
    ASSERT_TRUE(loaded);
    std::vector<std::string> entries;
    files.GetEdiDefFiles(entries);
    const std::vector<std::string> types = gfDocTypes(entries);
    const std::string sIsa =
        "ISA*00*          *00*          *ZZ*ORRINDALESEND  *ZZ*ORRINDALERECV  *240115*1030*^*00501*000000301*0*T*:~\n";
    const struct {
        std::vector<const char*> examples;
        std::string sType;
        std::vector<std::string> groupTexts;
    } cases[] = {
        // The same version: GS01 tells the purchase order from the invoice.
        {{"850-purchase-order.edi", "810-invoice.edi", "850-two-orders.edi"}, "850+810",
         {"Functional group (850)", "Functional group (810)", "Functional group (850)"}},
        // One transaction set code, two guides: GS08 tells them apart.
        {{"837P_X222A1-professional-claim.edi", "837I_X223A2-institutional-claim.edi"}, "837P_X222A1+837I_X223A2",
         {"Functional group (837P_X222A1)", "Functional group (837I_X223A2)"}},
    };
    for (const auto& c : cases) {
        std::string sText = sIsa;
        for (const char* sExample : c.examples)
            sText += GroupOf(sExample);
        sText += "IEA*" + std::to_string(c.examples.size()) + "*000000301~\n";
        const std::string sFile = env.Path("mixed.edi");
        TestEnv::WriteFile(sFile, sText);
        ASSERT_EQ(gfGuessDocType(sFile, types, "FreeForm"), c.sType);
        EdiDocument doc;
        doc.SetSeparators('*', '~');
        ASSERT_TRUE(doc.LoadDefinition(c.sType, sFile));
        ASSERT_TRUE(doc.Open(sFile, EdiDocument::OpenMode::Batch));
        EXPECT_EQ(doc.BuildError(), 0) << doc.BuildErrorText();
        std::vector<std::string> groupTexts;
        for (NodeId n = doc.Root().Id(); (n = gfDnodeNextInOrder(doc.Tree(), doc.Root().Id(), n));)
            if (gfDnodeType(doc.Tree().Node(n)) == 'F')
                groupTexts.emplace_back(doc.Tree().Text(n).substr(0, doc.Tree().Text(n).find(" (", 18)));
        EXPECT_EQ(groupTexts, c.groupTexts);
        const EdiFindings findings = clsTreeDCheck().Check(doc);
        EXPECT_TRUE(std::none_of(findings.begin(), findings.end(), [](const EdiFinding& f) { return f.IsError(); }))
            << findings.front().sMessage;
        // The same groups again: the schema composed for them is kept and reads the file as before.
        const NodeId schemaRoot = doc.SchemaRoot().Id();
        ASSERT_TRUE(doc.LoadDefinition(c.sType, sFile));
        EXPECT_EQ(doc.SchemaRoot().Id(), schemaRoot);
        ASSERT_TRUE(doc.Open(sFile, EdiDocument::OpenMode::Batch));
        EXPECT_EQ(doc.BuildError(), 0) << doc.BuildErrorText();
    }
}

TEST_F(DefinitionLibraryDocuments, ExamplesOpenAgainstTheirTypeAndFreeForm)
{
    ASSERT_TRUE(loaded);
    auto examples = Documents("examples");
    const auto library = Documents("tests/data/library");
    examples.insert(examples.end(), library.begin(), library.end());
    std::set<std::string> covered;
    for (const auto& [sType, sFile] : examples) {
        covered.insert(sType);
        for (const std::string& sAs : {sType, std::string("FreeForm")}) {
            SCOPED_TRACE(sFile + " as " + sAs);
            env.ui.Clear();
            std::string sError;
            EXPECT_EQ(Read(sAs, sFile, sError), clsTreeD::kOk) << sError;
            EXPECT_TRUE(env.ui.Messages().empty()) << env.ui.Messages().front();
        }
    }
    for (const DocEntry& e : docs)  // every shipped type has an example
        EXPECT_TRUE(covered.count(e.sDocType)) << "no example for " << e.sDocType;
}

// The type chosen from ST01 and GS08 is the document's own, for every document made for a
// type (the 278 response shares its guide with the request, which comes first); documents
// whose groups hold sets of several types get a composed type ("940+850_5010+999_X231A1").
TEST_F(DefinitionLibraryDocuments, AutoTypeOfEveryExampleIsItsOwn)
{
    ASSERT_TRUE(loaded);
    std::vector<std::string> entries;
    files.GetEdiDefFiles(entries);
    const std::vector<std::string> types = gfDocTypes(entries);
    auto examples = Documents("examples");
    const auto library = Documents("tests/data/library");
    examples.insert(examples.end(), library.begin(), library.end());
    for (const auto& [sType, sFile] : examples) {
        if (sType == "278R_X094A1")
            continue;
        std::string sExpected = sType;
        if (sFile.find("FreeForm-interchange-acknowledgments") != std::string::npos)
            sExpected = "997";
        else if (sFile.find("FreeForm-two-interchanges") != std::string::npos)
            sExpected = "940+850_5010+999_X231A1";
        EXPECT_EQ(gfGuessDocType(sFile, types, "FreeForm"), sExpected) << sFile;
    }
}

// Real files from other projects (tests/data/public, README.md there) open against the type
// chosen for them, except the known failures listed there, and the element check finds
// nothing in them but the faults README.md lists (true faults of the files, and values cut at
// separators the detection does not find).
TEST_F(DefinitionLibraryDocuments, PublicSamplesOpenAgainstTheirAutoTypeWithoutFalseFindings)
{
    ASSERT_TRUE(loaded);
    const std::set<std::string> kKnownFailures = {"imsweb/x12_277CA_accepted.txt",
                                                  "stupidedi/005010-X222-HC837-pass-4.edi", "node-x12/271.edi",
                                                  "stupidedi/004010-QO315-pass-1.edi"};
    const std::set<std::string> kWithFindings = {
        "imsweb/x12_277_x212.txt",  "imsweb/x12_813.txt", "imsweb/x12_999_accepted_ta1.txt", "imsweb/x12_valid.txt",
        "imsweb/x12_valid_different_separators.txt", "imsweb/x270.txt", "imsweb/x271.txt", "node-x12/855.edi",
        "stupidedi/004010-FA997-pass-1.x12", "stupidedi/004010-PS830-pass-1.edi", "uhin/TA1.txt",
        "x12-parser-js/oneLine.edi"};
    std::vector<std::string> entries;
    files.GetEdiDefFiles(entries);
    const std::vector<std::string> types = gfDocTypes(entries);
    const fs::path folder = fs::path(ORRINDALE_SOURCE_DIR) / "tests/data/public";
    int nOpened = 0, nClean = 0, nFiles = 0;
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        const std::string sName = item.path().filename().string();
        if (!item.is_regular_file() || sName.rfind("LICENSE", 0) == 0 || item.path().extension() == ".md")
            continue;
        const std::string sRel = fs::relative(item.path(), folder).generic_string();
        const std::string sFile = item.path().string();
        const GuessResult guess = gfGuessText(TestEnv::ReadFile(sFile).substr(0, kGuessLength), sFile, *env.config);
        ++nFiles;
        EdiDocument doc;
        doc.SetSeparators(guess.nDelimiter, guess.nSelimiter);
        const bool bOpened = guess.bFound && doc.LoadDefinition(gfGuessDocType(sFile, types, "FreeForm"), sFile) &&
                             doc.Open(sFile, EdiDocument::OpenMode::Batch) && doc.BuildError() == clsTreeD::kOk;
        EXPECT_EQ(bOpened, !kKnownFailures.count(sRel)) << sRel;
        if (!bOpened)
            continue;
        ++nOpened;
        const EdiFindings findings = clsTreeDCheck().Check(doc);
        EXPECT_EQ(findings.empty(), !kWithFindings.count(sRel))
            << sRel << ": " << (findings.empty() ? std::string("no finding") : findings[0].sMessage);
        nClean += findings.empty();
    }
    EXPECT_EQ(nFiles, 40);
    EXPECT_EQ(nOpened, 36);
    EXPECT_EQ(nClean, 24);
}

TEST_F(DefinitionLibraryDocuments, InvalidDocumentsFailToMatch)
{
    ASSERT_TRUE(loaded);
    const auto invalid = Documents("tests/data/invalid");
    ASSERT_FALSE(invalid.empty());
    std::set<std::string> types;
    for (const auto& [sType, sFile] : invalid) {
        SCOPED_TRACE(sFile);
        types.insert(sType);
        std::string sError;
        EXPECT_EQ(Read(sType, sFile, sError), clsTreeD::kMatchFailed);
        EXPECT_EQ(sError.rfind("Segment matching failed.\r\nFailed segment:", 0), 0u) << sError;
    }
    // at least one per family: retail 004010, 999, HIPAA 005010, free form
    for (const char* sType : {"850", "999_X231A1", "837P_X222A1", "FreeForm"})
        EXPECT_TRUE(types.count(sType)) << sType;
}

TEST_F(DefinitionLibraryDocuments, InterchangeOfTa1AloneOpensAgainstEveryType)
{
    ASSERT_TRUE(loaded);
    const std::string sFile = env.Path("ta1.edi");
    TestEnv::WriteFile(sFile,
                       "ISA*00*          *00*          *ZZ*SENDER         *ZZ*RECEIVER       *240115*1030*U*00401*"
                       "000000102*0*T*:~\nTA1*000000101*240115*1030*A*000~\nIEA*0*000000102~\n");
    for (const DocEntry& e : docs) {
        std::string sError;
        EXPECT_EQ(Read(e.sDocType, sFile, sError), clsTreeD::kOk) << e.sDocType << ": " << sError;
    }
}

// A new document of every type, with the schema's default content, writes
// out and reads back against its type: segments without element definitions
// are written as their identifier.
TEST_F(DefinitionLibraryDocuments, NewDocumentOfEveryTypeReadsBack)
{
    ASSERT_TRUE(loaded);
    const std::string sFile = env.Path("new.edi");
    for (const DocEntry& e : docs) {
        EdiDocument doc;
        doc.SetSeparators('*', '~');
        ASSERT_TRUE(doc.New(e.sDocType, EdiDocument::NewContent::Skeleton)) << e.sDocType;
        clsTreeDSave writer;
        writer.SetDelimiter('*');
        writer.SetSelimiter('~');
        TestEnv::WriteFile(sFile, writer.ToText(doc.Root(), false));
        std::string sError;
        EXPECT_EQ(Read(e.sDocType, sFile, sError), clsTreeD::kOk) << e.sDocType << ": " << sError;
    }
}

}  // namespace
}  // namespace orr
