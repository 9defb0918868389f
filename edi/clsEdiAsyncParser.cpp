#include "edi/clsEdiAsyncParser.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <exception>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "app/modGlobals.h"
#include "app/modSystem.h"
#include "app/modText.h"
#include "edi/SegmentText.h"
#include "edi/modGuessEdi.h"
#include "schema/modFileArchive.h"

namespace orr {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::size_t npos = std::string_view::npos;
// A carry or scratch buffer that grew beyond this for one huge segment is
// given back afterwards instead of being kept for the parser's lifetime.
constexpr std::size_t kKeepCapacity = std::size_t(1) << 20;

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool IsBlank(char c) { return c == '\r' || c == '\n' || c == ' ' || c == '\t'; }

// The first c in s, which is expected within a few characters (a segment's
// identifier): a plain loop, where a library search costs more to start.
std::size_t FindShort(std::string_view s, char c)
{
    for (std::size_t i = 0; i < s.size(); ++i)
        if (s[i] == c)
            return i;
    return npos;
}

void ClearAndShrinkHuge(std::string& s)
{
    s.clear();
    if (s.capacity() > kKeepCapacity)
        std::string().swap(s);
}

}  // namespace

clsEdiAsyncParser::clsEdiAsyncParser(EdiParserListener* pListener)
    : mpListener(pListener), mnDelimiter(gConfig ? gConfig->Delimiter : SepCode(42)), mnTextDelimiter(mnDelimiter)
{
    SetSelimiter(gConfig ? gConfig->Selimiter : SepCode(126));
}

void clsEdiAsyncParser::SetSelimiter(SepCode nCode)
{
    mnSelimiter = nCode;
    mTerminator = nCode > 255 ? gfSeparatorBytes(nCode) : std::string();
    mbStopIsBlank = nCode == 0 || (nCode < 256 && IsBlank(char(nCode)));
    // The tail was scanned for the old terminator; look at it again.
    if (!mTail.empty())
        mbRescanTail = true;
}

void clsEdiAsyncParser::SetSaveFile(const std::string& sFile)
{
    msSaveFile = sFile;
    if (msSaveFile.empty())
        mSaveText.clear();
}

void clsEdiAsyncParser::ParseData(std::string_view sData)
{
    if (!mbRunning)
        return;
    if (mbInParse) {
        // Called from a handler: handled once the current piece is done, so
        // the segments keep their order.
        mPending.append(sData);
        return;
    }
    mbInParse = true;
    try {
        Feed(sData);
        while (mbRunning && !mPending.empty()) {
            std::string sMore;
            sMore.swap(mPending);
            Feed(sMore);
        }
    } catch (...) {
        // A throwing handler (or exhausted memory) ends the input.
        mbInParse = false;
        mbRunning = false;
        mRest = {};
        mAhead = {};
        mPending.clear();
        throw;
    }
    mbInParse = false;
    mPending.clear();
}

void clsEdiAsyncParser::Feed(std::string_view sIn)
{
    if (!mbBomDone) {
        while (mnBomMatched < 3 && !sIn.empty() && sIn.front() == kBom[std::size_t(mnBomMatched)]) {
            ++mnBomMatched;
            sIn.remove_prefix(1);
        }
        if (mnBomMatched == 3) {
            mbBomDone = true;
        } else if (sIn.empty()) {
            return;  // perhaps the start of a byte-order mark: wait for more
        } else {
            mbBomDone = true;
            if (mnBomMatched > 0) {
                // Those bytes were text after all.
                std::string sText(kBom.substr(0, std::size_t(mnBomMatched)));
                mnBomMatched = 0;
                sText.append(sIn);
                Continue(sText);
                return;
            }
        }
    }
    Continue(sIn);
}

void clsEdiAsyncParser::Continue(std::string_view sIn)
{
    if (mbRescanTail) {
        mbRescanTail = false;
        std::string sTail;
        sTail.swap(mTail);
        mAhead = sIn;
        Process(sTail, false);
        mAhead = {};
        if (!mbRunning)
            return;
    }
    Process(sIn, true);
}

std::size_t clsEdiAsyncParser::FindStop(std::string_view s)
{
    if (mnSelimiter == 0) {
        for (std::size_t i = 0; i < s.size(); ++i)
            if (IsLineEnd(s[i]))
                return i;
        return npos;
    }
    if (s.empty())  // memchr must not see the null data of an empty view
        return npos;
    if (!mTerminator.empty()) {
        // Its lead byte, then the rest; one cut off by the end of s is not found yet.
        const char* const e = s.data() + s.size();
        for (const char* p = s.data(); (p = mStops.Find(p, e, mTerminator[0])); ++p) {
            if (std::size_t(e - p) < mTerminator.size())
                return npos;
            if (std::string_view(p, mTerminator.size()) == mTerminator)
                return std::size_t(p - s.data());
        }
        return npos;
    }
    const char* const p = mStops.Find(s.data(), s.data() + s.size(), char(mnSelimiter));
    return p ? std::size_t(p - s.data()) : npos;
}

bool clsEdiAsyncParser::FindSegmentEnd(std::string_view s, std::size_t& nStop, std::size_t& nNext, bool& bBinary)
{
    bBinary = false;
    const char d = mnTextDelimiter > 0 && mnTextDelimiter < 256 ? char(mnTextDelimiter) : '\0';
    if (d && !s.empty() && (s.front() == 'B' || s.front() == ' ')) {
        // A length element found past a terminator belongs to later segments.
        if (const std::optional<BinaryData> data = gfBinaryData(s, d);
            data && FindStop(s.substr(0, data->nAt)) == npos) {
            // The data is taken by its length; the terminator must follow it.
            const std::size_t nEnd = data->nAt + data->nLength;
            if (mnSelimiter != 0 && nEnd + TerminatorSize() <= s.size() &&
                FindStop(s.substr(nEnd, TerminatorSize())) == 0) {
                nStop = nEnd;
                nNext = nEnd + TerminatorSize();
                bBinary = true;
                return true;
            }
            if (mnSelimiter != 0 && nEnd + TerminatorSize() > s.size() && !mbEnding) {
                mnJoinNeed = nEnd + TerminatorSize();  // wait for the rest of the data
                return false;
            }
            // A length that does not fit: cut as any other segment.
        }
    }
    nStop = FindStop(s);
    if (nStop == npos)
        return false;
    nNext = nStop + (mnSelimiter == 0 ? 1 : TerminatorSize());
    return true;
}

namespace {

// The characters a header needs at the start of s to be told (line ends
// in a wrapped header do not count).
std::size_t HeadLength(std::string_view s)
{
    std::size_t nText = 0, i = 0;
    for (; i < s.size() && nText < kIsaHeadLength; ++i)
        nText += !IsLineEnd(s[i]);
    return i + (kIsaHeadLength - nText);
}

}  // namespace

bool clsEdiAsyncParser::ReadIsaHead(std::string_view s)
{
    // Blanks and a byte-order mark may stand before the identifier.
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    if (s.substr(i, kBom.size()) == kBom)
        i += kBom.size();
    s.remove_prefix(std::min(i, s.size()));
    const std::string_view sIsa = "ISA";
    const bool bMayBeIsa = s.substr(0, sIsa.size()) == sIsa.substr(0, std::min(s.size(), sIsa.size()));
    if (bMayBeIsa && !mbEnding) {
        if (const std::size_t nHead = HeadLength(s); s.size() < nHead) {
            mnJoinNeed = i + nHead;
            return false;
        }
    }
    mbIsaStart = false;
    if (const std::optional<FixedIsa> isa = bMayBeIsa ? gfFixedIsa(s) : std::nullopt) {
        mnTextDelimiter = isa->nDelimiter;
        mnSelimiter = isa->nSelimiter;
        mTerminator = isa->nSelimiter > 255 ? gfSeparatorBytes(isa->nSelimiter) : std::string();
        mbStopIsBlank = isa->nSelimiter < 256 && IsBlank(char(isa->nSelimiter));
    }
    return true;
}

bool clsEdiAsyncParser::TailNeedsJoin(std::string_view sTail) const
{
    const char d = mnTextDelimiter > 0 && mnTextDelimiter < 256 ? char(mnTextDelimiter) : '\0';
    return (mbIsaStart && bIsaSeparators) || !mTerminator.empty() || gfMayBeBinary(sTail, d);
}

const char* clsEdiAsyncParser::StopFinder::Find(const char* p, const char* e, char c)
{
    mbLineEnd = false;
#ifdef __SSE2__
    // The block last looked at may still hold terminators after p.
    if (c == mc && mpBlock && p >= mpBlock && p < mpBlock + kBlock) {
        const std::uint64_t from = ~std::uint64_t(0) << (p - mpBlock);
        if (const std::uint64_t m = mnMask & from) {
            const int n = std::countr_zero(m);
            mbLineEnd = (mnLineEnds & from & ((std::uint64_t(1) << n) - 1)) != 0;
            return mpBlock + n < e ? mpBlock + n : nullptr;
        }
        mbLineEnd = (mnLineEnds & from) != 0;
        p = mpBlock + kBlock;
    }
    mc = c;
    const __m128i t = _mm_set1_epi8(c), cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    for (; p + kBlock <= e; p += kBlock) {
        std::uint64_t m = 0, l = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
            m |= std::uint64_t(std::uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(v, t)))) << (16 * k);
            const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf));
            l |= std::uint64_t(std::uint32_t(_mm_movemask_epi8(ends))) << (16 * k);
        }
        if (m) {
            const int n = std::countr_zero(m);
            mpBlock = p;
            mnMask = m;
            mnLineEnds = l;
            mbLineEnd = mbLineEnd || (l & ((std::uint64_t(1) << n) - 1)) != 0;
            return p + n;
        }
        mbLineEnd = mbLineEnd || l != 0;
    }
    mpBlock = nullptr;
#endif
    const char* const q = p < e ? static_cast<const char*>(std::memchr(p, c, std::size_t(e - p))) : nullptr;
    mbLineEnd = mbLineEnd || std::any_of(p, q ? q : std::max(p, e), IsLineEnd);
    return q;
}

void clsEdiAsyncParser::Process(std::string_view sIn, bool bNewText)
{
    if (bNewText && !msSaveFile.empty())
        mSaveText.append(sIn);
    // Terminators and line ends found ahead belong to this text only.
    mStops = {};

    if (!mTail.empty() && mbJoinTail && mTail.size() + sIn.size() < mnJoinNeed) {
        mTail.append(sIn);  // still too little to cut: gathered, not joined again each time
        return;
    }
    if (!mTail.empty() && mbJoinTail) {
        // The tail is cut again with the new text after it: an interchange
        // header, a binary segment or a terminator of several bytes may span both.
        mbJoinTail = false;
        mJoined.assign(mTail);
        mJoined.append(sIn);
        mTail.clear();
        sIn = mJoined;
        mRest = sIn;
    } else if (!mTail.empty()) {
        // The tail is an unfinished segment: the first stop in the new text ends it.
        const std::size_t nStop = FindStop(sIn);
        if (nStop == npos) {
            mTail.append(sIn);
            return;
        }
        mTail.append(sIn.data(), nStop);
        sIn.remove_prefix(nStop + 1);
        mSegment.swap(mTail);
        mTail.clear();
        mRest = sIn;
        mbTerminated = true;
        HandleSegment(mSegment, true);
        ClearAndShrinkHuge(mSegment);
    }

    while (mbRunning) {
        std::size_t nSkip = 0;
        while (nSkip < sIn.size() && IsLineEnd(sIn[nSkip]))
            ++nSkip;
        if (nSkip > 0) {
            mbCutAny = true;
            sIn.remove_prefix(nSkip);
            mRest = sIn;
        }
        if (sIn.empty())
            break;
        std::size_t nStop = 0, nNext = 0;
        bool bBinary = false;
        mnJoinNeed = 0;
        if ((mbIsaStart && bIsaSeparators && !ReadIsaHead(sIn)) || !FindSegmentEnd(sIn, nStop, nNext, bBinary)) {
            mTail.assign(sIn.data(), sIn.size());
            mbJoinTail = TailNeedsJoin(mTail);
            break;
        }
        const std::string_view sRaw = sIn.substr(0, nStop);
        sIn.remove_prefix(nNext);
        mRest = sIn;
        mbTerminated = true;
        HandleSegment(sRaw, mnSelimiter != 0 && (!mTerminator.empty() || mStops.LineEndBefore()), bBinary);
    }
    mRest = {};
}

void clsEdiAsyncParser::HandleSegment(std::string_view sRaw, bool bMayHaveLineEnd, bool bBinary)
{
    mbCutAny = true;
    if (!mbCutNonBlank)
        mbCutNonBlank = !mbStopIsBlank || !gfAllBlank(sRaw);

    // Line ends go wherever they are, blanks at both ends: shrinking the
    // slice does both at the ends; only line ends inside need a copy. A
    // binary segment's data stays as it is.
    const char* b = sRaw.data();
    const char* e = b + sRaw.size();
    while (b < e && (*b == ' ' || IsLineEnd(*b)))
        ++b;
    const char* const eRaw = e;
    while (!bBinary && e > b && (e[-1] == ' ' || IsLineEnd(e[-1])))
        --e;
    if (e < eRaw && mnDelimiter < 256 && gfKeepsEndBlanks({b, std::size_t(eRaw - b)}, char(mnDelimiter)))
        for (e = eRaw; IsLineEnd(e[-1]);)  // the blanks are a value's
            --e;
    if (b == e)
        return;  // nothing between two terminators
    std::string_view sSeg(b, std::size_t(e - b));
    if (bBinary) {
        sSeg = InDelimiter(sSeg);
    } else if (bMayHaveLineEnd && (std::memchr(b, '\r', sSeg.size()) || std::memchr(b, '\n', sSeg.size()))) {
        mScratch.clear();
        for (char c : sSeg)
            if (!IsLineEnd(c))
                mScratch.push_back(c);
        sSeg = InDelimiter(mScratch);
    } else {
        sSeg = InDelimiter(sSeg);
    }
    if (mbBomMayLead) {
        // A byte-order mark after blank lines, or at the start of a file
        // appended to another, is no more text than one at the very start
        // (line ends inside it are gone by now, as everywhere in a segment).
        while (sSeg.starts_with(kBom)) {
            sSeg.remove_prefix(kBom.size());
            sSeg.remove_prefix(std::min(sSeg.find_first_not_of(' '), sSeg.size()));
        }
        if (sSeg.empty())
            return;  // nothing but marks: the next segment is still the first
        mbBomMayLead = false;
    }

    const std::size_t nSep = mnDelimiter < 256 ? FindShort(sSeg, char(mnDelimiter)) : npos;
    if (nSep != npos) {
        const std::string_view sId = sSeg.substr(0, nSep);
        if (sId == "ISA") {
            if (bIsaTrigger && mpListener)
                mpListener->TriggerIsa(true, sSeg);
            return;
        }
        if (sId == "IEA") {
            if (!msSaveFile.empty())
                SaveInterchange();
            if (bIsaTrigger && mpListener)
                mpListener->TriggerIsa(false, sSeg);
            // The interchange is done with: only the text after it counts from now on.
            mbCutAny = false;
            mbCutNonBlank = false;
            mbBomMayLead = true;
            mbIsaStart = true;
            return;
        }
        if (sId == "GS" || sId == "GE") {
            if (bGsTrigger && mpListener)
                mpListener->TriggerGs(sId[1] == 'S', sSeg);
            return;
        }
        if (sId == "ST" || sId == "SE") {
            if (bStTrigger && mpListener)
                mpListener->TriggerSt(sId[1] == 'T', sSeg);
            return;
        }
    }
    // Any other identifier, and a segment without element separator ("???").
    if (bSegTrigger && mpListener)
        mpListener->TriggerSeg(sSeg);
}

bool clsEdiAsyncParser::StartsLikeSegment(std::string_view s) const
{
    const std::size_t nFrom = std::min(s.find_first_not_of(" \t\r\n"), s.size());
    if (mnTextDelimiter == 0 || mnTextDelimiter > 255)
        return false;
    const std::size_t nId = s.find(char(mnTextDelimiter), nFrom);
    if (nId == npos || nId - nFrom < 2 || nId - nFrom > 3 || s[nFrom] < 'A' || s[nFrom] > 'Z')
        return false;
    return std::all_of(s.begin() + std::ptrdiff_t(nFrom), s.begin() + std::ptrdiff_t(nId),
                       [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

std::string_view clsEdiAsyncParser::InDelimiter(std::string_view sSeg)
{
    if (mnTextDelimiter == mnDelimiter || mnTextDelimiter > 255 || mnDelimiter > 255 || mnDelimiter == 0)
        return sSeg;
    // An interchange with separators of its own: its segments are reported
    // with the document's element separator (binary data stays as it is).
    const char from = char(mnTextDelimiter), to = char(mnDelimiter);
    const std::optional<BinaryData> data = gfBinaryData(sSeg, from);
    const std::size_t nEnd = data ? data->nAt : sSeg.size();
    if (sSeg.data() != mScratch.data())
        mScratch.assign(sSeg);
    std::replace(mScratch.begin(), mScratch.begin() + std::ptrdiff_t(nEnd), from, to);
    return mScratch;
}

void clsEdiAsyncParser::SaveInterchange()
{
    const std::size_t nCut = mSaveText.size() - std::min(mSaveText.size(), mRest.size());
    const std::string sText = mSaveText.substr(0, nCut);
    mSaveText.erase(0, nCut);
    try {
        gfBackupByRenaming(msSaveFile);
        gfWriteTextFile(msSaveFile, sText);
    } catch (const std::exception& e) {
        gfReportRunTimeError(e);
    }
}

bool clsEdiAsyncParser::CutBinaryAtItsLength(std::string& sLast) const
{
    // Binary only where its data ends as its length says, as with a
    // terminator after it: otherwise saving and reading again would take the
    // same text for a segment of another kind.
    const std::optional<BinaryData> data = gfBinaryData(sLast, char(mnTextDelimiter));
    const std::size_t nEnd = data ? data->nAt + data->nLength : 0;
    if (!data || nEnd > sLast.size() ||
        !std::all_of(sLast.begin() + std::ptrdiff_t(nEnd), sLast.end(), [](char c) { return c == ' ' || IsLineEnd(c); }))
        return false;
    sLast.resize(nEnd);
    return true;
}

bool clsEdiAsyncParser::LeftIsBlank() const
{
    return gfAllBlank(mTail) && gfAllBlank(mRest) && gfAllBlank(mAhead) && gfAllBlank(mPending);
}

void clsEdiAsyncParser::EndData()
{
    const bool bFirstEnd = mbRunning;
    if (mbJoinTail && mbRunning && !mbInParse && !mTail.empty()) {
        // What waited for more text is cut as it stands.
        mbJoinTail = false;
        mbEnding = true;
        std::string sTail;
        sTail.swap(mTail);
        try {
            Process(sTail, false);
        } catch (...) {
            mbRunning = false;
            throw;
        }
    }
    mbRunning = false;
    if (bReportTrailing && mpListener && bFirstEnd && !mbInParse && !mTail.empty() && !gfAllBlank(mTail)) {
        if (mbTerminated && StartsLikeSegment(mTail)) {
            // The last segment without its terminator (a file saved without the final one).
            std::string sLast;
            sLast.swap(mTail);
            const bool bBinary = CutBinaryAtItsLength(sLast);
            HandleSegment(sLast, true, bBinary);
            mpListener->TriggerUnterminated();
        } else {
            mpListener->TriggerTrailing(mTail);
        }
    }
    const bool bHalfBom = !mbBomDone && mnBomMatched > 0;  // bytes that were no byte-order mark
    const bool bEmpty = !mbCutAny && !bHalfBom && mTail.empty() && mRest.empty() && mAhead.empty() &&
                        mPending.empty();
    if (bEmpty || !mpListener)
        return;
    if (!mbCutNonBlank && !bHalfBom && LeftIsBlank())
        mpListener->TriggerEnd();
    else
        mpListener->ErrorDetected(1, kParserLeftover);
}

}  // namespace orr
