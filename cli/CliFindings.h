#pragma once
// What validate prints: the structural verdict, then the findings of the
// element check, as lines for people and editors or as JSON for tools.
#include <optional>
#include <string>

#include "edi/EdiFinding.h"

namespace orr {

// "LINE:SEGMENT_NUMBER:SEGMENT_ID:ELEMENT_POSITION: severity: message"; the
// line is empty when the file has no line breaks, the position for a
// finding about a whole segment ("03", "05-01" for a component).
std::string gfFindingLine(const EdiFinding& f);

// Prints the verdict (DocumentVerdict: with findings it follows them), the
// builder's error text (line breaks as LF) and the findings (none: the check
// was not asked for) and returns the exit status: 1 when the document did
// not read back or an error was found.
// The JSON object of a document that could not be read: not valid, sError the reason.
void gfReportUnread(const std::string& sError);

int gfReportValidation(bool bReadBack, const std::string& sBuildError, const std::optional<EdiFindings>& findings,
                       bool bJson);

}  // namespace orr
