#pragma once
// Writes acknowledgement interchanges addressed back to the sender of the
// interchanges they answer: the received ISA07/ISA08 become ISA05/ISA06 and
// ISA05/ISA06 become ISA07/ISA08, the received GS03 becomes GS02 and GS02
// GS03; the settings fill what the received envelope leaves empty. The ISA
// has its fixed width, ST02/SE02 four digits at least, and the counts and
// control numbers of the trailers follow what was written.
#include <cstdint>
#include <string>
#include <string_view>

#include "app/clsConfig.h"
#include "edi/ReceivedEnvelope.h"
#include "edi/clsEdiDoc.h"

namespace orr {

// The separators an acknowledgement is written with.
struct AckSeparators {
    char cElement = '*';
    char cComponent = ':';
    char cRepetition = '^';
    SepCode nTerminator = '~';  // 0, CR or LF: segments end with the line break alone

    // Every segment is followed by CR LF, after its terminator.
    bool TerminatorIsLineEnd() const { return nTerminator == 0 || nTerminator == '\r' || nTerminator == '\n'; }
    // True when s holds a separator of the acknowledgement or a control character.
    bool Clash(std::string_view s) const;
    // "" when the four can be told apart in a file; else why not.
    std::string Problem() const;
};

class AckWriter {
public:
    // Interchange control numbers run from the configured one, group control
    // numbers from the configured one (1 when none is set); the clock gives
    // one date and time for everything written.
    AckWriter(const AckSeparators& separators, const clsEdiDoc::LocalClock& clock);

    // sVersion is ISA12 ("00401"); ISA11 follows it (a repetition separator from 00402).
    void BeginInterchange(const SegmentElements& receivedIsa, const std::string& sVersion);
    void BeginGroup(const SegmentElements& receivedGs, const std::string& sGs08);
    // ST03 (the implementation convention) is written when sConvention is not empty.
    void BeginSet(const std::string& sSetId, const std::string& sConvention = {});
    // Any segment; counted for SE01 inside a set. Empty elements at the end are left out.
    void Write(const SegmentElements& elements);
    void EndSet();
    void EndGroup();
    void EndInterchange();

    // sValue, copied from the received element sFrom into the
    // acknowledgement, where it must have nMin to nMax characters (digits
    // only when bNumber) and no separator of the acknowledgement; a value
    // that does not fit is noted in Unfit().
    std::string Copy(const std::string& sFrom, const std::string& sValue, std::size_t nMin, std::size_t nMax,
                     bool bNumber = false);
    // An interchange ID qualifier (ISA05, ISA07), which must be one of its codes.
    std::string CopyQualifier(const std::string& sFrom, const std::string& sValue);
    // The values copied that do not fit, one line each; "" when all did.
    const std::string& Unfit() const { return msUnfit; }
    const std::string& Text() const { return msText; }
    const AckSeparators& Separators() const { return mSeparators; }
    // The moment written into ISA09 (YYMMDD) and ISA10 (HHMM).
    const std::string& Date() const { return msDate; }
    const std::string& Time() const { return msTime; }

private:
    void NoteUnfit(const std::string& sFrom, const std::string& sValue, const std::string& sWhy);

    AckSeparators mSeparators;
    std::string msDate, msTime, msLongDate;  // YYMMDD, HHMM, CCYYMMDD
    std::int64_t mnInterchange;
    std::int64_t mnGroup;
    std::uint32_t mnSet = 1;
    std::uint32_t mnGroups = 0, mnSets = 0, mnSegments = 0;  // in the open interchange, group, set
    std::string msIsa13, msGs06, msSt02;
    bool mbInSet = false;
    std::string msText;
    std::string msUnfit;
};

}  // namespace orr
