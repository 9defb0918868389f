#pragma once
// The Save of the two dialogs that write the document to another file
// without changing it: the delimited-text export and the conversion to other
// separators. Each checks that there is a document, asks before replacing a
// file ("Confirm"), writes and reports.
#include <string>

#include "app/clsConfig.h"
#include "store/TreeNode.h"

namespace orr {

inline constexpr const char* kNothingToSave = "Nothing in document to save.";  // information icon
inline constexpr const char* kFailedToSave = "Failed to save document:";        // + file name, critical

// One line per segment, elements joined by a comma or a tab; says
// "<file> is created." on success. True when the dialog closes (after a
// write, successful or not, and when there is no document); false when the
// user would not replace an existing file.
bool gfExportTextFile(const std::string& sFile, const TreeNode& ndRoot, bool bComma);

// X12 text with other separators. Separators that could not be read back
// (gfPlanConversion) are refused with the reason and the dialog stays open;
// terminator 0 ends every segment with CR LF, CR and LF end it with
// themselves, any other asks the writer's line-break question. Success says nothing. Closes as gfExportTextFile.
bool gfConvertEdiFile(const std::string& sFile, const TreeNode& ndRoot, SepCode nDelimiter, SepCode nSelimiter);

}  // namespace orr
