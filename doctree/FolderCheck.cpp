#include "doctree/FolderCheck.h"

#include "doctree/BatchOpen.h"
#include "doctree/EdiDocument.h"
#include "doctree/clsTreeDCheck.h"

namespace orr {

FolderCheck::FolderCheck(std::string sType) : msType(std::move(sType)) {}

FolderCheck::~FolderCheck() = default;

FolderCheck::FileResult FolderCheck::Check(const std::string& sFile)
{
    FileResult r;
    r.sType = BatchOpen::TypeFor(msType, sFile);
    std::unique_ptr<EdiDocument>& doc = mDocs[r.sType];
    if (!doc)
        doc = std::make_unique<EdiDocument>();
    // A failed read keeps the document's last tree: it is never judged.
    if (!BatchOpen::Open(*doc, sFile, r.sType)) {
        r.sType.clear();
        return r;
    }
    r.bRead = true;
    r.nError = doc->BuildError();
    r.verdict = DocumentVerdict::Of(r.nError, clsTreeDCheck().Check(*doc));
    return r;
}

}  // namespace orr
