#include "doctree/SegmentPipe.h"

#include <utility>

namespace orr {

SegmentPipe::SegmentPipe(clsEdiAsyncParser& parser, std::string_view sText, std::size_t nPiece, SepCode nDelimiter,
                         std::function<void(std::size_t, std::size_t)> fnLoad)
    : mParser(parser), mpListener(parser.Listener()), msText(sText), mnPiece(nPiece), mnDelimiter(nDelimiter),
      mfnLoad(std::move(fnLoad))
{
    mParser.SetListener(this);
    mFill.segments.reserve(kBatch);
    if (Inline())
        Run();  // every batch queued at once: nothing waits for room
    else
        mThread = std::thread([this] { Run(); });
}

SegmentPipe::~SegmentPipe()
{
    {
        std::lock_guard<std::mutex> guard(mLock);
        mbStop = true;
    }
    mChanged.notify_all();
    if (mThread.joinable())
        mThread.join();
    mParser.SetListener(mpListener);
}

void SegmentPipe::Run()
{
    try {
        for (std::size_t n = 0; n < msText.size(); n += mnPiece) {
            const std::string_view sPiece = msText.substr(n, mnPiece);
            mnPieceAt = n;
            mfnLoad(n, sPiece.size());
            mParser.ParseData(sPiece);
        }
        mnPieceAt = msText.size();
        mParser.EndData();
    } catch (const Stopped&) {
        // the reader went away
    } catch (...) {
        std::lock_guard<std::mutex> guard(mLock);
        mError = std::current_exception();
    }
    Hand(true);
}

void SegmentPipe::Add(std::string_view s)
{
    const bool bSlice = s.data() >= msText.data() && s.data() + s.size() <= msText.data() + msText.size();
    SegmentHead::CutInto(mFill.segments.emplace_back(), bSlice ? s : std::string_view(mFill.copies.emplace_back(s)),
                         mnDelimiter);
    if (mFill.segments.size() == kBatch)
        Hand(false);
}

void SegmentPipe::Hand(bool bLast)
{
    {
        std::unique_lock<std::mutex> guard(mLock);
        // A full queue is waited out until half of it is taken: this thread
        // sleeps and wakes once every few batches, not once a batch.
        if (mQueue.size() >= kQueued && !Inline())
            mChanged.wait(guard, [this] { return mQueue.size() <= kQueued / 2 || mbStop; });
        if (mbStop) {
            mbDone = true;
            if (bLast)
                return;
            throw Stopped{};
        }
        mFill.nCutBefore = mnPieceAt;
        mQueue.push_back(std::move(mFill));
        mbDone = bLast;
    }
    mChanged.notify_all();
    mFill = Batch{};
    mFill.segments.reserve(kBatch);
}

bool SegmentPipe::Next(Batch& b)
{
    bool bWake = false;
    {
        std::unique_lock<std::mutex> guard(mLock);
        mChanged.wait(guard, [this] { return !mQueue.empty() || mbDone; });
        if (mQueue.empty()) {
            if (mError)
                std::rethrow_exception(mError);
            return false;
        }
        b = std::move(mQueue.front());
        mQueue.pop_front();
        bWake = mQueue.size() == kQueued / 2;  // what a cutting thread waiting for room waits for
    }
    if (bWake)
        mChanged.notify_all();
    return true;
}

}  // namespace orr
