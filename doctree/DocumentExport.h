#pragma once
// Walks a document's tree for the JSON and XML shapes: its loops
// (interchanges, groups, transaction sets and the definition's loops, with
// the definition's loop name and id) and its segments with their values cut
// at the interchange's own separators, in document order. A shape writes
// what it is told.
#include <cstdint>
#include <iosfwd>
#include <string>

#include "app/clsConfig.h"
#include "doctree/SegmentValues.h"
#include "doctree/clsTreeDSave.h"

namespace orr {

class EdiDocument;

class DocumentExport {
public:
    static constexpr int kFormatVersion = 1;

    struct Loop {
        const char* sKind;  // "interchange", "group", "transaction" or "loop"
        std::string sName;  // the definition's description, without the instance's "(n of m)"
        std::string sId;    // the definition's loop identifier ("2000A", "N1"); "" for none
    };
    // What the export records so that the import writes the same text back.
    struct Separators {
        SepCode nElement = '*', nSegment = '~';
        std::string sLineEnd;  // after each terminator: "crlf", "lf", "cr" or "none"
    };

    virtual ~DocumentExport() = default;

    // Writes the document to sFile; false (reported) when it cannot be written.
    bool ToFile(EdiDocument& doc, const std::string& sFile);
    void Write(EdiDocument& doc, std::ostream& out);

    // "Name (3 of 200)" -> "Name": the instances of one loop share a name.
    static std::string_view LoopName(std::string_view sText);
    // The line end as the exports name it: "none", "crlf", "lf", "cr".
    static std::string LineEndName(clsTreeDSave::LineEnd lineEnd);

protected:
    virtual void Begin(std::ostream& out, const std::string& sType, const Separators& separators) = 0;
    virtual void BeginLoop(std::ostream& out, const Loop& loop, int nDepth) = 0;
    virtual void EndLoop(std::ostream& out, const Loop& loop, int nDepth) = 0;
    virtual void Segment(std::ostream& out, const SegmentValues& values, bool bMatched, int nDepth) = 0;
    virtual void End(std::ostream& out) = 0;
};

}  // namespace orr
