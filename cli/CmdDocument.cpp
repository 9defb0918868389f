// Commands that read a document against its definition: tree, validate,
// convert and export. Separators not given are detected from the file; the
// detected pair is used as it is (no question is asked).
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "app/modGlobals.h"
#include "cli/CliCommands.h"
#include "doctree/clsTreeD.h"
#include "doctree/clsTreeDSave.h"
#include "doctree/clsTreeDValid.h"
#include "edi/modGuessEdi.h"
#include "schema/clsTreeS.h"
#include "schema/modTreeDump.h"

namespace orr {
namespace {

struct LoadedDocument {
    clsTree schema;
    clsTree doc;
    TreeNode ndRoot;
    SepCode nDelimiter = 0;
    SepCode nSelimiter = 0;
    std::int16_t nError = 0;
    std::string sError;
};

std::string Lines(const std::string& s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n'))
            out += s[i];
    return out;
}

// Reads the positional FILE against --type; false (reason on stderr) when
// the definition, the separators or the file itself cannot be had.
bool Load(const CliArgs& args, LoadedDocument& d)
{
    const std::string sType = args.Option("--type");
    if (sType.empty())
        throw UsageError(args.positional[0] + " needs --type T");
    const std::string sFile = args.positional[1];
    SepCode nDelimiter = 0, nSelimiter = 0;
    const std::string sDelimiter = args.Option("--delimiter"), sSelimiter = args.Option("--selimiter");
    if ((sDelimiter.empty() || sSelimiter.empty()) && !gfGuessEdi(sFile, nDelimiter, nSelimiter))
        return false;
    d.nDelimiter = sDelimiter.empty() ? nDelimiter : clsConfig::S2N(sDelimiter);
    d.nSelimiter = sSelimiter.empty() ? nSelimiter : clsConfig::S2N(sSelimiter);

    clsTreeS schemaBuilder;
    if (!schemaBuilder.Build(d.schema, sType))
        return false;
    clsTreeD builder;
    builder.SetDelimiter(d.nDelimiter);
    builder.SetSelimiter(d.nSelimiter);
    d.ndRoot = builder.Build(d.doc, sFile, d.schema);
    d.nError = builder.nError();
    d.sError = builder.sError();
    if (!d.sError.empty())
        std::fprintf(stderr, "%s\n", Lines(d.sError).c_str());
    return bool(d.ndRoot);
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

}  // namespace

int gfCmdTree(const CliArgs& args)
{
    args.Require(2, {"--type", "--delimiter", "--selimiter"});
    CliSession session(args);
    LoadedDocument d;
    if (!session.Start() || !Load(args, d))
        return 1;
    gfDumpTree(d.doc, std::cout, d.ndRoot.Id());
    std::cout.flush();
    return d.nError;
}

int gfCmdValidate(const CliArgs& args)
{
    args.Require(2, {"--type", "--delimiter", "--selimiter"});
    CliSession session(args);
    LoadedDocument d;
    if (!session.Start() || !Load(args, d))
        return 1;
    const clsTreeDValid::Verdict v = clsTreeDValid().Validate(d.doc, d.ndRoot, d.schema, d.nDelimiter, d.nSelimiter);
    std::printf("%s\n", v.bValid ? "Document is valid." : "Document failed validation.");
    if (!v.sError.empty())
        std::printf("%s\n", Lines(v.sError).c_str());
    return v.bValid ? 0 : 1;
}

int gfCmdConvert(const CliArgs& args)
{
    args.Require(2, {"--type", "--delimiter", "--selimiter", "--to-delimiter", "--to-selimiter", "--crlf", "-o"});
    RequireOutput(args);
    if (args.Option("--to-delimiter").empty() || args.Option("--to-selimiter").empty())
        throw UsageError("convert needs --to-delimiter X and --to-selimiter Y");
    CliSession session(args);
    LoadedDocument d;
    if (!session.Start() || !Load(args, d))
        return 1;
    clsTreeDSave writer;
    writer.SetDelimiter(clsConfig::S2N(args.Option("--to-delimiter")));
    writer.SetSelimiter(clsConfig::S2N(args.Option("--to-selimiter")));
    return writer.WriteX12(args.Option("-o"), d.ndRoot, args.Flag("--crlf")) ? 0 : 1;
}

int gfCmdExport(const CliArgs& args)
{
    args.Require(2, {"--type", "--delimiter", "--selimiter", "--separator", "-o"});
    RequireOutput(args);
    const std::string sSeparator = args.Option("--separator");
    if (sSeparator != "tab" && sSeparator != "comma")
        throw UsageError("export needs --separator tab|comma");
    CliSession session(args);
    LoadedDocument d;
    if (!session.Start() || !Load(args, d))
        return 1;
    clsTreeDSave writer;
    return writer.SaveAsText(args.Option("-o"), d.ndRoot, sSeparator == "tab" ? "\t" : ",") ? 0 : 1;
}

}  // namespace orr
