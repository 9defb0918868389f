#include "edi/modConversion.h"

namespace orr {

ConversionPlan gfPlanConversion(SepCode nDelimiter, SepCode nSelimiter, bool bLineEnds)
{
    ConversionPlan plan;
    plan.bLineEnds = bLineEnds || nSelimiter == 0;
    if (nDelimiter == 0) {
        plan.bOk = false;
        plan.sMessage = "The data element separator cannot be a line end.";
    } else if (nDelimiter == nSelimiter) {
        plan.bOk = false;
        plan.sMessage = "The data element separator and the segment terminator must differ.";
    }
    return plan;
}

}  // namespace orr
