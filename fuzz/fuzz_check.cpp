// The element check on documents read from any text, as `validate
// --elements` and acknowledgements run it (separators detected, the type
// chosen from the text's transaction sets, the shipped definitions).
// Properties: the check only reads the document (the same text is written
// after it as before, and a second check finds the same); findings come in
// file order and name segment nodes of the tree; a limit keeps the first
// findings and says whether it left some out; located lines exist.
#include <algorithm>
#include <cstdio>
#include <tuple>
#include <vector>

#include "doctree/EdiDocument.h"
#include "doctree/clsTreeDCheck.h"
#include "doctree/modNodeD.h"
#include "fuzz/FuzzChecks.h"
#include "fuzz/FuzzDocuments.h"
#include "fuzz/FuzzSupport.h"

using namespace orr;

namespace {

auto Key(const EdiFinding& f)
{
    return std::tie(f.severity, f.kind, f.sMessage, f.nOrdinal, f.nSegment, f.sSegmentId, f.nElement, f.nComponent,
                    f.nRepetition, f.sLoopPath, f.node, f.nInterchange, f.nGroup, f.nSet, f.nSetPosition, f.sLoopId,
                    f.sElementNumber, f.sValue);
}

bool Same(const EdiFindings& a, const EdiFindings& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const EdiFinding& x, const EdiFinding& y) { return Key(x) == Key(y); });
}

// The property that does not hold, named, since the traps look alike in a backtrace.
[[noreturn]] void Broken(const char* sWhat)
{
    std::fprintf(stderr, "check: %s\n", sWhat);
    __builtin_trap();
}

// The segments of the document, placed or not (the reader's count stops at
// the first segment it could not place).
std::size_t Segments(clsTree& tree, NodeId root)
{
    std::size_t n = 0;
    std::vector<NodeId> stack{root};
    while (!stack.empty()) {
        const NodeId node = stack.back();
        stack.pop_back();
        if (gfDnodeType(tree.Node(node)) == 'S') {
            ++n;
            continue;
        }
        for (std::uint32_t i = tree.ChildCount(node); i-- > 0;)
            stack.push_back(tree.Child(node, i));
    }
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 100000)
        return 0;
    const std::string_view sText(reinterpret_cast<const char*>(data), size);
    const std::string sFile = fuzz::Env().Path("check.edi");
    fuzz::WriteFile(sFile, sText);
    EdiDocument* doc = nullptr;
    const std::optional<EdiFindings> found = fuzz::CheckFileKept(sFile, &doc);
    if (!found || !doc)
        return 0;
    const EdiFindings& findings = *found;

    const std::uint32_t nLines = std::uint32_t(std::count(sText.begin(), sText.end(), '\n') +
                                               std::count(sText.begin(), sText.end(), '\r') + 1);
    clsTree& tree = doc->Tree();
    const std::size_t nSegments = Segments(tree, doc->Root().Id());
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const EdiFinding& f = findings[i];
        if (i > 0 && f.nOrdinal < findings[i - 1].nOrdinal)
            Broken("findings out of file order");
        if (f.nLine > nLines || f.nOrdinal > nSegments + 1)
            Broken("a finding at a place the file does not have");
        if (f.node && (!tree.IsValid(f.node) || gfDnodeType(tree.Node(f.node)) != 'S'))
            Broken("a finding naming no segment of the document");
    }

    // Only read: nothing in the document changes, so a second check finds the same.
    const std::string sBefore = fuzz::WriteText(doc->Root(), doc->Delimiter(), doc->Selimiter());
    EdiFindings again = clsTreeDCheck().Check(*doc);
    clsTreeDCheck::LocateLines(again, sFile, doc->Delimiter(), doc->Selimiter());
    if (!Same(again, findings) || fuzz::WriteText(doc->Root(), doc->Delimiter(), doc->Selimiter()) != sBefore)
        Broken("a second check finds otherwise or changed the document");

    // A limit keeps the first findings.
    const std::size_t nLimit = 1 + size % 7;
    clsTreeDCheck limited(nLimit);
    EdiFindings first = limited.Check(*doc);
    clsTreeDCheck::LocateLines(first, sFile, doc->Delimiter(), doc->Selimiter());
    const std::size_t nKept = std::min(nLimit, findings.size());
    if (limited.Truncated() != (findings.size() > nLimit) ||
        !Same(first, EdiFindings(findings.begin(), findings.begin() + std::ptrdiff_t(nKept))))
        Broken("a limit does not keep the first findings");
    return 0;
}
