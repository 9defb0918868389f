// Writer round trip: build -> write -> build gives the same
// tree (texts, tags, images, verdict), and writing that tree gives the same
// text again (for a document whose matching failed: the same characters).
// Trees with a segment node that has no element children are left out: the
// writer skips such nodes by design.
#include "doctree/clsTreeD.h"
#include "fuzz/FuzzDocuments.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <cstdio>

using namespace orr;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 100000)
        return 0;
    const std::string_view sText(reinterpret_cast<const char*>(data), size);
    SepCode d, t;
    fuzz::Separators(sText, d, t);
    fuzz::Schema& schema = fuzz::SchemaFor(sText, d);

    clsTree doc1;
    clsTreeD reader1;
    const TreeNode nd1 = fuzz::BuildText(reader1, doc1, "doc.edi", sText, d, t, schema);
    if (!nd1)
        return 0;
    bool bEmptySegment = false;
    const std::string sDump1 = fuzz::Dump(nd1, &bEmptySegment);
    // The writer skips a segment node without element children (a segment
    // text without any element separator): such a tree cannot come back
    // unchanged, by design.
    if (bEmptySegment)
        return 0;
    // A value that holds a separator of the text written (an interchange
    // read with separators of its own) is refused by the writer, by design.
    bool bRefused = false;
    const std::string sOut1 = fuzz::WriteText(nd1, d, t, &bRefused);
    if (bRefused)
        return 0;

    clsTree doc2;
    clsTreeD reader2;
    const TreeNode nd2 = fuzz::BuildText(reader2, doc2, "doc2.edi", sOut1, d, t, schema);
    if (!nd2)
        __builtin_trap();
    const std::string sDump2 = fuzz::Dump(nd2);
    const std::string sOut2 = fuzz::WriteText(nd2, d, t);
    // A fully matched document comes back unchanged. After a failure the
    // builder hangs later segments under the last envelope node, which can put
    // them before trailers already matched (GE, IEA), and where they hang
    // depends on where matching failed: the order may change with every
    // reading, but nothing may be lost or added (the same characters).
    auto sorted = [](std::string s) {
        std::sort(s.begin(), s.end());
        return s;
    };
    const bool bDiffers = reader1.nError() == clsTreeD::kOk
                              ? (sDump1 != sDump2 || sOut1 != sOut2 || reader2.nError() != clsTreeD::kOk)
                              : sorted(sOut1) != sorted(sOut2);
    if (bDiffers) {
        std::fprintf(stderr, "round trip differs\n--- text 1\n%s\n--- text 2\n%s\n--- tree 1\n%s\n--- tree 2\n%s\n",
                     sOut1.c_str(), sOut2.c_str(), sDump1.c_str(), sDump2.c_str());
        __builtin_trap();
    }
    return 0;
}
