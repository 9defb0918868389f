#include "doctree/FolderCheck.h"

#include <nlohmann/json.hpp>

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
    r.verdict = DocumentVerdict::Of(r.nError == 0, clsTreeDCheck().Check(*doc));
    return r;
}

std::string FolderCheck::TextLine(const std::string& sFile, const FileResult& r)
{
    const char* sVerdict = !r.bRead ? "unreadable" : r.verdict.bValid ? "valid" : "invalid";
    return sFile + "\t" + (r.bRead ? r.sType : "-") + "\t" + sVerdict + "\t" + std::to_string(r.verdict.nErrors) +
           "\t" + std::to_string(r.verdict.nWarnings) + "\n";
}

std::string FolderCheck::JsonLine(const std::string& sFile, const FileResult& r)
{
    using Json = nlohmann::ordered_json;
    Json o;
    o["file"] = sFile;
    o["type"] = r.bRead ? Json(r.sType) : Json();
    o["nError"] = r.bRead ? Json(r.nError) : Json();
    o["errors"] = r.verdict.nErrors;
    o["warnings"] = r.verdict.nWarnings;
    o["valid"] = r.verdict.bValid;
    // File names are bytes: ones that are not UTF-8 are shown as well as can be.
    return o.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace orr
