// A new document of a type: the skeleton interchange the schema prescribes,
// with envelope values from the configuration (or only the empty root with
// --empty), written as X12.
#include <cstdio>

#include "app/modGlobals.h"
#include "cli/CliCommands.h"
#include "doctree/EdiDocument.h"
#include "doctree/clsTreeDSave.h"

namespace orr {

int gfCmdNew(const CliArgs& args)
{
    args.Require(1, {"--type", "--empty", "-o", "--delimiter", "--selimiter", "--crlf"});
    const std::string sType = args.Option("--type");
    if (sType.empty())
        throw UsageError("new needs --type T");
    const std::string sOut = args.Option("-o");
    if (sOut.empty())
        throw UsageError("new needs -o FILE");
    CliSession session(args);
    if (!session.Start())
        return 1;
    const std::string sDelimiter = args.Option("--delimiter"), sSelimiter = args.Option("--selimiter");
    const SepCode nDelimiter = sDelimiter.empty() ? gConfig->Delimiter : clsConfig::S2N(sDelimiter);
    const SepCode nSelimiter = sSelimiter.empty() ? gConfig->Selimiter : clsConfig::S2N(sSelimiter);

    EdiDocument doc;
    doc.SetSeparators(nDelimiter, nSelimiter);
    if (!doc.New(sType, args.Flag("--empty") ? EdiDocument::NewContent::Empty : EdiDocument::NewContent::Skeleton))
        return 1;

    clsTreeDSave writer;
    writer.SetDelimiter(nDelimiter);
    writer.SetSelimiter(nSelimiter);
    return writer.WriteX12(sOut, doc.Root(), args.Flag("--crlf")) ? 0 : 1;
}

}  // namespace orr
