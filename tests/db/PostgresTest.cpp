// What only a server shows: two programs loading into one database at
// once, and a password asked once per run.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <thread>

#include "db/DatabaseSettings.h"
#include "db/DocumentLoader.h"
#include "tests/cli/CliRun.h"
#include "tests/db/DbTestSupport.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::DbKind;
using test::Scalar;
using test::TestEnv;

class Postgres : public test::DbTest {};

TEST_P(Postgres, TwoLoadersAtOnceLoseNothing)
{
    // 24 files; the two programs share the middle eight, which they load at the same time.
    const std::vector<std::string> examples = {"850-two-orders.edi",        "810-invoice.edi",
                                               "856-ship-notice.edi",       "837P_X222A1-professional-claim.edi",
                                               "835_X221A1-two-claims.edi", "834_X220A1-family.edi"};
    std::vector<std::string> files;
    std::size_t nSegments = 0, nTransactions = 0;
    for (int i = 0; i < 24; ++i) {
        const std::string sExample = std::string(ORRINDALE_SOURCE_DIR) + "/examples/" + examples[std::size_t(i) % 6];
        files.push_back(env.Path("file" + std::to_string(i) + ".edi"));
        fs::copy_file(sExample, files.back());
        const test::FileFacts facts = test::CountFile(sExample);
        nSegments += facts.segments.size();
        nTransactions += facts.Transactions();
    }
    const std::string sHome = test::MakeCliHome(env.Path("home"));
    auto command = [&](std::size_t nFirst, std::size_t nLast) {
        std::string s = std::string(ORRINDALE_CLI) + " --home '" + sHome + "' load";
        for (std::size_t i = nFirst; i < nLast; ++i)
            s += " '" + files[i] + "'";
        return s + " --db '" + Target() + "' >/dev/null 2>&1";
    };
    // The tables are made by the first loader, as a user's first load would.
    int rc1 = -1, rc2 = -1;
    std::thread first([&] { rc1 = std::system(command(0, 16).c_str()); });
    std::thread second([&] { rc2 = std::system(command(8, 24).c_str()); });
    first.join();
    second.join();
    EXPECT_EQ(rc1, 0);
    EXPECT_EQ(rc2, 0);

    const auto db = Open();
    EXPECT_EQ(Scalar(*db, "SELECT COUNT(*) FROM files"), "24");
    EXPECT_EQ(Scalar(*db, "SELECT COUNT(*) FROM segments"), std::to_string(nSegments));
    EXPECT_EQ(Scalar(*db, "SELECT COUNT(*) FROM transactions"), std::to_string(nTransactions));
    EXPECT_EQ(Scalar(*db, "SELECT COUNT(*) FROM orrindale_schema"), "1");
    // Every file's rows are one load's: no segment number twice, none missing.
    EXPECT_EQ(Scalar(*db,
                     "SELECT COUNT(*) FROM (SELECT file_id FROM segments GROUP BY file_id "
                     "HAVING COUNT(*) <> MAX(segment_no)) AS d"),
              "0");
}

TEST_P(Postgres, APasswordIsAskedOnceAndKeptForTheRun)
{
    {
        const auto db = Open();
        db->ExecScript("DO $$ BEGIN CREATE ROLE orrpw LOGIN; EXCEPTION WHEN duplicate_object THEN NULL; END $$");
        db->ExecScript("ALTER ROLE orrpw PASSWORD 'secret word'; GRANT CREATE ON SCHEMA public TO orrpw");
    }
    const std::string sDatabase = Target().substr(Target().rfind("dbname=") + 7);
    const std::string sTarget = test::PostgresTarget("orrpw", sDatabase);
    EXPECT_THROW(gfOpenDatabase(sTarget), DatabaseError);

    std::vector<std::string> asked;
    std::vector<std::string> answers = {"wrong", "secret word"};
    const DatabaseLogon logon = [&](const std::string& s) -> std::optional<std::string> {
        asked.push_back(s);
        if (answers.empty())
            return std::nullopt;
        const std::string sAnswer = answers.front();
        answers.erase(answers.begin());
        return sAnswer;
    };
    {
        const auto db = gfOpenDatabase(sTarget, logon);
        DocumentLoader loader(*db);
        EXPECT_EQ(Scalar(*db, "SELECT current_user"), "orrpw");
    }
    EXPECT_EQ(asked, (std::vector<std::string>{sTarget, sTarget}));
    gfOpenDatabase(sTarget, logon);
    EXPECT_EQ(asked.size(), 2u) << "asked again";

    gfForgetDatabasePasswords();
    EXPECT_THROW(gfOpenDatabase(sTarget, logon), DatabaseLogonCancelled);
    EXPECT_EQ(asked.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Server, Postgres, ::testing::Values(DbKind::Postgres), test::DbKindName);

}  // namespace
}  // namespace orr
