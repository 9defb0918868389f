// Document tree builder against fixed schemas: any text read as a
// document, with the separators detection gives, and every node visited
// (which makes the element children of segments).
#include "doctree/clsTreeD.h"
#include "fuzz/FuzzDocuments.h"
#include "fuzz/FuzzSupport.h"

using namespace orr;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 100000)
        return 0;
    const std::string_view sText(reinterpret_cast<const char*>(data), size);
    SepCode d, t;
    fuzz::Separators(sText, d, t);
    clsTree doc;
    clsTreeD reader;
    const TreeNode ndRoot = fuzz::BuildText(reader, doc, "doc.edi", sText, d, t, fuzz::SchemaFor(sText, d));
    if (ndRoot)
        (void)fuzz::Dump(ndRoot);
    if (ndRoot && reader.nError() == clsTreeD::kOk && !reader.sError().empty())
        __builtin_trap();
    return 0;
}
