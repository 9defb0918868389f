#pragma once
// A PostgreSQL server through libpq. The connection string is libpq's own
// (a postgresql:// URI or key=value pairs); texts travel as Latin-1 and the
// server converts them to its encoding.
#include <map>
#include <optional>
#include <string>

#include "db/Database.h"

struct pg_conn;
struct pg_result;

namespace orr {

// The server wants a password and none (or a wrong one) was given.
struct DatabasePasswordNeeded : DatabaseError {
    using DatabaseError::DatabaseError;
};

class PostgresDatabase : public Database {
public:
    // Connects; a password given here comes before one in the string or
    // the environment. Throws DatabasePasswordNeeded or DatabaseError.
    explicit PostgresDatabase(const std::string& sConnection, const std::optional<std::string>& sPassword = {});
    ~PostgresDatabase() override;
    PostgresDatabase(const PostgresDatabase&) = delete;
    PostgresDatabase& operator=(const PostgresDatabase&) = delete;

    Kind GetKind() const override { return Kind::Postgres; }
    std::string Describe() const override;
    void ExecScript(std::string_view sSql) override;
    std::vector<DbRow> Query(std::string_view sSql, std::span<const DbValue> params = {}) override;
    std::int64_t Execute(std::string_view sSql, std::span<const DbValue> params = {}) override;
    void Begin() override;
    void Commit() override;
    void Rollback() override;
    void LockKey(std::string_view sKey) override;
    std::unique_ptr<RowWriter> OpenRows(std::string_view sTable, std::span<const std::string_view> columns) override;

    // "?" placeholders numbered as PostgreSQL wants them ($1, $2, ...),
    // string literals and quoted names left alone.
    static std::string NumberPlaceholders(std::string_view sSql);
    // Sends one batch of COPY text (rows ended by line feeds) to sCopy.
    void Copy(const std::string& sCopy, std::string_view sData);

private:
    struct ResultDeleter {
        void operator()(pg_result* r) const;
    };
    using Result = std::unique_ptr<pg_result, ResultDeleter>;
    Result Run(std::string_view sSql, std::span<const DbValue> params);
    // Throws with the server's message unless the result has the status wanted.
    Result Check(pg_result* r, int nWanted, std::string_view sWhat) const;

    pg_conn* mConn = nullptr;
    std::map<std::string, std::string, std::less<>> mPrepared;  // SQL -> statement name
};

}  // namespace orr
