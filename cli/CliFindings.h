#pragma once
// What validate prints: the structural verdict, then the findings of the
// element check, as lines for people and editors or as JSON for tools.
#include <optional>
#include <string>

#include "edi/EdiFinding.h"

namespace orr {

class EdiDocument;

// The findings of a document read from sFile and validated, with their lines.
EdiFindings gfCliCheckElements(EdiDocument& doc, const std::string& sFile);

// "LINE:SEGMENT_NUMBER:SEGMENT_ID:ELEMENT_POSITION: severity: message"; the
// line is empty when the file has no line breaks, the position for a
// finding about a whole segment ("03", "05-01" for a component).
std::string gfFindingLine(const EdiFinding& f);

// Prints the verdict, the builder's error text (line breaks as LF) and the findings (none: the check was not asked for)
// and returns the exit status: 1 when the document failed or an error was found.
int gfReportValidation(bool bValid, const std::string& sBuildError, const std::optional<EdiFindings>& findings,
                       bool bJson);

}  // namespace orr
