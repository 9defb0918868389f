#pragma once
// Separator detection: which data-element separator and segment terminator a
// file uses, judged from its first characters, and the question that lets the
// user choose between the detected and the configured pair.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "app/clsConfig.h"

namespace orr {

// A document's two separators, as character codes.
struct SeparatorPair {
    SepCode nDelimiter = 42;   // data-element separator
    SepCode nSelimiter = 126;  // segment terminator; 0: line ends terminate segments
    bool operator==(const SeparatorPair&) const = default;
};

// How many characters detection reads from the start of a file.
inline constexpr std::size_t kGuessLength = 512;

// Messages of detection (each followed directly by the detail named).
inline constexpr const char* kGuessTooSmall = "The file is too small to be an EDI file.";     // + text read
inline constexpr const char* kGuessNoControl = "Could not find the control segment in file:";  // + path
inline constexpr const char* kGuessUnknownDe = "Data Element separator is not known:";        // + its notation
inline constexpr const char* kGuessUnknownSeg = "Segement separator is not known:";            // + notation

// The outcome of detection on text already read; sMessage is empty on success.
struct GuessResult {
    bool bFound = false;
    SepCode nDelimiter = 42;
    SepCode nSelimiter = 13;
    std::string sMessage;
};

// Detection on the first characters of a file (at most kGuessLength are
// looked at); sPath only names the file in a message. Shows nothing.
GuessResult gfGuessText(std::string_view sHead, const std::string& sPath, const clsConfig& config);

// Detection on the first characters of sPath, shown nothing; a file that
// cannot be read is reported (run-time error) and gives no message.
GuessResult gfGuessFile(const std::string& sPath, const clsConfig& config);

// Reads the first characters of sPath and detects its separators. True when
// a fixed-width ISA states them, or when both were found and are candidates
// (an ISA of another layout, GS or ST first); otherwise the reason is shown
// (information icon, or the run-time error report when the file cannot be
// read) and false is returned. The file is only read.
bool gfGuessEdi(const std::string& sPath, SepCode& nDelimiter, SepCode& nSelimiter);
bool gfGuessEdi(const std::string& sPath, SepCode& nDelimiter, SepCode& nSelimiter, const clsConfig& config);

// The segment terminator that follows field k of sText (the segment
// identifier is field 0) when fields are split at nDelimiter: a carriage
// return gives 13, a line feed 10, else the first segment separator
// candidate; 13 when there is none. The first character of field 16 (an
// ISA's component separator) is never taken.
SepCode gfGuessSelimiter(std::string_view sText, std::size_t k, SepCode nDelimiter);
SepCode gfGuessSelimiter(std::string_view sText, std::size_t k, SepCode nDelimiter, const clsConfig& config);

// ---- the separators an interchange declares in its ISA --------------------------

// An ISA of the fixed X12 layout is 106 characters up to its terminator,
// which may be a UTF-8 character of up to three bytes.
inline constexpr std::size_t kIsaFixedLength = 106;
inline constexpr std::size_t kIsaHeadLength = kIsaFixedLength + 2;
// The fixed widths of ISA01 to ISA16 (index 0 unused).
inline constexpr std::array<std::size_t, 17> kIsaWidths = {0, 2, 10, 2, 10, 2, 15, 2, 15, 6, 4, 1, 5, 9, 1, 1, 1};

// What a fixed-width ISA states: its element separator (offset 3), ISA16
// (offset 104) and the segment terminator (offset 105), each any byte; a
// terminator that is a UTF-8 character of two or three bytes is one
// separator (its code point, nTerminatorBytes long); a carriage return
// gives 13, a line feed 10.
struct FixedIsa {
    SepCode nDelimiter = 42;
    SepCode nComponent = 58;
    SepCode nSelimiter = 126;
    std::size_t nTerminatorBytes = 1;
};

// The separators of sText when it starts with an ISA (any case) of the
// fixed layout: 16 elements, every separator at its offset and nowhere else,
// ISA16 one character; line ends before ISA16 (a wrapped header) do not
// count. nullopt otherwise, or when sText is too short to tell
// (kIsaHeadLength characters other than those line ends always suffice).
std::optional<FixedIsa> gfFixedIsa(std::string_view sText);

// A separator's characters in a file: codes up to 255 are one byte, higher
// codes the UTF-8 encoding of that character; 0 (line ends) is empty.
std::string gfSeparatorBytes(SepCode nCode);

// The component separator of a file without an ISA.
inline constexpr char kDefaultComponentSeparator = ':';

struct InterchangeSeparators {
    char cComponent = kDefaultComponentSeparator;
    char cRepetition = '\0';  // none
};

// ISA16 is the component separator; from version 00501 (ISA12) ISA11 is the
// repetition separator, before that a standards identifier. Values that are
// not one character (or a letter or digit for the repetition) give the defaults.
InterchangeSeparators gfIsaSeparators(std::string_view sIsa11, std::string_view sIsa12, std::string_view sIsa16);

// ---- choosing between the detected and the configured separators -------------

inline constexpr const char* kSeparatorQuestionTitle = "Select Segment and DE Separators";

// The question's text, notations as clsConfig::N2S gives them.
std::string gfSeparatorQuestionText(const SeparatorPair& detected, const SeparatorPair& configured,
                                    const clsConfig& config);

// The pair to open a file with: the detected one when it equals the
// configured one (nothing is asked); otherwise the user is asked (Yes,
// No, Cancel with the question icon): Yes the detected pair, No the
// configured pair, Cancel nothing (the opening is abandoned).
std::optional<SeparatorPair> gfChooseSeparators(const SeparatorPair& detected, const SeparatorPair& configured,
                                                const clsConfig& config);
// The same with the configuration's own Delimiter and Selimiter as the configured pair.
std::optional<SeparatorPair> gfChooseSeparators(const SeparatorPair& detected, const clsConfig& config);

}  // namespace orr
