#include "doctree/DocumentVerdict.h"

namespace orr {

DocumentVerdict DocumentVerdict::Of(int nBuildError, const EdiFindings& findings)
{
    DocumentVerdict v;
    for (const EdiFinding& f : findings)
        ++(f.IsError() ? v.nErrors : v.nWarnings);
    v.bValid = nBuildError == 0 && v.nErrors == 0;
    return v;
}

}  // namespace orr
