#pragma once
// X12 text from a document given segment by segment and value by value (the
// JSON and XML imports): components and repetitions are joined at the
// interchange's own separators, which its ISA names (ISA16, and from version
// 00501 ISA11), as reading cuts them.
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "app/clsConfig.h"
#include "edi/modGuessEdi.h"

namespace orr {

class ImportWriter {
public:
    // An element: its repetitions, each its components (a plain value is one of one).
    using Parts = std::vector<std::vector<std::string>>;

    // sLineEnd: "crlf", "lf", "cr" or "none" after each terminator (a
    // terminator 0, line ends, takes CR LF for "none").
    ImportWriter(std::ostream& out, SepCode nElement, SepCode nSegment, const std::string& sLineEnd);

    // Elements by position from 1; positions not given are empty. Throws
    // std::runtime_error when a value cannot be written (repetitions in an
    // interchange that has no repetition separator).
    void Segment(const std::string& sId, const std::map<std::size_t, Parts>& elements);

private:
    std::ostream& mOut;
    char mcElement;
    std::string msEnd;  // terminator and line end
    InterchangeSeparators mSeparators;
};

}  // namespace orr
