#pragma once
// Reads the envelopes of a received file through the document reader's
// segment parser, so an acknowledgement sees the file as the document does:
// any separators, one segment per line or all on one, a byte-order mark,
// ISB, ISE and TA1 after an ISA.
#include <optional>
#include <string>
#include <string_view>

#include "app/clsConfig.h"
#include "edi/ReceivedEnvelope.h"
#include "edi/clsEdiAsyncParser.h"

namespace orr {

class EnvelopeReader final : private EdiParserListener {
public:
    // The file read with the separators detected at its start; nothing when
    // they cannot be detected or the file cannot be read (the reason shown).
    static std::optional<ReceivedFile> ReadFile(const std::string& sFile);

private:
    EnvelopeReader(SepCode nDelimiter, SepCode nSelimiter);
    ReceivedFile Finish();

    void TriggerIsa(bool bBegin, std::string_view sSegment) override;
    void TriggerGs(bool bBegin, std::string_view sSegment) override;
    void TriggerSt(bool bBegin, std::string_view sSegment) override;
    void TriggerSeg(std::string_view sSegment) override;

    SegmentElements Split(std::string_view sSegment) const;
    // False (the segment described as outside) when no interchange is open.
    bool InInterchange(std::string_view sSegment);
    void Fault(EnvelopeFault fault, const std::string& sText);
    std::string GroupName() const;
    std::string SetName() const;
    void EndInterchange();

    clsEdiAsyncParser mParser;
    char mcDelimiter;
    ReceivedFile mFile;
    ReceivedInterchange* mpInterchange = nullptr;  // open: its IEA not yet read
    ReceivedGroup* mpGroup = nullptr;
    ReceivedSet* mpSet = nullptr;
};

}  // namespace orr
