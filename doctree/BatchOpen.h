#pragma once
// Opening a file without asking anything, as the command line and the
// folder tools do: the separators detected from the file, the definition
// named or, for "auto", the one its transaction sets ask for, and one plain
// build (a structure error still gives a tree).
#include <string>

namespace orr {

class EdiDocument;

class BatchOpen {
public:
    static constexpr const char* kAuto = "auto";

    // The type sType names for sFile: itself, or for "auto" the definition
    // that fits the file's transaction sets (the free-form one for none or
    // several kinds).
    static std::string TypeFor(const std::string& sType, const std::string& sFile);
    // Reads sFile into doc against the definition sType (one the document
    // already holds is kept) and names the document after it. False, the reason shown through the
    // user-interaction service, when the separators or the definition cannot
    // be had or the file cannot be read.
    static bool Open(EdiDocument& doc, const std::string& sFile, const std::string& sType);
};

}  // namespace orr
