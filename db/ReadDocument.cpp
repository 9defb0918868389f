#include "db/ReadDocument.h"

#include <vector>

#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "doctree/EdiDocument.h"
#include "edi/modDocType.h"
#include "schema/clsDefFiles.h"

namespace orr {
namespace {

bool ReadAs(EdiDocument& doc, const std::string& sFile, const std::string& sType, std::string& sError)
{
    if (!doc.LoadDefinition(sType, sFile)) {
        sError = "the definition " + sType + " cannot be opened";
        return false;
    }
    if (!doc.Open(sFile, EdiDocument::OpenMode::Batch)) {
        sError = doc.BuildErrorText().empty() ? "the file cannot be read" : doc.BuildErrorText();
        return false;
    }
    if (doc.BuildError() != 0) {
        sError = doc.BuildErrorText();
        return false;
    }
    return true;
}

}  // namespace

bool gfReadDocument(EdiDocument& doc, const std::string& sFile, const std::string& sType, std::string& sError)
{
    SepCode nDelimiter = 0, nSelimiter = 0;
    if (!gfGuessEdi(sFile, nDelimiter, nSelimiter)) {
        sError = "no separators found";
        return false;
    }
    doc.SetSeparators(nDelimiter, nSelimiter);
    if (sType != "auto")
        return ReadAs(doc, sFile, sType, sError);
    std::vector<std::string> entries;
    if (gDefFiles)
        gDefFiles->GetEdiDefFiles(entries);
    const std::string sFreeForm = gConfig->FreeFormDocType;
    const std::string sChosen =
        gfAutoDocType(gfScanTransactionSets(sFile, nDelimiter, nSelimiter), gfDocTypes(entries), sFreeForm);
    return ReadAs(doc, sFile, sChosen, sError) || (sChosen != sFreeForm && ReadAs(doc, sFile, sFreeForm, sError));
}

}  // namespace orr
