#include "db/PostgresDatabase.h"

#include <libpq-fe.h>

#include <array>

namespace orr {
namespace {

// Rows gathered as COPY text and sent a batch at a time: one COPY per
// batch, so writers of several tables can take turns on one connection.
class PostgresRows : public RowWriter {
public:
    static constexpr std::size_t kBatchBytes = 1 << 20;

    PostgresRows(PostgresDatabase& db, std::string sCopy) : mDb(db), msCopy(std::move(sCopy))
    {
        mData.reserve(kBatchBytes + 4096);
    }
    void Add(std::span<const DbValue> row) override
    {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i)
                mData += '\t';
            Append(row[i]);
        }
        mData += '\n';
        if (mData.size() >= kBatchBytes)
            Finish();
    }
    void Finish() override
    {
        if (!mData.empty())
            mDb.Copy(msCopy, mData);
        mData.clear();
    }

private:
    void Append(const DbValue& v)
    {
        switch (v.GetKind()) {
        case DbValue::Kind::Null: mData += "\\N"; return;
        case DbValue::Kind::Int: mData += std::to_string(v.Int()); return;
        case DbValue::Kind::Text: break;
        }
        for (const char c : v.Text()) {
            switch (c) {
            case '\\': mData += "\\\\"; break;
            case '\t': mData += "\\t"; break;
            case '\n': mData += "\\n"; break;
            case '\r': mData += "\\r"; break;
            default: mData += c; break;
            }
        }
    }

    PostgresDatabase& mDb;
    std::string msCopy;
    std::string mData;
};

}  // namespace

void PostgresDatabase::ResultDeleter::operator()(pg_result* r) const { PQclear(r); }

PostgresDatabase::PostgresDatabase(const std::string& sConnection, const std::optional<std::string>& sPassword)
{
    // The string goes in as the database name, which libpq expands; a
    // password given apart comes after it and so wins.
    const std::array<const char*, 3> keys = {"dbname", sPassword ? "password" : nullptr, nullptr};
    const std::array<const char*, 3> values = {sConnection.c_str(), sPassword ? sPassword->c_str() : nullptr, nullptr};
    mConn = PQconnectdbParams(keys.data(), values.data(), 1);
    if (PQstatus(mConn) != CONNECTION_OK) {
        const std::string sReason = mConn ? PQerrorMessage(mConn) : "out of memory";
        // None given where one is wanted, or the one given refused.
        const bool bPassword =
            mConn && (PQconnectionNeedsPassword(mConn) || (sPassword && PQconnectionUsedPassword(mConn)));
        PQfinish(mConn);
        mConn = nullptr;
        if (bPassword)
            throw DatabasePasswordNeeded(sReason);
        throw DatabaseError(sReason);
    }
    // Notices (a table that exists already) are not the user's business.
    PQsetNoticeProcessor(
        mConn, [](void*, const char*) {}, nullptr);
    if (PQsetClientEncoding(mConn, "LATIN1") != 0) {
        const std::string sReason = PQerrorMessage(mConn);
        PQfinish(mConn);
        throw DatabaseError(sReason);
    }
}

PostgresDatabase::~PostgresDatabase() { PQfinish(mConn); }

std::string PostgresDatabase::Describe() const
{
    const std::string sHost = PQhost(mConn);
    // A socket folder is not a host name a user would recognise.
    const std::string sWhere = sHost.starts_with('/') ? "localhost" : sHost;
    return std::string("postgresql://") + PQuser(mConn) + "@" + sWhere + ":" + PQport(mConn) + "/" + PQdb(mConn);
}

PostgresDatabase::Result PostgresDatabase::Check(pg_result* r, int nWanted, std::string_view sWhat) const
{
    Result result(r);
    if (!r)
        throw DatabaseError(std::string(sWhat) + ": " + PQerrorMessage(mConn));
    if (PQresultStatus(r) != nWanted && !(nWanted == PGRES_COMMAND_OK && PQresultStatus(r) == PGRES_TUPLES_OK)) {
        std::string sReason = PQresultErrorMessage(r);
        while (!sReason.empty() && (sReason.back() == '\n' || sReason.back() == ' '))
            sReason.pop_back();
        throw DatabaseError(sReason);
    }
    return result;
}

void PostgresDatabase::ExecScript(std::string_view sSql)
{
    Check(PQexec(mConn, std::string(sSql).c_str()), PGRES_COMMAND_OK, sSql);
    // A script of several statements answers with one result; nothing more waits.
}

std::string PostgresDatabase::NumberPlaceholders(std::string_view sSql)
{
    std::string out;
    int n = 0;
    char cQuote = 0;
    for (const char c : sSql) {
        if (cQuote) {
            cQuote = c == cQuote ? 0 : cQuote;
        } else if (c == '\'' || c == '"') {
            cQuote = c;
        } else if (c == '?') {
            out += '$' + std::to_string(++n);
            continue;
        }
        out += c;
    }
    return out;
}

PostgresDatabase::Result PostgresDatabase::Run(std::string_view sSql, std::span<const DbValue> params)
{
    auto it = mPrepared.find(sSql);
    if (it == mPrepared.end()) {
        const std::string sName = "orr" + std::to_string(mPrepared.size() + 1);
        Check(PQprepare(mConn, sName.c_str(), NumberPlaceholders(sSql).c_str(), 0, nullptr), PGRES_COMMAND_OK, sSql);
        it = mPrepared.emplace(std::string(sSql), sName).first;
    }
    // Parameters go as text; the server reads them as the statement's types.
    std::vector<std::string> texts(params.size());
    std::vector<const char*> values(params.size());
    for (std::size_t i = 0; i < params.size(); ++i) {
        switch (params[i].GetKind()) {
        case DbValue::Kind::Null: values[i] = nullptr; continue;
        case DbValue::Kind::Int: texts[i] = std::to_string(params[i].Int()); break;
        case DbValue::Kind::Text: texts[i] = params[i].Text(); break;
        }
        values[i] = texts[i].c_str();
    }
    return Check(PQexecPrepared(mConn, it->second.c_str(), int(params.size()), values.data(), nullptr, nullptr, 0),
                 PGRES_COMMAND_OK, sSql);
}

std::vector<DbRow> PostgresDatabase::Query(std::string_view sSql, std::span<const DbValue> params)
{
    const Result r = Run(sSql, params);
    std::vector<DbRow> rows(std::size_t(PQntuples(r.get())));
    for (int i = 0; i < PQntuples(r.get()); ++i)
        for (int c = 0; c < PQnfields(r.get()); ++c)
            rows[std::size_t(i)].push_back(
                PQgetisnull(r.get(), i, c) ? std::nullopt : std::optional<std::string>(PQgetvalue(r.get(), i, c)));
    return rows;
}

std::int64_t PostgresDatabase::Execute(std::string_view sSql, std::span<const DbValue> params)
{
    const Result r = Run(sSql, params);
    const std::string sCount = PQcmdTuples(r.get());
    return sCount.empty() ? 0 : std::stoll(sCount);
}

void PostgresDatabase::Begin() { ExecScript("BEGIN"); }

void PostgresDatabase::Commit() { ExecScript("COMMIT"); }

void PostgresDatabase::Rollback()
{
    if (PQtransactionStatus(mConn) != PQTRANS_IDLE)
        ExecScript("ROLLBACK");
}

void PostgresDatabase::LockKey(std::string_view sKey)
{
    const DbValue params[] = {sKey};
    Run("SELECT pg_advisory_xact_lock(hashtextextended(?, 0))", params);
}

void PostgresDatabase::Copy(const std::string& sCopy, std::string_view sData)
{
    Check(PQexec(mConn, sCopy.c_str()), PGRES_COPY_IN, sCopy);
    if (PQputCopyData(mConn, sData.data(), int(sData.size())) != 1 || PQputCopyEnd(mConn, nullptr) != 1)
        throw DatabaseError(sCopy + ": " + PQerrorMessage(mConn));
    Result first(PQgetResult(mConn));
    while (pg_result* rest = PQgetResult(mConn))
        PQclear(rest);
    Check(first.release(), PGRES_COMMAND_OK, sCopy);
}

std::unique_ptr<RowWriter> PostgresDatabase::OpenRows(std::string_view sTable,
                                                      std::span<const std::string_view> columns)
{
    std::string sCopy = "COPY " + std::string(sTable) + " (";
    for (std::size_t i = 0; i < columns.size(); ++i)
        sCopy += (i ? ", " : "") + std::string(columns[i]);
    sCopy += ") FROM STDIN";
    return std::make_unique<PostgresRows>(*this, std::move(sCopy));
}

}  // namespace orr
