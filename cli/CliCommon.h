#pragma once
// What every orrindale-cli command shares: parsed arguments, usage errors,
// and a session that starts settings, configuration and definitions the way
// the desktop program does.
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/clsConfig.h"
#include "shell/AppPaths.h"
#include "shell/QSettingsStore.h"

namespace orr {

// Ends the command with exit status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct CliArgs {
    std::vector<std::string> positional;         // the command name first
    std::map<std::string, std::string> options;  // "--home" -> "DIR" (the last one given)
    std::map<std::string, std::vector<std::string>> repeated;  // every value of each option, in order
    std::set<std::string> flags;                 // "--yes"

    std::string Option(const std::string& sName) const;
    // Every value given for a repeatable option ("-e A -e B"), in order.
    std::vector<std::string> Options(const std::string& sName) const;
    bool Flag(const std::string& sName) const { return flags.count(sName) > 0; }
    // Usage error for any option not in the list (--home is always allowed),
    // or when the positional count (command included) is not nPositional.
    void Require(std::size_t nPositional, const std::set<std::string>& allowed) const;
};

// Options that take no value; every other "-x"/"--x" takes the next argument.
inline const std::set<std::string> kCliFlags = {"--version", "--help", "--yes", "--crlf", "--empty",
                                                 "--elements", "--errors", "--999", "--ta1", "--free-form",
                                                 "--dump", "--ignore-envelope", "--recursive", "--regex"};

CliArgs gfParseCliArgs(int argc, char** argv);

// The document type a --type option names: itself, or for "auto" the
// definition that fits the file's transaction sets (ST01, GS08), which is
// reported on stderr. Needs a started session.
std::string gfCliDocType(const std::string& sOption, const std::string& sFile, SepCode nDelimiter,
                         SepCode nSelimiter);

// The messages shown so far (reasons of a failure), joined by blanks.
std::string gfCliMessages();

class CliSession {
public:
    explicit CliSession(const CliArgs& args);
    ~CliSession();
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    // Start-up without windows; false (reason already on stderr) when the
    // definitions could not be loaded.
    bool Start();

private:
    AppPaths mPaths;
    QSettingsStore mSettings;
    clsConfig mConfig;
};

}  // namespace orr
