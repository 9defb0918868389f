#pragma once
// The element check as the command line runs it on a file
// (clsTreeDCheck::CheckFile), with one document kept per definition, so
// that each schema is built once per process and not once per input.
#include <optional>
#include <string>

#include "edi/EdiFinding.h"

namespace orr {
class EdiDocument;
}

namespace orr::fuzz {

// A document with the definition sType (not a composed one) loaded (once) from the fuzz
// library, or null when there is none by that name.
EdiDocument* CheckDocument(const std::string& sType);

// What clsTreeDCheck::CheckFile gives for sFile; *ppDocument (when given)
// is the document it was read into, or null.
std::optional<EdiFindings> CheckFileKept(const std::string& sFile, EdiDocument** ppDocument = nullptr);

}  // namespace orr::fuzz
