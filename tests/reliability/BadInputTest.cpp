// The bad-input corpus (docs/RELIABILITY.md): files and definitions a user can
// hand the program by mistake. Each gives a clear message or a defined error,
// and no crash. Cases already covered elsewhere are named at the end of the
// file and not repeated here.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "app/modGlobals.h"
#include "doctree/clsTreeDSave.h"
#include "edi/modGuessEdi.h"
#include "schema/DefContainerFormat.h"
#include "schema/clsDefFiles.h"
#include "schema/clsTreeS.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::BuildText;
using test::BuiltDocument;
using test::Outline;
using test::TestEnv;

std::string Binary(std::size_t n, unsigned nSeed)
{
    std::mt19937 rng(nSeed);
    std::string s(n, '\0');
    for (char& c : s)
        c = char(rng() & 0xff);
    return s;
}

std::string ValidOutline(TestEnv& env)
{
    BuiltDocument d;
    BuildText(env, d, test::kValidT1);
    EXPECT_EQ(d.nError, 0);
    return Outline(d.ndRoot);
}

// ---- documents -------------------------------------------------------------------

TEST(BadInput, BinaryDocumentIsNotRecognised)
{
    test::DocTreeFixture env;
    for (unsigned seed = 1; seed <= 4; ++seed) {
        BuiltDocument d;
        BuildText(env, d, Binary(64 * 1024, seed));
        ASSERT_TRUE(d.ndRoot);
        EXPECT_NE(d.nError, 0);  // 2 (nothing recognised) or 1 (a stray "~" cut a segment)
    }
    // Detection refuses it with its message.
    TestEnv::WriteFile(env.Path("binary.edi"), Binary(4096, 7));
    SepCode dl = 0, sl = 0;
    env.ui.Clear();
    EXPECT_FALSE(gfGuessEdi(env.Path("binary.edi"), dl, sl));
    ASSERT_EQ(env.ui.Messages().size(), 1u);
}

TEST(BadInput, DirectoryAsDocumentIsARunTimeError)
{
    test::DocTreeFixture env;
    BuiltDocument d;
    BuildText(env, d, "");
    fs::create_directory(env.Path("folder.edi"));
    env.ui.Clear();
    clsTreeD reader;
    clsTree tree;
    EXPECT_FALSE(reader.Build(tree, env.Path("folder.edi"), d.schema));
    EXPECT_EQ(env.ui.Messages(),
              (std::vector<std::string>{"Error:Is a directory: " + env.Path("folder.edi") + "\r\n\r\nError Code:21"}));
    EXPECT_EQ(tree.NodeCount(), 0u);
}

TEST(BadInput, UnreadableDocumentIsARunTimeError)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads whatever the permissions say";
    test::DocTreeFixture env;
    BuiltDocument d;
    BuildText(env, d, "");
    const std::string sFile = env.Path("locked.edi");
    TestEnv::WriteFile(sFile, test::kValidT1);
    fs::permissions(sFile, fs::perms::none);
    env.ui.Clear();
    clsTreeD reader;
    clsTree tree;
    EXPECT_FALSE(reader.Build(tree, sFile, d.schema));
    EXPECT_EQ(env.ui.Messages(),
              (std::vector<std::string>{"Error:Permission denied: " + sFile + "\r\n\r\nError Code:13"}));
}

TEST(BadInput, TruncatedDocumentKeepsWhatWasRead)
{
    test::DocTreeFixture env;
    const std::string sFull = test::kValidT1;
    // Cut everywhere inside the last third: never a crash; the segments
    // before the cut are matched, the cut one is kept as text after the last
    // terminator, and the envelopes left open make the build fail.
    for (std::size_t n = sFull.size() * 2 / 3; n < sFull.size(); n += 7) {
        BuiltDocument d;
        const std::string sCut = sFull.substr(0, n);
        BuildText(env, d, sCut);
        ASSERT_TRUE(d.ndRoot) << n;
        // A cut inside a segment makes it the last one (which may not match).
        const bool bWhole = sCut.find("IEA*") != std::string::npos;
        EXPECT_EQ(d.nError == clsTreeD::kOk, bWhole) << n;
        EXPECT_NE(Outline(d.ndRoot).find("BEG [SBEG]"), std::string::npos);
    }
    BuiltDocument half;
    BuildText(env, half, sFull.substr(0, 40));  // inside the ISA segment: nothing at all
    EXPECT_EQ(half.nError, 2);
}

TEST(BadInput, HugeSingleSegment)
{
    test::DocTreeFixture env;
    // 64 MB in one segment, made here (not kept in the repository).
    std::string sText = "ISA*";
    sText.append(std::size_t(64) << 20, 'A');
    sText += "~";
    BuiltDocument d;
    BuildText(env, d, sText);
    ASSERT_TRUE(d.ndRoot);
    EXPECT_EQ(d.nError, clsTreeD::kTruncated);  // an interchange of its header alone
    const TreeNode ndIsa = d.ndRoot.FirstChild().FirstChild();
    ASSERT_TRUE(ndIsa);
    EXPECT_EQ(ndIsa.Text(), "ISA");
    ASSERT_TRUE(ndIsa.FirstChild());
    EXPECT_EQ(ndIsa.FirstChild().Text().size(), std::size_t(64) << 20);

    // Without any terminator nothing is recognised; the text is kept as it stands.
    sText.pop_back();
    BuiltDocument none;
    BuildText(env, none, sText);
    EXPECT_EQ(none.nError, 2);
    EXPECT_EQ(none.doc.Payload(none.ndRoot.FirstChild().Id())->size(), sText.size());
}

TEST(BadInput, MixedLineEndsAndByteOrderMarkReadLikeTheCleanFile)
{
    test::DocTreeFixture env;
    const std::string sExpected = ValidOutline(env);
    std::string sMixed;
    const char* const ends[] = {"\r\n", "\n", "\r", "\n\r", "", "\r\n\r\n"};
    std::size_t k = 0;
    for (char c : std::string(test::kValidT1)) {
        if (c == '\n')
            sMixed += ends[k++ % std::size(ends)];
        else
            sMixed += c;
    }
    BuiltDocument mixed;
    BuildText(env, mixed, sMixed);
    EXPECT_EQ(mixed.nError, 0);
    EXPECT_EQ(Outline(mixed.ndRoot), sExpected);

    BuiltDocument bom;
    BuildText(env, bom, "\xEF\xBB\xBF" + sMixed);
    EXPECT_EQ(bom.nError, 0);
    EXPECT_EQ(Outline(bom.ndRoot), sExpected);

    // Detection finds the same separators with or without the mark.
    const GuessResult plain = gfGuessText(sMixed, "mixed.edi", *env.config);
    const GuessResult marked = gfGuessText("\xEF\xBB\xBF" + sMixed, "bom.edi", *env.config);
    EXPECT_TRUE(plain.bFound);
    EXPECT_TRUE(marked.bFound) << marked.sMessage;
    EXPECT_EQ(marked.nDelimiter, plain.nDelimiter);
    EXPECT_EQ(marked.nSelimiter, plain.nSelimiter);
}

// ---- definitions -------------------------------------------------------------------

struct BadDefinitions : ::testing::Test {
    TestEnv env;
    clsDefFiles files;
    void SetUp() override { gDefFiles = &files; }
    void Load(const std::map<std::string, std::string>& defs)
    {
        TestEnv::WriteContainer(env.config->DefinitionFile, defs);
        ASSERT_TRUE(files.RefreshBinFile());
    }
};

TEST_F(BadDefinitions, DeeplyNestedLoopsBuildAndMatch)
{
    // 20 000 loops, each inside the one before, each starting with an
    // optional AA: a document of 20 000 AA segments goes all the way down.
    constexpr int kDepth = 20000;
    std::string def;
    for (int i = 0; i < kDepth; ++i)
        def += "A??*LS*L" + std::to_string(i) + "*1*AA*Loop\nAA*0*O*1*Header\n";
    for (int i = 0; i < kDepth; ++i)
        def += "A??*LE\n";
    Load({{"docDeep.def", def}});
    std::string sText;
    for (int i = 0; i <= kDepth; ++i)
        sText += "AA*" + std::to_string(i) + "~";  // one more than there is room for
    BuiltDocument d;
    BuildText(env, d, sText, "Deep");
    ASSERT_TRUE(d.ndRoot);
    int nSchemaDepth = 0;
    for (TreeNode nd = d.schema.Node(d.schema.Child(NodeId{}, 0)); nd; nd = nd.LastChild())
        ++nSchemaDepth;
    EXPECT_EQ(nSchemaDepth, kDepth + 2);  // root, the loops, the innermost AA
    // After the innermost AA the builder climbs out of all 20 000 loops,
    // each used up, and reaches the schema root: the defined "ran out" end.
    EXPECT_EQ(d.nError, 3);
    EXPECT_EQ(d.sError, "ndS or mndSystemLoop is nothing.");
    int nDocDepth = 0;  // loop nodes, each holding its AA and the next loop
    for (TreeNode nd = d.ndRoot.FirstChild(); nd; nd = nd.FirstChild().Next())
        ++nDocDepth;
    EXPECT_EQ(nDocDepth, kDepth);

    // Writing it back (depth-first over 20 000 levels) gives the text again.
    clsTreeDSave saver;
    saver.SetDelimiter('*');
    saver.SetSelimiter('~');
    EXPECT_EQ(saver.ToText(d.ndRoot, false), sText);
}

TEST_F(BadDefinitions, UnbalancedLoopEndsBuild)
{
    // Loop ends without a start, and starts never ended.
    Load({{"docOdd.def", "A??*LE\nA??*HLE\nA??*LS*1*1**A\nA??*LS*2*1**B\nISA*0*M*1*I\nA??*ELE\nA??*ESE\nA??*LE\n"
                         "A??*LE\nA??*LE\nA??*LS*3*1**C\n"}});
    clsTreeS builder;
    clsTree tree;
    EXPECT_TRUE(builder.Build(tree, "Odd"));
}

TEST_F(BadDefinitions, HundredThousandLinesWithinTheNodeLimit)
{
    // 100 000 lines of which 40 000 make nodes: below the 99 999-node limit
    // (the limit itself is SchemaBuilder.TooManyNodesEndTheProgram).
    std::string def = "A??*LS*0001*1*ISA*Interchange\nISA*0*M*1*Header\n";
    for (int i = 0; i < 60000; ++i)
        def += "; comment line " + std::to_string(i) + "\n";
    for (int i = 0; i < 39996; ++i)
        def += "ISA" + std::to_string(i % 99 + 1) + "*" + std::to_string(i % 99 + 1) + "*O*AN*1*9*Element\n";
    def += "A??*LE\n";
    Load({{"docMany.def", def}});
    clsTreeS builder;
    clsTree tree;
    ASSERT_TRUE(builder.Build(tree, "Many"));
    EXPECT_EQ(builder.NodeCounter(), 39999);  // the root, the loop, ISA and 39 996 elements
}

TEST_F(BadDefinitions, ContainerOddities)
{
    const std::string& path = env.config->DefinitionFile;
    // Empty file, a directory, binary bytes: refused (false), no crash.
    TestEnv::WriteFile(path, "");
    EXPECT_FALSE(files.RefreshBinFile());
    fs::remove(path);
    fs::create_directory(path);
    EXPECT_FALSE(files.RefreshBinFile());
    fs::remove(path);
    TestEnv::WriteFile(path, "OO" + Binary(4096, 3));
    files.RefreshBinFile();
    std::vector<std::string> list;
    files.GetAllDefFiles(list);
    for (const auto& e : files.Entries())
        if (int h = files.OpenDefFile(e.sName)) {
            while (!files.DefFileAtEof(h))
                files.ReadLineFromDefFile(h);
            files.CloseDefFile(h);
        }

    // An entry with a negative length, and one with position 0.
    TestEnv::WriteContainer(path, {{"docA.def", "A\r\n"}, {"docB.def", "B\r\n"}});
    std::string s = TestEnv::ReadFile(path);
    auto* p = reinterpret_cast<unsigned char*>(s.data());
    defformat::WriteInt32(p + defformat::kHeaderSize + defformat::kEntryLengthAt, -5);
    defformat::WriteInt32(p + defformat::kHeaderSize + defformat::kEntrySize + defformat::kEntryPositionAt, 0);
    TestEnv::WriteFile(path, s);
    ASSERT_TRUE(files.RefreshBinFile());
    env.ui.Clear();
    EXPECT_EQ(files.OpenDefFile("docA.def"), 0);
    EXPECT_EQ(files.OpenDefFile("docB.def"), 0);
    ASSERT_EQ(env.ui.Messages().size(), 2u);
    EXPECT_EQ(env.ui.Messages()[0].rfind("Error:Input past end of file: docA.def", 0), 0u);
    EXPECT_EQ(env.ui.Messages()[1].rfind("Error:Input past end of file: docB.def", 0), 0u);
}

// Covered elsewhere, not repeated: empty and missing documents
// (TreeD.NoSegmentRecognised), an empty file for detection
// (GuessEdi.FileFailuresAreShownToTheUser), a missing or unreadable file for
// detection (GuessEdi.UnreadablePathsGiveTheRunTimeErrorReport), damaged containers
// with truncated headers, directories and data pointers past the end
// (DefFiles.DamagedContainersFailCleanly), more than 99 999 schema nodes
// (SchemaBuilder.TooManyNodesEndTheProgram), mixed line ends in the parser
// (EdiAsyncParser.TextsGiveTheirEvents) and in DEF files
// (DefFiles.ReadsLinesAcrossLineEndStyles), the byte-order mark in the
// parser (EdiAsyncParser.ByteOrderMarkAtTheStartIsSkipped), enormous
// segments in the parser (EdiAsyncParser.EnormousSegmentAcrossThousandsOfPieces).

}  // namespace
}  // namespace orr
