#include <gtest/gtest.h>

#include <filesystem>

#include "app/modGlobals.h"
#include "schema/SchemaCache.h"
#include "schema/SchemaIndex.h"
#include "schema/clsDefFiles.h"
#include "schema/clsTreeS.h"
#include "store/modTreeDump.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::TestEnv;

const std::map<std::string, std::string> kDefinitions = {
    {"docT1.def",
     "A??*LS*0001*99*ISA*Interchange\r\n"
     "ISA*0*M*1*Header\r\n"
     "I01*1*M*ID*2*2*Qualifier*01,02,ZZ\r\n"
     "A??*LS*2000*5**Party\r\n"
     "N1*0*O*1*Name*BT\r\n"
     "98*1*R*ID*2*3*Entity\r\n"
     "A??*LE\r\n"
     "I02*2*O*AN*10*10*Info\r\n"
     "A??*HLE\r\n"},
    // A line the builder cannot use: it says so, and its schema is not kept.
    {"docT4.def", "AA*0*M*1*Seg\nA??*XX*1\nBB*0*M*1*Next\n"},
};

class SchemaCacheTest : public ::testing::Test {
protected:
    SchemaCacheTest()
    {
        TestEnv::WriteContainer(env.config->DefinitionFile, kDefinitions);
        gDefFiles = &files;
        EXPECT_TRUE(files.RefreshBinFile());
    }
    // Everything a view and the matcher read of a node.
    static std::string Whole(const clsTree& tree, NodeId root)
    {
        std::string s = gfDumpTreeText(tree, root);
        for (std::uint32_t i = 0; i < tree.NodeCount(); ++i)
            s += tree.Expanded(NodeId{root.value + i}) ? '+' : '-';
        return s;
    }

    TestEnv env;
    clsDefFiles files;
    const std::string sDir = env.Path("cache");
    const SchemaCache cache{sDir};
};

// A schema read back is the one built, node for node, with the same ids
// (the index of the matcher names nodes by id); what the program and the
// definitions were made of decides whether a kept one is read.
TEST_F(SchemaCacheTest, ReadsBackWhatItBuiltWhileNothingChanged)
{
    clsTree built;
    const NodeId builtRoot = clsTreeS().Build(built, "T1");
    ASSERT_TRUE(builtRoot);
    clsTree first;
    EXPECT_FALSE(cache.Read(first, "T1"));  // nothing kept yet
    EXPECT_EQ(first.NodeCount(), 0u);
    const NodeId firstRoot = cache.Build(first, "T1");
    ASSERT_TRUE(fs::exists(cache.Path("T1")));
    EXPECT_EQ(Whole(first, firstRoot), Whole(built, builtRoot));

    clsTree kept;
    const NodeId keptRoot = cache.Read(kept, "T1");
    ASSERT_TRUE(keptRoot);
    EXPECT_EQ(keptRoot, builtRoot);
    EXPECT_EQ(Whole(kept, keptRoot), Whole(built, builtRoot));
    const SchemaIndex fromBuild(built, builtRoot), fromKept(kept, keptRoot);
    const NodeId element = built.FindKey("K00003");
    ASSERT_TRUE(fromKept.Of(element));
    EXPECT_EQ(fromKept[fromKept.Of(element)].codes, (std::vector<std::string>{"01", "02", "ZZ"}));
    EXPECT_EQ(fromKept.Link(fromKept.Of(element)), fromBuild.Link(fromBuild.Of(element)));

    // New definitions: the kept schema is of the old ones.
    std::map<std::string, std::string> changed = kDefinitions;
    changed["docT1.def"] = TestEnv::Replaced(changed["docT1.def"], "Header", "Header, changed");
    TestEnv::WriteContainer(env.config->DefinitionFile, changed);
    ASSERT_TRUE(files.RefreshBinFile());
    clsTree stale;
    EXPECT_FALSE(cache.Read(stale, "T1"));
    const NodeId rebuilt = cache.Build(stale, "T1");
    EXPECT_NE(gfDumpTreeText(stale, rebuilt).find("Header, changed"), std::string::npos);
    clsTree again;
    EXPECT_TRUE(cache.Read(again, "T1"));   // kept anew
    EXPECT_FALSE(cache.Read(again, "T2"));  // another type has its own file

    // A tree emptied for the next definition (a batch of files of several types) keeps it too.
    again.RemoveAll();
    fs::remove(cache.Path("T1"));
    const NodeId reused = cache.Build(again, "T1");
    ASSERT_TRUE(fs::exists(cache.Path("T1")));
    clsTree fresh;
    EXPECT_EQ(Whole(fresh, cache.Read(fresh, "T1")), Whole(again, reused));
}

// A damaged file is built afresh, never half read; a build that showed a
// message is not kept (read back, it would not show it again); no folder,
// nothing kept.
TEST_F(SchemaCacheTest, DamagedFilesBuildsWithMessagesAndNoFolder)
{
    clsTree tree;
    ASSERT_TRUE(cache.Build(tree, "T1"));
    const std::string whole = TestEnv::ReadFile(cache.Path("T1"));
    for (const std::string& damaged :
         {whole.substr(0, whole.size() / 2), whole.substr(0, whole.size() - 1), whole + "x",
          TestEnv::Replaced(whole, "Qualifier", "Qualifiex"), std::string()}) {
        TestEnv::WriteFile(cache.Path("T1"), damaged);
        clsTree read;
        EXPECT_FALSE(cache.Read(read, "T1")) << damaged.size();
        EXPECT_EQ(read.NodeCount(), 0u);
    }
    clsTree rebuilt;
    ASSERT_TRUE(cache.Build(rebuilt, "T1"));
    EXPECT_EQ(TestEnv::ReadFile(cache.Path("T1")), whole);

    const std::size_t nShown = env.ui.Messages().size();
    clsTree withMessage;
    EXPECT_TRUE(cache.Build(withMessage, "T4"));
    EXPECT_GT(env.ui.Messages().size(), nShown);
    EXPECT_FALSE(fs::exists(cache.Path("T4")));

    const SchemaCache none("");
    clsTree plain;
    const NodeId plainRoot = none.Build(plain, "T1");
    EXPECT_TRUE(plainRoot);
    EXPECT_FALSE(none.Write(plain, plainRoot, "T1"));
    EXPECT_EQ(std::distance(fs::directory_iterator(sDir), fs::directory_iterator()), 1);
    EXPECT_EQ(cache.Path("a/b c"), (fs::path(sDir) / "schema-a_b_c-orrindale_core_tests.bin").string());
}

}  // namespace
}  // namespace orr
