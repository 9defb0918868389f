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
    Library();  // the definitions the type is chosen from
    EdiDocument* used = nullptr;
    std::optional<EdiFindings> findings =
        clsTreeDCheck::CheckFileIn(sFile, [&](const std::string& sType, SeparatorPair separators) {
            // A composed type's schema follows the file's groups: built for each file.
            static EdiDocument mixed;
            if (sType.find('+') != std::string::npos) {
                mixed.SetSeparators(separators.nDelimiter, separators.nSelimiter);
                return used = mixed.LoadDefinition(sType, sFile) ? &mixed : nullptr;
            }
            return used = CheckDocument(sType);
        });
    if (ppDocument)
        *ppDocument = used;
    return findings;
}

}  // namespace orr::fuzz
