#include "doctree/clsTreeDValid.h"

#include <cstdio>

#include "app/UiService.h"
#include "app/modGlobals.h"
#include "doctree/clsTreeD.h"
#include "doctree/clsTreeDSave.h"
#include "doctree/modNodeD.h"

namespace orr {
namespace {

void Unlink(const TreeNode& nd) { nd.SetTag(gfDnodeTagWithLink(nd.Tag(), kUnlinked)); }

}  // namespace

void clsTreeDValid::ClearMapping(const TreeNode& nd)
{
    if (!nd || nd.Tag().find('*') == std::string::npos)
        return;
    Unlink(nd);
    for (TreeNode c = nd.FirstChild(); c; c = c.Next()) {
        const char kind = gfDnodeType(c);
        if (kind == 'S')
            Unlink(c);
        else if (kind != 'E')
            ClearMapping(c);
    }
}

std::optional<clsTreeDValid::Verdict> clsTreeDValid::Validate(const TreeNode& ndRoot, clsTree& scratch,
                                                             clsTree& schemaTree, const SchemaIndex& index,
                                                             SepCode nDelimiter, SepCode nSelimiter)
{
    const std::string sWork = gConfig->TempFile;
    clsTreeDSave writer;
    writer.SetDelimiter(nDelimiter);
    writer.SetSelimiter(nSelimiter);
    bool bSilent = true;
    if (!writer.SaveAs(sWork, ndRoot, bSilent)) {
        gfMsgBox("Disk IO failed.", MsgIcon::Critical);
        std::remove(sWork.c_str());
        return std::nullopt;
    }
    clsTreeD builder;
    builder.SetDelimiter(nDelimiter);
    builder.SetSelimiter(nSelimiter);
    Verdict v;
    v.ndRoot = builder.Build(scratch, sWork, schemaTree, index);
    v.nError = builder.nError();
    v.sError = builder.sError();
    v.bValid = v.ndRoot && v.nError == 0;
    if (!gConfig->bTrace)
        std::remove(sWork.c_str());
    return v;
}

void clsTreeDValid::ShowVerdict(const Verdict& v)
{
    gfMsgBox(v.bValid ? "Document is valid." : "Document failed validation.", MsgIcon::Information);
}

}  // namespace orr
