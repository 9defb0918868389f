// orrindale-cli new: new documents from the shipped definitions, read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "tests/cli/CliRun.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using test::RunCli;
using test::TestEnv;

TEST(CliNew, DefaultDocumentWithTheUsersSettings)
{
    TestEnv env;
    const std::string home = test::MakeCliHome(env.Path("home"));
    TestEnv::WriteFile(home + "/Orrindale.ini",
                       "[System]\nAppName=Orrindale\n[Edi]\nMyAddrQualifier=01\nMyAddr=ME\nHerAddrQualifier=ZZ\n"
                       "HerAddr=PARTNER\nIsaIcVersion=401\nIsaAckRequired=F\nIsaTest=F\nGsReleaseID=004010\n");
    const std::string out = env.Path("new850.edi"), pre = "--home " + home + " ";
    auto r = RunCli(pre + "new --type 850 -o " + out);
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    std::string text = TestEnv::ReadFile(out);
    ASSERT_GT(text.size(), 100u);
    // The date and time of today, blanked for the comparison.
    text.replace(text.find("*ME*") + 4, 11, "YYMMDD*HHMM");
    text.replace(text.find("*PARTNER*", text.find("GS*")) + 9, 13, "CCYYMMDD*HHMM");
    EXPECT_EQ(text, "ISA*00**00**ZZ*PARTNER*01*ME*YYMMDD*HHMM*U*00401*000000001*0*P*:~"
                    "GS**ME*PARTNER*CCYYMMDD*HHMM*1*X*004010~ST**1~BEG************~"
                    "PO1*************************~SE*1*1~GE*0*1~IEA*0*000000001~");
    r = RunCli(pre + "validate " + out + " --type 850");
    EXPECT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sOut, "Document is valid.\n");

    // Empty: only the root, nothing to write. Other separators are detected back.
    r = RunCli(pre + "new --type 856 --empty -o " + out);
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(TestEnv::ReadFile(out), "");
    r = RunCli(pre + "new --type 856 --delimiter '|' --selimiter LF -o " + out);
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    text = TestEnv::ReadFile(out);
    EXPECT_EQ(text.substr(text.size() - 23), "GE|0|1\nIEA|0|000000001\n");
    EXPECT_EQ(RunCli(pre + "tree " + out + " --type 856").nExit, 0);

    EXPECT_EQ(RunCli(pre + "new -o " + out).nExit, 2);
    r = RunCli(pre + "new --type 850");
    EXPECT_EQ(r.nExit, 2);
    EXPECT_NE(r.sErr.find("new needs -o FILE (usage: orrindale-cli [--home DIR] new --type T"), std::string::npos);
    EXPECT_EQ(RunCli(pre + "new --type NOSUCH -o " + env.Path("none.edi")).nExit, 1);
    EXPECT_FALSE(std::filesystem::exists(env.Path("none.edi")));
}

// The types whose definitions give every segment its elements: those with a bundled example
// and the implementation guides. (A standard set's segments beyond the 004010 dictionary have
// no element lines; a new document then holds such required segments without elements, and
// the writer leaves segments without elements out. The 005010 sets, 824_5010, are described in
// full too; DefinitionLibraryDocuments.NewDocumentOfEveryTypeReadsBack reads them all back.)
bool FullyDescribed(const std::string& sType)
{
    if (sType.find("_X") != std::string::npos || sType == "FreeForm")
        return true;
    for (const auto& item : std::filesystem::directory_iterator(std::filesystem::path(ORRINDALE_SOURCE_DIR) / "examples"))
        if (item.path().filename().string().rfind(sType + "-", 0) == 0)
            return true;
    return false;
}

TEST(CliNew, EveryFullyDescribedTypeReadsBack)
{
    TestEnv env;
    const std::string pre = "--home " + test::MakeCliHome(env.Path("home")) + " ";
    auto r = RunCli(pre + "defs");
    std::istringstream lines(r.sOut);
    int nTypes = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("doc", 0) != 0 || line.substr(line.size() - 3) != "\tDD")
            continue;
        const std::string sType = line.substr(3, line.find(".def") - 3), out = env.Path(sType + ".edi");
        if (!FullyDescribed(sType))
            continue;
        r = RunCli(pre + "new --type " + sType + " -o " + out);
        EXPECT_EQ(r.nExit, 0) << sType << ": " << r.sErr;
        r = RunCli(pre + "tree " + out + " --type " + sType);
        EXPECT_EQ(r.nExit, 0) << sType << ": " << r.sErr;
        ++nTypes;
    }
    EXPECT_GE(nTypes, 30) << r.sOut;
}

}  // namespace
}  // namespace orr
