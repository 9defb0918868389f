// The Save of the delimited-text export and of the conversion dialog.
#include <gtest/gtest.h>

#include <filesystem>

#include "doctree/modExportFile.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::TestEnv;

// kValidT1 with other separators and line ends.
std::string Converted(char cDelimiter, const std::string& sEnd)
{
    std::string out;
    for (const char c : std::string(test::kValidT1))
        out += c == '*' ? std::string(1, cDelimiter) : c == '~' ? std::string() : c == '\n' ? sEnd : std::string(1, c);
    return out;
}

TEST(ExportFile, TextExportAsksBeforeReplacingAFile)
{
    test::DocTreeFixture env;
    test::BuiltDocument doc;
    test::BuildText(env, doc, test::kValidT1);
    ASSERT_EQ(doc.nError, 0);
    const std::string sOut = env.Path("out.txt");
    env.ui.Clear();

    EXPECT_TRUE(gfExportTextFile(sOut, TreeNode(), true));
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{"Nothing in document to save."});
    EXPECT_FALSE(fs::exists(sOut));

    env.ui.Clear();
    EXPECT_TRUE(gfExportTextFile(sOut, doc.ndRoot, true));
    EXPECT_EQ(TestEnv::ReadFile(sOut), Converted(',', "\r\n"));
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{sOut + " is created."});

    env.ui.Clear();
    env.ui.QueueAnswer(MsgAnswer::No);
    EXPECT_FALSE(gfExportTextFile(sOut, doc.ndRoot, false));  // the dialog stays
    ASSERT_EQ(env.ui.Calls().size(), 1u);
    EXPECT_EQ(env.ui.Calls()[0].sText, "File: " + sOut + " exists.  Overwrite ?");
    EXPECT_EQ(env.ui.Calls()[0].sTitle, "Confirm");
    EXPECT_EQ(TestEnv::ReadFile(sOut), Converted(',', "\r\n"));
    env.ui.QueueAnswer(MsgAnswer::Yes);
    EXPECT_TRUE(gfExportTextFile(sOut, doc.ndRoot, false));
    EXPECT_EQ(TestEnv::ReadFile(sOut), Converted('\t', "\r\n"));

    env.ui.Clear();
    const std::string sNowhere = env.Path("no-folder/out.txt");
    EXPECT_TRUE(gfExportTextFile(sNowhere, doc.ndRoot, true));
    EXPECT_EQ(env.ui.Messages().back(), "Failed to save document:" + sNowhere);
    EXPECT_EQ(env.ui.Calls().back().icon, MsgIcon::Critical);
}

TEST(ExportFile, ConversionWritesOtherSeparatorsOrRefusesThem)
{
    test::DocTreeFixture env;
    test::BuiltDocument doc;
    test::BuildText(env, doc, test::kValidT1);
    const std::string sOut = env.Path("out.edi");
    env.ui.Clear();

    // A line end as terminator: nothing to ask, and success says nothing.
    EXPECT_TRUE(gfConvertEdiFile(sOut, doc.ndRoot, '|', 10));
    EXPECT_EQ(TestEnv::ReadFile(sOut), Converted('|', "\n"));
    EXPECT_TRUE(env.ui.Messages().empty());

    // Another terminator: the writer asks about line breaks.
    env.ui.QueueAnswer(MsgAnswer::Yes);  // replace out.edi
    env.ui.QueueAnswer(MsgAnswer::Yes);  // CR LF after each segment
    EXPECT_TRUE(gfConvertEdiFile(sOut, doc.ndRoot, '+', '\''));
    EXPECT_EQ(TestEnv::ReadFile(sOut), Converted('+', "'\r\n"));

    // Terminator 0: every segment ends with CR LF, and no line-break question is asked.
    env.ui.Clear();
    env.ui.QueueAnswer(MsgAnswer::Yes);  // replace out.edi
    EXPECT_TRUE(gfConvertEdiFile(sOut, doc.ndRoot, '*', 0));
    EXPECT_EQ(TestEnv::ReadFile(sOut), Converted('*', "\r\n"));
    EXPECT_EQ(env.ui.Calls().size(), 1u);
    EXPECT_TRUE(env.ui.AllAnswersUsed());

    // Separators that could not be told apart: refused before anything is touched.
    env.ui.Clear();
    EXPECT_FALSE(gfConvertEdiFile(sOut, doc.ndRoot, '~', '~'));
    EXPECT_EQ(env.ui.Messages(),
              std::vector<std::string>{"The data element separator and the segment terminator must differ."});
    EXPECT_EQ(TestEnv::ReadFile(sOut), Converted('*', "\r\n"));
    EXPECT_TRUE(gfConvertEdiFile(sOut, TreeNode(), '*', '~'));
    EXPECT_EQ(env.ui.Messages().back(), "Nothing in document to save.");
}

}  // namespace
}  // namespace orr
