// export --format json|xml and import: the document's tree for other
// programs, and back to X12.
#include <cstdio>

#include "cli/CliCommands.h"
#include "doctree/DocumentImport.h"
#include "doctree/EdiDocument.h"
#include "doctree/JsonExport.h"
#include "doctree/XmlExport.h"

namespace orr {

int gfCmdExportAny(const CliArgs& args)
{
    const std::string sFormat = args.Option("--format");
    if (sFormat.empty())
        return gfCmdExport(args);
    args.Require(2, {"--type", "--delimiter", "--selimiter", "--format", "-o"});
    gfRequireOutput(args);
    if (sFormat != "json" && sFormat != "xml")
        throw UsageError("export needs --format json|xml or --separator tab|comma");
    CliSession session(args);
    EdiDocument doc;
    if (!session.Start() || !gfCliLoadDocument(args, doc))
        return 1;
    JsonExport json;
    XmlExport xml;
    DocumentExport& out = sFormat == "json" ? static_cast<DocumentExport&>(json) : xml;
    return out.ToFile(doc, args.Option("-o")) ? 0 : 1;
}

int gfCmdImport(const CliArgs& args)
{
    args.Require(2, {"--delimiter", "--selimiter", "-o"});
    gfRequireOutput(args);
    CliSession session(args);
    DocumentImport::Options options;
    if (!args.Option("--delimiter").empty())
        options.nElement = clsConfig::S2N(args.Option("--delimiter"));
    if (!args.Option("--selimiter").empty())
        options.nSegment = clsConfig::S2N(args.Option("--selimiter"));
    const DocumentImport::Result r = DocumentImport::ConvertFile(args.positional[1], args.Option("-o"), options);
    std::fprintf(stderr, "info: type %s\n", r.sType.c_str());
    return 0;
}

}  // namespace orr
