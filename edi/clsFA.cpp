#include "edi/clsFA.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "app/UiService.h"
#include "app/modGlobals.h"
#include "app/modSystem.h"
#include "schema/clsDefFiles.h"

namespace orr {
namespace {

const char* const kCrLf = "\r\n";

bool StartsWith(const std::string& sSegment, const char* sId)
{
    const std::string id(sId);
    return sSegment.size() >= id.size() && gfSameName(sSegment.substr(0, id.size()), id);
}

std::string TrimSpaces(const std::string& s)
{
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> Split(const std::string& s, char c)
{
    std::vector<std::string> parts(1);
    for (char ch : s) {
        if (ch == c)
            parts.emplace_back();
        else
            parts.back() += ch;
    }
    return parts;
}

}  // namespace

clsFA::clsFA(clsEdiDoc::LocalClock clock)
    : mClock(clock),
      mDelimiter(gConfig ? gConfig->Delimiter : SepCode('*')),
      mSelimiter(gConfig ? gConfig->Selimiter : SepCode('~')),
      mDoc(clock)
{
}

clsFA::~clsFA() = default;

bool clsFA::AtEnd() { return mPushBack.empty() && mIn.peek() == std::ifstream::traits_type::eof(); }

std::string clsFA::ReadSegment()
{
    if (!mPushBack.empty())
        return std::exchange(mPushBack, std::string());
    // A line ends at CR LF, LF or CR; blank lines are skipped.
    while (!AtEnd()) {
        std::string sLine;
        int c;
        while ((c = mIn.get()) != std::ifstream::traits_type::eof() && c != '\r' && c != '\n')
            sLine += char(c);
        if (c == '\r' && mIn.peek() == '\n')
            mIn.get();
        sLine = TrimSpaces(sLine);
        if (!sLine.empty())
            return sLine;
    }
    return {};
}

void clsFA::PushBack(const std::string& sSegment)
{
    if (!mPushBack.empty())
        gfMsgBox("Invaid PushBack", MsgIcon::Critical);
    mPushBack = sSegment;
}

void clsFA::WriteLine(const std::string& sSegment) { mOut << sSegment << kCrLf; }

bool clsFA::CreateFA(const std::string& sInput, const std::string& sOutput)
{
    if (gfSameName(sInput, sOutput)) {
        gfMsgBox("Input file and output file can not be the same file.", MsgIcon::Critical);
        return false;
    }
    std::error_code ec;
    if (std::filesystem::exists(sOutput, ec) &&
        gfMsgBox("File " + sOutput + "exists. Overwrite ?", MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes)
        return false;
    if (!Is999())
        gfMsgBox(std::string("The generated 997 is an extremely simple one.") + kCrLf +
                     "Contact Quillmark, Inc if you need more specific segments." + kCrLf + kCrLf +
                     "Click Ok button to continue.",
                 MsgIcon::Information);
    if (Is999() && !mfnCheck) {
        gfIllogic("CreateFA: a 999 needs a checker");
        return false;
    }
    if (mfnCheck) {
        std::optional<EdiFindings> findings = mfnCheck(sInput);
        if (!findings)
            return false;
        mFindings = std::move(*findings);
        mResponse = std::make_unique<clsAckResponse>(mKind, mFindings, mDelimiter);
    }

    mIn.open(sInput, std::ios::binary);
    if (!mIn || std::filesystem::is_directory(sInput, ec)) {
        gfReportRunTimeError(std::error_code(mIn ? EISDIR : errno, std::generic_category()).message() + ": " + sInput,
                             mIn ? EISDIR : errno);
        return false;
    }
    mOut.open(sOutput, std::ios::binary | std::ios::trunc);
    if (!mOut) {
        gfReportRunTimeError(std::error_code(errno, std::generic_category()).message() + ": " + sOutput, errno);
        return false;
    }
    mDoc = clsEdiDoc(mClock);
    mDoc.IsaControlNumber = gConfig->IsaIcNumber;
    mDoc.SetDelimiter(mDelimiter);
    if (Is999()) {
        mDoc.sIsaStandards = "^";
        mDoc.sIsaVersion = "00501";
        mDoc.sGsVersion = k999Guide;
    }
    WriteLine(mDoc.ISA());
    const bool bVerdict = ProcessInterchange();
    WriteLine(mDoc.IEA());
    mOut.close();
    if (!mOut) {
        gfReportRunTimeError(std::error_code(EIO, std::generic_category()).message() + ": " + sOutput, EIO);
        return false;
    }
    return bVerdict;
}

bool clsFA::ProcessInterchange()
{
    if (!StartsWith(ReadSegment(), "ISA")) {
        gfMsgBox("Could not generate 997: Missing ISA segment.", MsgIcon::Information);
        return false;
    }
    if (!ProcessGroups()) {
        gfMsgBox("Could not generate 997: Invalid Functional Group.", MsgIcon::Information);
        return false;
    }
    if (!StartsWith(ReadSegment(), "IEA")) {
        gfMsgBox("997 Error: Missing IEA segment.", MsgIcon::Information);
        return false;
    }
    return true;
}

bool clsFA::ProcessGroups()
{
    int nGroups = 0;
    mnGroup = 0;
    for (;;) {
        if (AtEnd())
            return false;
        const std::string sGs = ReadSegment();
        if (!StartsWith(sGs, "GS")) {
            PushBack(sGs);
            return nGroups > 0;
        }
        const std::vector<std::string> elements = Elements(sGs);
        auto gs = [&](std::size_t n) { return n < elements.size() ? elements[n] : std::string(); };
        ++mnGroup;
        WriteLine(mDoc.GS("FA"));
        WriteLine(mDoc.ST(Is999() ? "999" : "997", Is999() ? k999Guide : ""));
        mDoc.IncrementSegCount();
        const std::string d(1, static_cast<char>(mDelimiter));
        WriteBody("AK1" + d + gs(1) + d + gs(6) + (Is999() ? d + gs(8) : std::string()));
        if (AtEnd())
            continue;
        if (!SkipTransactions())
            return false;
        const std::string sGe = ReadSegment();
        if (!StartsWith(sGe, "GE"))
            return false;
        if (mResponse) {
            const std::vector<std::string> ge = Elements(sGe);
            WriteBody(mResponse->GroupResponse(mnGroup, ge.size() > 1 ? ge[1] : std::string(), mnSets));
        }
        WriteLine(mDoc.SE());
        WriteLine(mDoc.GE());
        ++nGroups;
    }
}

bool clsFA::SkipTransactions()
{
    mnSets = 0;
    for (;;) {
        if (AtEnd())
            return false;
        const std::string sSt = ReadSegment();
        if (!StartsWith(sSt, "ST")) {
            PushBack(sSt);
            return mnSets > 0;
        }
        while (!AtEnd() && !StartsWith(ReadSegment(), "SE")) {
        }
        ++mnSets;
        if (mResponse)
            for (const std::string& sAnswer : mResponse->SetResponse(mnGroup, mnSets, Elements(sSt)))
                WriteBody(sAnswer);
    }
}

void clsFA::WriteBody(const std::string& sSegment)
{
    WriteLine(sSegment);
    mDoc.IncrementSegCount();
}

std::vector<std::string> clsFA::Elements(const std::string& sSegment) const
{
    // A segment read from a line may still end with its terminator.
    std::string s = sSegment;
    if (!s.empty() && mSelimiter > 0 && static_cast<unsigned char>(s.back()) == mSelimiter)
        s.pop_back();
    return Split(s, static_cast<char>(mDelimiter));
}

bool clsFA::DialogOk(std::string& sInput, std::string& sOutput, SepCode nDelimiter, clsEdiDoc::LocalClock clock,
                     AckKind kind, Checker fnCheck)
{
    sInput = gfTrim(sInput);
    sOutput = gfTrim(sOutput);
    if (sInput.empty() || sOutput.empty()) {
        gfMsgBox("You must specifiy both input file and output file.", MsgIcon::Information);
        return false;
    }
    if (gfSameName(sInput, sOutput)) {
        gfMsgBox("Input file and output file are the same file.", MsgIcon::Critical);
        return false;
    }
    clsFA fa(std::move(clock));
    fa.SetDelimiter(nDelimiter);
    fa.SetKind(kind);
    fa.SetChecker(std::move(fnCheck));
    if (fa.CreateFA(sInput, sOutput))
        gfMsgBox(std::string(kind == AckKind::ImplementationAck999 ? "Implementation" : "Functional") +
                     " Acknowledgement created in:" + kCrLf + kCrLf + sOutput,
                 MsgIcon::Information);
    return true;
}

}  // namespace orr
