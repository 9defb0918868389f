#pragma once
// What every benchmark program sets up before it opens a document: a work
// folder of its own, in-memory settings, the configuration and the
// definitions, installed as the program's globals for the run.
#include <filesystem>
#include <string>

#include "app/GlobalsScope.h"
#include "app/MemorySettings.h"
#include "app/clsConfig.h"
#include "schema/clsDefFiles.h"

namespace orr {

class BenchEnv {
public:
    // sDefs: the folder of EdiDef.bin; sName names the work folder.
    BenchEnv(const std::string& sDefs, const std::string& sName);
    ~BenchEnv();
    BenchEnv(const BenchEnv&) = delete;
    BenchEnv& operator=(const BenchEnv&) = delete;

    std::filesystem::path dir;
    MemorySettings settings;
    clsConfig config;
    clsDefFiles files;
    GlobalsScope globals;  // the three above, while the benchmark runs
};

}  // namespace orr
