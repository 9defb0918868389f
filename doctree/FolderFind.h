#pragma once
// find's work on one file: every segment whose text (or one element's
// value) holds a piece of text or matches a regular expression, as the
// document search matches them (case ignored). The file is only cut into
// segments, never matched against a definition, so any X12 file is searched.
// Segment texts are searched and given with "*" between elements whatever
// the file's separator, so one query fits every file.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "doctree/clsTreeDFind.h"

namespace orr {

class FolderFind {
public:
    struct Query {
        std::string sText;
        bool bRegex = false;
        std::string sSegment;  // only segments with this identifier ("": all)
        std::string sElement;  // "03", or "03-2" for a component ("": the whole segment)
    };
    struct Hit {
        std::uint32_t nSegment = 0;  // from 1 at the file's first segment
        std::string sSegment;        // "*" between elements
    };

    // False for an empty text, an expression that does not compile or a
    // position that is not one; the reason is in sError().
    bool SetQuery(const Query& query);
    const std::string& sError() const { return msError; }

    // Nothing when the file cannot be read (the reason shown).
    std::optional<std::vector<Hit>> Search(const std::string& sFile) const;
    // find's lines for a file's hits: FILE<TAB>SEGNO<TAB>SEGMENT.
    static std::string Lines(const std::string& sFile, const std::vector<Hit>& hits);

private:
    bool Matches(std::string_view sSegment, char cComponent, char cRepetition) const;

    clsTreeDFind mFind;
    std::string msSegment;
    std::size_t mnElement = 0, mnComponent = 0;
    std::string msError;
};

}  // namespace orr
