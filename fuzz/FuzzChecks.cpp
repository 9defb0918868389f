#include "fuzz/FuzzChecks.h"

#include <map>
#include <memory>

#include "doctree/EdiDocument.h"
#include "doctree/clsTreeDCheck.h"
#include "fuzz/FuzzDocuments.h"

namespace orr::fuzz {

EdiDocument* CheckDocument(const std::string& sType)
{
    static std::map<std::string, std::unique_ptr<EdiDocument>> documents;
    Library();
    auto [it, bNew] = documents.try_emplace(sType);
    if (bNew) {
        auto doc = std::make_unique<EdiDocument>();
        if (doc->LoadDefinition(sType))
            it->second = std::move(doc);
    }
    return it->second.get();
}

std::optional<EdiFindings> CheckFileKept(const std::string& sFile, EdiDocument** ppDocument)
{
    EdiDocument* used = nullptr;
    std::optional<EdiFindings> findings = clsTreeDCheck::CheckFileIn(sFile, [&used](const std::string& sType) {
        return used = CheckDocument(sType);
    });
    if (ppDocument)
        *ppDocument = used;
    return findings;
}

}  // namespace orr::fuzz
