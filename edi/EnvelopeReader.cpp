#include "edi/EnvelopeReader.h"

#include <cerrno>
#include <fstream>
#include <system_error>

#include "app/modSystem.h"
#include "edi/SegmentText.h"
#include "edi/modGuessEdi.h"

namespace orr {
namespace {

bool Is(std::string_view sSegment, std::string_view sId, char cDelimiter)
{
    return sSegment.starts_with(sId) && (sSegment.size() == sId.size() || sSegment[sId.size()] == cDelimiter);
}

std::string IdOf(std::string_view sSegment, char cDelimiter)
{
    return std::string(sSegment.substr(0, sSegment.find(cDelimiter)));
}

}  // namespace

EnvelopeReader::EnvelopeReader(SepCode nDelimiter, SepCode nSelimiter)
    : mParser(this), mcDelimiter(nDelimiter <= 255 ? static_cast<char>(nDelimiter) : '\0')
{
    mParser.SetDelimiter(nDelimiter);
    mParser.SetSelimiter(nSelimiter);
    mParser.bIsaTrigger = mParser.bGsTrigger = mParser.bStTrigger = mParser.bSegTrigger = true;
    // Read as the document reader reads: each interchange with its own
    // separators, a last segment without terminator taken too.
    mParser.bIsaSeparators = mParser.bReportTrailing = true;
    mFile.nDelimiter = nDelimiter;
    mFile.nSelimiter = nSelimiter;
}

std::optional<ReceivedFile> EnvelopeReader::ReadFile(const std::string& sFile)
{
    SepCode nDelimiter = 0, nSelimiter = 0;
    if (!gfGuessEdi(sFile, nDelimiter, nSelimiter))
        return std::nullopt;
    std::ifstream in(sFile, std::ios::binary);
    EnvelopeReader reader(nDelimiter, nSelimiter);
    std::string sPiece(1 << 16, '\0');
    while (in) {
        in.read(sPiece.data(), std::streamsize(sPiece.size()));
        reader.mParser.ParseData(std::string_view(sPiece.data(), std::size_t(in.gcount())));
    }
    if (!in.eof()) {
        const int nErr = errno ? errno : EIO;
        gfReportRunTimeError(std::error_code(nErr, std::generic_category()).message() + ": " + sFile, nErr);
        return std::nullopt;
    }
    return reader.Finish();
}

ReceivedFile EnvelopeReader::Finish()
{
    mParser.EndData();
    if (mpInterchange) {
        Fault(EnvelopeFault::NoTrailer, "Interchange " + std::to_string(mFile.interchanges.size()) + " (ISA13 " +
                                            gfElementAt(mpInterchange->isa, 13) + ") has no IEA segment.");
        EndInterchange();
    }
    return std::move(mFile);
}

SegmentElements EnvelopeReader::Split(std::string_view sSegment) const
{
    std::vector<std::string_view> parts;
    gfSplitElements(sSegment, mcDelimiter, parts);
    return SegmentElements(parts.begin(), parts.end());
}

bool EnvelopeReader::InInterchange(std::string_view sSegment)
{
    if (mpInterchange)
        return true;
    if (mFile.sOutside.empty())
        mFile.sOutside = "Segment " + IdOf(sSegment, mcDelimiter) +
                         (mFile.interchanges.empty() ? " comes before the first ISA segment."
                                                     : " follows the IEA segment of interchange " +
                                                           std::to_string(mFile.interchanges.size()) + ".");
    return false;
}

void EnvelopeReader::Fault(EnvelopeFault fault, const std::string& sText)
{
    if (mpInterchange && !mpInterchange->First(fault))
        mpInterchange->problems.push_back({fault, sText});
}

std::string EnvelopeReader::GroupName() const
{
    return "Functional group " + std::to_string(mpInterchange->groups.size()) + " (GS06 " +
           gfElementAt(mpGroup->gs, 6) + ")";
}

std::string EnvelopeReader::SetName() const
{
    return "transaction set " + std::to_string(mpGroup->sets.size()) + " (ST02 " + gfElementAt(mpSet->st, 2) + ")";
}

void EnvelopeReader::EndInterchange()
{
    mpInterchange = nullptr;
    mpGroup = nullptr;
    mpSet = nullptr;
}

void EnvelopeReader::TriggerIsa(bool bBegin, std::string_view sSegment)
{
    if (bBegin) {
        if (mpInterchange)
            Fault(EnvelopeFault::NoTrailer, "Interchange " + std::to_string(mFile.interchanges.size()) + " (ISA13 " +
                                                gfElementAt(mpInterchange->isa, 13) +
                                                ") has no IEA segment before the next ISA.");
        mpInterchange = &mFile.interchanges.emplace_back();
        mpGroup = nullptr;
        mpSet = nullptr;
        mpInterchange->isa = Split(sSegment);
        return;
    }
    if (!InInterchange(sSegment))
        return;
    if (mpGroup)
        Fault(EnvelopeFault::Unclosed, GroupName() + " has no GE segment.");
    mpInterchange->iea = Split(sSegment);
    EndInterchange();
}

void EnvelopeReader::TriggerGs(bool bBegin, std::string_view sSegment)
{
    if (!InInterchange(sSegment))
        return;
    if (bBegin) {
        if (mpGroup)
            Fault(EnvelopeFault::Unclosed, GroupName() + " has no GE segment.");
        mpGroup = &mpInterchange->groups.emplace_back();
        mpGroup->gs = Split(sSegment);
        mpSet = nullptr;
        return;
    }
    if (!mpGroup) {
        Fault(EnvelopeFault::Content, "Segment GE comes without a GS segment.");
        return;
    }
    if (mpSet)
        Fault(EnvelopeFault::Unclosed, GroupName() + ": " + SetName() + " has no SE segment.");
    if (mpGroup->sets.empty())
        Fault(EnvelopeFault::Content, GroupName() + " holds no transaction set.");
    mpGroup->ge = Split(sSegment);
    mpGroup = nullptr;
    mpSet = nullptr;
}

void EnvelopeReader::TriggerSt(bool bBegin, std::string_view sSegment)
{
    if (!InInterchange(sSegment))
        return;
    if (!mpGroup) {
        Fault(EnvelopeFault::Content, "Segment " + IdOf(sSegment, mcDelimiter) + " is outside a functional group.");
        return;
    }
    if (bBegin) {
        if (mpSet)
            Fault(EnvelopeFault::Unclosed, GroupName() + ": " + SetName() + " has no SE segment.");
        mpSet = &mpGroup->sets.emplace_back();
        mpSet->st = Split(sSegment);
        mpSet->nSegments = 1;
        return;
    }
    if (!mpSet) {
        Fault(EnvelopeFault::Content, GroupName() + ": segment SE comes without an ST segment.");
        return;
    }
    mpSet->se = Split(sSegment);
    ++mpSet->nSegments;
    mpSet = nullptr;
}

void EnvelopeReader::TriggerSeg(std::string_view sSegment)
{
    if (!InInterchange(sSegment))
        return;
    if (mpSet) {
        ++mpSet->nSegments;
        return;
    }
    // Between the ISA and the first group an interchange may hold these.
    if (!mpGroup && mpInterchange->groups.empty() &&
        (Is(sSegment, "ISB", mcDelimiter) || Is(sSegment, "ISE", mcDelimiter) || Is(sSegment, "TA1", mcDelimiter)))
        return;
    Fault(EnvelopeFault::Content, "Segment " + IdOf(sSegment, mcDelimiter) + " is outside a transaction set.");
}

}  // namespace orr
