// Segment stream parser fed in fuzzed piece sizes. Property: the
// events of the text cut into pieces equal those of the text fed whole.
// Input: byte 0 picks the element separator, byte 1 the terminator (0 is
// "line ends"), byte 2 seeds the piece sizes; the rest is the text.
#include <string>
#include <vector>

#include "edi/clsEdiAsyncParser.h"
#include "fuzz/FuzzSupport.h"

using namespace orr;

namespace {

struct Recorder final : EdiParserListener {
    std::vector<std::string> events;
    void TriggerIsa(bool b, std::string_view s) override { events.push_back((b ? "ISA|" : "IEA|") + std::string(s)); }
    void TriggerGs(bool b, std::string_view s) override { events.push_back((b ? "GS|" : "GE|") + std::string(s)); }
    void TriggerSt(bool b, std::string_view s) override { events.push_back((b ? "ST|" : "SE|") + std::string(s)); }
    void TriggerSeg(std::string_view s) override { events.push_back("SEG|" + std::string(s)); }
    void TriggerEnd() override { events.push_back("END"); }
    void ErrorDetected(std::int16_t n, const std::string& s) override
    {
        events.push_back("ERR|" + std::to_string(n) + "|" + s);
    }
};

const SepCode kDelimiters[] = {'*', '+', '~', '|', '{', '}', ':', 0x1D, 'A', 300};
const SepCode kSelimiters[] = {'~', 0, 10, 13, '\'', '@', 0x15, '*', ' ', 300};

std::vector<std::string> Run(std::string_view sText, SepCode d, SepCode t, std::uint8_t nSeed, bool bPieces)
{
    Recorder rec;
    clsEdiAsyncParser parser(&rec);
    parser.bIsaTrigger = parser.bGsTrigger = parser.bStTrigger = parser.bSegTrigger = true;
    parser.SetDelimiter(d);
    parser.SetSelimiter(t);
    if (!bPieces) {
        parser.ParseData(sText);
    } else {
        std::uint32_t x = nSeed * 2654435761u + 1;
        std::size_t pos = 0;
        while (pos < sText.size()) {
            x = x * 1103515245u + 12345u;
            std::size_t n = 1 + (x >> 16) % ((nSeed & 0x80) ? 600 : 7);
            n = std::min(n, sText.size() - pos);
            parser.ParseData(sText.substr(pos, n));
            pos += n;
            if ((x & 0x700) == 0)
                parser.ParseData({});  // an empty piece changes nothing
        }
    }
    parser.EndData();
    return rec.events;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Env();
    fuzz::Bytes in(data, size);
    const SepCode d = kDelimiters[in.Take() % std::size(kDelimiters)];
    const SepCode t = kSelimiters[in.Take() % std::size(kSelimiters)];
    const std::uint8_t nSeed = in.Take();
    const std::string sText(in.Rest());
    const auto whole = Run(sText, d, t, nSeed, false);
    const auto pieces = Run(sText, d, t, nSeed, true);
    if (whole != pieces)
        __builtin_trap();
    return 0;
}
