// Commands that read EDI files: separator detection and the transaction sets found.
#include <cstdio>

#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "app/modRegistry.h"
#include "cli/CliCommands.h"
#include "edi/modDocType.h"
#include "edi/modGuessEdi.h"

namespace orr {

int gfCmdDetect(const CliArgs& args)
{
    args.Require(2, {});
    CliSession session(args);
    // Detection needs no definitions, only the settings that shape the
    // separator notation; unreadable settings leave the defaults.
    try {
        gfReadRegistry();
    } catch (const std::exception&) {
    }
    SepCode nDelimiter = 0, nSelimiter = 0;
    if (!gfCliGuessSeparators(args.positional[1], nDelimiter, nSelimiter))
        return 1;  // the reason went to stderr
    std::printf("delimiter=%s selimiter=%s\n", gConfig->N2S(nDelimiter).c_str(), gConfig->N2S(nSelimiter).c_str());
    for (const TransactionSetKind& k : gfScanTransactionSets(args.positional[1], nDelimiter, nSelimiter))
        std::printf("ST01=%s GS08=%s sets=%d\n", k.sSet.c_str(), k.sVersion.c_str(), k.nCount);
    return 0;
}

}  // namespace orr
