// A new document of a type: the skeleton interchange the schema prescribes,
// with envelope values from the configuration (or only the empty root with
// --empty), written as X12.
#include <cstdio>

#include "app/modGlobals.h"
#include "cli/CliCommands.h"
#include "doctree/clsTreeDNewTree.h"
#include "doctree/clsTreeDSave.h"
#include "doctree/modNodeD.h"
#include "schema/clsTreeS.h"

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

    clsTree schema;
    const NodeId schemaRoot = clsTreeS().Build(schema, sType);
    if (!schemaRoot)
        return 1;

    // The root of a new document, as the document window makes it.
    clsTree doc;
    const std::string sRootTag = gfDnodeNewTag("D", "", "0");
    NodeInit init;
    init.sText = "New";
    init.sTag = sRootTag;
    init.image = doc.InternImage("closed");
    init.expandedImage = doc.InternImage("open");
    const TreeNode ndRoot = doc.Node(doc.Add(NodeId{}, Relation::Child, init));
    if (!args.Flag("--empty")) {
        clsTreeDNewTree builder;
        builder.SetDelimiter(nDelimiter);
        if (!builder.Build(doc, ndRoot, schema.Node(schemaRoot))) {
            std::fprintf(stderr, "error: Failed to open new document.\n");
            return 1;
        }
    }

    clsTreeDSave writer;
    writer.SetDelimiter(nDelimiter);
    writer.SetSelimiter(nSelimiter);
    return writer.WriteX12(sOut, ndRoot, args.Flag("--crlf")) ? 0 : 1;
}

}  // namespace orr
