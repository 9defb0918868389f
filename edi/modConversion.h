#pragma once
// Whether a document can be written with other separators so that it reads
// back, and how: the check the conversion command and dialog make before
// writing.
#include <string>

#include "app/clsConfig.h"

namespace orr {

struct ConversionPlan {
    bool bOk = true;         // false: refuse, sMessage says why
    bool bLineEnds = false;  // write CR LF after every segment
    std::string sMessage;
};

// Terminator 0 means line ends terminate segments, so every segment then
// ends with CR LF (segments back to back could not be read again). An
// element separator of 0, or one equal to the terminator, is refused.
ConversionPlan gfPlanConversion(SepCode nDelimiter, SepCode nSelimiter, bool bLineEnds);

}  // namespace orr
