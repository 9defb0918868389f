// Edit commands on the example documents: the first byte picks a document,
// the second the rules (its own definition or the free-form one) and
// whether only commands the permission set allows are given; every later
// choice of a random edit sequence (node, command, answers) takes the next
// bytes. The checks of RandomEdits hold: the store stays consistent, undo
// and redo of everything are exact, the written document reads back.
// Each document is read once per process; every input edits a copy.
#include <algorithm>
#include <cstdio>

#include "app/UiService.h"
#include "fuzz/FuzzDocuments.h"
#include "fuzz/FuzzSupport.h"
#include "tests/support/RandomEdits.h"

using namespace orr;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// Every example read under both rules, and edited twice without a command,
// before the first input: no input pays for the reading or for the first
// growth of the trees, which libFuzzer would take for a leak (it looks for
// one after every input that allocated more than it freed, at length).
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    for (std::size_t n = 0; n < fuzz::ExampleDocuments().size(); ++n)
        for (const int nMode : {0, 1, 0, 1}) {
            const std::uint8_t input[] = {std::uint8_t(n), std::uint8_t(nMode)};
            LLVMFuzzerTestOneInput(input, sizeof input);
        }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2 || size > 65536)
        return 0;
    fuzz::Bytes bytes(data, size);
    const std::size_t nExample = bytes.Take() % fuzz::ExampleDocuments().size();
    const std::uint8_t nMode = bytes.Take();
    fuzz::EditSubject& subject = fuzz::Subject(nExample, nMode & 1);
    EdiDocument& doc = subject.work;
    if (!doc.CopyFrom(subject.read))
        __builtin_trap();
    if (subject.sDump.empty())
        subject.sDump = test::RandomEdits::Dump(doc);
    DocumentEditor editor(doc);
    auto choose = [&](std::uint32_t n) {
        std::uint32_t v = bytes.Take();
        if (n > 256)
            v = v << 8 | bytes.Take();
        return v % n;
    };
    test::RandomEdits::Ui ui(choose);
    gfSetUi(&ui);
    test::RandomEdits edits(doc, editor, ui, choose, &subject.reader);
    const std::string sFailure =
        edits.Run(int(std::min<std::size_t>(size / 4, 64)), fuzz::Env().Path("edit-written.edi"), (nMode & 2) != 0,
                  &subject.sDump);
    gfSetUi(nullptr);
    if (!sFailure.empty()) {
        std::fprintf(stderr, "%s as %s: %s\n--- script\n%s", fuzz::ExampleDocuments()[nExample].first.c_str(),
                     doc.Type().c_str(), sFailure.c_str(), edits.Log().c_str());
        __builtin_trap();
    }
    // What the input made goes with it: libFuzzer looks for leaks after an
    // input that freed less than it allocated. A copy of the blank document,
    // not New: New builds the whole schema again, which took most of an
    // input's time.
    if (!doc.CopyFrom(*subject.blank))
        __builtin_trap();
    return 0;
}
