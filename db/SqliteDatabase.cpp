#include "db/SqliteDatabase.h"

#include <sqlite3.h>

#include <filesystem>

#include "db/Latin1.h"

namespace orr {
namespace {

class SqliteRows : public RowWriter {
public:
    SqliteRows(SqliteDatabase& db, const std::string& sSql) : mDb(db), mStmt(db.Prepared(sSql)) {}
    void Add(std::span<const DbValue> row) override { mDb.Step(mDb.Bind(mStmt, row)); }
    void Finish() override {}

private:
    SqliteDatabase& mDb;
    sqlite3_stmt* mStmt;
};

}  // namespace

void SqliteDatabase::Finalizer::operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }

SqliteDatabase::SqliteDatabase(const std::string& sPath) : msPath(sPath)
{
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(sPath).parent_path();
    if (!parent.empty())
        std::filesystem::create_directories(parent, ec);
    // A connection serves one thread: no mutex around every call (7 % of a load).
    constexpr int nFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(sPath.c_str(), &mDb, nFlags, nullptr) != SQLITE_OK) {
        const std::string sReason = mDb ? sqlite3_errmsg(mDb) : "out of memory";
        sqlite3_close(mDb);
        mDb = nullptr;
        throw DatabaseError("cannot open " + sPath + ": " + sReason);
    }
    // Another program loading into the same file holds the write lock for one
    // file's transaction: wait for it rather than fail.
    sqlite3_busy_timeout(mDb, 120000);
    // Readers go on while a loader writes; a commit syncs once per checkpoint.
    // A 64 MiB page cache: a large load updates its indexes in memory, not
    // through a system call per page (a 50 MiB file: 6 s of system time
    // instead of 27).
    try {
        ExecScript(
            "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON; PRAGMA cache_size=-65536");
    } catch (const DatabaseError&) {
        mStatements.clear();
        sqlite3_close(mDb);
        throw;
    }
}

SqliteDatabase::~SqliteDatabase()
{
    mStatements.clear();
    sqlite3_close(mDb);
}

void SqliteDatabase::Fail(const std::string& sWhat) const { throw DatabaseError(sWhat + ": " + sqlite3_errmsg(mDb)); }

void SqliteDatabase::ExecScript(std::string_view sSql)
{
    char* sError = nullptr;
    if (sqlite3_exec(mDb, std::string(sSql).c_str(), nullptr, nullptr, &sError) != SQLITE_OK) {
        const std::string sReason = sError ? sError : "unknown error";
        sqlite3_free(sError);
        throw DatabaseError(sReason);
    }
}

sqlite3_stmt* SqliteDatabase::Prepared(std::string_view sSql)
{
    auto it = mStatements.find(sSql);
    if (it == mStatements.end()) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v3(mDb, sSql.data(), int(sSql.size()), SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
            SQLITE_OK)
            Fail(std::string(sSql));
        it = mStatements.emplace(std::string(sSql), stmt).first;
    }
    return it->second.get();
}

sqlite3_stmt* SqliteDatabase::Bind(sqlite3_stmt* stmt, std::span<const DbValue> params)
{
    sqlite3_reset(stmt);
    for (std::size_t i = 0; i < params.size(); ++i) {
        const int n = int(i + 1);
        const DbValue& v = params[i];
        int rc = SQLITE_OK;
        switch (v.GetKind()) {
        case DbValue::Kind::Null: rc = sqlite3_bind_null(stmt, n); break;
        case DbValue::Kind::Int: rc = sqlite3_bind_int64(stmt, n, v.Int()); break;
        case DbValue::Kind::Text: {
            const std::string_view s = v.Text();
            // Plain ASCII is UTF-8 already and outlives the step.
            if (gfIsAscii(s)) {
                rc = sqlite3_bind_text(stmt, n, s.data(), int(s.size()), SQLITE_STATIC);
            } else {
                gfLatin1ToUtf8(s, mUtf8);
                rc = sqlite3_bind_text(stmt, n, mUtf8.data(), int(mUtf8.size()), SQLITE_TRANSIENT);
            }
            break;
        }
        }
        if (rc != SQLITE_OK)
            Fail(sqlite3_sql(stmt));
    }
    return stmt;
}

bool SqliteDatabase::Step(sqlite3_stmt* stmt)
{
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        Fail(sqlite3_sql(stmt));
    return false;
}

std::vector<DbRow> SqliteDatabase::Query(std::string_view sSql, std::span<const DbValue> params)
{
    sqlite3_stmt* stmt = Bind(Prepared(sSql), params);
    std::vector<DbRow> rows;
    while (Step(stmt)) {
        DbRow& row = rows.emplace_back();
        for (int c = 0, n = sqlite3_column_count(stmt); c < n; ++c) {
            if (sqlite3_column_type(stmt, c) == SQLITE_NULL) {
                row.emplace_back();
                continue;
            }
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            row.emplace_back(gfUtf8ToLatin1(std::string_view(p, std::size_t(sqlite3_column_bytes(stmt, c)))));
        }
    }
    return rows;
}

std::int64_t SqliteDatabase::Execute(std::string_view sSql, std::span<const DbValue> params)
{
    sqlite3_stmt* stmt = Bind(Prepared(sSql), params);
    while (Step(stmt)) {
    }
    return sqlite3_changes64(mDb);
}

void SqliteDatabase::Begin() { ExecScript("BEGIN IMMEDIATE"); }

void SqliteDatabase::Commit() { ExecScript("COMMIT"); }

void SqliteDatabase::Rollback()
{
    if (!sqlite3_get_autocommit(mDb))
        ExecScript("ROLLBACK");
}

std::unique_ptr<RowWriter> SqliteDatabase::OpenRows(std::string_view sTable, std::span<const std::string_view> columns)
{
    std::string sSql = "INSERT INTO " + std::string(sTable) + " (";
    std::string sValues;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        sSql += (i ? ", " : "") + std::string(columns[i]);
        sValues += i ? ", ?" : "?";
    }
    sSql += ") VALUES (" + sValues + ")";
    return std::make_unique<SqliteRows>(*this, sSql);
}

}  // namespace orr
