// orrindale-cli load as a program: its lines, its exit statuses and where
// the rows go.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "db/DatabaseSettings.h"
#include "tests/cli/CliRun.h"
#include "tests/db/DbTestSupport.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::CliResult;
using test::RunCli;
using test::TestEnv;

class CliLoad : public ::testing::Test {
protected:
    std::string Example(const std::string& sName) const
    {
        return std::string(ORRINDALE_SOURCE_DIR) + "/examples/" + sName;
    }
    // The line load prints for a file, from the file's own bytes.
    static std::string Line(const std::string& sFile)
    {
        const test::FileFacts f = test::CountFile(sFile);
        return sFile + "\t" + std::to_string(f.nInterchanges) + "\t" + std::to_string(f.nGroups) + "\t" +
               std::to_string(f.Transactions()) + "\t" + std::to_string(f.segments.size()) + "\n";
    }
    static std::string Count(const std::string& sTarget, const std::string& sTable)
    {
        return test::Scalar(*gfOpenDatabase(sTarget), "SELECT COUNT(*) FROM " + sTable);
    }

    TestEnv env;
    std::string sHome = test::MakeCliHome(env.Path("home"));
};

TEST_F(CliLoad, LinesPerFileAndWhereTheRowsGo)
{
    const std::string sOrders = Example("850-two-orders.edi"), sClaim = Example("837P_X222A1-professional-claim.edi");
    const std::string sTarget = "sqlite:" + env.Path("out/documents.sqlite");
    CliResult r = RunCli("--home '" + sHome + "' load '" + sOrders + "' '" + sClaim + "' --db " + sTarget);
    EXPECT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sOut, Line(sOrders) + Line(sClaim));
    EXPECT_EQ(Count(sTarget, "files"), "2");

    // Without --db: SQLite in the data folder, created on first use.
    r = RunCli("--home '" + sHome + "' load '" + sClaim + "' --type 837P_X222A1");
    EXPECT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sOut, Line(sClaim));
    EXPECT_EQ(Count("sqlite:" + sHome + "/" + kDefaultDatabaseFile, "segments"), "27");

    // The configured database comes before the default.
    const std::string sConfigured = env.Path("configured.sqlite");
    TestEnv::WriteFile(sHome + "/Orrindale.ini", "[Database]\nKind=sqlite\nFile=" + sConfigured + "\n");
    r = RunCli("--home '" + sHome + "' load '" + sOrders + "'");
    EXPECT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(Count("sqlite:" + sConfigured, "transactions"), "2");
    EXPECT_EQ(Count("sqlite:" + sHome + "/" + kDefaultDatabaseFile, "transactions"), "1");
}

TEST_F(CliLoad, NamesFromStandardInputAndAFileThatCannotBeRead)
{
    const std::string sInvoice = Example("810-invoice.edi"), sNotice = Example("856-ship-notice.edi");
    const std::string sBad = env.Path("notes.txt"), sList = env.Path("list.txt");
    TestEnv::WriteFile(sBad, "these are not the documents\n");
    TestEnv::WriteFile(sList, sInvoice + "\n" + sBad + "\r\n\n" + env.Path("missing.edi") + "\n");
    const std::string sTarget = "sqlite:" + env.Path("documents.sqlite");
    const std::string sOut = env.Path("out.txt"), sErr = env.Path("err.txt");
    const int nStatus = std::system((std::string(ORRINDALE_CLI) + " --home '" + sHome + "' load - '" + sNotice +
                                     "' --db " + sTarget + " <'" + sList + "' >'" + sOut + "' 2>'" + sErr + "'")
                                        .c_str());
    // The others still load; the status says one could not.
    EXPECT_EQ(WEXITSTATUS(nStatus), 1);
    EXPECT_EQ(TestEnv::ReadFile(sOut), Line(sInvoice) + Line(sNotice));
    const std::string sErrors = TestEnv::ReadFile(sErr);
    EXPECT_NE(sErrors.find("error: " + sBad + ": "), std::string::npos) << sErrors;
    EXPECT_NE(sErrors.find("error: " + env.Path("missing.edi") + ": "), std::string::npos) << sErrors;
    EXPECT_EQ(Count(sTarget, "files"), "2");

    // A definition that does not fit is no reason to guess another.
    const CliResult r = RunCli("--home '" + sHome + "' load '" + sInvoice + "' --type 850 --db " + sTarget);
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.sOut, "");
}

TEST_F(CliLoad, ADatabaseThatCannotBeOpenedAndUsageErrors)
{
    const std::string sInvoice = Example("810-invoice.edi");
    for (const std::string sDb : {"sqlite:/proc/orrindale/none.sqlite", "postgresql://nobody@127.0.0.1:1/none"}) {
        const CliResult r = RunCli("--home '" + sHome + "' load '" + sInvoice + "' --db " + sDb);
        EXPECT_EQ(r.nExit, 2) << sDb;
        EXPECT_EQ(r.sOut, "");
        EXPECT_TRUE(r.sErr.starts_with("error: the database cannot be opened: ")) << r.sErr;
    }
    for (const std::string& sArgs :
         std::vector<std::string>{"load", "load '" + sInvoice + "' --db mysql://x", "load x --to y"}) {
        const CliResult r = RunCli("--home '" + sHome + "' " + sArgs);
        EXPECT_EQ(r.nExit, 2) << sArgs;
        EXPECT_TRUE(r.sErr.starts_with("error: ")) << r.sErr;
    }
    const CliResult help = RunCli("--help");
    EXPECT_NE(help.sOut.find("  load FILE... [--type T|auto] [--db sqlite:PATH | --db postgresql://...]\n"),
              std::string::npos);
}

}  // namespace
}  // namespace orr
