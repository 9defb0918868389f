// Smoke test of the benchmark generator (bench/gen/EdiGen.h, header-only, so
// this builds it): small generated 850 and 837P documents (both shapes) are
// deterministic by seed and open against the shipped definitions with nError
// 0, validate, and save back to the same bytes. CI runs this; bench/run is run by hand.
#include <gtest/gtest.h>

#include <string>

#include "app/GlobalsScope.h"
#include "app/clsConfig.h"
#include "bench/gen/EdiGen.h"
#include "doctree/EdiDocument.h"
#include "doctree/clsTreeD.h"
#include "doctree/clsTreeDSave.h"
#include "edi/modGuessEdi.h"
#include "schema/clsDefFiles.h"
#include "store/modTreeDump.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using test::TestEnv;

class BenchGen : public ::testing::Test {
protected:
    BenchGen()
    {
        env.config->DefinitionFile = ORRINDALE_EDIDEF;
        loaded = files.RefreshBinFile();
    }

    static std::string Generate(const std::string& sType, std::uint64_t nSeed, std::uint64_t nBytes = 48 << 10)
    {
        bench::GenOptions o;
        o.sType = sType;
        o.nSeed = nSeed;
        o.nBytes = nBytes;
        return bench::EdiGen::Text(o);
    }

    TestEnv env;
    clsDefFiles files;
    GlobalsScope defs{&files};
    bool loaded = false;
};

TEST_F(BenchGen, SameSeedSameBytesOtherSeedOtherBytes)
{
    for (const char* sType : {"850", "837P", "837P-claims"}) {
        SCOPED_TRACE(sType);
        const std::string a = Generate(sType, 7), b = Generate(sType, 7), c = Generate(sType, 8);
        EXPECT_EQ(a, b);
        EXPECT_NE(a, c);
        EXPECT_GE(a.size(), std::size_t(48 << 10));
        EXPECT_EQ(a.rfind("ISA*00*", 0), 0u);
        EXPECT_EQ(a.substr(a.size() - 1), "~");
    }
    bench::GenOptions o;
    o.sType = "810";
    EXPECT_FALSE(bench::EdiGen::Generate(o, [](std::string_view) {}));
}

TEST_F(BenchGen, GeneratedDocumentsOpenValidateAndSaveUnchanged)
{
    ASSERT_TRUE(loaded) << ORRINDALE_EDIDEF;
    for (const std::string sType : {"850", "837P", "837P-claims"}) {
        SCOPED_TRACE(sType);
        // One larger than the writer's 1 MiB blocks: its untouched text goes to the file in one piece.
        const std::string sText = Generate(sType, 1, sType == "837P-claims" ? 3 << 19 : 48 << 10);
        const std::string sFile = env.Path(sType + ".edi");
        TestEnv::WriteFile(sFile, sText);

        SepCode nDelimiter = 0, nSelimiter = 0;
        ASSERT_TRUE(gfGuessEdi(sFile, nDelimiter, nSelimiter));
        EXPECT_EQ(nDelimiter, SepCode('*'));
        EXPECT_EQ(nSelimiter, SepCode('~'));
        EdiDocument doc;
        doc.SetSeparators(nDelimiter, nSelimiter);
        ASSERT_TRUE(doc.LoadDefinition(bench::EdiGen::DefinitionType(sType)));
        ASSERT_TRUE(doc.Open(sFile, EdiDocument::OpenMode::Batch));
        EXPECT_EQ(doc.BuildError(), clsTreeD::kOk) << doc.BuildErrorText();
        EXPECT_GT(doc.BuildSegments(), 1000u);
        EXPECT_TRUE(env.ui.Messages().empty()) << env.ui.Messages().front();

        ASSERT_TRUE(doc.Validate());
        EXPECT_EQ(doc.BuildError(), clsTreeD::kOk) << doc.BuildErrorText();
        clsTreeDSave writer;
        writer.SetDelimiter(nDelimiter);
        writer.SetSelimiter(nSelimiter);
        EXPECT_EQ(writer.ToText(doc.Root(), false), sText);
        const std::string sSaved = env.Path("saved.edi");
        ASSERT_TRUE(writer.WriteX12(sSaved, doc.Root(), false));
        EXPECT_TRUE(TestEnv::ReadFile(sSaved) == sText);
        env.ui.Clear();
    }
}

// The command line loads the definition while the file is cut on the
// other thread: the document is the one read after loading it first, and a
// definition or a file that fails leaves the document as it was.
TEST_F(BenchGen, TheDefinitionLoadsWhileTheFileIsCut)
{
    ASSERT_TRUE(loaded) << ORRINDALE_EDIDEF;
    const std::string sFile = env.Path("claims.edi");
    TestEnv::WriteFile(sFile, Generate("837P-claims", 3, 1 << 20));  // cut on a thread of its own
    const std::string sType = bench::EdiGen::DefinitionType("837P-claims");
    EdiDocument first, overlapped;
    ASSERT_TRUE(first.LoadDefinition(sType));
    ASSERT_TRUE(first.Open(sFile, EdiDocument::OpenMode::Batch));
    ASSERT_TRUE(overlapped.OpenAs(sType, sFile));
    EXPECT_EQ(overlapped.Type(), sType);
    EXPECT_EQ(overlapped.BuildError(), clsTreeD::kOk) << overlapped.BuildErrorText();
    EXPECT_EQ(overlapped.BuildSegments(), first.BuildSegments());
    EXPECT_EQ(gfDumpTreeText(overlapped.Tree(), overlapped.Root().Id()),
              gfDumpTreeText(first.Tree(), first.Root().Id()));
    EXPECT_EQ(gfDumpTreeText(overlapped.SchemaTree(), overlapped.SchemaRoot().Id()),
              gfDumpTreeText(first.SchemaTree(), first.SchemaRoot().Id()));
    EXPECT_TRUE(env.ui.Messages().empty());

    const std::string sBefore = gfDumpTreeText(overlapped.Tree(), overlapped.Root().Id());
    EXPECT_FALSE(overlapped.OpenAs("NoSuchType", sFile));
    EXPECT_EQ(env.ui.Messages(), (std::vector<std::string>{"Could not find template file:docNoSuchType.def",
                                                           "Could not open definition file:docNoSuchType.def"}));
    EXPECT_FALSE(overlapped.OpenAs(sType, env.Path("missing.edi")));
    EXPECT_EQ(gfDumpTreeText(overlapped.Tree(), overlapped.Root().Id()), sBefore);
}

}  // namespace
}  // namespace orr
