// Edit commands on the example documents: the first byte picks a document,
// the second the rules (its own definition or the free-form one) and
// whether only commands the permission set allows are given; every later
// choice of a random edit sequence (node, command, answers) takes the next
// bytes. The checks of RandomEdits hold: the store stays consistent, undo
// and redo of everything are exact, the written document reads back.
#include <algorithm>
#include <cstdio>

#include "app/UiService.h"
#include "fuzz/FuzzDocuments.h"
#include "fuzz/FuzzSupport.h"
#include "tests/support/RandomEdits.h"

using namespace orr;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2 || size > 65536)
        return 0;
    fuzz::Library();
    fuzz::Bytes bytes(data, size);
    const auto& documents = fuzz::ExampleDocuments();
    const auto& [sFile, sType] = documents[bytes.Take() % documents.size()];
    const std::uint8_t nMode = bytes.Take();
    EdiDocument doc;
    doc.SetSeparators('*', '~');
    if (!doc.LoadDefinition(nMode & 1 ? std::string("FreeForm") : sType) ||
        !doc.Open(sFile, EdiDocument::OpenMode::Batch))
        __builtin_trap();  // the examples open against both
    DocumentEditor editor(doc, doc.FreeForm());
    auto choose = [&](std::uint32_t n) {
        std::uint32_t v = bytes.Take();
        if (n > 256)
            v = v << 8 | bytes.Take();
        return v % n;
    };
    test::RandomEdits::Ui ui(choose);
    gfSetUi(&ui);
    test::RandomEdits edits(doc, editor, ui, choose);
    const std::string sFailure =
        edits.Run(int(std::min<std::size_t>(size / 4, 64)), fuzz::Env().Path("edit-written.edi"), (nMode & 2) != 0);
    gfSetUi(nullptr);
    if (!sFailure.empty()) {
        std::fprintf(stderr, "%s as %s: %s\n--- script\n%s", sFile.c_str(), doc.Type().c_str(), sFailure.c_str(),
                     edits.Log().c_str());
        __builtin_trap();
    }
    return 0;
}
