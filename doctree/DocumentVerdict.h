#pragma once
// The one verdict on a document: valid when it reads back whole (no build
// error) and the element check found no error; warnings do not count
// against it. The command line, the document window and the folder check
// all judge by it, so they never disagree.
#include <cstddef>
#include <string>

#include "edi/EdiFinding.h"

namespace orr {

struct DocumentVerdict {
    bool bValid = false;
    std::size_t nErrors = 0, nWarnings = 0;

    static DocumentVerdict Of(bool bReadBack, const EdiFindings& findings);
    // "Document is valid.", "Document has 2 errors and 1 warning." or, when
    // it did not read back and no finding says why, "Document failed validation.".
    std::string Text() const;
};

}  // namespace orr
