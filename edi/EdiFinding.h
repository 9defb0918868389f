#pragma once
// One thing found wrong with a document's values or envelope, located for
// the user (line, segment, element) and for acknowledgements (group, set,
// position in the set, loop, element number, the value).
#include <cstdint>
#include <string>
#include <vector>

#include "store/TreeIds.h"

namespace orr {

enum class FindingSeverity : std::uint8_t { Error, Warning };

// What is wrong; acknowledgements turn it into their own codes.
enum class FindingKind : std::uint8_t {
    // a segment
    SegmentUnexpected,  // the structure fails here: no place in the definition
    TooManyElements,
    // a data element
    MissingElement,
    ElementNotUsed,
    TooShort,
    TooLong,
    InvalidCharacter,  // also a number that is not one
    InvalidCode,
    InvalidDate,
    InvalidTime,
    TooManyComponents,  // a component separator in a simple element
    // the envelope
    IsaLayout,
    SetSegmentCount,           // SE01
    SetControlNumber,          // SE02 and ST02
    GroupSetCount,             // GE01
    GroupControlNumber,        // GE02 and GS06
    InterchangeGroupCount,     // IEA01
    InterchangeControlNumber,  // IEA02 and ISA13
    SetTrailerMissing,         // a transaction set without SE (at the next header or the file's end)
    GroupTrailerMissing,       // a functional group without GE
    InterchangeTrailerMissing,  // an interchange without IEA
    TrailingText,               // text after the last segment terminator
    UnterminatedSegment,        // the file's last segment has no terminator
};

struct EdiFinding {
    FindingSeverity severity = FindingSeverity::Error;
    FindingKind kind = FindingKind::MissingElement;
    std::string sMessage;

    // Where, for the user.
    std::uint32_t nLine = 0;     // 0: not known, or the file has no line breaks
    std::uint32_t nOrdinal = 0;  // the segment's number in the document, from 1
    std::uint32_t nSegment = 0;  // the segment's number in its interchange (ISA = 1)
    std::string sSegmentId;
    std::uint16_t nElement = 0;     // 0: the segment as a whole
    std::uint16_t nComponent = 0;   // 0: the whole element
    std::uint16_t nRepetition = 0;  // 0: the element is not repeated
    std::string sLoopPath;          // the schema loops around the segment, "ISA/GS/ST/2000A/2010AA"
    NodeId node;                    // the document's segment node

    // Where, for an acknowledgement.
    std::uint32_t nInterchange = 0, nGroup = 0, nSet = 0;  // ordinals from 1 (group in interchange, set in group)
    std::uint32_t nSetPosition = 0;  // the segment's position in its transaction set (ST = 1); 0 outside
    std::string sLoopId;             // the innermost loop below the transaction set, "" for none
    std::string sElementNumber;      // the data element's reference number
    std::string sValue;              // the value found

    bool IsError() const { return severity == FindingSeverity::Error; }
};

using EdiFindings = std::vector<EdiFinding>;

}  // namespace orr
