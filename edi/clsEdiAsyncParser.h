#pragma once
// The segment stream parser: X12 text arriving in pieces of any size is cut
// into whole segments, each cleaned (line ends removed, blanks trimmed,
// terminator dropped), sorted into ISA/IEA, GS/GE, ST/SE or other, and
// announced to a listener. Cutting a text into pieces at any character gives
// the same events as feeding it whole.
//
// Speed: the parser is fed 100 MB files in 512-character pieces. A segment
// that lies inside one piece is handed over as a slice of that piece, and one
// that spans pieces as a slice of a carry buffer that keeps its capacity, so
// nothing is allocated per segment; only a segment with a line break inside
// its text is copied (into a reused scratch string).
#include <cstdint>
#include <string>
#include <string_view>

#include "app/clsConfig.h"

namespace orr {

// Receives the parser's events, synchronously, inside ParseData and EndData.
// sSegment is valid only during the call, with one exception: a segment that
// lies inside one piece given to ParseData and needed no copy (no line break
// inside its text) is a slice of that piece, so a caller that keeps the whole
// text may keep such slices (test with a pointer range check); copy the
// others. A handler may call EndData (no further segments are then
// reported) and ParseData (the text is handled after the current piece); it
// must not destroy the parser. An exception thrown by a handler passes out
// of ParseData and ends the parser's input as if EndData had been called,
// without a verdict.
class EdiParserListener {
public:
    virtual ~EdiParserListener() = default;
    // ISA (bBegin true) and IEA (false) segments, when bIsaTrigger is set.
    virtual void TriggerIsa(bool bBegin, std::string_view sSegment) {}
    // GS (true) and GE (false), when bGsTrigger is set.
    virtual void TriggerGs(bool bBegin, std::string_view sSegment) {}
    // ST (true) and SE (false), when bStTrigger is set.
    virtual void TriggerSt(bool bBegin, std::string_view sSegment) {}
    // Every other segment, when bSegTrigger is set.
    virtual void TriggerSeg(std::string_view sSegment) {}
    // EndData found only blank text (CR, LF, space, tab) left.
    virtual void TriggerEnd() {}
    // EndData found other text left: nCode 1, sError "Leftover data".
    virtual void ErrorDetected(std::int16_t nCode, const std::string& sError) {}
    // With bReportTrailing: EndData found text after the last terminator that
    // is not blank: sText exactly as it stands in the input (raised before
    // ErrorDetected). When a terminator was found before and the text starts
    // like a segment (an identifier of two or three letters and digits, then
    // the element separator), it is reported as the last segment instead,
    // through its trigger, and then TriggerUnterminated.
    virtual void TriggerTrailing(std::string_view sText) {}
    virtual void TriggerUnterminated() {}
};

inline constexpr const char* kParserLeftover = "Leftover data";

class clsEdiAsyncParser {
public:
    // Separators start as the configured ones (gConfig), or "*" and "~"
    // without a configuration. The listener is not owned; it may be null.
    explicit clsEdiAsyncParser(EdiParserListener* pListener = nullptr);
    clsEdiAsyncParser(const clsEdiAsyncParser&) = delete;
    clsEdiAsyncParser& operator=(const clsEdiAsyncParser&) = delete;

    void SetListener(EdiParserListener* pListener) { mpListener = pListener; }
    EdiParserListener* Listener() const { return mpListener; }

    // The write-only Delimiter and Selimiter properties (character codes).
    // An element separator above 255 never splits; a terminator above 255 is
    // that character in UTF-8 (several bytes).
    void SetDelimiter(SepCode nCode)
    {
        mnDelimiter = nCode;
        mnTextDelimiter = nCode;
    }
    // 0: a carriage return or a line feed ends a segment.
    void SetSelimiter(SepCode nCode);

    bool bIsaTrigger = true;
    bool bGsTrigger = false;
    bool bStTrigger = false;
    bool bSegTrigger = false;
    // Each interchange's own separators: at the start of every interchange
    // whose ISA has the fixed layout, its element separator and terminator
    // are taken from it for the rest of the interchange, and its segments are
    // reported with the Delimiter given (its element separators replaced).
    bool bIsaSeparators = false;
    // What follows the last terminator is reported (TriggerTrailing,
    // TriggerUnterminated) instead of only counting as leftover data.
    bool bReportTrailing = false;

    // Appends a piece of text and reports every segment completed by it, in
    // order, before returning. After EndData nothing is cut or reported.
    // A UTF-8 byte-order mark at the very start of the input is skipped.
    void ParseData(std::string_view sData);
    // The end of input: TriggerEnd when only blank text is left since the
    // last IEA segment, ErrorDetected(1, "Leftover data") when other text
    // is, nothing when no text is.
    void EndData();

    // When set (not empty), every complete interchange (all text received
    // since the previous IEA, up to and including this IEA's terminator) is
    // written to this file, before its IEA is reported; an existing file is
    // first moved aside to a numbered backup. A failure to write is shown as a
    // run-time error and parsing goes on. Set it before feeding text.
    void SetSaveFile(const std::string& sFile);
    const std::string& SaveFile() const { return msSaveFile; }
    // Text received since the last saved interchange, while a save file is
    // set: what is left unfinished if the input stops now.
    const std::string& UnsavedText() const { return mSaveText; }

private:
    void Feed(std::string_view sData);
    void Continue(std::string_view sIn);
    // bNewText: sIn was not seen before (it is kept for the save file).
    void Process(std::string_view sIn, bool bNewText);
    // Position of the first terminator (or line end when the terminator is 0), or npos.
    std::size_t FindStop(std::string_view s);
    // Where the segment that s starts with ends (its terminator) and where
    // the text after it starts; false when s holds no whole segment.
    bool FindSegmentEnd(std::string_view s, std::size_t& nStop, std::size_t& nNext, bool& bBinary);
    std::size_t TerminatorSize() const { return mTerminator.empty() ? 1 : mTerminator.size(); }
    // At an interchange's start: takes the separators of a fixed-width ISA
    // that s starts with. False when s is too short to tell yet.
    bool ReadIsaHead(std::string_view s);
    // True when a tail of this text must be joined with the next piece and
    // cut again, instead of ending at the first stop in the next piece.
    bool TailNeedsJoin(std::string_view sTail) const;
    // bMayHaveLineEnd false: sRaw is known to hold no line end. bBinary: a
    // binary segment, whose data is kept as it stands.
    void HandleSegment(std::string_view sRaw, bool bMayHaveLineEnd, bool bBinary = false);
    std::string_view InDelimiter(std::string_view sSeg);
    bool StartsLikeSegment(std::string_view s) const;

    // Finds terminators 64 characters at a time: one pass of vector compares
    // marks every terminator of a block, and its line ends, so a short
    // segment costs a bit scan rather than library searches. Valid for one
    // text: reset for the next.
    class StopFinder {
    public:
        // The first c in [p, e), or null.
        const char* Find(const char* p, const char* e, char c);
        // Whether the text before the c found last (from its p) holds a line end.
        bool LineEndBefore() const { return mbLineEnd; }

    private:
        static constexpr std::ptrdiff_t kBlock = 64;
        const char* mpBlock = nullptr;  // the block the masks describe
        std::uint64_t mnMask = 0;      // its c
        std::uint64_t mnLineEnds = 0;  // its CR and LF
        char mc = 0;
        bool mbLineEnd = false;
    };
    void SaveInterchange();
    bool LeftIsBlank() const;
    // Whether the last segment, left without its terminator, is binary; if so, cut after its data.
    bool CutBinaryAtItsLength(std::string& sLast) const;

    EdiParserListener* mpListener;
    SepCode mnDelimiter;
    SepCode mnTextDelimiter;  // the element separator in the text (the interchange's own)
    SepCode mnSelimiter = 126;
    std::string mTerminator;     // a terminator of several bytes; empty for one byte
    bool mbStopIsBlank = false;  // the terminator is itself blank text (or line ends terminate)
    bool mbIsaStart = true;      // the next segment may start an interchange
    bool mbJoinTail = false;     // the tail waits for more text to be cut again (see TailNeedsJoin)
    std::size_t mnJoinNeed = 0;  // how long the tail must grow before that is worth trying
    bool mbEnding = false;       // EndData is cutting what was left
    bool mbTerminated = false;   // a terminator was found in the input
    std::string mJoined;         // a tail joined with the next piece

    bool mbRunning = true;
    bool mbInParse = false;

    // The text since the last IEA is split into what was already cut (only
    // whether it holds anything and anything non-blank is kept) and what was
    // not: the incomplete tail of earlier pieces (mTail, never starting with
    // a line end and never holding a terminator) and the rest of the piece
    // being worked on (mRest).
    bool mbCutAny = false;
    bool mbCutNonBlank = false;
    std::string mTail;
    std::string_view mRest;
    std::string_view mAhead;  // text of this ParseData call not yet given to Process
    StopFinder mStops;
    bool mbRescanTail = false;  // the terminator changed while a tail was waiting
    std::string mSegment;  // a segment that spanned pieces, while it is reported
    std::string mScratch;  // a segment's text with inner line ends removed
    std::string mPending;  // text a handler passed to ParseData
    int mnBomMatched = 0;  // bytes of a byte-order mark seen at the start
    bool mbBomDone = false;
    bool mbBomMayLead = true;  // no segment yet in this interchange: a mark before it is skipped

    std::string msSaveFile;
    std::string mSaveText;  // everything received since the last IEA, kept only while saving
};

}  // namespace orr
