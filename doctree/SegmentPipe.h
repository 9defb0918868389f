#pragma once
// A text cut into segments on a thread of its own, ahead of the thread that
// matches them: on two cores the terminator search, the trimming and the
// first read of a mapped file's pages overlap the matching.
//
// Segments come out in the text's order, in batches, each with its head
// cut (SegmentHead). A segment that is a slice of the text stays one (valid
// as long as the text); any other (one cut across two pieces, or one whose
// line ends were taken out) is a copy that lives as long as its batch. The
// parser is used by the cutting thread only, from construction until the
// destructor returns, and is left ended. A text of kSmallText characters or
// fewer is cut before the constructor returns, on the calling thread: for
// it a thread costs more than the overlap gains (most files are small).
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "doctree/SegmentHead.h"
#include "edi/clsEdiAsyncParser.h"

namespace orr {

class SegmentPipe : private EdiParserListener {
public:
    static constexpr std::size_t kSmallText = std::size_t(64) << 10;

    struct Batch {
        std::vector<SegmentHead> segments;
        std::deque<std::string> copies;  // texts of the segments that are no slices of the text
        std::size_t nCutBefore = 0;      // every piece before this offset is cut to its end
        std::optional<std::string> trailing;  // text after the last terminator (the last batch)
        bool bUnterminated = false;           // its last segment had no terminator (the last batch)
    };

    // Cuts sText a piece of nPiece characters at a time, each after
    // fnLoad(offset, size) ran for it on the cutting thread; nDelimiter
    // separates the elements of a head.
    SegmentPipe(clsEdiAsyncParser& parser, std::string_view sText, std::size_t nPiece, SepCode nDelimiter,
                std::function<void(std::size_t, std::size_t)> fnLoad);
    // Stops the cutting where it is and waits for its thread.
    ~SegmentPipe() override;
    SegmentPipe(const SegmentPipe&) = delete;
    SegmentPipe& operator=(const SegmentPipe&) = delete;

    // The next batch, in order; false after the last. Throws what the
    // cutting threw, after the segments cut before it.
    bool Next(Batch& b);

private:
    struct Stopped {};                           // unwinds the cutting thread out of the parser
    static constexpr std::size_t kBatch = 2048;  // segments
    static constexpr std::size_t kQueued = 4;    // batches cut ahead at most

    void Run();
    bool Inline() const { return msText.size() <= kSmallText; }
    void TriggerIsa(bool, std::string_view s) override { Add(s); }
    void TriggerGs(bool, std::string_view s) override { Add(s); }
    void TriggerSt(bool, std::string_view s) override { Add(s); }
    void TriggerSeg(std::string_view s) override { Add(s); }
    void TriggerTrailing(std::string_view s) override { mFill.trailing = std::string(s); }
    void TriggerUnterminated() override { mFill.bUnterminated = true; }
    void Add(std::string_view s);
    // The batch being filled goes to the queue, once there is room.
    void Hand(bool bLast);

    clsEdiAsyncParser& mParser;
    EdiParserListener* const mpListener;  // the parser's own, back at the end
    const std::string_view msText;
    const std::size_t mnPiece;
    const SepCode mnDelimiter;
    const std::function<void(std::size_t, std::size_t)> mfnLoad;
    Batch mFill;
    std::size_t mnPieceAt = 0;

    std::mutex mLock;
    std::condition_variable mChanged;
    std::deque<Batch> mQueue;
    bool mbDone = false;
    bool mbStop = false;
    std::exception_ptr mError;
    std::thread mThread;  // last: it starts once the rest is set up
};

}  // namespace orr
