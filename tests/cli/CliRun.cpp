#include "tests/cli/CliRun.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/TestEnv.h"

namespace orr::test {

CliResult RunCli(const std::string& sArgs) { return RunCli(sArgs, "/dev/null"); }

CliResult RunCli(const std::string& sArgs, const std::string& sInputFile)
{
    char outName[] = "/tmp/orrindale-cli-out-XXXXXX";
    char errName[] = "/tmp/orrindale-cli-err-XXXXXX";
    ::close(::mkstemp(outName));
    ::close(::mkstemp(errName));
    const std::string cmd = std::string(ORRINDALE_CLI) + " " + sArgs + " >" + outName + " 2>" + errName + " <" + sInputFile;
    const int status = std::system(cmd.c_str());
    CliResult r;
    r.nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.sOut = TestEnv::ReadFile(outName);
    r.sErr = TestEnv::ReadFile(errName);
    std::filesystem::remove(outName);
    std::filesystem::remove(errName);
    return r;
}

std::string MakeCliHome(const std::string& sDir)
{
    std::filesystem::create_directories(sDir);
    std::filesystem::copy_file(ORRINDALE_EDIDEF, sDir + "/EdiDef.bin",
                               std::filesystem::copy_options::overwrite_existing);
    return sDir;
}

}  // namespace orr::test
