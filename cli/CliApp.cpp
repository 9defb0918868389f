#include "cli/CliApp.h"

#include <QCoreApplication>
#include <cstdio>
#include <exception>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "app/modMain.h"
#include "cli/ConsoleUi.h"
#include "schema/clsDefFiles.h"
#include "schema/clsDefPacker.h"
#include "shell/AppPaths.h"
#include "shell/QSettingsStore.h"

namespace orr {
namespace {

const char* const kUsage =
    "usage: orrindale-cli [--home DIR] (--version | defs | pack DIR -o FILE)";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct CliArgs {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // "--home" -> "DIR"
    std::set<std::string> flags;                 // "--version"

    std::string Option(const std::string& sName) const
    {
        auto it = options.find(sName);
        return it == options.end() ? std::string() : it->second;
    }
};

// Options that take no value; every other "-x"/"--x" takes the next argument.
const std::set<std::string> kFlags = {"--version", "--help", "--yes", "--crlf", "--empty"};

CliArgs Parse(int argc, char** argv)
{
    CliArgs args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.size() > 1 && a[0] == '-') {
            if (kFlags.count(a)) {
                args.flags.insert(a);
            } else {
                if (i + 1 >= argc)
                    throw UsageError("option " + a + " needs a value");
                args.options[a] = argv[++i];
            }
        } else {
            args.positional.push_back(a);
        }
    }
    return args;
}

void RequireOptions(const CliArgs& args, const std::set<std::string>& allowed)
{
    for (const auto& [name, value] : args.options)
        if (!allowed.count(name) && name != "--home")
            throw UsageError("unknown option " + name);
}

// Settings, configuration and definitions, as the desktop program starts them.
class CliSession {
public:
    explicit CliSession(const CliArgs& args)
        : mPaths(gfResolveAppPaths(QString::fromStdString(args.Option("--home")))),
          mSettings(mPaths.settingsFile),
          mConfig(mPaths.installDir.toStdString(), mPaths.dataDir.toStdString())
    {
        gSettings = &mSettings;
        gConfig = &mConfig;
    }
    ~CliSession()
    {
        gConfig = nullptr;
        gSettings = nullptr;
        gDefFiles = nullptr;
    }
    bool Start() { return gfStartCore(); }

private:
    AppPaths mPaths;
    QSettingsStore mSettings;
    clsConfig mConfig;
};

int CmdDefs(const CliArgs& args)
{
    RequireOptions(args, {});
    if (args.positional.size() != 1)
        throw UsageError("defs takes no arguments");
    CliSession session(args);
    if (!session.Start()) {
        std::fprintf(stderr, "error: %s\n", kFailedToStart);
        return 1;
    }
    std::vector<std::string> list;
    gDefFiles->GetEdiDefFiles(list);
    for (const std::string& s : list) {
        // name*description*type: description may not hold "*", the name never does
        const auto first = s.find('*');
        const auto last = s.rfind('*');
        std::printf("%s\t%s\t%s\n", s.substr(0, first).c_str(), s.substr(first + 1, last - first - 1).c_str(),
                    s.substr(last + 1).c_str());
    }
    return 0;
}

int CmdPack(const CliArgs& args)
{
    RequireOptions(args, {"-o"});
    if (args.positional.size() != 2 || args.Option("-o").empty())
        throw UsageError("pack needs a folder and -o FILE");
    clsDefPacker packer;
    const int n = packer.AddFolder(args.positional[1]);
    packer.Write(args.Option("-o"));
    std::fprintf(stderr, "info: packed %d files into %s\n", n, args.Option("-o").c_str());
    return 0;
}

const std::map<std::string, std::function<int(const CliArgs&)>> kCommands = {
    {"defs", CmdDefs},
    {"pack", CmdPack},
};

}  // namespace

int gfCliMain(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Orrindale"));
    QCoreApplication::setApplicationName(QStringLiteral("Orrindale"));
    ConsoleUi ui;
    gfSetUi(&ui);
    try {
        const CliArgs args = Parse(argc, argv);
        if (args.flags.count("--version")) {
            std::printf("orrindale-cli %s\n", gfVersionText().substr(8).c_str());
            return 0;
        }
        if (args.flags.count("--help")) {
            std::printf("%s\n", kUsage);
            return 0;
        }
        if (args.positional.empty())
            throw UsageError("no command given");
        auto command = kCommands.find(args.positional[0]);
        if (command == kCommands.end())
            throw UsageError("unknown command " + args.positional[0]);
        return command->second(args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "error: %s (%s)\n", e.what(), kUsage);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", ConsoleUi::OneLine(e.what()).c_str());
        return 1;
    }
}

}  // namespace orr
