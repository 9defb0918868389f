#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "doctree/clsTreeDSave.h"
#include "schema/SchemaIndex.h"
#include "store/clsFileMapping.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

using test::BuildText;
using test::BuiltDocument;
using test::TestEnv;

// Whether this process maps sFile (a line of /proc/self/maps ends with it).
bool Mapped(const std::string& sFile)
{
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        if (line.ends_with(sFile))
            return true;
    return false;
}

// Every node's text below nd, elements included, one per line.
std::string AllTexts(const TreeNode& nd)
{
    std::string s;
    for (TreeNode c = nd.FirstChild(); c; c = c.Next())
        s += std::string(c.Text()) + "\n" + AllTexts(c);
    return s;
}

std::string Saved(const TreeNode& ndRoot, const std::string& sFile)
{
    clsTreeDSave writer;
    writer.SetDelimiter('*');
    writer.SetSelimiter('~');
    bool bSilent = true;
    EXPECT_TRUE(writer.SaveAs(sFile, ndRoot, bSilent));
    return TestEnv::ReadFile(sFile);
}

// A document is read in place from its file's pages; a program that then
// rewrites or truncates the file (this one, writing the document over its
// own file, included) waits until the texts are copied, so they never change.
TEST(TreeDInPlace, TextsSurviveTheirFileBeingRewritten)
{
    test::DocTreeFixture env;
    BuiltDocument d;
    BuildText(env, d, test::kValidT1);
    ASSERT_EQ(d.nError, 0);
    const std::string sFile = env.Path("doc.edi");
    EXPECT_TRUE(Mapped(sFile));
    const std::string sTexts = AllTexts(d.ndRoot);
    const std::string sSaved = Saved(d.ndRoot, env.Path("copy.edi"));
    ASSERT_FALSE(sSaved.empty());

    EXPECT_EQ(Saved(d.ndRoot, sFile), sSaved);  // the writer truncates the file it reads from
    EXPECT_FALSE(Mapped(sFile));
    TestEnv::WriteFile(sFile, "ISA*garbage~");
    EXPECT_EQ(AllTexts(d.ndRoot), sTexts);
    EXPECT_EQ(Saved(d.ndRoot, env.Path("again.edi")), sSaved);

    // A file another writer holds open cannot be leased: it is read through a stream.
    TestEnv::WriteFile(sFile, test::kValidT1);
    std::ofstream writer(sFile, std::ios::app);
    clsTreeD reader;
    clsTree doc;
    const TreeNode ndRoot = reader.Build(doc, sFile, d.schema);
    EXPECT_FALSE(Mapped(sFile));
    EXPECT_EQ(AllTexts(ndRoot), sTexts);
}

// Truncated from another thread while the build reads it: the truncation
// waits for the copy, and the whole document is read.
TEST(TreeDInPlace, AFileTruncatedWhileBeingReadGivesTheWholeDocument)
{
    test::DocTreeFixture env;
    BuiltDocument small;
    BuildText(env, small, test::kValidT1);
    std::string sText;
    for (int i = 0; i < 90; ++i)  // the definition allows 99 interchanges
        sText += test::kValidT1;
    const std::string sFile = env.Path("big.edi");
    const std::string sCopy = env.Path("big-copy.edi");
    TestEnv::WriteFile(sFile, sText);
    TestEnv::WriteFile(sCopy, sText);
    const SchemaIndex index(small.schema, small.schema.Child(NodeId{}, 0));

    std::unique_ptr<clsFileMapping> file = clsFileMapping::Open(sFile);
    ASSERT_TRUE(file);
    std::thread cutter([&] { std::filesystem::resize_file(sFile, 10); });
    clsTreeD reader;
    clsTree doc;
    const TreeNode ndRoot = reader.Build(doc, std::move(file), sFile, small.schema, index);
    cutter.join();
    EXPECT_EQ(std::filesystem::file_size(sFile), 10u);
    ASSERT_EQ(reader.nError(), 0);
    EXPECT_EQ(ndRoot.Children(), 90u);

    clsTreeD copyReader;
    clsTree copy;
    EXPECT_EQ(AllTexts(ndRoot), AllTexts(copyReader.Build(copy, sCopy, small.schema, index)));
}

}  // namespace
}  // namespace orr
