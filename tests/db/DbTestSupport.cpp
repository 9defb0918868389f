#include "tests/db/DbTestSupport.h"

#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "app/modGlobals.h"
#include "db/DatabaseSettings.h"
#include "db/ReadDocument.h"
#include "edi/modGuessEdi.h"

namespace orr::test {
namespace {

// The fixture's server: its connection string, or why there is none.
std::string ServerConnection(std::string& sWhyNot)
{
    const char* sDir = std::getenv("ORRINDALE_TEST_POSTGRES_DIR");
    if (!sDir) {
        sWhyNot = "ORRINDALE_TEST_POSTGRES_DIR is not set (run the tests through ctest)";
        return {};
    }
    std::string sConn = TestEnv::ReadFile(std::string(sDir) + "/conninfo");
    if (sConn.empty()) {
        const std::string sSkipped = TestEnv::ReadFile(std::string(sDir) + "/skipped");
        sWhyNot = sSkipped.empty() ? "the PostgreSQL test server did not start" : sSkipped;
        return {};
    }
    while (!sConn.empty() && (sConn.back() == '\n' || sConn.back() == ' '))
        sConn.pop_back();
    return sConn;
}

std::string Replace(std::string s, const std::string& sKey, const std::string& sValue)
{
    const auto nStart = s.find(sKey + "=");
    if (nStart == std::string::npos)
        return s + " " + sKey + "=" + sValue;
    const auto nEnd = s.find(' ', nStart);
    return s.replace(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart, sKey + "=" + sValue);
}

bool Blank(char c) { return c == '\r' || c == '\n'; }

// An identifier of two or three letters and digits, then an element separator.
bool StartsLikeASegment(const std::string& sId, const std::string& s)
{
    return sId.size() >= 2 && sId.size() <= 3 && sId.size() < s.size() &&
           std::all_of(sId.begin(), sId.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

}  // namespace

std::string DbKindName(const ::testing::TestParamInfo<DbKind>& info)
{
    return info.param == DbKind::Sqlite ? "Sqlite" : "Postgres";
}

std::string NewPostgresDatabase(std::string& sWhyNot)
{
    const std::string sServer = ServerConnection(sWhyNot);
    if (sServer.empty())
        return {};
    static std::atomic<int> nCount{0};
    const std::string sName = "orrtest_" + std::to_string(::getpid()) + "_" + std::to_string(++nCount);
    auto admin = gfOpenDatabase(sServer);
    admin->ExecScript("DROP DATABASE IF EXISTS " + sName);
    admin->ExecScript("CREATE DATABASE " + sName);
    return Replace(sServer, "dbname", sName);
}

std::string PostgresTarget(const std::string& sUser, const std::string& sDatabase)
{
    std::string sWhyNot;
    return Replace(Replace(ServerConnection(sWhyNot), "user", sUser), "dbname", sDatabase);
}

FileFacts CountFile(const std::string& sPath)
{
    FileFacts f;
    SepCode nDelimiter = 0, nSelimiter = 0;
    const std::string sText = TestEnv::ReadFile(sPath);
    if (!sText.starts_with("ISA") || !gfGuessEdi(sPath, nDelimiter, nSelimiter))
        return f;
    f.cDelimiter = char(nDelimiter);
    const char cEnd = nSelimiter ? char(nSelimiter) : '\n';
    bool bInSet = false;
    std::size_t nTrailers = 0;
    for (std::size_t nStart = 0; nStart < sText.size();) {
        std::size_t nEnd = sText.find(cEnd, nStart);
        std::string s = sText.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart);
        nStart = nEnd == std::string::npos ? sText.size() : nEnd + 1;
        // Line breaks are no part of a segment: files wrapped at a width break segments anywhere.
        std::erase_if(s, Blank);
        if (s.empty())
            continue;
        const std::string sId = s.substr(0, s.find(f.cDelimiter));
        // Text after the last terminator is a segment only when it starts like one.
        if (nEnd == std::string::npos && !StartsLikeASegment(sId, s))
            break;
        f.nInterchanges += sId == "ISA";
        f.nGroups += sId == "GS";
        nTrailers += sId == "IEA" || sId == "GE" || sId == "SE";
        if (sId == "ST") {
            f.setSegments.push_back(0);
            bInSet = true;
        }
        if (bInSet)
            ++f.setSegments.back();
        bInSet = bInSet && sId != "SE";
        f.segments.push_back(std::move(s));
    }
    // A file that ends inside an envelope is refused.
    f.bRead = nTrailers == f.nInterchanges + f.nGroups + f.Transactions();
    return f;
}

DbTest::DbTest()
{
    env.config->DefinitionFile = ORRINDALE_EDIDEF;
    gDefFiles = &defFiles;
    EXPECT_TRUE(defFiles.RefreshBinFile()) << ORRINDALE_EDIDEF;
}

DbTest::~DbTest() { gfForgetDatabasePasswords(); }

void DbTest::SetUp()
{
    if (GetParam() == DbKind::Sqlite) {
        msTarget = "sqlite:" + env.Path("documents.sqlite");
        return;
    }
    std::string sWhyNot;
    try {
        msTarget = NewPostgresDatabase(sWhyNot);
    } catch (const DatabaseError& e) {
        sWhyNot = e.what();  // a build without libpq, or a server that went away
    }
    if (msTarget.empty())
        GTEST_SKIP() << sWhyNot;
}

std::unique_ptr<Database> DbTest::Open() { return gfOpenDatabase(msTarget); }

bool DbTest::Read(EdiDocument& doc, const std::string& sFile)
{
    std::string sError;
    const bool bRead = gfReadDocument(doc, sFile, "auto", sError);
    EXPECT_TRUE(bRead) << sFile << ": " << sError;
    return bRead;
}

std::string Scalar(Database& db, const std::string& sSql, std::vector<DbValue> params)
{
    const std::vector<DbRow> rows = db.Query(sSql, params);
    if (rows.size() != 1 || rows[0].size() != 1 || !rows[0][0])
        return "(no single value)";
    return *rows[0][0];
}

}  // namespace orr::test
