#include "doctree/BatchOpen.h"

#include <vector>

#include "doctree/EdiDocument.h"
#include "edi/modDocType.h"
#include "edi/modGuessEdi.h"

namespace orr {

std::string BatchOpen::TypeFor(const std::string& sType, const std::string& sFile)
{
    return sType != kAuto ? sType : gfTypeThatFits(sFile);
}

bool BatchOpen::Open(EdiDocument& doc, const std::string& sFile, const std::string& sType)
{
    SepCode nDelimiter = 0, nSelimiter = 0;
    if (!gfGuessEdi(sFile, nDelimiter, nSelimiter))
        return false;
    doc.SetSeparators(nDelimiter, nSelimiter);
    if ((doc.Type() != sType || !doc.SchemaRoot() || sType.find('+') != std::string::npos) &&
        !doc.LoadDefinition(sType, sFile))
        return false;
    if (!doc.Open(sFile, EdiDocument::OpenMode::Batch))
        return false;
    doc.SetFileName(sFile, false);
    return true;
}

}  // namespace orr
