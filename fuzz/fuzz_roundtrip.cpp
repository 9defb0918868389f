// Writer round trip: build -> write -> build gives the same
// tree (texts, tags, images, verdict), and writing that tree gives the same
// text again (only the text for a document whose matching failed). Trees with a segment node that has no element children are
// left out: the writer skips such nodes by design.
#include "doctree/clsTreeD.h"
#include "doctree/clsTreeDSave.h"
#include "fuzz/FuzzDocuments.h"
#include "fuzz/FuzzSupport.h"

#include <cstdio>

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
    clsTree doc1;
    clsTreeD reader1;
    reader1.SetDelimiter(d);
    reader1.SetSelimiter(t);
    TreeNode nd1 = reader1.Build(doc1, sFile, schema.tree);
    if (!nd1)
        return 0;
    bool bEmptySegment = false;
    const std::string sDump1 = fuzz::Dump(nd1, &bEmptySegment);
    // The writer skips a segment node without element children (a segment
    // text without any element separator): such a tree cannot come back
    // unchanged, by design.
    if (bEmptySegment)
        return 0;

    clsTreeDSave saver;
    saver.SetDelimiter(d);
    saver.SetSelimiter(t);
    const std::string sOut1 = saver.ToText(nd1, false);

    const std::string sFile2 = env.Path("doc2.edi");
    fuzz::WriteFile(sFile2, sOut1);
    clsTree doc2;
    clsTreeD reader2;
    reader2.SetDelimiter(d);
    reader2.SetSelimiter(t);
    TreeNode nd2 = reader2.Build(doc2, sFile2, schema.tree);
    if (!nd2)
        __builtin_trap();
    const std::string sDump2 = fuzz::Dump(nd2);
    clsTreeDSave saver2;
    saver2.SetDelimiter(d);
    saver2.SetSelimiter(t);
    const std::string sOut2 = saver2.ToText(nd2, false);
    // A fully matched document comes back unchanged. After a failure Part
    // 4.2 hangs later segments under the last envelope node, which can put
    // them before trailers already matched (GE, IEA): the text then changes
    // order once, so only writing it again must give the same text.
    const bool bDiffers = reader1.nError() == clsTreeD::kOk
                              ? (sDump1 != sDump2 || sOut1 != sOut2 || reader2.nError() != clsTreeD::kOk)
                              : sOut1 != sOut2;
    if (bDiffers) {
        std::fprintf(stderr, "round trip differs\n--- text 1\n%s\n--- text 2\n%s\n--- tree 1\n%s\n--- tree 2\n%s\n",
                     sOut1.c_str(), sOut2.c_str(), sDump1.c_str(), sDump2.c_str());
        __builtin_trap();
    }
    return 0;
}
