#include "doctree/DocumentVerdict.h"

#include <algorithm>

namespace orr {
namespace {

std::string Counted(std::size_t n, const char* sWhat)
{
    return std::to_string(n) + " " + sWhat + (n == 1 ? "" : "s");
}

}  // namespace

DocumentVerdict DocumentVerdict::Of(bool bReadBack, const EdiFindings& findings)
{
    DocumentVerdict v;
    v.nErrors = std::size_t(std::count_if(findings.begin(), findings.end(), [](const EdiFinding& f) { return f.IsError(); }));
    v.nWarnings = findings.size() - v.nErrors;
    v.bValid = bReadBack && v.nErrors == 0;
    return v;
}

std::string DocumentVerdict::Text() const
{
    if (bValid)
        return "Document is valid.";
    if (nErrors == 0)
        return "Document failed validation.";
    return "Document has " + Counted(nErrors, "error") + " and " + Counted(nWarnings, "warning") + ".";
}

}  // namespace orr
