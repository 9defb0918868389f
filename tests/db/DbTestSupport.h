#pragma once
// What the database tests share: the shipped definitions loaded, the
// databases to test against (an SQLite file; a PostgreSQL database of its
// own on the test server, or a skip saying why there is none), and facts
// about an EDI file counted from its bytes, without the program's reader.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "db/Database.h"
#include "doctree/EdiDocument.h"
#include "schema/clsDefFiles.h"
#include "tests/support/TestEnv.h"

namespace orr::test {

enum class DbKind { Sqlite, Postgres };
std::string DbKindName(const ::testing::TestParamInfo<DbKind>& info);

// A connection string for a new, empty database on the test server; empty
// with sWhyNot set when the fixture started none.
std::string NewPostgresDatabase(std::string& sWhyNot);
// The test server's connection string with another user and database.
std::string PostgresTarget(const std::string& sUser, const std::string& sDatabase);

// The segments of a file as its separators cut them: text ended by the
// terminator (or the last text, when it starts like a segment), line breaks
// dropped, empty pieces skipped. The separators are the detected
// ones (gfGuessEdi), the only part of the program this uses.
struct FileFacts {
    bool bRead = false;  // separators found, an ISA first and every envelope closed
    char cDelimiter = 0;
    std::vector<std::string> segments;
    std::size_t nInterchanges = 0, nGroups = 0;
    std::vector<std::size_t> setSegments;  // per transaction set, ST to SE
    std::size_t Transactions() const { return setSegments.size(); }
};
FileFacts CountFile(const std::string& sPath);

// The single value of a query ("(no single value)" otherwise).
std::string Scalar(Database& db, const std::string& sSql, std::vector<DbValue> params = {});

// The shipped definitions with a private settings store and data folder,
// and the target database of the test's parameter.
class DbTest : public ::testing::TestWithParam<DbKind> {
protected:
    DbTest();
    ~DbTest() override;
    // The target for the parameter's kind: an SQLite file in the test's
    // folder, or a new database on the test server (skipped without one).
    void SetUp() override;
    const std::string& Target() const { return msTarget; }
    std::unique_ptr<Database> Open();
    // Reads a file with the automatic type choice; a test failure when it cannot.
    bool Read(EdiDocument& doc, const std::string& sFile);

    TestEnv env;
    clsDefFiles defFiles;
    std::string msTarget;
};

}  // namespace orr::test
