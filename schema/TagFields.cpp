#include "schema/TagFields.h"

namespace orr {

TagFields::TagFields(std::string_view sTag)
{
    std::size_t nStart = 0;
    for (;;) {
        ++mnFields;
        const auto nAt = sTag.find('*', nStart);
        const std::string_view f = sTag.substr(nStart, nAt == std::string_view::npos ? nAt : nAt - nStart);
        if (!f.empty() && f[0] >= 'A' && f[0] <= 'Z' && !(mnSeen & 1u << (f[0] - 'A'))) {
            mnSeen |= 1u << (f[0] - 'A');
            mFields[std::size_t(f[0] - 'A')] = f.substr(1);
        }
        if (nAt == std::string_view::npos)
            return;
        nStart = nAt + 1;
    }
}

}  // namespace orr
