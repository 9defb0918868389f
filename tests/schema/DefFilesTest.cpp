#include <gtest/gtest.h>

#include <filesystem>

#include "app/clsConfig.h"
#include "schema/DefContainerFormat.h"
#include "schema/clsDefFiles.h"
#include "schema/clsDefPacker.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::ProgramEnded;
using test::RecordingIllogicHost;
using test::TestEnv;

std::vector<std::string> ReadAll(clsDefFiles& files, int h)
{
    std::vector<std::string> lines;
    while (!files.DefFileAtEof(h))
        lines.push_back(files.ReadLineFromDefFile(h));
    return lines;
}

TEST(DefFiles, ReadsLinesAcrossLineEndStyles)
{
    TestEnv env;
    std::string binary;
    for (int c = 0; c < 256; ++c)
        binary += char(c);
    TestEnv::WriteContainer(env.config->DefinitionFile, {{"a.def", "ONE\r\nTWO\r\n"},
                                                          {"b.def", "\n\nX*1\rY*2\n\r\nZ"},
                                                          {"bin.def", binary}});
    clsDefFiles files;
    ASSERT_TRUE(files.RefreshBinFile());

    int h = files.OpenDefFile("  A.DEF ");
    ASSERT_EQ(h, 1);
    // A final line end yields one empty line before the end.
    EXPECT_EQ(ReadAll(files, h), (std::vector<std::string>{"ONE", "TWO", ""}));
    int h2 = files.OpenDefFile("b.def");
    EXPECT_EQ(h2, 2);
    EXPECT_EQ(ReadAll(files, h2), (std::vector<std::string>{"X*1", "Y*2", "Z"}));

    // Every byte value survives packing and scrambling.
    files.CloseDefFile(h);
    h = files.OpenDefFile("bin.def");
    EXPECT_EQ(h, 1);  // the freed slot is reused
    std::string joined;
    while (!files.DefFileAtEof(h))
        joined += files.ReadLineFromDefFile(h) + "|";
    EXPECT_NE(joined.find(binary.substr(14, 242)), std::string::npos);
    EXPECT_TRUE(env.ui.Messages().empty());
}

TEST(DefFiles, DirectoryEdgeCases)
{
    TestEnv env;
    TestEnv::WriteContainer(env.config->DefinitionFile, {});
    clsDefFiles files;
    ASSERT_TRUE(files.RefreshBinFile());  // entry count 0
    std::vector<std::string> list;
    EXPECT_EQ(files.GetAllDefFiles(list), 0);

    clsDefPacker packer;
    packer.AddFile("docX.def", "First", "DD", "FIRST\r\n");
    packer.AddFile("DOCx.DEF", "Second", "DD", "SECOND\r\n");
    packer.AddFile("empty.def", "", "SD", "");
    packer.AddFile("seg.def", "", "SD", "S\r\n");
    packer.Write(env.config->DefinitionFile);
    ASSERT_TRUE(files.RefreshBinFile());
    EXPECT_EQ(files.GetEdiDefFiles(list), 2);
    EXPECT_EQ(list, (std::vector<std::string>{"docX.def*First*DD", "DOCx.DEF*Second*DD"}));
    EXPECT_EQ(files.DocTypes(), (std::vector<std::string>{"X", "x"}));
    EXPECT_EQ(files.GetAllDefFiles(list), 4);
    EXPECT_EQ(list[3], "seg.def");

    int h = files.OpenDefFile(" docx.def ");  // the first of two equal names
    EXPECT_EQ(files.ReadLineFromDefFile(h), "FIRST");
    files.CloseDefFile(h);

    EXPECT_EQ(files.OpenDefFile("empty.def"), 0);  // empty data: no slot taken
    EXPECT_EQ(files.OpenDefFile("none.def"), 0);
    EXPECT_EQ(env.ui.Messages(), (std::vector<std::string>{"Could not find template file:none.def"}));

    for (int i = 1; i <= 8; ++i)
        EXPECT_EQ(files.OpenDefFile("seg.def"), i);
    EXPECT_EQ(files.OpenDefFile("seg.def"), 0);  // a ninth open

    // Loaded again, the directory is the new one's.
    TestEnv::WriteContainer(env.config->DefinitionFile, {{"docY.def", "Y\r\n"}});
    clsDefFiles reloaded;
    ASSERT_TRUE(reloaded.RefreshBinFile());
    ASSERT_TRUE(files.RefreshBinFile());
    EXPECT_EQ(files.DocTypes(), (std::vector<std::string>{"Y"}));
    EXPECT_EQ(reloaded.OpenDefFile("docX.def"), 0);
    EXPECT_EQ(env.ui.Messages().back(), "Could not find template file:docX.def");

    // Lines kept beside the directory: the newest names up to 16 MiB of
    // lines (the oldest go first), none after a reload.
    for (int i = 0; i <= 16; ++i)
        files.Keep("doc" + std::to_string(i) + ".def", {std::to_string(i)});
    ASSERT_NE(files.Kept("doc0.def"), nullptr);
    EXPECT_EQ(*files.Kept("doc16.def"), std::vector<std::string>{"16"});
    files.Keep("big1.def", {std::string(std::size_t(9) << 20, 'x')});
    files.Keep("big2.def", {std::string(std::size_t(9) << 20, 'y')});
    EXPECT_EQ(files.Kept("doc0.def"), nullptr);
    EXPECT_EQ(files.Kept("big1.def"), nullptr);
    ASSERT_NE(files.Kept("big2.def"), nullptr);
    files.Keep("big3.def", {std::string(std::size_t(17) << 20, 'z')});  // over the budget alone: kept
    EXPECT_EQ(files.Kept("big2.def"), nullptr);
    ASSERT_NE(files.Kept("big3.def"), nullptr);
    ASSERT_TRUE(files.RefreshBinFile());
    EXPECT_EQ(files.Kept("big3.def"), nullptr);
}

TEST(DefFiles, DamagedContainersFailCleanly)
{
    TestEnv env;
    clsDefFiles files;
    const std::string& path = env.config->DefinitionFile;
    TestEnv::WriteContainer(path, {{"docA.def", "A\r\n"}});
    const std::string good = TestEnv::ReadFile(path);

    TestEnv::WriteFile(path, "PK" + good.substr(2));
    EXPECT_FALSE(files.RefreshBinFile());
    EXPECT_EQ(env.ui.Messages(), (std::vector<std::string>{"Unknown EDI template file format."}));

    TestEnv::WriteFile(path, good.substr(0, 40));  // truncated header
    EXPECT_FALSE(files.RefreshBinFile());
    TestEnv::WriteFile(path, good.substr(0, 100));  // directory cut short
    EXPECT_FALSE(files.RefreshBinFile());

    std::string huge = good;  // entry count far beyond the file
    defformat::WriteInt32(reinterpret_cast<unsigned char*>(huge.data()) + defformat::kHeaderCountAt, 0x7fffffff);
    TestEnv::WriteFile(path, huge);
    EXPECT_FALSE(files.RefreshBinFile());

    std::string pastEnd = good;  // data pointer past the end
    defformat::WriteInt32(reinterpret_cast<unsigned char*>(pastEnd.data()) + defformat::kHeaderSize +
                              defformat::kEntryPositionAt,
                          1 << 30);
    TestEnv::WriteFile(path, pastEnd);
    ASSERT_TRUE(files.RefreshBinFile());
    env.ui.Clear();
    EXPECT_EQ(files.OpenDefFile("docA.def"), 0);
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0].rfind("Error:Input past end of file", 0), 0u);
    EXPECT_TRUE(env.ui.AllAnswersUsed());
}

TEST(DefFiles, TemplatesFollowTheContainer)
{
    TestEnv env;
    TestEnv::WriteContainer(env.config->DefinitionFile, {{"docA.def", "MAIN\r\n"}});
    TestEnv::WriteContainer(env.Path("t1.bin"), {{"doca.def", "TEMPLATE\r\n"}, {"docB.def", "B\r\n"}});
    fs::create_directory(env.Path("folder.bin"));
    env.settings.Save("Orrindale", "Templates", "TP1", " " + env.Path("folder.bin") + " ");
    env.settings.Save("Orrindale", "Templates", "TP3", env.Path("t1.bin"));
    env.settings.Save("Orrindale", "Templates", "TP4", env.Path("missing.bin"));

    clsDefFiles files;
    ASSERT_TRUE(files.RefreshBinFile());
    EXPECT_EQ(env.ui.Messages(), (std::vector<std::string>{"Could not read definition file:" + env.Path("folder.bin"),
                                                           "Could not read definition file:" + env.Path("missing.bin")}));
    std::vector<std::string> list;
    EXPECT_EQ(files.GetEdiDefFiles(list), 3);
    int h = files.OpenDefFile("DOCA.DEF");  // the container wins over templates
    EXPECT_EQ(files.ReadLineFromDefFile(h), "MAIN");
    int h2 = files.OpenDefFile("docB.def");
    EXPECT_EQ(files.ReadLineFromDefFile(h2), "B");
}

TEST(DefFiles, HandleMisuse)
{
    TestEnv env;
    TestEnv::WriteContainer(env.config->DefinitionFile, {{"a.def", "A\r\n"}});
    clsDefFiles files;
    ASSERT_TRUE(files.RefreshBinFile());
    const int h = files.OpenDefFile("a.def");
    files.CloseDefFile(h);
    EXPECT_EQ(files.ReadLineFromDefFile(h), "");
    EXPECT_TRUE(files.DefFileAtEof(h));
    EXPECT_EQ(env.ui.Messages(), (std::vector<std::string>{"ReadLineFromDefFile:File is not opened:a.def",
                                                           "DefFileAtEof:File is not opened:a.def"}));

    RecordingIllogicHost host;
    env.ui.Clear();
    EXPECT_THROW(files.ReadLineFromDefFile(9), ProgramEnded);
    EXPECT_THROW(files.DefFileAtEof(0), ProgramEnded);
    EXPECT_THROW(files.CloseDefFile(-1), ProgramEnded);
    EXPECT_EQ(env.ui.Messages(), (std::vector<std::string>{"System illogic.\r\n\r\nReadLineFromDefFile:9",
                                                           "System illogic.\r\n\r\nDefFileAtEof:0",
                                                           "System illogic.\r\n\r\nCloseDefFile:-1"}));
}

TEST(DefPacker, FolderPackingAndLimits)
{
    TestEnv env;
    fs::create_directory(env.Path("defs"));
    TestEnv::WriteFile(env.Path("defs/docZ.def"), "; comment\r\n  ???*DESCRIPTION* Zed document \r\nA*0\r\n");
    TestEnv::WriteFile(env.Path("defs/N1.DEF"), "N1*0\r\n");
    TestEnv::WriteFile(env.Path("defs/notes.txt"), "ignored");
    clsDefPacker packer;
    EXPECT_EQ(packer.AddFolder(env.Path("defs")), 2);
    packer.Write(env.config->DefinitionFile);
    EXPECT_FALSE(fs::exists(env.config->DefinitionFile + ".part"));

    clsDefFiles files;
    ASSERT_TRUE(files.RefreshBinFile());
    std::vector<std::string> list;
    files.GetAllDefFiles(list);
    EXPECT_EQ(list, (std::vector<std::string>{"N1.DEF", "docZ.def*Zed document*DD"}));

    EXPECT_THROW(packer.AddFile(std::string(70, 'n'), std::string(20, 'd'), "DD", "x"), std::invalid_argument);
    EXPECT_THROW(packer.AddFile("a*b", "", "SD", "x"), std::invalid_argument);
    EXPECT_THROW(packer.Write(env.Path("no/such/dir/x.bin")), std::system_error);
}

}  // namespace
}  // namespace orr
