#pragma once
// The one verdict on a document read and checked, shared by validate
// --elements, check and the windows: valid when the reading met no structure
// error (nError 0) and the element check found no error; warnings are counted
// but never make a document invalid.
#include <cstddef>

#include "edi/EdiFinding.h"

namespace orr {

struct DocumentVerdict {
    std::size_t nErrors = 0, nWarnings = 0;
    bool bValid = false;

    static DocumentVerdict Of(int nBuildError, const EdiFindings& findings);
};

}  // namespace orr
