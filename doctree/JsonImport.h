#pragma once
// A JSON export (JsonExport) back to X12 text. The whole export is read
// into memory first.
#include "doctree/DocumentImport.h"

namespace orr {

class JsonImport final : public DocumentImport {
public:
    Result Convert(const std::string& sIn, std::ostream& out, const Options& options) override;
};

}  // namespace orr
