// Separator detection on any first characters of a file.
#include "app/clsConfig.h"
#include "edi/modGuessEdi.h"
#include "fuzz/FuzzSupport.h"

using namespace orr;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzEnv& env = fuzz::Env();
    const std::string_view sHead(reinterpret_cast<const char*>(data), size);
    const GuessResult r = gfGuessText(sHead, "fuzz.edi", *env.config);
    if (r.bFound && !r.sMessage.empty())
        __builtin_trap();  // success carries no message
    if (r.bFound) {
        (void)gfGuessSelimiter(sHead, 16, r.nDelimiter, *env.config);
        (void)gfSeparatorQuestionText({r.nDelimiter, r.nSelimiter}, {'*', '~'}, *env.config);
    }
    return 0;
}
