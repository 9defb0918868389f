#pragma once
// What every orrindale-cli command shares: parsed arguments, usage errors,
// and a session that starts settings, configuration and definitions the way
// the desktop program does.
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/AppDirs.h"
#include "app/GlobalsScope.h"
#include "app/IniSettings.h"
#include "app/clsConfig.h"
#include "edi/modDocType.h"

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

// The definition for a file's groups and kinds of transaction sets (--type
// auto: gfDocTypeOf), without a word on stderr. Needs a started session.
std::string gfCliAutoType(const std::vector<GroupKind>& groups, const std::vector<TransactionSetKind>& kinds);

class EdiDocument;
// The document a command reads. It is not freed when the command ends: the
// process ends then, and the memory of its tree goes with it (a build with
// sanitizers, which look for leaks, frees it at exit).
EdiDocument& gfCliDocument();

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
    AppDirs mPaths;
    IniSettings mSettings;
    clsConfig mConfig;
    GlobalsScope mGlobals;  // the two above; the definitions start-up loads go with it
};

}  // namespace orr
