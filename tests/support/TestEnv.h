#pragma once
// A private world for one test: temporary directory, in-memory settings,
// a configuration and a scripted user, all installed as the globals.
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/GlobalsScope.h"
#include "app/MemorySettings.h"
#include "app/clsConfig.h"
#include "tests/support/ScriptedUi.h"

namespace orr::test {

// Thrown by the recording host instead of ending the program.
struct ProgramEnded : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class TestEnv {
public:
    TestEnv();
    ~TestEnv();

    const std::string& Dir() const { return mDir; }
    std::string Path(const std::string& sName) const { return mDir + "/" + sName; }

    MemorySettings settings;
    std::unique_ptr<clsConfig> config;
    ScriptedUi ui;

    // Packs name -> text into a container at the given path.
    static void WriteContainer(const std::string& sPath, const std::map<std::string, std::string>& files);
    static void WriteFile(const std::string& sPath, const std::string& sBytes);
    static std::string ReadFile(const std::string& sPath);
    // s with the first sOld replaced by sNew; a test failure when there is none.
    static std::string Replaced(std::string s, const std::string& sOld, const std::string& sNew);

private:
    std::string mDir;
    std::optional<GlobalsScope> mGlobals;  // the configuration and settings above
};

// gfSystemIllogic's host for tests: the given windows, and an end that throws
// ProgramEnded. Restores the plain host on destruction.
class RecordingIllogicHost {
public:
    explicit RecordingIllogicHost(std::vector<std::pair<std::string, bool>> forms = {});
    ~RecordingIllogicHost();
    std::vector<std::string> unloaded;  // names, in unload order
};

}  // namespace orr::test
