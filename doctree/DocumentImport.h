#pragma once
// Reading back a document exported as JSON or XML (JsonExport, XmlExport)
// and writing it as X12 text: with the separators the export recorded, or
// the ones given. Every file that reads without error comes back with the
// same segments.
#include <iosfwd>
#include <optional>
#include <string>

#include "app/clsConfig.h"
#include "doctree/DocumentExport.h"

namespace orr {

class DocumentImport {
public:
    struct Options {
        std::optional<SepCode> nElement, nSegment;  // instead of the recorded ones
    };
    struct Result {
        std::string sType;  // the definition the export was read against
        DocumentExport::Separators separators;  // the ones written
    };

    virtual ~DocumentImport() = default;

    // JSON or XML, told by the first character that is not blank. Throws
    // std::runtime_error with the reason when sIn is not an export or its
    // text cannot be written.
    static Result ConvertFile(const std::string& sIn, const std::string& sOut, const Options& options);
    // True when the file starts (blanks aside) as a JSON object or an XML document.
    static bool LooksLikeExport(const std::string& sFile);

    virtual Result Convert(const std::string& sIn, std::ostream& out, const Options& options) = 0;

protected:
    // The recorded separators with the given ones in their place; throws when
    // the pair could not be read back.
    static DocumentExport::Separators Chosen(DocumentExport::Separators recorded, const Options& options);
    // An export's text (UTF-8) as 8-bit EDI text; throws for a character above U+00FF.
    static std::string Latin1(std::string_view sUtf8);
};

}  // namespace orr
