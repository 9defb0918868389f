// Commands on the definition container: listing and packing.
#include <cstdio>

#include "app/modGlobals.h"
#include "cli/CliCommands.h"
#include "schema/clsDefFiles.h"
#include "schema/clsDefPacker.h"

namespace orr {

int gfCmdDefs(const CliArgs& args)
{
    args.Require(1, {});
    CliSession session(args);
    if (!session.Start())
        return 1;
    std::vector<std::string> list;
    gDefFiles->GetEdiDefFiles(list);
    for (const std::string& s : list) {
        // name*description*type; the name and type never hold "*"
        const auto first = s.find('*');
        const auto last = s.rfind('*');
        std::printf("%s\t%s\t%s\n", s.substr(0, first).c_str(), s.substr(first + 1, last - first - 1).c_str(),
                    s.substr(last + 1).c_str());
    }
    return 0;
}

int gfCmdPack(const CliArgs& args)
{
    args.Require(2, {"-o"});
    if (args.Option("-o").empty())
        throw UsageError("pack needs -o FILE");
    clsDefPacker packer;
    const int n = packer.AddFolder(args.positional[1]);
    packer.Write(args.Option("-o"));
    std::fprintf(stderr, "info: packed %d files into %s\n", n, args.Option("-o").c_str());
    return 0;
}

}  // namespace orr
