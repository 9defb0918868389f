#pragma once
// What an acknowledgement says about each received functional group and
// transaction set. With the findings of the element check of the received
// file, every set is answered: for a 997 AK2, AK3, AK4 and AK5, for a 999
// (005010X231A1) AK2, IK3, IK4 and IK5; only errors count, warnings are left
// out. Without findings (a plain 997) only the sets whose envelope is wrong
// are answered. AK1 and AK9 answer each group. The envelopes themselves (SE
// missing or its count or control number wrong, GE likewise) give the codes
// of AK5/IK5 and AK9.
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "edi/AckWriter.h"
#include "edi/EdiFinding.h"
#include "edi/ReceivedEnvelope.h"

namespace orr {

enum class AckKind { FunctionalAck997, ImplementationAck999, InterchangeAckTA1 };

class clsAckResponse {
public:
    // pFindings: the findings of the received file (kept, not owned), or
    // null for a plain 997. Received values are copied through writer (not
    // owned), which notes those that do not fit.
    clsAckResponse(AckKind kind, const EdiFindings* pFindings, AckWriter& writer);

    // The AK1 of a group.
    SegmentElements GroupHeader(const ReceivedGroup& group);
    // The segments that answer transaction set nSet of group nGroup of
    // interchange nInterchange, ordinals from 1; none without findings.
    std::vector<SegmentElements> SetResponse(std::uint32_t nInterchange, std::uint32_t nGroup, std::uint32_t nSet,
                                             const ReceivedSet& set);
    // The AK9 of a group after its sets were answered.
    SegmentElements GroupResponse(const ReceivedGroup& group);

private:
    using Where = std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>;  // interchange, group, set
    SegmentElements SegmentLine(const EdiFinding& f) const;
    SegmentElements ElementLine(const EdiFinding& f) const;
    // Whether the element's place can be written in AK401/IK401 (an
    // element past the 99th is left to its segment's note).
    bool FitsElementNote(const EdiFinding& f) const;
    bool AfterStructureFailure(const Where& where) const;
    bool Is999() const { return mKind == AckKind::ImplementationAck999; }

    AckKind mKind;
    bool mbFindings;
    std::map<Where, std::vector<const EdiFinding*>> mErrors;  // in sets
    const EdiFinding* mpFailure = nullptr;                    // where the structure stopped matching
    AckWriter& mWriter;
    std::uint32_t mnAccepted = 0;  // sets of the current group
};

}  // namespace orr
