// The acknowledgements of a received file: 997, 999 or TA1.
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "cli/CliCommands.h"
#include "doctree/clsTreeDCheck.h"
#include "edi/clsFA.h"

namespace orr {

int gfCmdAck(const CliArgs& args)
{
    args.Require(2, {"-o", "--delimiter", "--yes", "--errors", "--999", "--ta1"});
    if (args.Option("-o").empty())
        throw UsageError("ack needs -o FILE");
    if (int(args.Flag("--errors")) + int(args.Flag("--999")) + int(args.Flag("--ta1")) > 1)
        throw UsageError("ack takes one of --errors, --999 and --ta1");
    CliSession session(args);
    if (!session.Start())
        return 1;
    clsFA fa;
    const std::string sDelimiter = args.Option("--delimiter");
    fa.SetDelimiter(sDelimiter.empty() ? gConfig->Delimiter : clsConfig::S2N(sDelimiter));
    if (args.Flag("--999"))
        fa.SetKind(AckKind::ImplementationAck999);
    if (args.Flag("--ta1"))
        fa.SetKind(AckKind::InterchangeAckTA1);
    if (args.Flag("--errors") || args.Flag("--999"))
        fa.SetChecker(&clsTreeDCheck::CheckFile);
    fa.SetSelfCheck(&clsTreeDCheck::CheckFile);
    return fa.CreateFA(args.positional[1], args.Option("-o")) ? 0 : 1;
}

}  // namespace orr
