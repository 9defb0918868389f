#include "edi/clsAckResponse.h"

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

// AK502 / IK502 codes of a set's own envelope: SE missing, its control number or count wrong.
std::set<std::string> SetEnvelopeCodes(const ReceivedSet& set)
{
    if (set.se.empty())
        return {"2"};
    std::set<std::string> codes;
    if (!gfSameControlNumber(gfElementAt(set.se, 2), gfElementAt(set.st, 2)))
        codes.insert("3");
    if (!gfSameControlNumber(gfElementAt(set.se, 1), std::to_string(set.nSegments)))
        codes.insert("4");
    return codes;
}

// AK5 / IK5 and AK9 carry at most five codes after their verdict.
void AddCodes(SegmentElements& elements, const std::set<std::string>& codes)
{
    for (auto it = codes.begin(); it != codes.end() && std::distance(codes.begin(), it) < 5; ++it)
        elements.push_back(*it);
}

constexpr std::size_t kMaxCopy = 99;  // the longest copy of a bad value

}  // namespace

clsAckResponse::clsAckResponse(AckKind kind, const EdiFindings* pFindings, AckWriter& writer)
    : mKind(kind), mbFindings(pFindings != nullptr), mWriter(writer)
{
    if (!pFindings)
        return;
    for (const EdiFinding& f : *pFindings) {
        if (!f.IsError())
            continue;
        if (f.nSetPosition > 0)
            mErrors[{f.nInterchange, f.nGroup, f.nSet}].push_back(&f);
        if (f.kind == FindingKind::SegmentUnexpected && !mpFailure)
            mpFailure = &f;
    }
}

SegmentElements clsAckResponse::GroupHeader(const ReceivedGroup& group)
{
    SegmentElements ak1 = {"AK1", mWriter.Copy("GS01", gfElementAt(group.gs, 1), 2, 2),
                           mWriter.Copy("GS06", gfElementAt(group.gs, 6), 1, 9, true)};
    if (Is999())
        ak1.push_back(mWriter.Copy("GS08", gfElementAt(group.gs, 8), 1, 12));
    return ak1;
}

bool clsAckResponse::AfterStructureFailure(const Where& where) const
{
    return mpFailure && where >= Where{mpFailure->nInterchange, mpFailure->nGroup, mpFailure->nSet};
}

std::vector<SegmentElements> clsAckResponse::SetResponse(std::uint32_t nInterchange, std::uint32_t nGroup,
                                                         std::uint32_t nSet, const ReceivedSet& set)
{
    std::set<std::string> codes = SetEnvelopeCodes(set);
    std::vector<SegmentElements> out;
    const Where where{nInterchange, nGroup, nSet};
    if (const auto it = mErrors.find(where); it != mErrors.end()) {
        // A 997 notes at most 99 elements of a segment (AK4 repeats 99
        // times in an AK3 loop); the segment's AK3 says it has more errors.
        constexpr std::uint32_t kElementNotes997 = 99;
        std::uint32_t nLastPosition = 0, nElementNotes = 0;
        for (const EdiFinding* f : it->second) {
            if (f->kind == FindingKind::SetSegmentCount || f->kind == FindingKind::SetControlNumber)
                continue;  // the envelope's codes
            codes.insert("5");
            // Findings come in file order: one AK3 per segment, then its elements.
            if (f->nSetPosition != nLastPosition) {
                out.push_back(SegmentLine(*f));
                nElementNotes = 0;
            }
            nLastPosition = f->nSetPosition;
            if (!ElementCode(f->kind, Is999()).empty() && FitsElementNote(*f) &&
                (Is999() || nElementNotes++ < kElementNotes997))
                out.push_back(ElementLine(*f));
        }
    }
    // Beyond a segment that could not be placed nothing was checked.
    if (AfterStructureFailure(where))
        codes.insert("5");
    const bool bAccepted = codes.empty();
    if (bAccepted)
        ++mnAccepted;
    // A plain 997 answers only the sets whose envelope is wrong.
    if (!mbFindings && bAccepted)
        return {};
    SegmentElements ak2 = {"AK2", mWriter.Copy("ST01", gfElementAt(set.st, 1), 3, 3),
                           mWriter.Copy("ST02", gfElementAt(set.st, 2), 4, 9)};
    if (Is999() && set.st.size() > 3)
        ak2.push_back(mWriter.Copy("ST03", gfElementAt(set.st, 3), 1, 35));
    out.insert(out.begin(), ak2);
    SegmentElements ak5 = {Is999() ? "IK5" : "AK5", bAccepted ? "A" : "R"};
    AddCodes(ak5, codes);
    out.push_back(ak5);
    return out;
}

SegmentElements clsAckResponse::GroupResponse(const ReceivedGroup& group)
{
    const auto nReceived = static_cast<std::uint32_t>(group.sets.size());
    std::string sIncluded = gfElementAt(group.ge, 1);
    std::set<std::string> codes;
    if (group.ge.empty())
        codes.insert("3");
    else if (!gfSameControlNumber(sIncluded, std::to_string(nReceived)))
        codes.insert("5");
    if (!group.ge.empty() && !gfSameControlNumber(gfElementAt(group.ge, 2), gfElementAt(group.gs, 6)))
        codes.insert("4");
    // AK902 is a number: without one the sets received are counted.
    if (!gfAllDigits(sIncluded) || sIncluded.size() > 6)
        sIncluded = std::to_string(nReceived);
    const std::string sVerdict = !codes.empty() || mnAccepted == 0 ? "R" : mnAccepted == nReceived ? "A" : "P";
    SegmentElements ak9 = {"AK9", sVerdict, sIncluded, std::to_string(nReceived), std::to_string(mnAccepted)};
    AddCodes(ak9, codes);
    mnAccepted = 0;
    return ak9;
}

SegmentElements clsAckResponse::SegmentLine(const EdiFinding& f) const
{
    // The loop identifier (element 447) holds four characters: 2010BA is sent as 2010.
    return {Is999() ? "IK3" : "AK3", mWriter.Copy("segment identifier", f.sSegmentId, 2, 3),
            std::to_string(f.nSetPosition), f.sLoopId.substr(0, 4),
            f.kind == FindingKind::SegmentUnexpected ? "2" : "8"};
}

bool clsAckResponse::FitsElementNote(const EdiFinding& f) const
{
    // AK401/IK401: element and component positions of two digits, a repetition of four.
    return f.nElement <= 99 && f.nComponent <= 99 && (!Is999() || f.nRepetition <= 9999);
}

SegmentElements clsAckResponse::ElementLine(const EdiFinding& f) const
{
    // Position, component and (999) repetition: "3", "5:1", "3::2".
    const AckSeparators& separators = mWriter.Separators();
    const char cComponent = separators.cComponent;
    std::string sPosition = std::to_string(f.nElement);
    const bool bRepetition = Is999() && f.nRepetition > 0;
    if (f.nComponent > 0 || bRepetition)
        sPosition += cComponent + (f.nComponent > 0 ? std::to_string(f.nComponent) : std::string());
    if (bRepetition)
        sPosition += cComponent + std::to_string(f.nRepetition);
    // AK402 holds the data element's reference number (four digits); a composite's (C023) is no number.
    const std::string sNumber =
        gfAllDigits(f.sElementNumber) && f.sElementNumber.size() <= 4 ? f.sElementNumber : std::string();
    // The bad value is copied whole, and only when no separator of the acknowledgement is in it.
    const std::string sCopy = f.sValue.size() <= kMaxCopy && !separators.Clash(f.sValue) ? f.sValue : std::string();
    return {Is999() ? "IK4" : "AK4", sPosition, sNumber, ElementCode(f.kind, Is999()), sCopy};
}

}  // namespace orr
