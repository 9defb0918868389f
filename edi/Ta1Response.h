#pragma once
// The TA1 interchange acknowledgment of one received interchange: its
// control number, date and time, and a verdict on its envelope. The note
// code is 000 when the envelope is sound, else the code of its first fault
// in file order: an ISA element of the wrong layout, a group or set not
// closed (024), a missing IEA (023), IEA01 not the number of groups (021),
// IEA02 not ISA13 (001).
#include <string>
#include <string_view>

#include "app/clsConfig.h"
#include "edi/ReceivedEnvelope.h"

namespace orr {

// Whether s is a code of ISA05 and ISA07, the interchange ID qualifier.
bool gfIsInterchangeIdQualifier(std::string_view s);
// Whether s is a code of ISA12, the interchange control version number.
bool gfIsInterchangeVersion(std::string_view s);

class Ta1Response {
public:
    // nDelimiter and nSelimiter: the separators the interchange was read with.
    Ta1Response(const ReceivedInterchange& received, SepCode nDelimiter, SepCode nSelimiter);

    const std::string& NoteCode() const { return msNote; }
    // A when the note is 000, E when the interchange was read but its
    // trailer disagrees (001, 021), else R.
    std::string AckCode() const;
    // The TA1 segment; sDate (YYMMDD) and sTime (HHMM) stand in for a
    // received ISA09 or ISA10 that is not a date or a time.
    SegmentElements Segment(const std::string& sDate, const std::string& sTime) const;

private:
    std::string IsaNote(SepCode nDelimiter, SepCode nSelimiter) const;

    const ReceivedInterchange& mReceived;
    std::string msNote;
};

}  // namespace orr
