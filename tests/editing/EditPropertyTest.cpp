// Random sequences of Edit commands on every example document, read against
// its own definition (schema rules) and against the free-form definition
// (free-form rules): the store stays consistent after every step, undoing
// everything gives back the original tree, redoing everything the final
// one, and the written document reads back; for the half of the sequences
// made of commands the permission set allows, without error.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "app/modGlobals.h"
#include "schema/clsDefFiles.h"
#include "tests/support/RandomEdits.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

namespace fs = std::filesystem;

TEST(EditProperty, RandomEditsOnEveryExample)
{
    test::TestEnv env;
    env.config->DefinitionFile = ORRINDALE_EDIDEF;
    clsDefFiles files;
    ASSERT_TRUE(files.RefreshBinFile());
    gDefFiles = &files;
    std::mt19937 rng(20240611);
    auto choose = [&](std::uint32_t n) { return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(rng); };
    test::RandomEdits::Ui ui(choose);
    gfSetUi(&ui);
    std::vector<fs::path> examples;  // in a fixed order, so that a failure comes back
    for (const auto& item : fs::directory_iterator(fs::path(ORRINDALE_SOURCE_DIR) / "examples"))
        if (item.path().extension() == ".edi")
            examples.push_back(item.path());
    std::sort(examples.begin(), examples.end());
    int nRuns = 0;
    for (const fs::path& path : examples) {
        const std::string sName = path.filename().string();
        for (const std::string& sType : {sName.substr(0, sName.find('-')), std::string("FreeForm")}) {
            for (int nRun = 0; nRun < 4; ++nRun, ++nRuns) {
                EdiDocument doc;
                doc.SetSeparators('*', '~');
                ASSERT_TRUE(doc.LoadDefinition(sType));
                ASSERT_TRUE(doc.Open(path.string(), EdiDocument::OpenMode::Batch));
                DocumentEditor editor(doc);
                test::RandomEdits edits(doc, editor, ui, choose);
                const std::string sFailure = edits.Run(60, env.Path("written.edi"), nRun % 2 == 0);
                EXPECT_EQ(sFailure, "") << sName << " as " << sType << ", script:\n" << edits.Log();
            }
        }
    }
    gfSetUi(&env.ui);
    EXPECT_GT(nRuns, 100);
}

}  // namespace
}  // namespace orr
