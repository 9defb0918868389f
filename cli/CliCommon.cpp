#include "cli/CliCommon.h"

#include <cstdio>

#include "app/UiService.h"
#include "app/modGlobals.h"
#include "app/modMain.h"
#include "cli/ConsoleUi.h"
#include "doctree/EdiDocument.h"
#include "edi/modDocType.h"
#include "schema/modStartup.h"

namespace orr {

std::string CliArgs::Option(const std::string& sName) const
{
    auto it = options.find(sName);
    return it == options.end() ? std::string() : it->second;
}

std::vector<std::string> CliArgs::Options(const std::string& sName) const
{
    auto it = repeated.find(sName);
    return it == repeated.end() ? std::vector<std::string>() : it->second;
}

void CliArgs::Require(std::size_t nPositional, const std::set<std::string>& allowed) const
{
    for (const auto& [name, value] : options)
        if (!allowed.count(name) && name != "--home")
            throw UsageError("unknown option " + name);
    for (const std::string& flag : flags)
        if (!allowed.count(flag))
            throw UsageError("unknown option " + flag);
    if (positional.size() != nPositional)
        throw UsageError("wrong number of arguments for " + positional.front());
}

CliArgs gfParseCliArgs(int argc, char** argv)
{
    CliArgs args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.size() > 1 && a[0] == '-') {
            if (kCliFlags.count(a)) {
                args.flags.insert(a);
            } else {
                if (i + 1 >= argc)
                    throw UsageError("option " + a + " needs a value");
                args.options[a] = argv[++i];
                args.repeated[a].push_back(args.options[a]);
            }
        } else {
            args.positional.push_back(a);
        }
    }
    return args;
}

std::string gfCliAutoType(const std::vector<GroupKind>& groups, const std::vector<TransactionSetKind>& kinds)
{
    return gfDocTypeOf(groups, kinds, gfLoadedDocTypes(), gConfig->FreeFormDocType);
}

EdiDocument& gfCliDocument()
{
#ifdef ORRINDALE_SANITIZED
    static EdiDocument doc;
    return doc;
#else
    static EdiDocument* const pDoc = new EdiDocument;
    return *pDoc;
#endif
}

std::string gfCliMessages()
{
    std::string s;
    if (const auto* ui = dynamic_cast<const ConsoleUi*>(&gfUi()))
        for (const std::string& sLine : ui->Messages())
            s += (s.empty() ? "" : " ") + sLine;
    return s;
}

CliSession::CliSession(const CliArgs& args)
    : mPaths(AppDirs::Resolve(args.Option("--home"), AppDirs::ExeDir())),
      mSettings(mPaths.settingsFile),
      mConfig(mPaths.installDir, mPaths.dataDir),
      mGlobals(&mConfig, &mSettings)
{
}

CliSession::~CliSession() { mSettings.Sync(); }

bool CliSession::Start()
{
    if (gfStartCore())
        return true;
    std::fprintf(stderr, "error: %s\n", kFailedToStart);
    return false;
}

}  // namespace orr
