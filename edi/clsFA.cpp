#include "edi/clsFA.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "app/UiService.h"
#include "app/modGlobals.h"
#include "app/modSystem.h"
#include "app/modText.h"
#include "edi/EnvelopeReader.h"
#include "edi/Ta1Response.h"
#include "schema/clsDefFiles.h"

namespace orr {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kShownFindings = 5;  // of the acknowledgement's own check

// The version and release of a GS08 ("004010" of "004010X098A1"); "" when it has none.
std::string VersionOf(const std::string& sGs08)
{
    return sGs08.size() >= 6 && gfAllDigits(sGs08.substr(0, 6)) ? sGs08.substr(0, 6) : std::string();
}

std::string LastFive(const std::string& s) { return s.size() > 5 ? s.substr(s.size() - 5) : s; }

}  // namespace

clsFA::clsFA(clsEdiDoc::LocalClock clock)
    : mClock(std::move(clock)), mnDelimiter(gConfig ? gConfig->Delimiter : SepCode('*')),
      mnSelimiter(gConfig ? gConfig->Selimiter : SepCode('~'))
{
}

std::string clsFA::Name() const
{
    switch (mKind) {
    case AckKind::ImplementationAck999: return "999";
    case AckKind::InterchangeAckTA1: return "TA1";
    default: return "997";
    }
}

AckSeparators clsFA::Separators() const
{
    AckSeparators separators;
    separators.cElement = mnDelimiter <= 255 ? static_cast<char>(mnDelimiter) : '\0';
    separators.nTerminator = mnSelimiter;
    return separators;
}

bool clsFA::CreateFA(const std::string& sInput, const std::string& sOutput)
{
    if (gfSameName(sInput, sOutput)) {
        gfMsgBox("Input file and output file can not be the same file.", MsgIcon::Critical);
        return false;
    }
    std::error_code ec;
    if (fs::exists(sOutput, ec) &&
        gfMsgBox("File " + sOutput + "exists. Overwrite ?", MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes)
        return false;
    if (mKind == AckKind::FunctionalAck997)
        gfMsgBox(std::string("The generated 997 is an extremely simple one.") + kCrLf +
                     "Contact Quillmark, Inc if you need more specific segments." + kCrLf + kCrLf +
                     "Click Ok button to continue.",
                 MsgIcon::Information);
    if (mKind == AckKind::ImplementationAck999 && !mfnCheck) {
        gfIllogic("CreateFA: a 999 needs a checker");
        return false;
    }
    const AckSeparators separators = Separators();
    if (const std::string sProblem = separators.Problem(); !sProblem.empty()) {
        gfMsgBox("Could not generate " + Name() + ": " + sProblem, MsgIcon::Information);
        return false;
    }
    const std::optional<ReceivedFile> file = EnvelopeReader::ReadFile(sInput);
    if (!file || Refused(*file))
        return false;
    std::optional<EdiFindings> findings;
    if (mfnCheck && mKind != AckKind::InterchangeAckTA1) {
        findings = mfnCheck(sInput);
        if (!findings)
            return false;
    }
    AckWriter writer(separators, mClock);
    Compose(*file, findings ? &*findings : nullptr, writer);
    if (!writer.Unfit().empty()) {
        gfMsgBox("Could not generate " + Name() +
                     ": values of the received file do not fit the acknowledgement:" + kCrLf + writer.Unfit(),
                 MsgIcon::Information);
        return false;
    }
    return WriteChecked(writer.Text(), sOutput);
}

bool clsFA::Refused(const ReceivedFile& file) const
{
    const std::string sCannot = "Could not generate " + Name() + ": ";
    if (!file.sOutside.empty() || file.interchanges.empty()) {
        gfMsgBox(sCannot + "Missing ISA segment." + (file.sOutside.empty() ? "" : kCrLf + file.sOutside),
                 MsgIcon::Information);
        return true;
    }
    if (mKind == AckKind::InterchangeAckTA1)
        return false;  // a TA1 answers a broken envelope too
    // Groups and sets without their trailer are answered as such; stray segments are not.
    for (std::size_t i = 0; i < file.interchanges.size(); ++i)
        if (const EnvelopeProblem* p = file.interchanges[i].First(EnvelopeFault::Content)) {
            gfMsgBox(sCannot + "Invalid Functional Group." + kCrLf + "Interchange " + std::to_string(i + 1) + ": " +
                         p->sText,
                     MsgIcon::Information);
            return true;
        }
    if (file.GroupCount() == 0) {
        gfMsgBox(sCannot + "Invalid Functional Group." + kCrLf + "The file holds no functional group.",
                 MsgIcon::Information);
        return true;
    }
    return false;
}

std::string clsFA::IsaVersion(const ReceivedInterchange& received) const
{
    if (mKind == AckKind::ImplementationAck999)
        return "00501";
    // The version of the group answered, else the interchange's; ours (the
    // options') when that is no version, unless ours is none either (the
    // writer then refuses the received one).
    const std::string sVersion = mKind == AckKind::FunctionalAck997 && !received.groups.empty()
                                     ? GroupVersion(received.groups.front()).substr(0, 5)
                                     : gfElementAt(received.isa, 12);
    const std::string sOurs = LastFive("00000" + gConfig->IsaIcVersion);
    return gfIsInterchangeVersion(sVersion) || !gfIsInterchangeVersion(sOurs) ? sVersion : sOurs;
}

std::string clsFA::GroupVersion(const ReceivedGroup& group) const
{
    if (mKind == AckKind::ImplementationAck999)
        return k999Guide;
    // A 997 follows the standard of the group it answers, not its guide.
    for (const std::string& s : {VersionOf(gfElementAt(group.gs, 8)), VersionOf(gConfig->GsReleaseID)})
        if (!s.empty())
            return s;
    return "004010";
}

void clsFA::Compose(const ReceivedFile& file, const EdiFindings* pFindings, AckWriter& writer) const
{
    clsAckResponse response(mKind, pFindings, writer);
    std::uint32_t nInterchange = 0;
    for (const ReceivedInterchange& in : file.interchanges) {
        ++nInterchange;
        writer.BeginInterchange(in.isa, IsaVersion(in));
        if (mKind == AckKind::InterchangeAckTA1)
            writer.Write(Ta1Response(in, file.nDelimiter, file.nSelimiter).Segment(writer.Date(), writer.Time()));
        else
            for (std::uint32_t g = 0; g < in.groups.size(); ++g) {
                const ReceivedGroup& group = in.groups[g];
                writer.BeginGroup(group.gs, GroupVersion(group));
                writer.BeginSet(Name(), mKind == AckKind::ImplementationAck999 ? k999Guide : "");
                writer.Write(response.GroupHeader(group));
                for (std::uint32_t s = 0; s < group.sets.size(); ++s)
                    for (const SegmentElements& answer :
                         response.SetResponse(nInterchange, g + 1, s + 1, group.sets[s]))
                        writer.Write(answer);
                writer.Write(response.GroupResponse(group));
                writer.EndSet();
                writer.EndGroup();
            }
        writer.EndInterchange();
    }
}

bool clsFA::EchoesReceivedCode(const EdiFinding& f)
{
    return f.kind == FindingKind::InvalidCode && f.nElement == 1 && (f.sSegmentId == "AK1" || f.sSegmentId == "AK2");
}

bool clsFA::WriteChecked(const std::string& sText, const std::string& sOutput) const
{
    // Beside the target, so the rename cannot cross file systems.
    const std::string sTemp = sOutput + ".part";
    auto fail = [&](const std::string& sWhat, int nErr) {
        std::error_code ec;
        fs::remove(sTemp, ec);
        gfReportRunTimeError(std::error_code(nErr, std::generic_category()).message() + ": " + sWhat, nErr);
        return false;
    };
    {
        std::ofstream out(sTemp, std::ios::binary | std::ios::trunc);
        out.write(sText.data(), std::streamsize(sText.size()));
        out.close();
        if (!out)
            return fail(sOutput, errno ? errno : EIO);
    }
    if (mfnSelfCheck) {
        std::optional<EdiFindings> findings = mfnSelfCheck(sTemp);
        if (findings)
            std::erase_if(*findings, EchoesReceivedCode);
        if (!findings || !findings->empty()) {
            std::string sDetail = "The " + Name() + " acknowledgement fails its own check";
            if (!findings)
                sDetail += ": it could not be read back.";
            else
                for (std::size_t i = 0; i < findings->size() && i < kShownFindings; ++i)
                    sDetail += kCrLf + (*findings)[i].sMessage;
            std::error_code ec;
            fs::remove(sTemp, ec);
            gfIllogic(sDetail);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(sTemp, sOutput, ec);
    return ec ? fail(sOutput, ec.value()) : true;
}

bool clsFA::DialogOk(std::string& sInput, std::string& sOutput, clsFA& fa)
{
    sInput = gfTrimBlanks(std::move(sInput));
    sOutput = gfTrimBlanks(std::move(sOutput));
    if (sInput.empty() || sOutput.empty()) {
        gfMsgBox("You must specifiy both input file and output file.", MsgIcon::Information);
        return false;
    }
    if (gfSameName(sInput, sOutput)) {
        gfMsgBox("Input file and output file are the same file.", MsgIcon::Critical);
        return false;
    }
    if (fa.CreateFA(sInput, sOutput)) {
        const char* sWhat = fa.Kind() == AckKind::ImplementationAck999 ? "Implementation"
                            : fa.Kind() == AckKind::InterchangeAckTA1  ? "Interchange"
                                                                       : "Functional";
        gfMsgBox(std::string(sWhat) + " Acknowledgement created in:" + kCrLf + kCrLf + sOutput, MsgIcon::Information);
    }
    return true;
}

}  // namespace orr
