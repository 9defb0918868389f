#include "bench/common/BenchEnv.h"

#include <unistd.h>

namespace orr {

namespace fs = std::filesystem;

namespace {
fs::path WorkFolder(const std::string& sName)
{
    fs::path dir = fs::temp_directory_path() / (sName + "-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir;
}
}  // namespace

BenchEnv::BenchEnv(const std::string& sDefs, const std::string& sName)
    : dir(WorkFolder(sName)), config(sDefs, dir.string()), globals(&config, &settings, &files)
{
}

BenchEnv::~BenchEnv()
{
    std::error_code ec;
    fs::remove_all(dir, ec);
}

}  // namespace orr
