// The 997 or 999 acknowledgement for a received file.
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "cli/CliCommands.h"
#include "doctree/clsTreeDCheck.h"
#include "edi/clsFA.h"

namespace orr {

int gfCmdAck(const CliArgs& args)
{
    args.Require(2, {"-o", "--delimiter", "--yes", "--errors", "--999"});
    if (args.Option("-o").empty())
        throw UsageError("ack needs -o FILE");
    CliSession session(args);
    if (!session.Start())
        return 1;
    clsFA fa;
    const std::string sDelimiter = args.Option("--delimiter");
    fa.SetDelimiter(sDelimiter.empty() ? gConfig->Delimiter : clsConfig::S2N(sDelimiter));
    if (args.Flag("--999"))
        fa.SetKind(AckKind::ImplementationAck999);
    if (args.Flag("--errors") || args.Flag("--999"))
        fa.SetChecker(&clsTreeDCheck::CheckFile);
    return fa.CreateFA(args.positional[1], args.Option("-o")) ? 0 : 1;
}

}  // namespace orr
