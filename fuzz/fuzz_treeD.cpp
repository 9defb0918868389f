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
    fuzz::FuzzEnv& env = fuzz::Env();
    const std::string_view sText(reinterpret_cast<const char*>(data), size);
    SepCode d, t;
    fuzz::Separators(sText, d, t);
    fuzz::Schema& schema = fuzz::SchemaFor(sText, d);
    const std::string sFile = env.Path("doc.edi");
    fuzz::WriteFile(sFile, sText);
    clsTree doc;
    clsTreeD reader;
    reader.SetDelimiter(d);
    reader.SetSelimiter(t);
    TreeNode ndRoot = reader.Build(doc, sFile, schema.tree);
    if (ndRoot)
        (void)fuzz::Dump(ndRoot);
    if (ndRoot && reader.nError() == clsTreeD::kOk && !reader.sError().empty())
        __builtin_trap();
    return 0;
}
