#pragma once
// How a segment's text divides into elements. Binary segments carry bytes
// that may hold any character, separators and terminators included: BIN
// (BIN01 the length, BIN02 the data) and BDS (BDS02 the length, BDS03 the
// data). Their data element is taken whole, by its declared length when
// read, and never split, trimmed or cleaned of line ends.
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace orr {

struct BinaryData {
    std::size_t nAt = 0;      // where the data starts in the text given
    std::size_t nLength = 0;  // the length its header declares
};

// The data of the binary segment that sText starts with (blanks before the
// identifier allowed). nullopt for any other segment, and while the header
// (up to the separator before the data) is not complete in sText.
std::optional<BinaryData> gfBinaryData(std::string_view sText, char cDelimiter);

// True when sText, blanks before the identifier aside, may still become a
// binary segment's header as more text arrives, or is one.
bool gfMayBeBinary(std::string_view sText, char cDelimiter);

// Whether the blanks at the end of sText (a segment without the blanks
// before it) are content rather than layout: those of an interchange header
// cut short before ISA16, whose values have fixed widths (trimmed, the
// header and the next line could read back as one of the fixed layout).
bool gfKeepsEndBlanks(std::string_view sText, char cDelimiter);

// The elements of a segment (0 its identifier) split at cDelimiter ('\0':
// not split); a binary segment's data is one element.
void gfSplitElements(std::string_view sSegment, char cDelimiter, std::vector<std::string_view>& elements);

}  // namespace orr
