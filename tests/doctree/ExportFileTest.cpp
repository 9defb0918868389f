// The Save of the delimited-text export and of the conversion dialog.
#include <gtest/gtest.h>

#include <filesystem>

#include "doctree/modExportFile.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

using test::TestEnv;

// kValidT1 with another element separator and segment end.
std::string Converted(char cDelimiter, const std::string& sEnd)
{
    std::string out;
    for (const char c : std::string(test::kValidT1))
        out += c == '*' ? std::string(1, cDelimiter) : c == '~' ? std::string() : c == '\n' ? sEnd : std::string(1, c);
    return out;
}

TEST(ExportFile, WritesAskBeforeReplacingAndRefuseUnreadableSeparators)
{
    test::DocTreeFixture env;
    test::BuiltDocument doc;
    test::BuildText(env, doc, test::kValidT1);
    const std::string sOut = env.Path("out.txt");
    env.ui.Clear();

    EXPECT_TRUE(gfExportTextFile(sOut, TreeNode(), true));
    EXPECT_TRUE(gfConvertEdiFile(sOut, TreeNode(), '*', '~'));
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>(2, "Nothing in document to save."));
    EXPECT_FALSE(std::filesystem::exists(sOut));

    env.ui.Clear();
    EXPECT_TRUE(gfExportTextFile(sOut, doc.ndRoot, true));
    EXPECT_EQ(TestEnv::ReadFile(sOut), Converted(',', "\r\n"));
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{sOut + " is created."});

    // An existing file: No keeps it (and the dialog open), Yes replaces it.
    env.ui.Clear();
    env.ui.QueueAnswer(MsgAnswer::No);
    EXPECT_FALSE(gfExportTextFile(sOut, doc.ndRoot, false));
    EXPECT_EQ(env.ui.Calls()[0].sText, "File: " + sOut + " exists.  Overwrite ?");
    EXPECT_EQ(env.ui.Calls()[0].sTitle, "Confirm");
    EXPECT_EQ(TestEnv::ReadFile(sOut), Converted(',', "\r\n"));
    env.ui.QueueAnswer(MsgAnswer::Yes);
    EXPECT_TRUE(gfExportTextFile(sOut, doc.ndRoot, false));
    EXPECT_EQ(TestEnv::ReadFile(sOut), Converted('\t', "\r\n"));

    // Conversion: a line end as terminator asks nothing; another asks about line breaks;
    // terminator 0 ends each segment with CR LF without asking.
    env.ui.Clear();
    env.ui.QueueAnswer(MsgAnswer::Yes);  // replace
    EXPECT_TRUE(gfConvertEdiFile(sOut, doc.ndRoot, '|', 10));
    EXPECT_EQ(TestEnv::ReadFile(sOut), Converted('|', "\n"));
    env.ui.QueueAnswer(MsgAnswer::Yes);  // replace
    env.ui.QueueAnswer(MsgAnswer::Yes);  // CR LF after each segment
    EXPECT_TRUE(gfConvertEdiFile(sOut, doc.ndRoot, '+', '\''));
    EXPECT_EQ(TestEnv::ReadFile(sOut), Converted('+', "'\r\n"));
    env.ui.QueueAnswer(MsgAnswer::Yes);  // replace
    EXPECT_TRUE(gfConvertEdiFile(sOut, doc.ndRoot, '*', 0));
    EXPECT_EQ(TestEnv::ReadFile(sOut), Converted('*', "\r\n"));
    EXPECT_EQ(env.ui.Calls().size(), 4u);  // three replacements, one line-break question

    // Separators that could not be told apart: refused before anything is touched.
    EXPECT_FALSE(gfConvertEdiFile(sOut, doc.ndRoot, '~', '~'));
    EXPECT_EQ(env.ui.Messages().back(), "The data element separator and the segment terminator must differ.");
    EXPECT_EQ(TestEnv::ReadFile(sOut), Converted('*', "\r\n"));

    const std::string sNowhere = env.Path("no-folder/out.txt");
    EXPECT_TRUE(gfExportTextFile(sNowhere, doc.ndRoot, true));
    EXPECT_EQ(env.ui.Messages().back(), "Failed to save document:" + sNowhere);
    EXPECT_EQ(env.ui.Calls().back().icon, MsgIcon::Critical);
}

}  // namespace
}  // namespace orr
