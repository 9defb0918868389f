#include "doctree/FolderFind.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <functional>

#include "app/modSystem.h"
#include "doctree/SegmentValues.h"
#include "edi/clsEdiAsyncParser.h"
#include "edi/modGuessEdi.h"

namespace orr {
namespace {

constexpr std::size_t kPiece = 1 << 20;

bool ParseNumber(std::string_view s, std::size_t& n)
{
    const auto r = std::from_chars(s.data(), s.data() + s.size(), n);
    return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size() && n > 0;
}

// Every segment of a file in order, its text with "*" between elements.
class Collector final : public EdiParserListener {
public:
    Collector(char cDelimiter, const std::function<bool(std::string_view, InterchangeSeparators)>& fnMatch)
        : mcDelimiter(cDelimiter), mfnMatch(fnMatch)
    {
    }
    std::vector<FolderFind::Hit> hits;

private:
    void TriggerIsa(bool, std::string_view s) override { Segment(s); }
    void TriggerGs(bool, std::string_view s) override { Segment(s); }
    void TriggerSt(bool, std::string_view s) override { Segment(s); }
    void TriggerSeg(std::string_view s) override { Segment(s); }

    void Segment(std::string_view sSegment)
    {
        ++mnOrdinal;
        mText.assign(sSegment);
        if (mcDelimiter != '*')
            std::replace(mText.begin(), mText.end(), mcDelimiter, '*');
        if (mText.starts_with("ISA*"))
            mSeparators = SegmentValues::OfIsa(SegmentValues(mText, '*', {}));
        if (mfnMatch(mText, mSeparators))
            hits.push_back({mnOrdinal, mText});
    }

    char mcDelimiter;
    const std::function<bool(std::string_view, InterchangeSeparators)>& mfnMatch;
    InterchangeSeparators mSeparators;
    std::uint32_t mnOrdinal = 0;
    std::string mText;
};

}  // namespace

bool FolderFind::SetQuery(const Query& query)
{
    msError.clear();
    msSegment = query.sSegment;
    mnElement = mnComponent = 0;
    if (!query.sElement.empty()) {
        const std::size_t nDash = query.sElement.find('-');
        const std::string_view sElement = std::string_view(query.sElement).substr(0, nDash);
        if (!ParseNumber(sElement, mnElement) ||
            (nDash != std::string::npos && !ParseNumber(query.sElement.substr(nDash + 1), mnComponent))) {
            msError = "Not an element position: " + query.sElement;
            return false;
        }
    }
    if (!mFind.SetQuery({query.sText, query.bRegex, false})) {
        msError = mFind.sError();
        return false;
    }
    return true;
}

bool FolderFind::Matches(std::string_view sSegment, char cComponent, char cRepetition) const
{
    const SegmentValues values(sSegment, '*', {cComponent, cRepetition});
    if (!msSegment.empty() && values.Id() != msSegment)
        return false;
    if (!mnElement)
        return mFind.Matches(sSegment);
    if (!mnComponent)
        return mFind.Matches(values.Element(mnElement));
    for (const SegmentValues::Components& c : values.Parts(mnElement))
        if (mFind.Matches(mnComponent <= c.size() ? c[mnComponent - 1] : std::string_view()))
            return true;
    return false;
}

std::optional<std::vector<FolderFind::Hit>> FolderFind::Search(const std::string& sFile) const
{
    SepCode nDelimiter = 0, nSelimiter = 0;
    if (!gfGuessEdi(sFile, nDelimiter, nSelimiter))
        return std::nullopt;
    std::ifstream in(sFile, std::ios::binary);
    if (!in) {
        gfReportRunTimeError("cannot read " + sFile, 53);
        return std::nullopt;
    }
    const std::function<bool(std::string_view, InterchangeSeparators)> match =
        [this](std::string_view s, InterchangeSeparators seps) { return Matches(s, seps.cComponent, seps.cRepetition); };
    Collector collector(char(nDelimiter), match);
    clsEdiAsyncParser parser(&collector);
    parser.SetDelimiter(nDelimiter);
    parser.SetSelimiter(nSelimiter);
    parser.bIsaTrigger = parser.bGsTrigger = parser.bStTrigger = parser.bSegTrigger = true;
    std::string piece(kPiece, '\0');
    while (in.read(piece.data(), std::streamsize(piece.size())) || in.gcount() > 0)
        parser.ParseData(std::string_view(piece.data(), std::size_t(in.gcount())));
    parser.EndData();
    return std::move(collector.hits);
}

std::string FolderFind::Lines(const std::string& sFile, const std::vector<Hit>& hits)
{
    std::string s;
    for (const Hit& h : hits)
        s += sFile + "\t" + std::to_string(h.nSegment) + "\t" + h.sSegment + "\n";
    return s;
}

}  // namespace orr
