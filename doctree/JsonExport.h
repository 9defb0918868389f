#pragma once
// The document as JSON (docs/json-format.md, docs/orrindale-edi.schema.json):
// one object per loop and segment, one segment a line.
#include "doctree/DocumentExport.h"

namespace orr {

class JsonExport final : public DocumentExport {
protected:
    void Begin(std::ostream& out, const std::string& sType, const Separators& separators) override;
    void BeginLoop(std::ostream& out, const Loop& loop, int nDepth) override;
    void EndLoop(std::ostream& out, const Loop& loop, int nDepth) override;
    void Segment(std::ostream& out, const SegmentValues& values, bool bMatched, int nDepth) override;
    void End(std::ostream& out) override;

private:
    // Before the next node of a list: a comma unless it is the first.
    void Next(std::ostream& out, int nDepth);
    bool mbFirst = true;
};

}  // namespace orr
