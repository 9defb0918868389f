#pragma once
// check's work on one file: read it the way the command line does and judge
// it with the element check. The documents (one per definition) are kept for
// the next file, so a folder of one kind builds its schema once.
#include <map>
#include <memory>
#include <string>

#include "doctree/DocumentVerdict.h"

namespace orr {

class EdiDocument;

class FolderCheck {
public:
    struct FileResult {
        bool bRead = false;  // false: no separators, no definition, or the file could not be read
        std::string sType;   // the definition it was read against ("" when none could be chosen)
        int nError = 0;      // the reading's structure error
        DocumentVerdict verdict;
    };

    // sType: a definition, or "auto" for each file's own.
    explicit FolderCheck(std::string sType);
    ~FolderCheck();
    FolderCheck(const FolderCheck&) = delete;
    FolderCheck& operator=(const FolderCheck&) = delete;

    // Reasons why a file could not be read are shown through the
    // user-interaction service.
    FileResult Check(const std::string& sFile);

    // check's line for a file: FILE<TAB>TYPE<TAB>valid|invalid|unreadable<TAB>ERRORS<TAB>WARNINGS
    // (TYPE "-" when unread), or the JSON line {"file", "type", "nError", "errors", "warnings", "valid"}.
    static std::string TextLine(const std::string& sFile, const FileResult& r);
    static std::string JsonLine(const std::string& sFile, const FileResult& r);

private:
    std::string msType;
    std::map<std::string, std::unique_ptr<EdiDocument>> mDocs;
};

}  // namespace orr
