// The save path of the document window (WriteToFile): backup,
// restore on failure, forced delete of a read-only backup, and the exact
// messages, with injected failures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <tuple>

#include "doctree/clsTreeDSave.h"
#include "doctree/modSaveFile.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::BuildText;
using test::BuiltDocument;
using test::TestEnv;

const char* const kOld = "ISA*OLD CONTENT~\n";

struct SaveFile : ::testing::Test {
    test::DocTreeFixture env;
    BuiltDocument doc;
    std::string sFile;
    std::string sText;  // what the writer gives for the document

    void SetUp() override
    {
        BuildText(env, doc, test::kValidT1);
        ASSERT_EQ(doc.nError, 0);
        sFile = env.Path("order.edi");
        sText = std::string(test::kValidT1);
        // The writer joins the segments without line breaks (answer No).
        std::erase(sText, '\n');
        env.ui.Clear();
    }

    bool Save(bool& bChanged, const SaveFileOps& ops = {}, bool bQuestion = true)
    {
        if (bQuestion)
            env.ui.QueueAnswer(MsgAnswer::No);  // "add a CR and LF ...?"
        return gfWriteToFile(sFile, doc.ndRoot, '*', '~', bChanged, ops);
    }

    // A writer that fails with sError after doing fnFirst to the file.
    static SaveFileOps Failing(std::string sError, std::function<void(const std::string&)> fnFirst = {})
    {
        SaveFileOps ops;
        ops.fnWrite = [=](const std::string& sPath, const TreeNode&, SepCode, SepCode, std::string& sOut) {
            if (fnFirst)
                fnFirst(sPath);
            sOut = sError;
            return false;
        };
        return ops;
    }

    // Messages other than the writer's line-break question.
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> out;
        for (const auto& c : env.ui.Calls())
            if (c.kind == test::UiCall::Message && c.buttons == MsgButtons::OK)
                out.push_back(c.sText);
        return out;
    }
};

TEST_F(SaveFile, NewFileHasNoBackupThenThePreviousContentIsKept)
{
    bool bChanged = true;
    ASSERT_TRUE(Save(bChanged));
    EXPECT_FALSE(bChanged);
    EXPECT_EQ(TestEnv::ReadFile(sFile), sText);
    EXPECT_FALSE(fs::exists(sFile + " Backup"));

    TestEnv::WriteFile(sFile, kOld);
    ASSERT_TRUE(Save(bChanged = true));
    EXPECT_EQ(gfBackupName(sFile), sFile + " Backup");
    EXPECT_EQ(TestEnv::ReadFile(sFile), sText);
    EXPECT_EQ(TestEnv::ReadFile(sFile + " Backup"), kOld);
    ASSERT_TRUE(Save(bChanged = true));  // a second save replaces the backup
    EXPECT_EQ(TestEnv::ReadFile(sFile + " Backup"), sText);
    EXPECT_FALSE(bChanged);
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(env.ui.AllAnswersUsed());
}

TEST_F(SaveFile, ReadOnlyBackupIsDeletedByForce)
{
    TestEnv::WriteFile(sFile, kOld);
    TestEnv::WriteFile(sFile + " Backup", "older\n");
    fs::permissions(sFile + " Backup", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    bool bChanged = true;
    ASSERT_TRUE(Save(bChanged));
    EXPECT_EQ(TestEnv::ReadFile(sFile + " Backup"), kOld);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(SaveFile, InjectedWriterFailureRestoresThePreviousFile)
{
    TestEnv::WriteFile(sFile, kOld);
    // A half-written file.
    const SaveFileOps ops = Failing("No space left on device", [](const std::string& sPath) {
        TestEnv::WriteFile(sPath, "ISA*PARTIAL");
    });
    bool bChanged = false;
    EXPECT_FALSE(Save(bChanged, ops, false));
    EXPECT_TRUE(bChanged);
    EXPECT_EQ(TestEnv::ReadFile(sFile), kOld);
    EXPECT_FALSE(fs::exists(sFile + " Backup"));  // moved back
    ASSERT_EQ(env.ui.Calls().size(), 1u);
    EXPECT_EQ(env.ui.Calls()[0].sText, "File save failed.\r\n\r\nError:No space left on device");
    EXPECT_EQ(env.ui.Calls()[0].icon, MsgIcon::Critical);
}

TEST_F(SaveFile, InjectedWriterFailureOfANewFileLeavesNoFile)
{
    const SaveFileOps ops = Failing("Input/output error", [](const std::string& sPath) {
        TestEnv::WriteFile(sPath, "ISA*PARTIAL");
    });
    bool bChanged = false;
    EXPECT_FALSE(Save(bChanged, ops, false));
    EXPECT_TRUE(bChanged);
    EXPECT_FALSE(fs::exists(sFile));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"File save failed.\r\n\r\nError:Input/output error"}));
}

TEST_F(SaveFile, VanishedBackupIsReported)
{
    TestEnv::WriteFile(sFile, kOld);
    // Someone else removed the backup meanwhile.
    const SaveFileOps ops = Failing("disk gone", [](const std::string& sPath) { fs::remove(sPath + " Backup"); });
    bool bChanged = false;
    EXPECT_FALSE(Save(bChanged, ops, false));
    EXPECT_TRUE(bChanged);
    ASSERT_EQ(env.ui.Calls().size(), 2u);
    EXPECT_EQ(env.ui.Calls()[0].sText, "No backup file can be restore.");
    EXPECT_EQ(env.ui.Calls()[0].icon, MsgIcon::Information);
    EXPECT_EQ(env.ui.Calls()[1].sText, "File save failed.\r\n\r\nError:disk gone");
    EXPECT_EQ(env.ui.Calls()[1].icon, MsgIcon::Critical);
}

TEST_F(SaveFile, RealWriterFailureIsReportedTwice)
{
    sFile = env.Path("no-such-folder/order.edi");  // cannot be created
    bool bChanged = false;
    EXPECT_FALSE(Save(bChanged));
    EXPECT_TRUE(bChanged);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].rfind("Error:No such file or directory: " + sFile, 0), 0u);  // the writer's report
    EXPECT_EQ(messages[1], "File save failed.\r\n\r\nError:No such file or directory: " + sFile);
}

// The first node below nd whose text is sText, depth first.
TreeNode Find(const TreeNode& nd, std::string_view sText)
{
    for (TreeNode c = nd.FirstChild(); c; c = c.Next()) {
        if (c.Text() == sText)
            return c;
        if (const TreeNode found = Find(c, sText))
            return found;
    }
    return {};
}

TEST_F(SaveFile, ValueHoldingTheSeparatorsWrittenIsRefused)
{
    // A value typed with the terminator in it: the save stops, the previous file stays.
    TestEnv::WriteFile(sFile, kOld);
    Find(Find(doc.ndRoot, "N3"), "1 Main St").SetText("1 Main~St");
    bool bChanged = false;
    EXPECT_FALSE(Save(bChanged));
    EXPECT_TRUE(bChanged);
    EXPECT_EQ(TestEnv::ReadFile(sFile), kOld);
    const std::string sClash =
        "The value \"1 Main~St\" of N301 holds the segment terminator \"~\" the document is written with. "
        "Choose other separators.";
    EXPECT_EQ(Messages(), std::vector<std::string>{"File save failed.\r\n\r\nError:" + sClash});

    // Segments never edited, written with other separators: the text read may hold them.
    Find(Find(doc.ndRoot, "N3"), "1 Main~St").SetText("1 Main St");
    clsTreeDSave writer;
    for (const auto& [cDelimiter, cTerminator, sWhat] :
         {std::tuple{SepCode('e'), SepCode('~'), std::string("\"Ship Here\" of N102 holds the element separator \"e\"")},
          std::tuple{SepCode('+'), SepCode('M'), std::string("\"1 Main St\" of N301 holds the segment terminator \"M\"")}}) {
        writer.SetDelimiter(cDelimiter);
        writer.SetSelimiter(cTerminator);
        EXPECT_EQ(writer.ToText(doc.ndRoot, false), "") << cDelimiter;
        EXPECT_TRUE(writer.Refused());
        EXPECT_NE(writer.sError().find(sWhat), std::string::npos) << writer.sError();
    }
    writer.SetDelimiter('+');
    writer.SetSelimiter('\'');
    EXPECT_NE(writer.ToText(doc.ndRoot, false).find("N1+ST:X+Ship Here'"), std::string::npos);
    EXPECT_FALSE(writer.Refused());
}

TEST_F(SaveFile, HeaderWithoutItsOneCharacterComponentSeparatorIsRefused)
{
    // The header's fixed layout ends with ISA16, one character: written empty
    // or longer, the next reading would take other separators from it.
    clsTreeDSave writer;
    writer.SetDelimiter('*');
    writer.SetSelimiter('~');
    const TreeNode isa16 = Find(Find(doc.ndRoot, "ISA"), ":");
    ASSERT_TRUE(isa16);
    for (const std::string sValue : {"", "::"}) {
        isa16.SetText(sValue);
        EXPECT_EQ(writer.ToText(doc.ndRoot, false), "") << sValue;
        EXPECT_TRUE(writer.Refused());
        EXPECT_EQ(writer.sError(), "The interchange header ends with \"" + sValue +
                                       "\" in ISA16. It must end with ISA16, the component separator, one "
                                       "character. Correct the header.");
    }
    isa16.SetText(":");
    EXPECT_EQ(writer.ToText(doc.ndRoot, false), sText);
    EXPECT_FALSE(writer.Refused());
}

TEST_F(SaveFile, SegmentJoiningAOneByteTerminatorIsRefused)
{
    // 0xE2 leads a three-byte UTF-8 character: a segment beginning with
    // continuation bytes right after it would read as the terminator "…".
    clsTreeDSave writer;
    writer.SetDelimiter('*');
    writer.SetSelimiter(0xE2);
    EXPECT_NE(writer.ToText(doc.ndRoot, false), "");
    const TreeNode gs = Find(doc.ndRoot, "GS");
    ASSERT_TRUE(gs);
    gs.SetText("\x80\xA6GS");
    EXPECT_EQ(writer.ToText(doc.ndRoot, false), "");
    EXPECT_TRUE(writer.Refused());
    EXPECT_NE(writer.sError().find("The segment \"\x80\xA6GS\" begins with a byte that makes one character with "
                                   "the segment terminator"),
              std::string::npos)
        << writer.sError();
    // With a line end after each terminator, or a terminator that leads no
    // character, nothing joins.
    EXPECT_NE(writer.ToText(doc.ndRoot, true), "");
    EXPECT_FALSE(writer.Refused());
    writer.SetSelimiter('~');
    EXPECT_NE(writer.ToText(doc.ndRoot, false), "");
    EXPECT_FALSE(writer.Refused());
    gs.SetText("GS");
}

std::filesystem::filesystem_error Refusal(const std::string& sFrom, const std::string& sTo)
{
    return fs::filesystem_error("rename", sFrom, sTo, std::error_code(EACCES, std::generic_category()));
}

TEST_F(SaveFile, RefusedRenameToTheBackupEndsTheSaveAndKeepsTheFile)
{
    TestEnv::WriteFile(sFile, kOld);
    bool bWritten = false;
    SaveFileOps ops;
    ops.fnRename = [](const std::string& sFrom, const std::string& sTo) { throw Refusal(sFrom, sTo); };
    ops.fnWrite = [&](const std::string&, const TreeNode&, SepCode, SepCode, std::string&) {
        bWritten = true;
        return true;
    };
    bool bChanged = true;
    EXPECT_FALSE(Save(bChanged, ops, false));
    EXPECT_FALSE(bWritten);
    EXPECT_TRUE(bChanged);  // untouched
    EXPECT_EQ(TestEnv::ReadFile(sFile), kOld);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Error:Permission denied: " + sFile + "\r\n\r\nError Code:13"}));
}

TEST_F(SaveFile, RefusedRestoreLeavesThePreviousContentInTheBackup)
{
    TestEnv::WriteFile(sFile, kOld);
    int nRenames = 0;
    SaveFileOps ops = Failing("write failed");
    ops.fnRename = [&](const std::string& sFrom, const std::string& sTo) {
        if (++nRenames == 2)
            throw Refusal(sFrom, sTo);
        fs::rename(sFrom, sTo);
    };
    bool bChanged = false;
    EXPECT_FALSE(Save(bChanged, ops, false));
    EXPECT_EQ(TestEnv::ReadFile(sFile + " Backup"), kOld);  // recoverable
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"Error:Permission denied: " + sFile + " Backup\r\n\r\nError Code:13"}));
}

TEST_F(SaveFile, ReadOnlyFolderRefusesTheRename)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root renames in a read-only folder";
    const std::string sDir = env.Path("locked");
    fs::create_directory(sDir);
    sFile = sDir + "/order.edi";
    TestEnv::WriteFile(sFile, kOld);
    fs::permissions(sDir, fs::perms::owner_read | fs::perms::owner_exec);
    bool bChanged = true;
    EXPECT_FALSE(Save(bChanged, {}, false));
    fs::permissions(sDir, fs::perms::owner_all);
    EXPECT_EQ(TestEnv::ReadFile(sFile), kOld);
    EXPECT_FALSE(fs::exists(sFile + " Backup"));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("Error:Permission denied: " + sFile, 0), 0u);
}

TEST_F(SaveFile, EmptyFileNameIsAnIllogicReport)
{
    bool bChanged = true;
    EXPECT_FALSE(gfWriteToFile("", doc.ndRoot, '*', '~', bChanged));
    EXPECT_TRUE(bChanged);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("\r\nWriteToFile:No file name.\r\n"), std::string::npos);
}

}  // namespace
}  // namespace orr
