// Commands that read a document against its definition: tree, validate,
// convert, export and print. Separators not given are detected from the file; the
// detected pair is used as it is (no question is asked).
#include <QFontDatabase>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "app/modGlobals.h"
#include "cli/CliCommands.h"
#include "cli/CliFindings.h"
#include "doctree/EdiDocument.h"
#include "doctree/clsTreeDSave.h"
#include "edi/modConversion.h"
#include "edi/modGuessEdi.h"
#include "schema/modTreeDump.h"
#include "shell/modPrintText.h"

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

void RequireOutput(const CliArgs& args)
{
    const std::string sOut = args.Option("-o");
    if (sOut.empty())
        throw UsageError(args.positional[0] + " needs -o FILE");
    std::error_code ec;
    if (std::filesystem::equivalent(sOut, args.positional[1], ec))
        throw std::runtime_error("the output would replace the input file " + args.positional[1]);
}

// The print font: the default fixed-pitch font, or the family and size asked for.
QFont PrintFont(const CliArgs& args)
{
    QFont font = gfDefaultPrintFont();
    if (const std::string sFamily = args.Option("--font"); !sFamily.empty()) {
        const QString family = QString::fromStdString(sFamily);
        if (!QFontDatabase::hasFamily(family))
            std::fprintf(stderr, "warning: font %s is not installed; a similar one is used\n", sFamily.c_str());
        font.setFamily(family);
    }
    if (const std::string sSize = args.Option("--size"); !sSize.empty()) {
        std::size_t nUsed = 0;
        double points = 0;
        try {
            points = std::stod(sSize, &nUsed);
        } catch (const std::exception&) {
        }
        if (nUsed != sSize.size() || !(points >= 1 && points <= 200))
            throw UsageError("--size takes points from 1 to 200");
        font.setPointSizeF(points);
    }
    return font;
}

}  // namespace

bool gfCliLoadDocument(const CliArgs& args, EdiDocument& doc)
{
    const std::string sType = args.Option("--type");
    if (sType.empty())
        throw UsageError(args.positional[0] + " needs --type T");
    const std::string sFile = args.positional[1];
    SepCode nDelimiter = 0, nSelimiter = 0;
    const std::string sDelimiter = args.Option("--delimiter"), sSelimiter = args.Option("--selimiter");
    if ((sDelimiter.empty() || sSelimiter.empty()) && !gfGuessEdi(sFile, nDelimiter, nSelimiter))
        return false;
    if (!sDelimiter.empty())
        nDelimiter = clsConfig::S2N(sDelimiter);
    if (!sSelimiter.empty())
        nSelimiter = clsConfig::S2N(sSelimiter);
    doc.SetSeparators(nDelimiter, nSelimiter);
    if (!doc.LoadDefinition(gfCliDocType(sType, sFile, nDelimiter, nSelimiter)))
        return false;
    const bool bOpen = doc.Open(sFile, EdiDocument::OpenMode::Batch);
    if (!doc.BuildErrorText().empty())
        std::fprintf(stderr, "%s\n", Lines(doc.BuildErrorText()).c_str());
    if (bOpen)
        doc.SetFileName(sFile, false);
    return bOpen;
}

int gfCmdTree(const CliArgs& args)
{
    args.Require(2, {"--type", "--delimiter", "--selimiter"});
    CliSession session(args);
    EdiDocument doc;
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
    EdiDocument doc;
    if (!session.Start() || !gfCliLoadDocument(args, doc))
        return 1;
    const bool bValid = doc.Validate() && doc.BuildError() == 0;
    std::optional<EdiFindings> findings;
    if (args.Flag("--elements"))
        findings = gfCliCheckElements(doc, args.positional[1]);
    return gfReportValidation(bValid, Lines(doc.BuildErrorText()), findings, sFormat == "json");
}

int gfCmdConvert(const CliArgs& args)
{
    args.Require(2, {"--type", "--delimiter", "--selimiter", "--to-delimiter", "--to-selimiter", "--crlf", "-o"});
    RequireOutput(args);
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
    EdiDocument doc;
    if (!session.Start() || !gfCliLoadDocument(args, doc))
        return 1;
    clsTreeDSave writer;
    writer.SetDelimiter(nToDelimiter);
    writer.SetSelimiter(nToSelimiter);
    return writer.WriteX12(args.Option("-o"), doc.Root(), plan.bLineEnds) ? 0 : 1;
}

int gfCmdExport(const CliArgs& args)
{
    args.Require(2, {"--type", "--delimiter", "--selimiter", "--separator", "-o"});
    RequireOutput(args);
    const std::string sSeparator = args.Option("--separator");
    if (sSeparator != "tab" && sSeparator != "comma")
        throw UsageError("export needs --separator tab|comma");
    CliSession session(args);
    EdiDocument doc;
    if (!session.Start() || !gfCliLoadDocument(args, doc))
        return 1;
    clsTreeDSave writer;
    return writer.SaveAsText(args.Option("-o"), doc.Root(), sSeparator == "tab" ? "\t" : ",") ? 0 : 1;
}

int gfCmdPrint(const CliArgs& args)
{
    args.Require(2, {"--type", "--delimiter", "--selimiter", "-o", "--font", "--size"});
    RequireOutput(args);
    const QFont font = PrintFont(args);
    CliSession session(args);
    EdiDocument doc;
    if (!session.Start() || !gfCliLoadDocument(args, doc))
        return 1;
    // One segment to a line, as the preview shows a file written with line breaks.
    clsTreeDSave writer;
    writer.SetDelimiter(doc.Delimiter());
    writer.SetSelimiter(doc.Selimiter());
    const QString sText = gfPrintableText(QByteArray::fromStdString(writer.ToText(doc.Root(), true)));
    const std::string sOut = args.Option("-o");
    if (gfPrintTextToPdf(QString::fromStdString(sOut), sText, font, QString::fromStdString(args.positional[1])) == 0) {
        std::fprintf(stderr, "error: could not write %s\n", sOut.c_str());
        return 1;
    }
    return 0;
}

}  // namespace orr
