#include "fuzz/FuzzSupport.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
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
    // The last input's document may still map this file under a read lease:
    // the open then waits while the lease is broken, and libFuzzer's timer
    // signal (no SA_RESTART) can end that wait with EINTR. A file not
    // written would leave the last input in it, checked against this one.
    int fd;
    do
        fd = ::open(sPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    while (fd < 0 && errno == EINTR);
    std::size_t nDone = 0;
    while (fd >= 0 && nDone < sBytes.size()) {
        const ssize_t n = ::write(fd, sBytes.data() + nDone, sBytes.size() - nDone);
        if (n > 0)
            nDone += std::size_t(n);
        else if (n == 0 || errno != EINTR)
            break;
    }
    if (fd < 0 || nDone < sBytes.size() || ::close(fd) != 0) {
        std::perror(("fuzz: cannot write " + sPath).c_str());
        std::abort();
    }
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
