#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "doctree/SegmentPipe.h"

namespace orr {
namespace {

// The segments the parser reports when fed the whole text on this thread.
struct Collector : EdiParserListener {
    std::vector<std::string> segments;
    void TriggerIsa(bool, std::string_view s) override { segments.emplace_back(s); }
    void TriggerGs(bool, std::string_view s) override { segments.emplace_back(s); }
    void TriggerSt(bool, std::string_view s) override { segments.emplace_back(s); }
    void TriggerSeg(std::string_view s) override { segments.emplace_back(s); }
};

clsEdiAsyncParser& Configured(clsEdiAsyncParser& p)
{
    p.SetDelimiter('*');
    p.SetSelimiter('~');
    p.bIsaTrigger = p.bGsTrigger = p.bStTrigger = p.bSegTrigger = true;
    return p;
}

// Enough segments for several batches, of every length, some with line
// ends inside (copied), cut into pieces that end inside segments.
std::string ManySegments(int nSegments)
{
    std::string s = "ISA*00*X~GS*PO~ST*850~";
    for (int i = 0; i < nSegments; ++i) {
        std::string sSeg = "N" + std::to_string(i % 10) + "*" + std::string(std::size_t(i % 37), 'a');
        if (i % 101 == 0)
            sSeg.insert(2, "\r\n");
        s += sSeg + (i % 3 == 0 ? "~\r\n" : "~");
    }
    return s + "SE*1~GE*1~IEA*1~";
}

// Cut on a thread of its own, and (a small text) on the calling thread,
// where more batches than are cut ahead must not wait for the reader.
TEST(SegmentPipe, SegmentsInOrderAcrossBatchesAndPieces)
{
    std::string sSmall = "ISA*00*X~GS*PO~ST*850~";
    for (int i = 0; i < 12000; ++i)
        sSmall += i % 500 == 0 ? "N\r\n1~" : "N1~";
    sSmall += "SE*1~GE*1~IEA*1~";
    ASSERT_LT(sSmall.size(), std::size_t(64) << 10);
    for (const std::string& sText : {ManySegments(9000), sSmall}) {
        SCOPED_TRACE(sText.size());
        Collector whole;
        clsEdiAsyncParser serial(&whole);
        Configured(serial).ParseData(sText);
        serial.EndData();

        Collector own;
        clsEdiAsyncParser parser(&own);
        std::vector<std::size_t> loaded;
        std::vector<std::string> got;
        std::size_t nCutBefore = 0;
        {
            SegmentPipe pipe(Configured(parser), sText, 1000, '*',
                             [&](std::size_t n, std::size_t) { loaded.push_back(n); });
            SegmentPipe::Batch batch;
            while (pipe.Next(batch)) {
                for (const SegmentHead& h : batch.segments)
                    got.emplace_back(h.sText);
                EXPECT_GE(batch.nCutBefore, nCutBefore);
                nCutBefore = batch.nCutBefore;
            }
        }
        EXPECT_EQ(got, whole.segments);
        EXPECT_GT(got.size(), 9000u);
        EXPECT_EQ(nCutBefore, sText.size());
        ASSERT_EQ(loaded.size(), (sText.size() + 999) / 1000);  // every piece, in order, before it was cut
        for (std::size_t i = 0; i < loaded.size(); ++i)
            EXPECT_EQ(loaded[i], i * 1000);
        EXPECT_EQ(parser.Listener(), &own);  // the parser's own listener is back
    }
}

// A reader that stops early (an error while matching) while the cutting
// thread waits for room: the pipe stops it and goes away. A failure while
// cutting reaches the reader after the segments cut before it.
TEST(SegmentPipe, EarlyStopAndFailedCutting)
{
    const std::string sText = ManySegments(60000);  // more batches than are cut ahead
    clsEdiAsyncParser parser;
    {
        SegmentPipe pipe(Configured(parser), sText, 64, '*', [](std::size_t, std::size_t) {});
        SegmentPipe::Batch batch;
        ASSERT_TRUE(pipe.Next(batch));
        EXPECT_EQ(batch.segments.front().sText, "ISA*00*X");
    }

    std::size_t nSegments = 0;
    clsEdiAsyncParser other;
    SegmentPipe failing(Configured(other), sText, 1000, '*', [](std::size_t n, std::size_t) {
        if (n >= 50000)
            throw std::runtime_error("no more");
    });
    SegmentPipe::Batch batch;
    try {
        while (failing.Next(batch))
            nSegments += batch.segments.size();
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "no more");
    }
    EXPECT_GT(nSegments, 2000u);  // what the first 50 000 characters hold came first
}

}  // namespace
}  // namespace orr
