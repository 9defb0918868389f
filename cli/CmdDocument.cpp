// Commands that read a document against its definition: tree, validate,
// convert and export (print: CmdPrint.cpp). Separators not given are detected from the file; the
// detected pair is used as it is (no question is asked).
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>

#include "app/UiService.h"
#include "app/modGlobals.h"
#include "cli/CliCommands.h"
#include "cli/CliFindings.h"
#include "cli/ConsoleUi.h"
#include "doctree/EdiDocument.h"
#include "doctree/clsTreeD.h"
#include "doctree/clsTreeDSave.h"
#include "edi/modConversion.h"
#include "edi/modGuessEdi.h"
#include "store/modTreeDump.h"

namespace orr {
namespace {

std::string Lines(const std::string& s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n'))
            out += s[i];
    return out;
}

// --type auto: the definition of the first transaction set, checked against
// every group and set the open met (one read of the file, not three); a
// file of other types as well is read again with the type that fits them
// all (composed, or free form), and what the first attempt said is not shown.
bool OpenAsTheFileSays(const EdiDocument& doc, const std::string& sFile,
                       const std::function<bool(const std::string&)>& fnOpen)
{
    struct Held {
        ConsoleUi* p;
        ~Held()
        {
            if (p)
                p->Release(true);  // also when the attempt throws
        }
    } held{dynamic_cast<ConsoleUi*>(&gfUi())};
    if (held.p)
        held.p->Hold();
    const SepCode nDelimiter = doc.Delimiter(), nSelimiter = doc.Selimiter();
    const std::string sFirst = gfCliAutoType({}, gfScanTransactionSets(sFile, nDelimiter, nSelimiter, 1));
    bool bOpen = fnOpen(sFirst);
    const std::string sAll = bOpen ? gfCliAutoType(doc.Groups(), doc.SetKinds())
                                   : gfCliAutoType(gfScanGroups(sFile, nDelimiter, nSelimiter),
                                                   gfScanTransactionSets(sFile, nDelimiter, nSelimiter));
    std::fprintf(stderr, "info: type %s\n", sAll.c_str());
    if (held.p)
        held.p->Release(sAll == sFirst);
    if (sAll != sFirst)
        bOpen = fnOpen(sAll);
    return bOpen;
}

}  // namespace

int gfCliKeepOnlyWhole(const std::string& sOut, bool bWritten)
{
    if (!bWritten)
        std::remove(sOut.c_str());  // a part of a file is worse than none
    return bWritten ? 0 : 1;
}

void gfRequireOutput(const CliArgs& args)
{
    const std::string sOut = args.Option("-o");
    if (sOut.empty())
        throw UsageError(args.positional[0] + " needs -o FILE");
    std::error_code ec;
    if (std::filesystem::equivalent(sOut, args.positional[1], ec))
        throw std::runtime_error("the output would replace the input file " + args.positional[1]);
}

bool gfCliLoadDocument(const CliArgs& args, EdiDocument& doc)
{
    const std::string sType = args.Option("--type");
    if (sType.empty())
        throw UsageError(args.positional[0] + " needs --type T");
    const std::string sFile = args.positional[1];
    SepCode nDelimiter = 0, nSelimiter = 0;
    const std::string sDelimiter = args.Option("--delimiter"), sSelimiter = args.Option("--selimiter");
    if ((sDelimiter.empty() || sSelimiter.empty()) && !gfCliGuessSeparators(sFile, nDelimiter, nSelimiter))
        return false;
    if (!sDelimiter.empty())
        nDelimiter = clsConfig::S2N(sDelimiter);
    if (!sSelimiter.empty())
        nSelimiter = clsConfig::S2N(sSelimiter);
    doc.SetSeparators(nDelimiter, nSelimiter);
    const auto open = [&](const std::string& sDocType) { return doc.OpenAs(sDocType, sFile); };
    const bool bOpen = sType == "auto" ? OpenAsTheFileSays(doc, sFile, open) : open(sType);
    if (!doc.BuildErrorText().empty())
        std::fprintf(stderr, "%s\n", Lines(doc.BuildErrorText()).c_str());
    if (bOpen)
        doc.SetFileName(sFile, false);
    return bOpen;
}

bool gfCliGuessSeparators(const std::string& sFile, SepCode& nDelimiter, SepCode& nSelimiter)
{
    const GuessResult r = gfGuessFile(sFile, *gConfig);
    nDelimiter = r.nDelimiter;
    nSelimiter = r.nSelimiter;
    if (r.bFound)
        return true;
    if (!r.sMessage.empty())
        gfMsgBox(r.sMessage, MsgIcon::Information);
    // A separator the candidate lists do not know can still be named.
    if (r.sMessage.starts_with(kGuessUnknownDe) || r.sMessage.starts_with(kGuessUnknownSeg))
        std::fprintf(stderr, "info: give the separators with --delimiter X --selimiter Y (a character, CR, LF or "
                             "0xNN) to read it anyway\n");
    return false;
}

// The output of a writing command is made only from a document that was read.
bool gfCliDocumentRead(const EdiDocument& doc)
{
    if (doc.BuildError() != clsTreeD::kNoSegment)
        return true;
    std::fprintf(stderr, "error: nothing was read from %s; no output was written\n", doc.FileName().c_str());
    return false;
}

int gfCmdTree(const CliArgs& args)
{
    args.Require(2, {"--type", "--delimiter", "--selimiter"});
    CliSession session(args);
    EdiDocument& doc = gfCliDocument();
    if (!session.Start() || !gfCliLoadDocument(args, doc))
        return 1;
    gfDumpTree(doc.Tree(), std::cout, doc.Root().Id());
    std::cout.flush();
    return doc.BuildError();
}

int gfCmdValidate(const CliArgs& args)
{
    args.Require(2, {"--type", "--delimiter", "--selimiter", "--elements", "--format"});
    const std::string sFormat = args.Option("--format");
    if (!sFormat.empty() && sFormat != "text" && sFormat != "json")
        throw UsageError("validate needs --format text|json");
    CliSession session(args);
    EdiDocument& doc = gfCliDocument();
    if (!session.Start() || !gfCliLoadDocument(args, doc)) {
        if (sFormat == "json")
            gfReportUnread(gfCliMessages());
        return 1;
    }
    const bool bElements = args.Flag("--elements");
    const bool bReadBack =
        doc.Validate(bElements ? EdiDocument::ValidateMode::WithElementCheck : EdiDocument::ValidateMode::RoundTrip,
                     0) &&
        doc.BuildError() == 0;
    std::optional<EdiFindings> findings;
    if (bElements)
        findings = doc.Findings();
    return gfReportValidation(bReadBack, Lines(doc.BuildErrorText()), findings, sFormat == "json");
}

int gfCmdConvert(const CliArgs& args)
{
    args.Require(2, {"--type", "--delimiter", "--selimiter", "--to-delimiter", "--to-selimiter", "--crlf", "-o"});
    gfRequireOutput(args);
    if (args.Option("--to-delimiter").empty() || args.Option("--to-selimiter").empty())
        throw UsageError("convert needs --to-delimiter X and --to-selimiter Y");
    const SepCode nToDelimiter = clsConfig::S2N(args.Option("--to-delimiter"));
    const SepCode nToSelimiter = clsConfig::S2N(args.Option("--to-selimiter"));
    const ConversionPlan plan = gfPlanConversion(nToDelimiter, nToSelimiter, args.Flag("--crlf"));
    if (!plan.bOk) {
        std::fprintf(stderr, "error: %s\n", plan.sMessage.c_str());
        return 1;
    }
    CliSession session(args);
    EdiDocument& doc = gfCliDocument();
    if (!session.Start() || !gfCliLoadDocument(args, doc) || !gfCliDocumentRead(doc))
        return 1;
    clsTreeDSave writer;
    writer.SetDelimiter(nToDelimiter);
    writer.SetSelimiter(nToSelimiter);
    const bool bWritten = writer.WriteX12(args.Option("-o"), doc.Root(), plan.bLineEnds);
    if (writer.Refused())
        std::fprintf(stderr, "error: %s\n", writer.sError().c_str());
    return gfCliKeepOnlyWhole(args.Option("-o"), bWritten);
}

int gfCmdExport(const CliArgs& args)
{
    args.Require(2, {"--type", "--delimiter", "--selimiter", "--separator", "-o"});
    gfRequireOutput(args);
    const std::string sSeparator = args.Option("--separator");
    if (sSeparator != "tab" && sSeparator != "comma")
        throw UsageError("export needs --separator tab|comma");
    CliSession session(args);
    EdiDocument& doc = gfCliDocument();
    if (!session.Start() || !gfCliLoadDocument(args, doc) || !gfCliDocumentRead(doc))
        return 1;
    clsTreeDSave writer;
    return gfCliKeepOnlyWhole(args.Option("-o"),
                              writer.SaveAsText(args.Option("-o"), doc.Root(), sSeparator == "tab" ? "\t" : ","));
}

}  // namespace orr
