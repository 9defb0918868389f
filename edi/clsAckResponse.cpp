#include "edi/clsAckResponse.h"

#include <algorithm>
#include <iterator>
#include <set>

namespace orr {
namespace {

// AK403 / IK403: the syntax error code of an element finding; "" for the others.
std::string ElementCode(FindingKind kind, bool b999)
{
    switch (kind) {
    case FindingKind::MissingElement: return "1";
    case FindingKind::TooManyElements: return "3";
    case FindingKind::TooShort: return "4";
    case FindingKind::TooLong: return "5";
    case FindingKind::InvalidCharacter: return "6";
    case FindingKind::InvalidCode: return "7";
    case FindingKind::InvalidDate: return "8";
    case FindingKind::InvalidTime: return "9";
    case FindingKind::TooManyComponents: return b999 ? "13" : "6";
    default: return {};
    }
}

bool IsSetLevel(FindingKind kind)
{
    return kind == FindingKind::SetSegmentCount || kind == FindingKind::SetControlNumber;
}

bool IsGroupLevel(FindingKind kind)
{
    return kind == FindingKind::GroupSetCount || kind == FindingKind::GroupControlNumber;
}

// AK5 / IK5 and AK9 carry at most five codes after their verdict.
void AddCodes(std::vector<std::string>& elements, const std::set<std::string>& codes)
{
    for (auto it = codes.begin(); it != codes.end() && std::distance(codes.begin(), it) < 5; ++it)
        elements.push_back(*it);
}

}  // namespace

clsAckResponse::clsAckResponse(AckKind kind, const EdiFindings& findings, SepCode nDelimiter)
    : mKind(kind), mcDelimiter(static_cast<char>(nDelimiter))
{
    for (const EdiFinding& f : findings) {
        if (!f.IsError() || f.nInterchange > 1)
            continue;
        mErrors.push_back(&f);
        if (f.kind == FindingKind::SegmentUnexpected && !mpFailure)
            mpFailure = &f;
    }
}

std::vector<const EdiFinding*> clsAckResponse::ErrorsOf(std::uint32_t nGroup, std::uint32_t nSet) const
{
    std::vector<const EdiFinding*> out;
    for (const EdiFinding* f : mErrors)
        if (f->nGroup == nGroup && f->nSet == nSet && f->nSetPosition > 0)
            out.push_back(f);
    return out;
}

bool clsAckResponse::AfterStructureFailure(std::uint32_t nGroup, std::uint32_t nSet) const
{
    return mpFailure && (nGroup > mpFailure->nGroup || (nGroup == mpFailure->nGroup && nSet >= mpFailure->nSet));
}

std::vector<std::string> clsAckResponse::SetResponse(std::uint32_t nGroup, std::uint32_t nSet,
                                                     const std::vector<std::string>& stElements)
{
    auto st = [&](std::size_t n) { return n < stElements.size() ? stElements[n] : std::string(); };
    std::vector<std::string> out;
    std::vector<std::string> ak2 = {"AK2", st(1), st(2)};
    if (Is999())
        ak2.push_back(st(3));
    out.push_back(Join(ak2));
    std::set<std::string> codes;
    std::uint32_t nLastPosition = 0;
    for (const EdiFinding* f : ErrorsOf(nGroup, nSet)) {
        if (IsSetLevel(f->kind)) {
            codes.insert(f->kind == FindingKind::SetControlNumber ? "3" : "4");
            continue;
        }
        codes.insert("5");
        // Findings come in file order: one AK3 per segment, then its elements.
        if (f->nSetPosition != nLastPosition)
            out.push_back(SegmentLine(*f));
        nLastPosition = f->nSetPosition;
        if (!ElementCode(f->kind, Is999()).empty())
            out.push_back(ElementLine(*f));
    }
    // Beyond a segment that could not be placed nothing was checked.
    if (AfterStructureFailure(nGroup, nSet))
        codes.insert("5");
    const bool bAccepted = codes.empty();
    if (bAccepted)
        ++mnAccepted;
    std::vector<std::string> ak5 = {Is999() ? "IK5" : "AK5", bAccepted ? "A" : "R"};
    AddCodes(ak5, codes);
    out.push_back(Join(ak5));
    return out;
}

std::string clsAckResponse::GroupResponse(std::uint32_t nGroup, const std::string& sIncluded, std::uint32_t nReceived)
{
    std::set<std::string> codes;
    for (const EdiFinding* f : mErrors)
        if (f->nGroup == nGroup && IsGroupLevel(f->kind))
            codes.insert(f->kind == FindingKind::GroupControlNumber ? "4" : "5");
    const std::string sVerdict = !codes.empty() || mnAccepted == 0 ? "R" : mnAccepted == nReceived ? "A" : "P";
    std::vector<std::string> ak9 = {"AK9", sVerdict, sIncluded.empty() ? std::to_string(nReceived) : sIncluded,
                                    std::to_string(nReceived), std::to_string(mnAccepted)};
    AddCodes(ak9, codes);
    mnAccepted = 0;
    return Join(ak9);
}

std::string clsAckResponse::SegmentLine(const EdiFinding& f) const
{
    // The loop identifier (element 447) holds four characters: 2010BA is sent as 2010.
    return Join({Is999() ? "IK3" : "AK3", f.sSegmentId, std::to_string(f.nSetPosition), f.sLoopId.substr(0, 4),
                 f.kind == FindingKind::SegmentUnexpected ? "2" : "8"});
}

std::string clsAckResponse::ElementLine(const EdiFinding& f) const
{
    // Position, component and (999) repetition: "3", "5:1", "3::2".
    std::string sPosition = std::to_string(f.nElement);
    const bool bRepetition = Is999() && f.nRepetition > 0;
    if (f.nComponent > 0 || bRepetition)
        sPosition += kComponent + (f.nComponent > 0 ? std::to_string(f.nComponent) : std::string());
    if (bRepetition)
        sPosition += kComponent + std::to_string(f.nRepetition);
    // The bad value is copied only when no separator of the acknowledgement is in it.
    std::string sCopy = f.sValue.substr(0, 99);
    if (std::any_of(sCopy.begin(), sCopy.end(), [this](char c) {
            return c == mcDelimiter || c == kComponent || c == '^' || static_cast<unsigned char>(c) < 0x20;
        }))
        sCopy.clear();
    return Join({Is999() ? "IK4" : "AK4", sPosition, f.sElementNumber, ElementCode(f.kind, Is999()), sCopy});
}

std::string clsAckResponse::Join(const std::vector<std::string>& elements) const
{
    std::size_t nLast = elements.size();
    while (nLast > 1 && elements[nLast - 1].empty())
        --nLast;  // no empty elements at the end
    std::string s;
    for (std::size_t i = 0; i < nLast; ++i) {
        if (i > 0)
            s += mcDelimiter;
        s += elements[i];
    }
    return s;
}

}  // namespace orr
