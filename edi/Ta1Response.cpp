#include "edi/Ta1Response.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <initializer_list>
#include <string_view>

#include "app/modText.h"
#include "edi/modGuessEdi.h"

namespace orr {
namespace {

// The note code of a fault in ISA01 to ISA16.
constexpr std::array<const char*, 17> kIsaNotes = {"",    "010", "011", "012", "013", "005", "006", "007", "008",
                                                   "014", "015", "016", "017", "018", "019", "020", "027"};

int TwoDigits(std::string_view s, std::size_t nAt) { return (s[nAt] - '0') * 10 + (s[nAt + 1] - '0'); }

// YYMMDD.
bool IsShortDate(std::string_view s)
{
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (s.size() != 6 || !gfAllDigits(s))
        return false;
    const int nMonth = TwoDigits(s, 2), nDay = TwoDigits(s, 4);
    const int nYear = TwoDigits(s, 0);
    return nMonth >= 1 && nMonth <= 12 && nDay >= 1 &&
           nDay <= kDays[nMonth - 1] - (nMonth == 2 && nYear % 4 != 0 ? 1 : 0);
}

// HHMM.
bool IsShortTime(std::string_view s)
{
    return s.size() == 4 && gfAllDigits(s) && TwoDigits(s, 0) < 24 && TwoDigits(s, 2) < 60;
}

template <class Codes>
bool IsOneOf(std::string_view s, const Codes& codes)
{
    return std::find(std::begin(codes), std::end(codes), s) != std::end(codes);
}

bool IsOneOf(std::string_view s, std::initializer_list<std::string_view> codes) { return IsOneOf<>(s, codes); }

}  // namespace

bool gfIsInterchangeIdQualifier(std::string_view s)
{
    // The same list in 4010 and 5010.
    static constexpr std::string_view kCodes[] = {"01", "02", "03", "04", "08", "09", "10", "11", "12", "13",
                                                  "14", "15", "16", "17", "18", "19", "20", "21", "22", "23",
                                                  "24", "25", "26", "27", "28", "29", "30", "31", "32", "33",
                                                  "34", "35", "36", "37", "AM", "NR", "SN", "ZZ"};
    return IsOneOf(s, kCodes);
}

bool gfIsInterchangeVersion(std::string_view s)
{
    static constexpr std::string_view kCodes[] = {
        "00200", "00201", "00204", "00300", "00301", "00302", "00303", "00304", "00305", "00306", "00307", "00400",
        "00401", "00402", "00403", "00404", "00405", "00406", "00500", "00501", "00502", "00503", "00504", "00505",
        "00600", "00601", "00602", "00603", "00604", "00605", "00700", "00701", "00702", "00703", "00704", "00800",
        "00801"};
    return IsOneOf(s, kCodes);
}

Ta1Response::Ta1Response(const ReceivedInterchange& received, SepCode nDelimiter, SepCode nSelimiter)
    : mReceived(received)
{
    const SegmentElements& iea = received.iea;
    msNote = IsaNote(nDelimiter, nSelimiter);
    if (!msNote.empty())
        return;
    if (!received.problems.empty())
        msNote = received.problems.front().fault == EnvelopeFault::NoTrailer ? "023" : "024";
    else if (!gfSameControlNumber(gfElementAt(iea, 1), std::to_string(received.groups.size())))
        msNote = "021";
    else if (!gfSameControlNumber(gfElementAt(iea, 2), gfElementAt(received.isa, 13)))
        msNote = "001";
    else
        msNote = "000";
}

std::string Ta1Response::IsaNote(SepCode nDelimiter, SepCode nSelimiter) const
{
    const SegmentElements& isa = mReceived.isa;
    if (isa.size() != 17)
        return "022";
    for (std::size_t i = 1; i <= 16; ++i) {
        const std::string& s = isa[i];
        bool bGood = s.size() == kIsaWidths[i];
        switch (i) {
        case 1: bGood = IsOneOf(s, {"00", "01", "02", "03", "04", "05", "06"}); break;
        case 3: bGood = IsOneOf(s, {"00", "01"}); break;
        case 5:
        case 7: bGood = gfIsInterchangeIdQualifier(s); break;
        case 6:
        case 8: bGood = bGood && !gfTrimSpaces(s).empty(); break;
        case 9: bGood = IsShortDate(s); break;
        case 10: bGood = IsShortTime(s); break;
        case 11:
            // From 00402 the repetition separator; before, the standards identifier U.
            bGood = isa[12] >= "00402" ? bGood && s[0] != ' ' && static_cast<unsigned char>(s[0]) != nDelimiter &&
                                             static_cast<unsigned char>(s[0]) != nSelimiter && s != isa[16]
                                       : s == "U";
            break;
        case 12: bGood = gfIsInterchangeVersion(s); break;
        case 13: bGood = bGood && gfAllDigits(s); break;
        case 14: bGood = IsOneOf(s, {"0", "1"}); break;
        case 15: bGood = IsOneOf(s, {"I", "P", "T"}); break;
        case 16:
            bGood = bGood && !std::isalnum(static_cast<unsigned char>(s[0])) && s[0] != ' ' &&
                    static_cast<unsigned char>(s[0]) != nDelimiter && static_cast<unsigned char>(s[0]) != nSelimiter;
            break;
        default: break;
        }
        if (!bGood)
            return kIsaNotes[i];
    }
    return {};
}

std::string Ta1Response::AckCode() const
{
    if (msNote == "000")
        return "A";
    return msNote == "001" || msNote == "021" ? "E" : "R";
}

SegmentElements Ta1Response::Segment(const std::string& sDate, const std::string& sTime) const
{
    const std::string sControl = gfElementAt(mReceived.isa, 13);
    const std::string sDateIn = gfElementAt(mReceived.isa, 9);
    const std::string sTimeIn = gfElementAt(mReceived.isa, 10);
    // TA101 holds nine digits: a shorter number is padded, anything else cannot be copied.
    const std::string sTa101 = gfAllDigits(sControl) && sControl.size() <= 9
                                   ? std::string(9 - sControl.size(), '0') + sControl
                                   : std::string(9, '0');
    return {"TA1",     sTa101, IsShortDate(sDateIn) ? sDateIn : sDate, IsShortTime(sTimeIn) ? sTimeIn : sTime,
            AckCode(), msNote};
}

}  // namespace orr
