#pragma once
// What an acknowledgement says about each received transaction set and
// group, from the findings of the element check of the received file's
// first interchange: for a 997 AK2, AK3, AK4, AK5 and AK9, for a 999
// (005010X231A1) AK2, IK3, IK4, IK5 and AK9. Only errors count; warnings
// are left out.
#include <string>
#include <vector>

#include "app/clsConfig.h"
#include "edi/EdiFinding.h"

namespace orr {

enum class AckKind { FunctionalAck997, ImplementationAck999 };

class clsAckResponse {
public:
    // The component separator of the acknowledgement's positions ("3:1").
    static constexpr char kComponent = ':';

    clsAckResponse(AckKind kind, const EdiFindings& findings, SepCode nDelimiter);

    // The segments (without terminators) that answer transaction set nSet of
    // group nGroup, ordinals from 1; stElements is its ST split into
    // elements (0 is "ST").
    std::vector<std::string> SetResponse(std::uint32_t nGroup, std::uint32_t nSet,
                                         const std::vector<std::string>& stElements);
    // The AK9 of group nGroup after its sets were answered: sIncluded is the
    // group's GE01, nReceived the sets it held.
    std::string GroupResponse(std::uint32_t nGroup, const std::string& sIncluded, std::uint32_t nReceived);

private:
    std::vector<const EdiFinding*> ErrorsOf(std::uint32_t nGroup, std::uint32_t nSet) const;
    std::string SegmentLine(const EdiFinding& f) const;
    std::string ElementLine(const EdiFinding& f) const;
    std::string Join(const std::vector<std::string>& elements) const;
    bool AfterStructureFailure(std::uint32_t nGroup, std::uint32_t nSet) const;
    bool Is999() const { return mKind == AckKind::ImplementationAck999; }

    AckKind mKind;
    std::vector<const EdiFinding*> mErrors;  // of the first interchange
    const EdiFinding* mpFailure = nullptr;   // where the structure stopped matching
    char mcDelimiter;
    std::uint32_t mnAccepted = 0;  // sets of the current group
};

}  // namespace orr
