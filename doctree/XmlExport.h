#pragma once
// The document as XML (docs/json-format.md, docs/orrindale-edi.xsd): an
// element per loop and segment, one segment a line. A value holding a
// character XML cannot carry (a control character) is given in hex.
#include <memory>

#include "doctree/DocumentExport.h"

namespace orr {

class XmlExport final : public DocumentExport {
public:
    static constexpr const char* kNamespace = "urn:orrindale:edi";

    XmlExport();
    ~XmlExport() override;

    // True when XML 1.0 can hold every character of s.
    static bool Holds(std::string_view s);

protected:
    void Begin(std::ostream& out, const std::string& sType, const Separators& separators) override;
    void BeginLoop(std::ostream& out, const Loop& loop, int nDepth) override;
    void EndLoop(std::ostream& out, const Loop& loop, int nDepth) override;
    void Segment(std::ostream& out, const SegmentValues& values, bool bMatched, int nDepth) override;
    void End(std::ostream& out) override;

private:
    struct Writer;
    void Flush(std::ostream& out);
    std::unique_ptr<Writer> mWriter;
};

}  // namespace orr
