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

bool AllBlank(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), IsBlank);
}

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
    : mpListener(pListener), mnDelimiter(gConfig ? gConfig->Delimiter : SepCode(42))
{
    SetSelimiter(gConfig ? gConfig->Selimiter : SepCode(126));
}

void clsEdiAsyncParser::SetSelimiter(SepCode nCode)
{
    mnSelimiter = nCode;
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
    if (mnSelimiter > 255 || s.empty())  // memchr must not see the null data of an empty view
        return npos;
    const char* const p = mStops.Find(s.data(), s.data() + s.size(), char(mnSelimiter));
    return p ? std::size_t(p - s.data()) : npos;
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

    if (!mTail.empty()) {
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
        const std::size_t nStop = FindStop(sIn);
        if (nStop == npos) {
            mTail.assign(sIn.data(), sIn.size());
            break;
        }
        const std::string_view sRaw = sIn.substr(0, nStop);
        sIn.remove_prefix(nStop + 1);
        mRest = sIn;
        HandleSegment(sRaw, mnSelimiter != 0 && mStops.LineEndBefore());
    }
    mRest = {};
}

void clsEdiAsyncParser::HandleSegment(std::string_view sRaw, bool bMayHaveLineEnd)
{
    mbCutAny = true;
    if (!mbCutNonBlank)
        mbCutNonBlank = !mbStopIsBlank || !AllBlank(sRaw);

    // Line ends go wherever they are, blanks at both ends: shrinking the
    // slice does both at the ends; only line ends inside need a copy.
    const char* b = sRaw.data();
    const char* e = b + sRaw.size();
    while (b < e && (*b == ' ' || IsLineEnd(*b)))
        ++b;
    while (e > b && (e[-1] == ' ' || IsLineEnd(e[-1])))
        --e;
    if (b == e)
        return;  // nothing between two terminators
    std::string_view sSeg(b, std::size_t(e - b));
    if (bMayHaveLineEnd && (std::memchr(b, '\r', sSeg.size()) || std::memchr(b, '\n', sSeg.size()))) {
        mScratch.clear();
        for (char c : sSeg)
            if (!IsLineEnd(c))
                mScratch.push_back(c);
        sSeg = mScratch;
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

bool clsEdiAsyncParser::LeftIsBlank() const
{
    return AllBlank(mTail) && AllBlank(mRest) && AllBlank(mAhead) && AllBlank(mPending);
}

void clsEdiAsyncParser::EndData()
{
    mbRunning = false;
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
