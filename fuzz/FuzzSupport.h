#pragma once
// Shared set-up of the libFuzzer harnesses: a private directory (in /dev/shm
// when it exists), in-memory settings, a configuration, the silent user
// interface, and a system-illogic host that throws instead of ending the
// process, so a harness can tell "the program would end by design" from a
// crash.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/MemorySettings.h"
#include "app/clsConfig.h"

namespace orr::fuzz {

struct SystemIllogicEnd : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct FuzzEnv {
    std::string sDir;
    MemorySettings settings;
    std::unique_ptr<clsConfig> config;

    std::string Path(const std::string& sName) const { return sDir + "/" + sName; }
};

// Created on first use, lives for the whole process (directory removed at exit).
FuzzEnv& Env();

void WriteFile(const std::string& sPath, std::string_view sBytes);

// name -> DEF text packed into a container at sPath ("doc..." files get "DD").
void PackContainer(const std::string& sPath, const std::map<std::string, std::string>& files);

// Every "*.def" file of the source tree's data/definitions folder.
std::map<std::string, std::string> RealDefinitions();

// A small hand-written document definition (the test fixture's T1) that uses
// every loop form: LS, ELS, HLS, ESS.
extern const char* const kDocT1;

// Tiny deterministic choice helper over the first bytes of an input.
class Bytes {
public:
    Bytes(const std::uint8_t* p, std::size_t n) : mp(p), mn(n) {}
    std::uint8_t Take() { return mn ? (--mn, *mp++) : std::uint8_t(0); }
    std::string_view Rest() const { return {reinterpret_cast<const char*>(mp), mn}; }

private:
    const std::uint8_t* mp;
    std::size_t mn;
};

}  // namespace orr::fuzz
