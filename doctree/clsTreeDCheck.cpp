#include "doctree/clsTreeDCheck.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "app/clsProgress.h"
#include "app/modGlobals.h"
#include "app/modText.h"
#include "doctree/EdiDocument.h"
#include "doctree/modNodeD.h"
#include "edi/SegmentText.h"
#include "edi/clsEdiAsyncParser.h"
#include "edi/modDocType.h"
#include "edi/modGuessEdi.h"
#include "schema/modFileArchive.h"

namespace orr {
namespace {

constexpr std::size_t kShownValue = 40;  // longer values are cut in messages
constexpr std::size_t kNamedCodes = 10;  // a list this short is named in its finding

// Envelope and acknowledgement elements a release added, checked by the
// group's release whatever the definition lists.
struct AddedElement {
    std::string_view sSegment;
    std::uint16_t nPosition;
    std::string_view sRelease;  // the first release that has it
    int nMaxLength;             // AN, at least 1
    const char* sName;
};
constexpr std::array<AddedElement, 2> kAddedElements = {{
    {"ST", 3, "004030", 35, "Implementation Convention Reference"},
    {"AK1", 3, "005010", 12, "Version / Release / Industry Identifier Code"},
}};

// GS04 holds CCYYMMDD from this release on, YYMMDD before.
constexpr std::string_view kCenturyDateRelease = "004010";

// ISA11 holds the repetition separator from this interchange version (ISA12)
// on, the standards identifier "U" before.
constexpr std::string_view kRepetitionVersion = "00402";

bool IsDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Number(std::string_view s)
{
    int n = 0;
    std::from_chars(s.data(), s.data() + s.size(), n);
    return n;
}

// A whole number (type Nn, n implied decimals): an optional minus sign and
// digits; nDigits is its length, the sign not counted.
bool IsInteger(std::string_view s, std::size_t& nDigits)
{
    if (!s.empty() && s.front() == '-')
        s.remove_prefix(1);
    nDigits = s.size();
    return IsDigits(s);
}

// A decimal number (type R): sign, digits, at most one decimal point; its
// length counts the digits only.
bool IsDecimal(std::string_view s, std::size_t& nDigits)
{
    if (!s.empty() && s.front() == '-')
        s.remove_prefix(1);
    const std::size_t nPoint = s.find('.');
    std::string_view sWhole = s.substr(0, nPoint);
    std::string_view sFraction = nPoint == std::string_view::npos ? std::string_view() : s.substr(nPoint + 1);
    nDigits = sWhole.size() + sFraction.size();
    auto digits = [](std::string_view t) { return t.empty() || IsDigits(t); };
    return nDigits > 0 && digits(sWhole) && digits(sFraction);
}

// CCYYMMDD or YYMMDD (years 00-49 in this century).
bool IsDate(std::string_view s)
{
    if (!IsDigits(s) || (s.size() != 8 && s.size() != 6))
        return false;
    const int nYearDigits = s.size() == 8 ? 4 : 2;
    int nYear = Number(s.substr(0, std::size_t(nYearDigits)));
    if (nYearDigits == 2)
        nYear += nYear < 50 ? 2000 : 1900;
    const int nMonth = Number(s.substr(std::size_t(nYearDigits), 2));
    const int nDay = Number(s.substr(std::size_t(nYearDigits) + 2, 2));
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (nMonth < 1 || nMonth > 12 || nDay < 1)
        return false;
    const bool bLeap = (nYear % 4 == 0 && nYear % 100 != 0) || nYear % 400 == 0;
    return nDay <= kDays[nMonth - 1] + (nMonth == 2 && bLeap ? 1 : 0);
}

// HHMM, HHMMSS, HHMMSSd or HHMMSSdd.
bool IsTime(std::string_view s)
{
    if (!IsDigits(s) || s.size() < 4 || s.size() > 8 || s.size() == 5)
        return false;
    const bool bSeconds = s.size() >= 6;
    return Number(s.substr(0, 2)) < 24 && Number(s.substr(2, 2)) < 60 && (!bSeconds || Number(s.substr(4, 2)) < 60);
}

std::string CodeList(const std::vector<std::string>& codes)
{
    std::string s;
    for (const std::string& c : codes)
        s += (s.empty() ? "" : ", ") + c;
    return s;
}

bool HasControl(std::string_view s)
{
    return std::any_of(s.begin(), s.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

// The value in quotes as a message shows it: control characters as \xNN, long values cut.
std::string Quoted(std::string_view s)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size() && i < kShownValue; ++i) {
        const auto u = static_cast<unsigned char>(s[i]);
        if (u < 0x20 || u == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", unsigned(u));
            out += buf;
        } else {
            out += s[i];
        }
    }
    if (s.size() > kShownValue)
        out += "...";
    return out + "\"";
}

// "REF04 (Reference Identifier) repetition 2"
std::string Labelled(std::string sReference, const std::string& sName, std::uint16_t nRep)
{
    if (!sName.empty())
        sReference += " (" + sName + ")";
    if (nRep > 0)
        sReference += " repetition " + std::to_string(nRep);
    return sReference;
}

std::string TwoDigits(unsigned n)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02u", n);
    return buf;
}

std::string Counted(std::uint32_t n, const char* sWhat)
{
    return std::to_string(n) + " " + sWhat + (n == 1 ? "" : "s");
}

// Control numbers compare as numbers when both are digits ("0001" is 1), else as text.
bool SameControl(std::string_view a, std::string_view b)
{
    if (IsDigits(a) && IsDigits(b)) {
        a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
        b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
    }
    return a == b;
}

// Hears the file's segments in order and notes the line each needed one starts on.
class LineFinder final : public EdiParserListener {
public:
    LineFinder(clsEdiAsyncParser& parser, std::string_view sText,
               std::vector<std::pair<std::uint32_t, std::uint32_t*>> wanted)
        : mParser(parser), mText(sText), mWanted(std::move(wanted))
    {
        // A line ends at LF (CR LF included), in a file without LF at CR.
        mcBreak = sText.find('\n') == std::string_view::npos ? '\r' : '\n';
    }

private:
    void TriggerIsa(bool, std::string_view s) override { Segment(s); }
    void TriggerGs(bool, std::string_view s) override { Segment(s); }
    void TriggerSt(bool, std::string_view s) override { Segment(s); }
    void TriggerSeg(std::string_view s) override { Segment(s); }
    void TriggerTrailing(std::string_view s) override { Segment(s); }

    void Segment(std::string_view sSeg)
    {
        const std::size_t nStart = StartOf(sSeg);
        ++mnOrdinal;
        for (; mnNext < mWanted.size() && mWanted[mnNext].first == mnOrdinal; ++mnNext)
            *mWanted[mnNext].second = LineAt(nStart);
        if (mnNext == mWanted.size())
            mParser.EndData();  // the rest of the file is not needed
    }

    // Where the segment starts in the text: a slice of it tells directly; a
    // copy (a segment with line breaks inside) is found after the last one.
    std::size_t StartOf(std::string_view sSeg)
    {
        const char* const b = mText.data();
        if (sSeg.data() >= b && sSeg.data() + sSeg.size() <= b + mText.size()) {
            mnCursor = std::size_t(sSeg.data() - b) + sSeg.size();
            return std::size_t(sSeg.data() - b);
        }
        const std::size_t nStart = std::min(mText.find(sSeg.front(), mnCursor), mText.size());
        std::size_t j = nStart;
        for (std::size_t i = 0; i < sSeg.size() && j < mText.size(); ++j)
            if (mText[j] != '\r' && mText[j] != '\n')
                ++i;
        mnCursor = j;
        return nStart;
    }

    std::uint32_t LineAt(std::size_t nPos)
    {
        nPos = std::max(std::min(nPos, mText.size()), mnCounted);
        mnLine += std::uint32_t(
            std::count(mText.begin() + std::ptrdiff_t(mnCounted), mText.begin() + std::ptrdiff_t(nPos), mcBreak));
        mnCounted = nPos;
        return mnLine;
    }

    clsEdiAsyncParser& mParser;
    std::string_view mText;
    char mcBreak;
    std::vector<std::pair<std::uint32_t, std::uint32_t*>> mWanted;  // by ordinal
    std::size_t mnNext = 0, mnCursor = 0, mnCounted = 0;
    std::uint32_t mnOrdinal = 0, mnLine = 1;
};

}  // namespace

// ---- the walk -----------------------------------------------------------------------------

EdiFindings clsTreeDCheck::Check(EdiDocument& doc)
{
    mFindings.clear();
    mbTruncated = false;
    mFacts.clear();
    mAt = {};
    mSeparators = {};
    mDictionary.reset();
    mbReportedUnmatched = false;
    mpTree = &doc.Tree();
    mbUnterminated = doc.LastSegmentUnterminated();
    mNode = {};
    mpSchema = &doc.SchemaTree();
    mpIndex = &doc.Index();
    mcDelimiter = doc.Delimiter() > 0 && doc.Delimiter() <= 255 ? static_cast<char>(doc.Delimiter()) : '\0';
    if (doc.HasRoot())
        Walk(doc.Root().Id());
    return std::move(mFindings);
}

void clsTreeDCheck::Walk(NodeId root)
{
    clsProgress progress;
    // Segments that could not be placed hang under the last envelope node,
    // but in the file they follow every placed one.
    std::vector<NodeId> unmatched, trailing;
    std::vector<NodeId> stack{root};
    while (!stack.empty()) {
        const NodeId node = stack.back();
        stack.pop_back();
        const SegmentFacts& facts = FactsOf(node);
        if (facts.cKind == 'S') {
            if (facts.segment)
                CheckSegment(node, facts);
            else if (mpTree->Image(node).ends_with(kTrailingImage))
                trailing.push_back(node);
            else
                unmatched.push_back(node);
            if ((mAt.nOrdinal & 0xFFF) == 0 && progress.Due())
                progress.Status("Checking element values. " + std::to_string(mAt.nOrdinal) + " segments checked.");
        } else if (facts.cKind != 'E') {
            for (std::uint32_t i = mpTree->ChildCount(node); i-- > 0;)
                stack.push_back(mpTree->Child(node, i));
        }
    }
    for (const NodeId node : unmatched)
        CheckSegment(node, FactsOf(node));
    if (mbUnterminated && mNode) {
        mValues.assign(1, mpTree->Text(mNode));
        Add(FindingKind::UnterminatedSegment,
            "The file's last segment has no terminator; saving the document writes one.", 0, 0, {},
            FindingSeverity::Warning);
    }
    ReportOpenEnvelopes('X', true);
    for (const NodeId node : trailing) {
        mNode = node;
        mpFacts = nullptr;
        const std::string_view sText = mpTree->Payload(node).value_or(std::string_view());
        ++mAt.nOrdinal;
        ++mAt.nInInterchange;
        mValues.assign(1, mpTree->Text(node));
        Add(FindingKind::TrailingText,
            "text after the last segment terminator: " + Counted(std::uint32_t(sText.size()), "character"), 0, 0,
            sText);
    }
}

const clsTreeDCheck::SegmentFacts& clsTreeDCheck::FactsOf(NodeId node)
{
    const std::uint32_t nTag = mpTree->TagIdOf(node).value;
    if (nTag >= mFacts.size())
        mFacts.resize(std::size_t(nTag) + 1);
    SegmentFacts& facts = mFacts[nTag];
    if (!facts.bKnown || facts.nDictionary != mnDictionary) {
        facts = SegmentFacts{};
        facts.nDictionary = mnDictionary;
        LoadFacts(facts, node);
    }
    return facts;
}

void clsTreeDCheck::LoadFacts(SegmentFacts& facts, NodeId node)
{
    facts.bKnown = true;
    const std::string& sTag = mpTree->Tag(node);
    facts.cKind = sTag.empty() ? '\0' : gfUpper(sTag[0]);
    if (facts.cKind != 'S')
        return;
    const std::string_view sLink = gfDnodeTagLink(sTag);
    const std::string_view sLast = sLink.substr(std::min(sLink.rfind('.') + 1, sLink.size()));
    if (sLink.empty() || sLink == kUnlinked)
        return;
    const SchemaIx seg = mpIndex->Of(mpSchema->FindKey("K" + std::string(sLast)));
    if (!seg || !(*mpIndex)[seg].IsSegment())
        return;
    facts.segment = seg;
    for (SchemaIx c = (*mpIndex)[seg].first; c; c = (*mpIndex)[c].next) {
        const SchemaEntry& e = (*mpIndex)[c];
        if (!e.IsElement() || e.nZ > 999)
            continue;
        if (facts.elements.size() <= std::size_t(e.nZ))
            facts.elements.resize(std::size_t(e.nZ) + 1);
        facts.elements[std::size_t(e.nZ)] = ElementFactsOf(c);
    }
    // The loops around it, outermost first; the envelope loops by their header segments.
    std::vector<std::string> loops;
    for (SchemaIx p = (*mpIndex)[seg].parent; p; p = (*mpIndex)[p].parent) {
        const SchemaEntry& e = (*mpIndex)[p];
        if (e.system != SystemKind::Ls)
            continue;
        if (!e.cEnvelope && facts.sLoopId.empty())
            facts.sLoopId = e.sLevel;
        const std::string_view sLoop = e.cEnvelope == 'X'   ? "ISA"
                                       : e.cEnvelope == 'F' ? "GS"
                                       : e.cEnvelope == 'T' ? "ST"
                                                            : e.sLevel;
        loops.emplace_back(sLoop);
    }
    for (auto it = loops.rbegin(); it != loops.rend(); ++it)
        facts.sLoopPath += (facts.sLoopPath.empty() ? "" : "/") + *it;
}

clsTreeDCheck::ValueType clsTreeDCheck::TypeOf(std::string_view t)
{
    using V = ValueType;
    if (t.size() == 2 && t[0] == 'N' && std::isdigit(static_cast<unsigned char>(t[1])))
        return V::Integer;
    if (t == "R")
        return V::Decimal;
    if (t == "DT")
        return V::Date;
    if (t == "TM")
        return V::Time;
    return t == "COMP" ? V::Composite : V::Text;
}

clsTreeDCheck::ElementFacts clsTreeDCheck::ElementFactsOf(SchemaIx element) const
{
    const SchemaEntry& e = (*mpIndex)[element];
    ElementFacts f;
    f.ix = element;
    f.bRequired = e.nRequired == 1;
    f.bNotUsed = e.sRequirement == "N";
    f.type = TypeOf(e.sDataType);
    if (!e.codes.empty())
        f.codes = &e.codes;
    if (mDictionary && f.type == ValueType::Composite)
        f.composite = mDictionary->FindComposite(e.sCode);
    else if (const auto* d = mDictionary ? mDictionary->FindElement(e.sCode) : nullptr;
             d && !f.codes && e.sDataType == "ID" && !d->codes.empty())
        f.codes = &d->codes;
    return f;
}

void clsTreeDCheck::ReadValues(NodeId node)
{
    mValues.clear();
    if (const std::optional<std::string_view> payload = mpTree->Payload(node)) {
        gfSplitElements(*payload, mcDelimiter, mValues);
        return;
    }
    // Edited: the identifier is the text, the elements are the children in order.
    mValues.push_back(mpTree->Text(node));
    for (NodeId c = mpTree->FirstChild(node); c; c = mpTree->Next(c))
        mValues.push_back(mpTree->Text(c));
}

void clsTreeDCheck::CheckSegment(NodeId node, const SegmentFacts& facts)
{
    mNode = node;
    mpFacts = &facts;
    ReadValues(node);
    const std::string_view sId = mValues[0];
    mbIsa = sId == "ISA";
    Advance(sId);
    if (facts.segment) {
        CheckElements(facts);
    } else if (!mbReportedUnmatched) {
        mbReportedUnmatched = true;
        Add(FindingKind::SegmentUnexpected, "Segment " + std::string(sId) +
                                                " has no place here in the definition; it and the segments after "
                                                "it could not be matched.");
    }
    CheckEnvelope(sId);  // last: a trailer ends its set or group
}

// ---- the envelope -------------------------------------------------------------------------

void clsTreeDCheck::Advance(std::string_view sId)
{
    auto value = [this](std::size_t n) { return n < mValues.size() ? mValues[n] : std::string_view(); };
    Position& at = mAt;
    ++at.nOrdinal;
    // A header while its envelope (or one inside it) is open: the trailers were expected here.
    if (sId == "ISA" || sId == "GS" || sId == "ST")
        ReportOpenEnvelopes(sId == "ISA" ? 'X' : sId == "GS" ? 'F' : 'T', false);
    if (sId == "ISA") {
        at.nInterchange += 1;
        at.nInInterchange = at.nGroup = at.nSet = at.nInSet = 0;
        at.sIsa13 = value(13);
        at.bInterchangeOpen = true;
        mSeparators = gfIsaSeparators(value(11), value(12), value(16));
        at.sIsa12 = value(12);
        SetRelease(ElementDictionary::Release({}, at.sIsa12));
    } else if (sId == "GS") {
        at.nGroup += 1;
        at.nSet = 0;
        at.sGs06 = value(6);
        at.bGroupOpen = true;
        SetRelease(ElementDictionary::Release(value(8), at.sIsa12));
    }
    ++at.nInInterchange;
    if (sId == "ST") {
        at.nSet += 1;
        at.nInSet = 1;
        at.sSt02 = value(2);
    } else if (at.nInSet > 0) {
        ++at.nInSet;
    }
}

void clsTreeDCheck::CheckEnvelope(std::string_view sId)
{
    if (sId == "ISA") {
        CheckIsaLayout();
    } else if (sId == "SE" && mAt.nInSet > 0) {
        CheckCountAndControl(FindingKind::SetSegmentCount, "transaction set", mAt.nInSet, "segment",
                             FindingKind::SetControlNumber, "ST02", mAt.sSt02);
        mAt.nInSet = 0;  // the segments after it are outside any set
    } else if (sId == "GE" && mAt.nGroup > 0) {
        CheckCountAndControl(FindingKind::GroupSetCount, "functional group", mAt.nSet, "transaction set",
                             FindingKind::GroupControlNumber, "GS06", mAt.sGs06);
        mAt.bGroupOpen = false;
    } else if (sId == "IEA" && mAt.nInterchange > 0) {
        CheckCountAndControl(FindingKind::InterchangeGroupCount, "interchange", mAt.nGroup, "functional group",
                             FindingKind::InterchangeControlNumber, "ISA13", mAt.sIsa13);
        mAt.bInterchangeOpen = false;
    }
}

void clsTreeDCheck::ReportOpenEnvelopes(char cLevel, bool bAtEnd)
{
    // Innermost first; a new interchange closes all three, a new group the
    // group and the set, a new set the set. At the file's end the trailers
    // were expected after the last segment, else at the header now read.
    struct Open {
        bool bOpen;
        FindingKind kind;
        const char *sWhat, *sTrailer;
        const std::string& sControl;
    };
    const Open open[] = {
        {mAt.nInSet > 0, FindingKind::SetTrailerMissing, "Transaction set", "SE", mAt.sSt02},
        {mAt.bGroupOpen && cLevel != 'T', FindingKind::GroupTrailerMissing, "Functional group", "GE", mAt.sGs06},
        {mAt.bInterchangeOpen && cLevel == 'X', FindingKind::InterchangeTrailerMissing, "Interchange", "IEA",
         mAt.sIsa13},
    };
    const std::vector<std::string_view> values = mValues;
    for (const Open& o : open) {
        if (!o.bOpen)
            continue;
        mValues.assign(1, o.sTrailer);
        const std::uint32_t nOrdinal = mAt.nOrdinal;
        mAt.nOrdinal += bAtEnd ? 1 : 0;
        const std::size_t nBefore = mFindings.size();
        Add(o.kind, std::string(o.sWhat) + " " + o.sControl + " ends without its " + o.sTrailer + " segment.");
        mAt.nOrdinal = nOrdinal;
        // Only the finding just made (a limit may have refused it) is placed after the last segment.
        if (mFindings.size() > nBefore)
            mFindings.back().nSegment = mAt.nInInterchange + 1;
    }
    mValues = values;
    if (cLevel == 'X' || cLevel == 'F')
        mAt.nInSet = 0;
}

void clsTreeDCheck::CheckIsaLayout()
{
    const std::size_t nCount = mValues.size() - 1;
    if (nCount != 16)
        Add(FindingKind::IsaLayout, "ISA has " + std::to_string(nCount) + " elements; it must have 16.");
    for (std::size_t i = 1; i <= std::min<std::size_t>(nCount, 16); ++i) {
        if (mValues[i].size() == kIsaWidths[i])
            continue;
        const auto nPos = static_cast<std::uint16_t>(i);
        Add(FindingKind::IsaLayout,
            Designator(nPos) + " " + Quoted(mValues[i]) + " must be exactly " +
                Counted(std::uint32_t(kIsaWidths[i]), "character") + " long; it has " +
                std::to_string(mValues[i].size()) + ".",
            nPos, 0, mValues[i]);
    }
}

void clsTreeDCheck::CheckCountAndControl(FindingKind countKind, std::string_view sContainer, std::uint32_t nCount,
                                         const char* sWhat, FindingKind controlKind, std::string_view sHeader,
                                         const std::string& sHeaderValue)
{
    const std::string_view sCount = mValues.size() > 1 ? mValues[1] : std::string_view();
    const std::string_view sControl = mValues.size() > 2 ? mValues[2] : std::string_view();
    if (!IsDigits(sCount) || !SameControl(sCount, std::to_string(nCount)))
        Add(countKind,
            Designator(1) + " is " + Quoted(sCount) + ", but the " + std::string(sContainer) + " has " +
                Counted(nCount, sWhat) + ".",
            1, 0, sCount);
    if (!SameControl(sControl, sHeaderValue))
        Add(controlKind,
            Designator(2) + " " + Quoted(sControl) + " does not match " + std::string(sHeader) + " " +
                Quoted(sHeaderValue) + ".",
            2, 0, sControl);
}

// ---- the elements -------------------------------------------------------------------------

void clsTreeDCheck::SetRelease(std::string sRelease)
{
    if (sRelease == mAt.sRelease)
        return;
    std::shared_ptr<const ElementDictionary> dictionary = ElementDictionary::ForRelease(sRelease);
    if (dictionary != mDictionary) {
        mDictionary = std::move(dictionary);
        ++mnDictionary;  // the element facts hold the dictionary's lists: read them anew
    }
    mAt.sRelease = std::move(sRelease);
}

void clsTreeDCheck::CheckElements(const SegmentFacts& facts)
{
    if (facts.elements.size() < 2)
        return;  // the definition lists no elements: anything goes
    std::size_t nDefined = facts.elements.size() - 1;
    CheckAddedElements(nDefined);
    std::size_t nLast = mValues.size() - 1;
    while (nLast > nDefined && mValues[nLast].empty())
        --nLast;  // empty elements at the end are harmless
    if (nLast > nDefined) {
        std::size_t nExtra = nDefined + 1;
        while (mValues[nExtra].empty())
            ++nExtra;
        Add(FindingKind::TooManyElements,
            std::string(mValues[0]) + " has " + std::to_string(nLast) + " elements; the definition has " +
                std::to_string(nDefined) + ".",
            static_cast<std::uint16_t>(nExtra), 0, mValues[nExtra]);
    }
    for (std::size_t nPos = 1; nPos <= std::min(nDefined, facts.elements.size() - 1); ++nPos)
        if (const ElementFacts& e = facts.elements[nPos]; e.ix)
            CheckElement(e, static_cast<std::uint16_t>(nPos),
                         nPos < mValues.size() ? mValues[nPos] : std::string_view());
}

void clsTreeDCheck::CheckAddedElements(std::size_t& nDefined)
{
    for (const AddedElement& a : kAddedElements) {
        const std::string_view sValue = mValues.size() > a.nPosition ? mValues[a.nPosition] : std::string_view();
        if (mValues[0] != a.sSegment || mAt.sRelease.empty() || sValue.empty())
            continue;
        const std::string sRef = Designator(a.nPosition);
        if (mAt.sRelease < a.sRelease) {
            Add(FindingKind::TooManyElements,
                sRef + " " + Quoted(sValue) + " has no place in release " + mAt.sRelease + "; " + sRef +
                    " exists from release " + std::string(a.sRelease) + " on.",
                a.nPosition, 0, sValue);
            nDefined = std::max<std::size_t>(nDefined, a.nPosition);
        } else if (nDefined < a.nPosition) {
            nDefined = a.nPosition;  // a definition of an older release: the value is still checked
            Problem problem;
            if (!CheckSimple({ValueType::Text, "AN", 1, a.nMaxLength, nullptr}, sValue, problem))
                Add(problem.kind, Labelled(sRef, a.sName, 0) + " " + Quoted(sValue) + " " + problem.sMessage,
                    a.nPosition, 0, sValue);
        }
    }
}

void clsTreeDCheck::CheckElement(const ElementFacts& e, std::uint16_t nPos, std::string_view sValue)
{
    // The ISA declares the separators: its values are never cut.
    const char cComponent = mSeparators.cComponent, cRepetition = mbIsa ? '\0' : mSeparators.cRepetition;
    // A composite of empty components is as absent as an empty element.
    const bool bBlank = std::all_of(sValue.begin(), sValue.end(), [&](char c) {
        return e.type == ValueType::Composite && (c == cComponent || (cRepetition && c == cRepetition));
    });
    if (bBlank) {
        if (e.bRequired && !mbIsa)  // an empty ISA element is a fault of its layout
            Add(FindingKind::MissingElement, Named(e.ix, nPos, 0) + " is required but missing.", nPos);
        return;
    }
    if (e.bNotUsed) {
        Add(FindingKind::ElementNotUsed, Named(e.ix, nPos, 0) + " is not used here but holds " + Quoted(sValue) + ".",
            nPos, 0, sValue, FindingSeverity::Warning);
        return;
    }
    if (!cRepetition || sValue.find(cRepetition) == std::string_view::npos) {
        CheckRepetition(e, nPos, 0, sValue);
        return;
    }
    std::uint16_t nRep = 1;
    for (std::size_t nAt = sValue.find(cRepetition);; nAt = sValue.find(cRepetition), ++nRep) {
        if (const std::string_view sPart = sValue.substr(0, nAt); !sPart.empty())
            CheckRepetition(e, nPos, nRep, sPart);
        if (nAt == std::string_view::npos)
            break;
        sValue.remove_prefix(nAt + 1);
    }
}

void clsTreeDCheck::CheckRepetition(const ElementFacts& e, std::uint16_t nPos, std::uint16_t nRep,
                                    std::string_view sValue)
{
    Problem problem;
    if (CheckValue(e, nPos, sValue, problem))
        return;
    std::string sSubject = Named(e.ix, nPos, nRep);
    std::string_view sShown = sValue;
    if (problem.component) {
        sSubject = Subject(nPos, problem.nComponent, problem.component->sName, nRep);
        sShown = problem.sComponentValue;
    }
    Add(problem.kind, sSubject + (problem.bMissing ? "" : " " + Quoted(sShown)) + " " + problem.sMessage, nPos, nRep,
        sValue, FindingSeverity::Error, problem.nComponent);
}

clsTreeDCheck::Limits clsTreeDCheck::LimitsOf(const ElementFacts& facts, std::uint16_t nPos) const
{
    const SchemaEntry& e = (*mpIndex)[facts.ix];
    Limits limits{facts.type, e.sDataType, e.nMinLength, e.nMaxLength, facts.codes};
    // The ISA's fixed widths are checked as its layout.
    if (mbIsa)
        limits.nMin = limits.nMax = 0;
    // Whatever envelope the definition has: a file may hold interchanges of several versions.
    if (mbIsa && nPos == 11 && mValues.size() > 12)
        limits.codes = mValues[12] < kRepetitionVersion ? limits.codes : nullptr;
    // GS04 is YYMMDD before release 004010, CCYYMMDD from it on.
    if (nPos == 4 && mValues[0] == "GS" && !mAt.sRelease.empty())
        limits.nMin = limits.nMax = mAt.sRelease < kCenturyDateRelease ? 6 : 8;
    return limits;
}

bool clsTreeDCheck::CheckValue(const ElementFacts& facts, std::uint16_t nPos, std::string_view sValue,
                               Problem& problem) const
{
    if (facts.type == ValueType::Composite)
        return CheckComposite(facts, sValue, problem);
    if (!mbIsa && sValue.find(mSeparators.cComponent) != std::string_view::npos) {
        problem.kind = FindingKind::TooManyComponents;
        problem.sMessage =
            "holds the component separator \"" + std::string(1, mSeparators.cComponent) + "\" but is not a composite.";
        return false;
    }
    return CheckSimple(LimitsOf(facts, nPos), sValue, problem);
}

bool clsTreeDCheck::CheckComposite(const ElementFacts& facts, std::string_view sValue, Problem& problem) const
{
    const SchemaEntry& e = (*mpIndex)[facts.ix];
    const char cComponent = mSeparators.cComponent;
    if (!facts.composite) {
        // No structure known: the whole value's length, and the first component's codes.
        const std::size_t nFirst = sValue.find(cComponent);
        if (!CheckSimple({ValueType::Text, e.sDataType, e.nMinLength, e.nMaxLength, nullptr}, sValue, problem))
            return false;
        if (CheckSimple({ValueType::Text, "", 0, 0, facts.codes}, sValue.substr(0, nFirst), problem))
            return true;
        problem.nComponent = 1;
        return false;
    }
    const std::vector<ElementDictionary::Component>& components = facts.composite->components;
    std::vector<std::string_view> parts;
    for (std::size_t nAt = sValue.find(cComponent);; nAt = sValue.find(cComponent)) {
        parts.push_back(sValue.substr(0, nAt));
        if (nAt == std::string_view::npos)
            break;
        sValue.remove_prefix(nAt + 1);
    }
    while (parts.size() > components.size() && parts.back().empty())
        parts.pop_back();  // empty components at the end are harmless
    if (parts.size() > components.size()) {
        problem.kind = FindingKind::TooManyComponents;
        problem.sMessage = "has " + std::to_string(parts.size()) + " components; " + facts.composite->sId + " has " +
                           std::to_string(components.size()) + ".";
        problem.nComponent = static_cast<std::uint16_t>(components.size() + 1);
        return false;
    }
    for (std::size_t i = 0; i < components.size(); ++i) {
        const ElementDictionary::Element& c = *components[i].element;
        const std::string_view sPart = i < parts.size() ? parts[i] : std::string_view();
        problem.nComponent = static_cast<std::uint16_t>(i + 1);
        problem.component = &c;
        problem.sComponentValue = sPart;
        if (sPart.empty()) {
            if (!components[i].bRequired)
                continue;
            problem.kind = FindingKind::MissingElement;
            problem.sMessage = "is required but missing.";
            problem.bMissing = true;
            return false;
        }
        // The definition's own list is its first component's.
        const std::vector<std::string>* codes = i == 0 && facts.codes ? facts.codes : &c.codes;
        if (!CheckSimple({TypeOf(c.sType), c.sType, c.nMinLength, c.nMaxLength, codes->empty() ? nullptr : codes},
                         sPart, problem))
            return false;
    }
    return true;
}

bool clsTreeDCheck::CheckSimple(const Limits& limits, std::string_view sValue, Problem& problem) const
{
    auto fail = [&problem](FindingKind kind, std::string sMessage) {
        problem.kind = kind;
        problem.sMessage = std::move(sMessage);
        return false;
    };
    if (HasControl(sValue))
        return fail(FindingKind::InvalidCharacter, "holds a control character.");
    std::size_t nLength = sValue.size();
    switch (limits.type) {
    case ValueType::Integer:
        if (!IsInteger(sValue, nLength))
            return fail(FindingKind::InvalidCharacter, "is not a whole number (type " + std::string(limits.sType) + ").");
        break;
    case ValueType::Decimal:
        if (!IsDecimal(sValue, nLength))
            return fail(FindingKind::InvalidCharacter, "is not a decimal number (type R).");
        break;
    case ValueType::Date:
        if (!IsDate(sValue))
            return fail(FindingKind::InvalidDate, "is not a valid date (CCYYMMDD or YYMMDD).");
        break;
    case ValueType::Time:
        if (!IsTime(sValue))
            return fail(FindingKind::InvalidTime, "is not a valid time (HHMM, HHMMSS, HHMMSSd or HHMMSSdd).");
        break;
    default: break;
    }
    if (nLength < std::size_t(limits.nMin))
        return fail(FindingKind::TooShort, "is too short: " + Counted(std::uint32_t(nLength), "character") +
                                               ", at least " + std::to_string(limits.nMin) + ".");
    if (limits.nMax > 0 && nLength > std::size_t(limits.nMax))
        return fail(FindingKind::TooLong, "is too long: " + Counted(std::uint32_t(nLength), "character") +
                                              ", at most " + std::to_string(limits.nMax) + ".");
    const std::vector<std::string>* codes = limits.codes;
    if (codes && !std::binary_search(codes->begin(), codes->end(), sValue, std::less<>()))
        return fail(FindingKind::InvalidCode, codes->size() <= kNamedCodes
                                                  ? "is not a valid code (valid codes: " + CodeList(*codes) + ")."
                                                  : std::string("is not a valid code."));
    return true;
}

// ---- findings -----------------------------------------------------------------------------

std::string clsTreeDCheck::Designator(std::uint16_t nElement) const
{
    return std::string(mValues[0]) + TwoDigits(nElement);
}

std::string clsTreeDCheck::Named(SchemaIx element, std::uint16_t nPos, std::uint16_t nRep) const
{
    return Labelled(Designator(nPos), std::string((*mpIndex)[element].sDescription), nRep);
}

std::string clsTreeDCheck::Subject(std::uint16_t nPos, std::uint16_t nComponent, const std::string& sName,
                                   std::uint16_t nRep) const
{
    return Labelled(Designator(nPos) + "-" + TwoDigits(nComponent), sName, nRep);
}

void clsTreeDCheck::Add(FindingKind kind, std::string sMessage, std::uint16_t nElement, std::uint16_t nRepetition,
                        std::string_view sValue, FindingSeverity severity, std::uint16_t nComponent)
{
    if (mnLimit > 0 && mFindings.size() >= mnLimit) {
        mbTruncated = true;
        return;
    }
    EdiFinding& f = mFindings.emplace_back();
    f.severity = severity;
    f.kind = kind;
    f.sMessage = std::move(sMessage);
    f.nOrdinal = mAt.nOrdinal;
    f.nSegment = mAt.nInInterchange;
    f.sSegmentId = mValues[0];
    f.nElement = nElement;
    f.nComponent = nComponent;
    f.nRepetition = nRepetition;
    f.node = mNode;
    f.nInterchange = mAt.nInterchange;
    f.nGroup = mAt.nGroup;
    f.nSet = mAt.nSet;
    f.nSetPosition = mAt.nInSet;
    f.sValue = sValue;
    if (mpFacts) {
        f.sLoopPath = mpFacts->sLoopPath;
        f.sLoopId = mpFacts->sLoopId;
        if (nElement < mpFacts->elements.size() && mpFacts->elements[nElement].ix)
            f.sElementNumber = (*mpIndex)[mpFacts->elements[nElement].ix].sCode;
    }
}

// ---- files --------------------------------------------------------------------------------

std::optional<EdiFindings> clsTreeDCheck::CheckFile(const std::string& sFile)
{
    EdiDocument doc;
    return CheckFileIn(sFile, [&](const std::string& sType, SeparatorPair separators) {
        doc.SetSeparators(separators.nDelimiter, separators.nSelimiter);
        return doc.LoadDefinition(sType, sFile) ? &doc : nullptr;
    });
}

std::optional<EdiFindings> clsTreeDCheck::CheckFileIn(const std::string& sFile, const DocumentFor& fnDocument)
{
    SepCode nDelimiter = 0, nSelimiter = 0;
    if (!gfGuessEdi(sFile, nDelimiter, nSelimiter))
        return std::nullopt;
    const SeparatorPair separators{nDelimiter, nSelimiter};
    EdiDocument* doc = fnDocument(gfTypeThatFits(sFile, separators), separators);
    if (!doc)
        return std::nullopt;
    doc->SetSeparators(nDelimiter, nSelimiter);
    if (!doc->Open(sFile, EdiDocument::OpenMode::Batch))
        return std::nullopt;
    EdiFindings findings = clsTreeDCheck().Check(*doc);
    LocateLines(findings, sFile, nDelimiter, nSelimiter);
    return findings;
}

void clsTreeDCheck::LocateLines(EdiFindings& findings, const std::string& sFile, SepCode nDelimiter, SepCode nSelimiter)
{
    if (findings.empty())
        return;
    std::string sText;
    try {
        sText = gfReadFileBytes(sFile);
    } catch (const std::exception&) {
        return;  // the lines are a help only
    }
    // A file on one line (line breaks at its end aside) has no lines to tell.
    const std::size_t nLastText = sText.find_last_not_of(" \t\r\n");
    if (nLastText == std::string::npos || sText.find_first_of("\r\n") > nLastText)
        return;
    std::vector<std::pair<std::uint32_t, std::uint32_t*>> wanted;
    for (EdiFinding& f : findings)
        wanted.emplace_back(f.nOrdinal, &f.nLine);
    std::stable_sort(wanted.begin(), wanted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    clsEdiAsyncParser parser;
    LineFinder finder(parser, sText, std::move(wanted));
    parser.SetListener(&finder);
    parser.SetDelimiter(nDelimiter);
    parser.SetSelimiter(nSelimiter);
    parser.bIsaTrigger = parser.bGsTrigger = parser.bStTrigger = parser.bSegTrigger = true;
    parser.bIsaSeparators = parser.bReportTrailing = true;
    parser.ParseData(sText);
    parser.EndData();
}

NodeId clsTreeDCheck::NodeOf(clsTree& tree, const EdiFinding& finding)
{
    if (!tree.IsValid(finding.node) || finding.nElement == 0)
        return finding.node;
    const NodeId element = tree.Child(finding.node, std::uint32_t(finding.nElement - 1));
    return element ? element : finding.node;
}

std::string clsTreeDCheck::Reference(const EdiFinding& finding)
{
    std::string s = finding.sSegmentId;
    if (finding.nElement > 0)
        s += TwoDigits(finding.nElement);
    if (finding.nComponent > 0)
        s += "-" + TwoDigits(finding.nComponent);
    return s;
}

}  // namespace orr
