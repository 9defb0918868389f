// orrindale-cli schema TYPE: the schema tree of definition "doc" + TYPE + ".def"
// as a pre-order TAB dump (format: store/modTreeDump.h).
#include <iostream>

#include "cli/CliCommands.h"
#include "schema/clsTreeS.h"
#include "store/clsTree.h"
#include "store/modTreeDump.h"

namespace orr {

int gfCmdSchema(const CliArgs& args)
{
    args.Require(2, {});
    CliSession session(args);
    if (!session.Start())
        return 1;
    clsTree tree;
    clsTreeS builder;
    const NodeId root = builder.Build(tree, args.positional[1]);
    if (!root)
        return 1;
    gfDumpTree(tree, std::cout, root);
    std::cout.flush();
    return 0;
}

}  // namespace orr
