#pragma once
// Runs the built orrindale-cli and captures what it prints.
#include <string>

namespace orr::test {

struct CliResult {
    int nExit = -1;
    std::string sOut;
    std::string sErr;
};

// sArgs is appended to the program path as it is (quote paths yourself).
CliResult RunCli(const std::string& sArgs);
// The same with standard input read from sInputFile.
CliResult RunCli(const std::string& sArgs, const std::string& sInputFile);

// A portable home holding a copy of the built definition container.
std::string MakeCliHome(const std::string& sDir);

}  // namespace orr::test
