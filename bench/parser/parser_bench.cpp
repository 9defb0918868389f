// Measures how fast clsEdiAsyncParser cuts segments: generated purchase-order
// interchanges fed in 512-character pieces (as the document reader does) and
// as one block, with every trigger on and a listener that only counts. Also
// counts heap allocations while parsing, which should not grow with the
// number of segments.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "edi/clsEdiAsyncParser.h"

namespace {

std::atomic<long> gnAllocations{0};

}  // namespace

void* operator new(std::size_t n)
{
    ++gnAllocations;
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using orr::clsEdiAsyncParser;
using orr::SepCode;

struct Counter final : orr::EdiParserListener {
    long nSegments = 0;
    std::size_t nBytes = 0;
    void TriggerIsa(bool, std::string_view s) override { Count(s); }
    void TriggerGs(bool, std::string_view s) override { Count(s); }
    void TriggerSt(bool, std::string_view s) override { Count(s); }
    void TriggerSeg(std::string_view s) override { Count(s); }
    void Count(std::string_view s)
    {
        ++nSegments;
        nBytes += s.size();
    }
};

// Interchanges of 850 purchase orders until the text reaches nBytes.
std::string MakeInput(std::size_t nBytes, const std::string& sTerm)
{
    std::string s;
    s.reserve(nBytes + 4096);
    int nIc = 0;
    while (s.size() < nBytes) {
        ++nIc;
        s += "ISA*00*          *00*          *ZZ*SENDER         *ZZ*RECEIVER       *230101*1200*U*00401*" +
             std::to_string(100000000 + nIc) + "*0*P*>" + sTerm;
        s += "GS*PO*SENDER*RECEIVER*20230101*1200*" + std::to_string(nIc) + "*X*004010" + sTerm;
        for (int t = 1; t <= 200; ++t) {
            s += "ST*850*" + std::to_string(t) + sTerm;
            s += "BEG*00*SA*PO" + std::to_string(nIc * 1000 + t) + "**20230101" + sTerm;
            s += "REF*DP*038" + sTerm;
            s += "DTM*002*20230115" + sTerm;
            s += "N1*ST*ACME WAREHOUSE NUMBER 7*92*0007" + sTerm;
            s += "N3*1200 INDUSTRIAL PARKWAY" + sTerm;
            s += "N4*SPRINGFIELD*IL*62701" + sTerm;
            for (int l = 1; l <= 10; ++l) {
                s += "PO1*" + std::to_string(l) + "*12*EA*9.99**VP*ABC-" + std::to_string(l) + "*UP*01234567890" +
                     sTerm;
                s += "PID*F****WIDGET, BLUE, SIZE " + std::to_string(l) + sTerm;
            }
            s += "CTT*10" + sTerm;
            s += "SE*30*" + std::to_string(t) + sTerm;
        }
        s += "GE*200*" + std::to_string(nIc) + sTerm;
        s += "IEA*1*" + std::to_string(100000000 + nIc) + sTerm;
    }
    return s;
}

void Run(const char* sName, const std::string& sText, SepCode nSelimiter, std::size_t nPiece)
{
    double best = 1e30;
    long nSegments = 0, nAllocations = 0;
    for (int nRun = 0; nRun < 5; ++nRun) {
        Counter counter;
        clsEdiAsyncParser parser(&counter);
        parser.SetDelimiter('*');
        parser.SetSelimiter(nSelimiter);
        parser.bGsTrigger = parser.bStTrigger = parser.bSegTrigger = true;
        const long nBefore = gnAllocations.load();
        const auto t0 = std::chrono::steady_clock::now();
        const std::string_view all(sText);
        for (std::size_t i = 0; i < all.size(); i += nPiece)
            parser.ParseData(all.substr(i, nPiece));
        parser.EndData();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        nAllocations = gnAllocations.load() - nBefore;
        nSegments = counter.nSegments;
        best = std::min(best, seconds);
    }
    const double mb = double(sText.size()) / 1e6;
    std::printf("%-34s %7.1f MB in %6.1f ms: %7.0f MB/s, %6.1f M segments/s, %ld allocations\n", sName, mb,
                best * 1e3, mb / best, double(nSegments) / best / 1e6, nAllocations);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::size_t nMb = argc > 1 ? std::size_t(std::atol(argv[1])) : 64;
    const std::string sTilde = MakeInput(nMb << 20, "~\r\n");
    const std::string sFlat = MakeInput(nMb << 20, "~");
    const std::string sLines = MakeInput(nMb << 20, "\r\n");
    std::printf("segment cutting, all triggers on, best of 5 runs\n");
    Run("\"~\" + CR LF, 512-char pieces", sTilde, '~', 512);
    Run("\"~\" + CR LF, one block", sTilde, '~', sTilde.size());
    Run("\"~\" only, 512-char pieces", sFlat, '~', 512);
    Run("line ends (terminator 0), 512", sLines, 0, 512);
    Run("LF terminator on CR LF text, 512", sLines, '\n', 512);
    return 0;
}
