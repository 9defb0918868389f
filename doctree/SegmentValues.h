#pragma once
// A segment's values as the interchange declares them: elements cut at the
// element separator, each element cut into repetitions (from version 00501)
// and those into components, at the interchange's own separators. The ISA's
// values are never cut (they name the separators), nor are the binary data
// segments' (BIN, BDS). Views point into the text given.
#include <cstddef>
#include <string_view>
#include <vector>

#include "edi/modGuessEdi.h"

namespace orr {

class SegmentValues {
public:
    using Components = std::vector<std::string_view>;
    using Repetitions = std::vector<Components>;

    SegmentValues(std::string_view sText, char cDelimiter, InterchangeSeparators separators);

    std::string_view Id() const { return mElements.front(); }
    // Elements after the identifier, trailing empty ones included.
    std::size_t Count() const { return mElements.size() - 1; }
    // Element n from 1; "" past the last.
    std::string_view Element(std::size_t n) const { return n < mElements.size() ? mElements[n] : std::string_view(); }
    // Element n cut into repetitions of components: one repetition of one
    // component for a plain value, none for an empty one.
    Repetitions Parts(std::size_t n) const;
    // False for the segments whose values stay whole.
    bool Cuts() const { return mbCuts; }

    // The separators of the interchange an ISA segment opens.
    static InterchangeSeparators OfIsa(const SegmentValues& isa);

private:
    std::vector<std::string_view> mElements;  // 0 is the identifier
    InterchangeSeparators mSeparators;
    bool mbCuts = true;
};

}  // namespace orr
