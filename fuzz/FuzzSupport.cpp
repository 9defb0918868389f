#include "fuzz/FuzzSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/UiService.h"
#include "app/modGlobals.h"
#include "app/modSystem.h"
#include "schema/clsDefPacker.h"

#include "tests/support/TestDefinitions.h"

#ifndef ORRINDALE_SOURCE_DIR
#define ORRINDALE_SOURCE_DIR "."
#endif

namespace orr::fuzz {

namespace fs = std::filesystem;

const char* const kDocT1 = test::kDocT1;

namespace {

// With ORRINDALE_FUZZ_VERBOSE set, every message box is printed to stderr
// (for looking at a finding); otherwise the silent service answers.
class PrintingUi final : public UiService {
public:
    MsgAnswer MsgBox(const std::string& sText, MsgButtons buttons, MsgIcon, const std::string&) override
    {
        std::fprintf(stderr, "[message] %s\n", sText.c_str());
        return buttons == MsgButtons::OK ? MsgAnswer::OK : MsgAnswer::No;
    }
    std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    int ChooseFromList(const std::string&, const std::string&, const std::vector<std::string>&, int) override
    {
        return -1;
    }
};

struct Owner {
    FuzzEnv env;
    ~Owner()
    {
        gConfig = nullptr;
        gSettings = nullptr;
        std::error_code ec;
        fs::remove_all(env.sDir, ec);
    }
};

}  // namespace

FuzzEnv& Env()
{
    static Owner* owner = [] {
        auto* o = new Owner;
        std::string base = fs::exists("/dev/shm") ? "/dev/shm" : fs::temp_directory_path().string();
        std::string templ = base + "/orrindale-fuzz-XXXXXX";
        if (!::mkdtemp(templ.data()))
            std::abort();
        o->env.sDir = templ;
        o->env.config = std::make_unique<clsConfig>(templ, templ, 14400, 10800);
        o->env.config->DefinitionFile = templ + "/EdiDef.bin";
        o->env.config->TempFile = templ + "/work.tmp";
        gConfig = o->env.config.get();
        gSettings = &o->env.settings;
        gfSetSystemIllogicHost({[] { return std::vector<LoadedForm>{}; },
                                [] { throw SystemIllogicEnd("system illogic"); }});
        if (std::getenv("ORRINDALE_FUZZ_VERBOSE")) {
            static PrintingUi ui;
            gfSetUi(&ui);
        }
        std::atexit([] { delete owner; });
        return o;
    }();
    return owner->env;
}

void WriteFile(const std::string& sPath, std::string_view sBytes)
{
    std::ofstream out(sPath, std::ios::binary | std::ios::trunc);
    out.write(sBytes.data(), std::streamsize(sBytes.size()));
}

void PackContainer(const std::string& sPath, const std::map<std::string, std::string>& files)
{
    clsDefPacker packer;
    for (const auto& [name, text] : files)
        packer.AddFile(name, gfDefDescription(text), name.rfind("doc", 0) == 0 ? "DD" : "SD", text);
    packer.Write(sPath);
}

std::map<std::string, std::string> RealDefinitions()
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(fs::path(ORRINDALE_SOURCE_DIR) / "data" / "definitions")) {
        if (e.path().extension() != ".def")
            continue;
        std::ifstream in(e.path(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        files[e.path().filename().string()] = s.str();
    }
    return files;
}

}  // namespace orr::fuzz
