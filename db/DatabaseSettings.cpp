#include "db/DatabaseSettings.h"

#include <filesystem>
#include <map>

#include "app/SettingsStore.h"
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "db/SqliteDatabase.h"
#ifdef ORRINDALE_HAVE_POSTGRES
#include "db/PostgresDatabase.h"
#endif

namespace orr {
namespace {

constexpr int kLogonTries = 3;

// Passwords by target, for this run only.
std::map<std::string, std::string>& Passwords()
{
    static std::map<std::string, std::string> passwords;
    return passwords;
}

std::string Get(const std::string& sKey) { return gSettings->Get(gConfig->SettingsApp, kSectionDatabase, sKey, ""); }

bool IsPostgres(const std::string& sTarget)
{
    return sTarget.starts_with("postgresql://") || sTarget.starts_with("postgres://") ||
           sTarget.find('=') != std::string::npos;
}

#ifdef ORRINDALE_HAVE_POSTGRES
std::unique_ptr<Database> OpenPostgres(const std::string& sTarget, const DatabaseLogon& fnLogon)
{
    std::optional<std::string> sPassword;
    if (const auto it = Passwords().find(sTarget); it != Passwords().end())
        sPassword = it->second;
    for (int nTry = 0;; ++nTry) {
        try {
            auto db = std::make_unique<PostgresDatabase>(sTarget, sPassword);
            if (sPassword)
                Passwords()[sTarget] = *sPassword;
            return db;
        } catch (const DatabasePasswordNeeded&) {
            Passwords().erase(sTarget);
            if (!fnLogon || nTry == kLogonTries)
                throw;
        }
        sPassword = fnLogon(sTarget);
        if (!sPassword)
            throw DatabaseLogonCancelled("no password given");
    }
}
#endif

}  // namespace

std::string DatabaseSettings::Target() const
{
    if (bPostgres)
        return sConnection;
    return "sqlite:" + (sFile.empty() ? gfDefaultDatabaseFile() : sFile);
}

DatabaseSettings gfReadDatabaseSettings()
{
    DatabaseSettings s;
    s.bPostgres = Get("Kind") == "postgresql";
    s.sFile = Get("File");
    s.sConnection = Get("Connection");
    return s;
}

void gfSaveDatabaseSettings(const DatabaseSettings& settings)
{
    gSettings->Save(gConfig->SettingsApp, kSectionDatabase, "Kind", settings.bPostgres ? "postgresql" : "sqlite");
    gSettings->Save(gConfig->SettingsApp, kSectionDatabase, "File", settings.sFile);
    gSettings->Save(gConfig->SettingsApp, kSectionDatabase, "Connection", settings.sConnection);
}

std::string gfDefaultDatabaseFile()
{
    return (std::filesystem::path(gConfig->DataDir) / kDefaultDatabaseFile).string();
}

bool gfIsDatabaseTarget(const std::string& sTarget)
{
    return (sTarget.starts_with("sqlite:") && sTarget.size() > 7) || IsPostgres(sTarget);
}

std::unique_ptr<Database> gfOpenDatabase(const std::string& sTarget, const DatabaseLogon& fnLogon)
{
    if (sTarget.starts_with("sqlite:") && sTarget.size() > 7)
        return std::make_unique<SqliteDatabase>(sTarget.substr(7));
    if (!IsPostgres(sTarget))
        throw DatabaseError("not a database: " + sTarget + " (sqlite:PATH or postgresql://...)");
#ifdef ORRINDALE_HAVE_POSTGRES
    return OpenPostgres(sTarget, fnLogon);
#else
    throw DatabaseError("this build of Orrindale cannot reach PostgreSQL (libpq was not found when it was built)");
#endif
}

void gfForgetDatabasePasswords() { Passwords().clear(); }

}  // namespace orr
