// The 997 acknowledgement for a received file.
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "cli/CliCommands.h"
#include "edi/clsFA.h"

namespace orr {

int gfCmdAck(const CliArgs& args)
{
    args.Require(2, {"-o", "--delimiter", "--yes"});
    if (args.Option("-o").empty())
        throw UsageError("ack needs -o FILE");
    CliSession session(args);
    if (!session.Start())
        return 1;
    clsFA fa;
    const std::string sDelimiter = args.Option("--delimiter");
    fa.SetDelimiter(sDelimiter.empty() ? gConfig->Delimiter : clsConfig::S2N(sDelimiter));
    return fa.CreateFA(args.positional[1], args.Option("-o")) ? 0 : 1;
}

}  // namespace orr
