#pragma once
// Which database documents are posted to (settings section "Database"), and
// opening it. A target names it in one string, as the command line's --db
// does: "sqlite:PATH" or a PostgreSQL connection string ("postgresql://..."
// or libpq's key=value pairs). A PostgreSQL password is asked when the
// server wants one and kept for the running program only; it is never
// written to the settings.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "db/Database.h"

namespace orr {

inline constexpr const char* kSectionDatabase = "Database";
inline constexpr const char* kDefaultDatabaseFile = "Orrindale.sqlite";

struct DatabaseSettings {
    bool bPostgres = false;   // Kind=postgresql; otherwise SQLite
    std::string sFile;        // the SQLite file; empty: the default in the data folder
    std::string sConnection;  // the PostgreSQL connection string

    std::string Target() const;
};

DatabaseSettings gfReadDatabaseSettings();
void gfSaveDatabaseSettings(const DatabaseSettings& settings);
// The SQLite file in the data folder that is used when none is configured.
std::string gfDefaultDatabaseFile();
// True for a target the command line and the settings accept.
bool gfIsDatabaseTarget(const std::string& sTarget);

// Asks for the password of a PostgreSQL connection; nullopt when cancelled.
using DatabaseLogon = std::function<std::optional<std::string>(const std::string& sTarget)>;

// Opens the target. When the server wants a password, the one given before
// in this run is tried, else fnLogon asks for it (a refused one is asked
// again, three times at most). Throws DatabaseError; a cancelled logon
// throws DatabaseLogonCancelled.
std::unique_ptr<Database> gfOpenDatabase(const std::string& sTarget, const DatabaseLogon& fnLogon = {});

struct DatabaseLogonCancelled : DatabaseError {
    using DatabaseError::DatabaseError;
};

// Drops the passwords kept for this run.
void gfForgetDatabasePasswords();

}  // namespace orr
