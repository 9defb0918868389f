// Writer round trip: build -> write -> build gives the same
// tree (texts, tags, images, verdict), and writing that tree gives the same
// text again (for a document whose matching failed: the same characters).
// Trees with a segment node that has no element children are left out: the
// writer skips such nodes by design; so are failed documents whose text,
// read or written, holds a later header of other separators
// (HoldsHeaderOfOtherSeparators), or whose first header becomes one of the
// fixed layout when written (HeaderNowOfFixedLayout).
#include "doctree/clsTreeD.h"
#include "edi/modGuessEdi.h"
#include "fuzz/FuzzDocuments.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>

using namespace orr;

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::size_t Erase(std::string& s, std::string_view sPart)
{
    std::size_t n = 0;
    for (std::size_t i = s.find(sPart); !sPart.empty() && i != std::string::npos; i = s.find(sPart, i), ++n)
        s.erase(i, sPart.size());
    return n;
}

// The segments of s that hold anything, and s without its terminators.
std::size_t CutSegments(std::string& s, const std::string& sTerminator)
{
    if (sTerminator.empty())
        return s.empty() ? 0 : 1;
    std::size_t nSegments = 0;
    std::string sRest;
    for (std::size_t nAt = 0; nAt <= s.size();) {
        const std::size_t nEnd = std::min(s.find(sTerminator, nAt), s.size());
        nSegments += nEnd > nAt;
        sRest.append(s, nAt, nEnd - nAt);
        nAt = nEnd + sTerminator.size();
    }
    s.swap(sRest);
    return nSegments;
}

// Whether a failed document's second text holds the characters of the first.
// Text a failed reading could not place is kept and written as it stood,
// line ends, byte-order marks and empty segments with it; read again, some
// of it may become segments, whose line ends, marks and blanks at either
// end are layout, not content, and whose last one gains the terminator it
// lacked, while empty segments are left out. So neither blanks and line
// ends nor terminators are counted here, only the segments that hold
// something (a matched document's check above compares them exactly).
bool SameCharacters(std::string s1, std::string s2, SepCode nSelimiter)
{
    const std::string sTerminator = gfSeparatorBytes(nSelimiter);
    std::size_t nSegments[2];
    for (std::string* s : {&s1, &s2}) {
        Erase(*s, kBom);
        std::erase_if(*s, [&](char c) { return (c == '\r' || c == '\n' || c == ' ') && SepCode(c) != nSelimiter; });
        nSegments[s == &s2] = CutSegments(*s, sTerminator);
        std::sort(s->begin(), s->end());
    }
    return s1 == s2 && nSegments[0] == nSegments[1];
}

// Whether a text holds a later interchange header whose separators (the element
// separator, or a fixed-width header's terminator) are not the ones written.
// In a failed document the text after such a header may be kept as it was
// read (its terminator never came again), and the writer writes the header
// itself with the document's separators: read again, the kept text becomes
// segments of that header's new separators, and the next save converts
// them, or refuses a value that now holds a separator. Saving converts every
// interchange to one set of separators by design; text the reader could not
// cut cannot be converted with it.
bool HoldsHeaderOfOtherSeparators(std::string_view s, SepCode nDelimiter, SepCode nSelimiter)
{
    const std::string sDelimiter = gfSeparatorBytes(nDelimiter);
    // The first header is the document's own: its separators are the ones written.
    const std::size_t nFirst = s.find("ISA");
    for (std::size_t i = nFirst; i != std::string_view::npos; i = s.find("ISA", i + 3)) {
        const std::string_view sAfter = s.substr(i + 3);
        if (!sAfter.empty() && !sAfter.starts_with(sDelimiter) && !std::isalnum(static_cast<unsigned char>(sAfter[0])))
            return true;
        const std::optional<FixedIsa> isa = i > nFirst ? gfFixedIsa(s.substr(i)) : std::nullopt;
        if (isa && isa->nSelimiter != nSelimiter)
            return true;
    }
    return false;
}

// Whether a header read by its separators (cut short, or of other widths)
// was written as one of the fixed layout with other separators: the reader
// drops line ends inside a header (a file cut into lines) and blanks at the
// ends of segments (layout), so a header cut short at a line-end terminator
// and the next segments, written without those blanks, can make one header
// of the fixed widths; read again, its layout names the separators.
bool HeaderNowOfFixedLayout(std::string_view sRead, std::string_view sWritten, SepCode nSelimiter)
{
    const auto firstHeader = [](std::string_view s) { return gfFixedIsa(s.substr(std::min(s.find("ISA"), s.size()))); };
    const std::optional<FixedIsa> written = firstHeader(sWritten);
    return !firstHeader(sRead) && written && written->nSelimiter != nSelimiter;
}

}  // namespace

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
    std::string sRefusal;
    const std::string sOut1 = fuzz::WriteText(nd1, d, t, &sRefusal);
    if (!sRefusal.empty())
        return 0;

    if (reader1.nError() != clsTreeD::kOk &&
        (HoldsHeaderOfOtherSeparators(sText, d, t) || HoldsHeaderOfOtherSeparators(sOut1, d, t) ||
         HeaderNowOfFixedLayout(sText, sOut1, t)))
        return 0;

    clsTree doc2;
    clsTreeD reader2;
    const TreeNode nd2 = fuzz::BuildText(reader2, doc2, "doc2.edi", sOut1, d, t, schema);
    if (!nd2)
        __builtin_trap();
    const std::string sDump2 = fuzz::Dump(nd2);
    const std::string sOut2 = fuzz::WriteText(nd2, d, t, &sRefusal);
    if (!sRefusal.empty()) {
        const std::string sReport =
            "the written text reads back with a value the writer refuses: " + sRefusal + "\n--- text 1\n" + sOut1 +
            "\n--- tree 1\n" + sDump1 + "\n--- tree 2\n" + sDump2 + "\n";
        std::fwrite(sReport.data(), 1, sReport.size(), stderr);
        __builtin_trap();
    }
    // A fully matched document comes back unchanged. After a failure the
    // builder hangs later segments under the last envelope node, which can put
    // them before trailers already matched (GE, IEA), and where they hang
    // depends on where matching failed: the order may change with every
    // reading, but nothing may be lost or added (the same characters).
    const bool bDiffers = reader1.nError() == clsTreeD::kOk
                              ? (sDump1 != sDump2 || sOut1 != sOut2 || reader2.nError() != clsTreeD::kOk)
                              : !SameCharacters(sOut1, sOut2, t);
    if (bDiffers) {
        // Written whole: texts and dumps may hold NUL bytes.
        const std::string sReport = "round trip differs (reading 1: error " + std::to_string(reader1.nError()) +
                                    ", reading 2: error " + std::to_string(reader2.nError()) + ")\n--- text 1\n" +
                                    sOut1 + "\n--- text 2\n" + sOut2 + "\n--- tree 1\n" + sDump1 +
                                    "\n--- tree 2\n" + sDump2 + "\n";
        std::fwrite(sReport.data(), 1, sReport.size(), stderr);
        __builtin_trap();
    }
    return 0;
}
