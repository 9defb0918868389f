#include "edi/AckWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <initializer_list>

#include "app/modGlobals.h"
#include "app/modText.h"
#include "edi/Ta1Response.h"

namespace orr {
namespace {

std::string FirstOf(std::initializer_list<std::string> values)
{
    for (const std::string& s : values)
        if (!s.empty())
            return s;
    return {};
}

// Padded with spaces to n characters: the ISA's fixed width.
std::string Fixed(std::string s, std::size_t n)
{
    s.resize(n, ' ');
    return s;
}

// Padded with spaces to at least n characters.
std::string AtLeast(std::string s, std::size_t n)
{
    if (s.size() < n)
        s.resize(n, ' ');
    return s;
}

std::string Formatted(const char* sFormat, const std::tm& t)
{
    char buf[16];
    std::strftime(buf, sizeof buf, sFormat, &t);
    return buf;
}

std::tm LocalNow(const clsEdiDoc::LocalClock& clock)
{
    if (clock)
        return clock();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

bool Distinct(std::initializer_list<char> chars)
{
    for (auto a = chars.begin(); a != chars.end(); ++a)
        for (auto b = a + 1; b != chars.end(); ++b)
            if (*a == *b)
                return false;
    return true;
}

}  // namespace

bool AckSeparators::Clash(std::string_view s) const
{
    return std::any_of(s.begin(), s.end(), [this](char c) {
        const auto u = static_cast<unsigned char>(c);
        return c == cElement || c == cComponent || c == cRepetition || (!TerminatorIsLineEnd() && u == nTerminator) ||
               u < 0x20 || u == 0x7F;
    });
}

std::string AckSeparators::Problem() const
{
    const char cTerminator = TerminatorIsLineEnd() ? '\n' : static_cast<char>(nTerminator);
    if (nTerminator <= 255 && cElement != '\0' && cElement != ' ' &&
        !std::isalnum(static_cast<unsigned char>(cElement)) &&
        Distinct({cElement, cComponent, cRepetition, cTerminator}))
        return {};
    auto shown = [](SepCode n) { return "\"" + gConfig->Shown(n) + "\""; };
    return "The separators of the acknowledgement cannot be told apart: element " +
           shown(static_cast<unsigned char>(cElement)) + ", component " + shown(SepCode(cComponent)) + ", repetition " +
           shown(SepCode(cRepetition)) + ", terminator " + shown(nTerminator) + ".";
}

AckWriter::AckWriter(const AckSeparators& separators, const clsEdiDoc::LocalClock& clock)
    : mSeparators(separators), mnInterchange(gConfig->IsaIcNumber),
      mnGroup(gConfig->GsControlNumber > 0 ? gConfig->GsControlNumber : 1)
{
    const std::tm now = LocalNow(clock);
    msDate = Formatted("%y%m%d", now);
    msTime = Formatted("%H%M", now);
    msLongDate = Formatted("%Y%m%d", now);
}

std::string AckWriter::Copy(const std::string& sFrom, const std::string& sValue, std::size_t nMin, std::size_t nMax,
                            bool bNumber)
{
    // Blanks at the end are padding: at the end of a segment they do not
    // even read back.
    const std::string sCopied = sValue.substr(0, sValue.find_last_not_of(' ') + 1);
    std::string sWhy;
    if (mSeparators.Clash(sCopied))
        sWhy = "holds a separator of the acknowledgement";
    else if (bNumber && !gfAllDigits(sCopied))
        sWhy = "is not a number";
    else if (nMin > 0 && !sValue.empty() && sCopied.empty())
        sWhy = "is blank";  // a value of blanks is a missing one
    else if (sCopied.size() < nMin || sCopied.size() > nMax)
        sWhy = "does not have " + std::to_string(nMin) + " to " + std::to_string(nMax) + " characters";
    if (!sWhy.empty())
        NoteUnfit(sFrom, sValue, sWhy);
    return sCopied;
}

std::string AckWriter::CopyQualifier(const std::string& sFrom, const std::string& sValue)
{
    if (gfIsInterchangeIdQualifier(sValue))
        return Copy(sFrom, sValue, 2, 2);
    NoteUnfit(sFrom, sValue, "is not an interchange ID qualifier");
    return sValue;
}

void AckWriter::NoteUnfit(const std::string& sFrom, const std::string& sValue, const std::string& sWhy)
{
    msUnfit += (msUnfit.empty() ? "" : "\r\n") + sFrom + " \"" + sValue + "\" " + sWhy + ".";
}

void AckWriter::BeginInterchange(const SegmentElements& receivedIsa, const std::string& sVersion)
{
    const clsConfig& c = *gConfig;
    auto received = [&](std::size_t n) { return gfTrimSpaces(gfElementAt(receivedIsa, n)); };
    const std::string sUsage = received(15);
    msIsa13 = clsEdiDoc::NineDigits(mnInterchange++);
    mnGroups = 0;
    if (!gfIsInterchangeVersion(sVersion))
        NoteUnfit("ISA12", sVersion, "is not an interchange control version number");
    // The sender's receiver is our sender, and the other way round.
    Write({"ISA", "00", Fixed("", 10), "00", Fixed("", 10),
           CopyQualifier("ISA07", FirstOf({received(7), c.MyAddrQualifier, "ZZ"})),
           Fixed(Copy("ISA08", FirstOf({received(8), c.MyAddr}), 0, 15), 15),
           CopyQualifier("ISA05", FirstOf({received(5), c.HerAddrQualifier, "ZZ"})),
           Fixed(Copy("ISA06", FirstOf({received(6), c.HerAddr}), 0, 15), 15), msDate, msTime,
           sVersion >= "00402" ? std::string(1, mSeparators.cRepetition) : "U", sVersion, msIsa13,
           c.IsaAckRequired ? "1" : "0",
           sUsage == "P" || sUsage == "T" || sUsage == "I" ? sUsage
           : c.IsaTest                                     ? "T"
                                                           : "P",
           std::string(1, mSeparators.cComponent)});
}

void AckWriter::BeginGroup(const SegmentElements& receivedGs, const std::string& sGs08)
{
    const clsConfig& c = *gConfig;
    auto received = [&](std::size_t n) { return gfTrimSpaces(gfElementAt(receivedGs, n)); };
    msGs06 = std::to_string(mnGroup++);
    mnSets = 0;
    // Application codes hold at least two characters: a shorter one is padded with spaces.
    // GS04 has the century from 004010 on; the releases before it date the group YYMMDD.
    const std::string& sGs04 = sGs08.compare(0, 6, "004010") < 0 ? msDate : msLongDate;
    Write({"GS", "FA", AtLeast(Copy("GS03", FirstOf({received(3), c.MyAddr}), 0, 15), 2),
           AtLeast(Copy("GS02", FirstOf({received(2), c.HerAddr}), 0, 15), 2), sGs04, msTime, msGs06,
           FirstOf({c.GsAgencyCode, "X"}), sGs08});
}

void AckWriter::BeginSet(const std::string& sSetId, const std::string& sConvention)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04u", mnSet++);
    msSt02 = buf;
    mnSegments = 0;
    mbInSet = true;
    Write({"ST", sSetId, msSt02, sConvention});
}

void AckWriter::Write(const SegmentElements& elements)
{
    std::size_t nLast = elements.size();
    while (nLast > 1 && elements[nLast - 1].empty())
        --nLast;
    for (std::size_t i = 0; i < nLast; ++i) {
        if (i > 0)
            msText += mSeparators.cElement;
        msText += elements[i];
    }
    if (!mSeparators.TerminatorIsLineEnd())
        msText += static_cast<char>(mSeparators.nTerminator);
    msText += "\r\n";
    if (mbInSet)
        ++mnSegments;
}

void AckWriter::EndSet()
{
    Write({"SE", std::to_string(mnSegments + 1), msSt02});
    mbInSet = false;
    ++mnSets;
}

void AckWriter::EndGroup()
{
    Write({"GE", std::to_string(mnSets), msGs06});
    ++mnGroups;
}

void AckWriter::EndInterchange() { Write({"IEA", std::to_string(mnGroups), msIsa13}); }

}  // namespace orr
