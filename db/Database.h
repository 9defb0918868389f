#pragma once
// The little the loader needs of a relational database: statements with
// parameters, transactions, and many rows of one table written at once.
// SqliteDatabase and PostgresDatabase implement it; no Qt, no ORM.
//
// Texts are bytes as the program holds them (Latin-1); the databases keep
// them as UTF-8 text and give them back as Latin-1. SQL is written with "?"
// placeholders, numbered in order.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orr {

// A failure the database reported, with its own words.
struct DatabaseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One parameter or column value: a number, a text or NULL. A text is a view:
// it must outlive the call it is passed to.
class DbValue {
public:
    enum class Kind : std::uint8_t { Null, Int, Text };
    DbValue() = default;
    DbValue(std::nullptr_t) {}
    DbValue(std::int64_t n) : mKind(Kind::Int), mnInt(n) {}
    DbValue(std::size_t n) : DbValue(static_cast<std::int64_t>(n)) {}
    DbValue(int n) : DbValue(static_cast<std::int64_t>(n)) {}
    DbValue(std::string_view s) : mKind(Kind::Text), msText(s) {}
    DbValue(const std::string& s) : DbValue(std::string_view(s)) {}
    // A temporary would be gone before the value is used.
    DbValue(std::string&&) = delete;
    DbValue(const char* s) : DbValue(std::string_view(s)) {}

    Kind GetKind() const { return mKind; }
    std::int64_t Int() const { return mnInt; }
    std::string_view Text() const { return msText; }

private:
    Kind mKind = Kind::Null;
    std::int64_t mnInt = 0;
    std::string_view msText;
};

// A result row: NULL columns are nullopt.
using DbRow = std::vector<std::optional<std::string>>;

// Rows of one table, sent in batches; Finish sends what is left. Rows are
// part of the transaction that is open.
class RowWriter {
public:
    virtual ~RowWriter() = default;
    // One value per column, in the order the writer was opened with.
    virtual void Add(std::span<const DbValue> row) = 0;
    virtual void Finish() = 0;
};

class Database {
public:
    enum class Kind { Sqlite, Postgres };
    virtual ~Database() = default;

    virtual Kind GetKind() const = 0;
    // Where the rows go, without a password: "sqlite:PATH" or the connection's
    // user@host:port/database.
    virtual std::string Describe() const = 0;

    // Statements without parameters, separated by ";" (a schema script).
    virtual void ExecScript(std::string_view sSql) = 0;
    // One statement; prepared on first use and kept for the connection.
    virtual std::vector<DbRow> Query(std::string_view sSql, std::span<const DbValue> params = {}) = 0;
    // The same for a statement without result rows; the rows it changed.
    virtual std::int64_t Execute(std::string_view sSql, std::span<const DbValue> params = {}) = 0;

    // A transaction that takes the write lock at once (SQLite) or at the
    // first write (PostgreSQL).
    virtual void Begin() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;
    // Until the transaction ends, another connection asking for the same key
    // waits: two loaders of one file, or of the schema, take turns.
    virtual void LockKey(std::string_view sKey) = 0;

    virtual std::unique_ptr<RowWriter> OpenRows(std::string_view sTable, std::span<const std::string_view> columns) = 0;
};

}  // namespace orr
