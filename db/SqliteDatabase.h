#pragma once
// A database file through the system's SQLite library.
#include <map>
#include <memory>
#include <string>

#include "db/Database.h"

struct sqlite3;
struct sqlite3_stmt;

namespace orr {

class SqliteDatabase : public Database {
public:
    // Opens the file, creating it (and its folder) when it does not exist;
    // throws DatabaseError when it cannot be opened.
    explicit SqliteDatabase(const std::string& sPath);
    ~SqliteDatabase() override;
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    Kind GetKind() const override { return Kind::Sqlite; }
    std::string Describe() const override { return "sqlite:" + msPath; }
    void ExecScript(std::string_view sSql) override;
    std::vector<DbRow> Query(std::string_view sSql, std::span<const DbValue> params = {}) override;
    std::int64_t Execute(std::string_view sSql, std::span<const DbValue> params = {}) override;
    void Begin() override;
    void Commit() override;
    void Rollback() override;
    // The write lock Begin takes already serialises writers.
    void LockKey(std::string_view) override {}
    std::unique_ptr<RowWriter> OpenRows(std::string_view sTable, std::span<const std::string_view> columns) override;

    // A statement kept for the connection.
    sqlite3_stmt* Prepared(std::string_view sSql);
    // The statement reset with these parameters bound.
    sqlite3_stmt* Bind(sqlite3_stmt* stmt, std::span<const DbValue> params);
    // Steps a bound statement; true while it yields a row. Throws on failure.
    bool Step(sqlite3_stmt* stmt);

private:
    [[noreturn]] void Fail(const std::string& sWhat) const;

    std::string msPath;
    sqlite3* mDb = nullptr;
    struct Finalizer {
        void operator()(sqlite3_stmt* s) const;
    };
    std::map<std::string, std::unique_ptr<sqlite3_stmt, Finalizer>, std::less<>> mStatements;
    std::string mUtf8;  // scratch for texts bound with bytes above 127
};

}  // namespace orr
