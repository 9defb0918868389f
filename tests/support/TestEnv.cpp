#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/modGlobals.h"
#include "app/modSystem.h"
#include "schema/clsDefPacker.h"

namespace orr::test {

namespace fs = std::filesystem;

TestEnv::TestEnv()
{
    std::string templ = (fs::temp_directory_path() / "orrindale-test-XXXXXX").string();
    if (!::mkdtemp(templ.data()))
        throw std::runtime_error("mkdtemp failed");
    mDir = templ;
    config = std::make_unique<clsConfig>(mDir, mDir, 14400, 10800);
    mGlobals.emplace(config.get(), &settings, gDefFiles);
}

TestEnv::~TestEnv()
{
    mGlobals.reset();
    std::error_code ec;
    fs::permissions(mDir, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(mDir, ec);
}

void TestEnv::WriteContainer(const std::string& sPath, const std::map<std::string, std::string>& files)
{
    clsDefPacker packer;
    for (const auto& [name, text] : files)
        packer.AddFile(name, gfDefDescription(text), name.rfind("doc", 0) == 0 ? "DD" : "SD", text);
    packer.Write(sPath);
}

void TestEnv::WriteFile(const std::string& sPath, const std::string& sBytes)
{
    std::ofstream(sPath, std::ios::binary) << sBytes;
}

std::string TestEnv::Replaced(std::string s, const std::string& sOld, const std::string& sNew)
{
    const std::size_t n = s.find(sOld);
    EXPECT_NE(n, std::string::npos) << sOld;
    return n == std::string::npos ? s : s.replace(n, sOld.size(), sNew);
}

std::string TestEnv::ReadFile(const std::string& sPath)
{
    std::ifstream in(sPath, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

RecordingIllogicHost::RecordingIllogicHost(std::vector<std::pair<std::string, bool>> forms)
{
    gfSetSystemIllogicHost({[this, forms] {
                                std::vector<LoadedForm> loaded;
                                for (const auto& [name, bChild] : forms)
                                    loaded.push_back({name, bChild, [this, name = name] { unloaded.push_back(name); }});
                                return loaded;
                            },
                            [] { throw ProgramEnded("program ended"); }});
}

RecordingIllogicHost::~RecordingIllogicHost() { gfSetSystemIllogicHost({}); }

}  // namespace orr::test
