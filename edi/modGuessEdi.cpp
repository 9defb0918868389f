#include "edi/modGuessEdi.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/UiService.h"
#include "app/modGlobals.h"
#include "app/modSystem.h"
#include "app/modText.h"

namespace orr {
namespace {

namespace fs = std::filesystem;

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool StartsNoCase(std::string_view s, std::string_view sUpper)
{
    if (s.size() < sUpper.size())
        return false;
    for (std::size_t i = 0; i < sUpper.size(); ++i) {
        char c = s[i];
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        if (c != sUpper[i])
            return false;
    }
    return true;
}

SepCode Code(char c) { return static_cast<unsigned char>(c); }

// The configuration to judge candidates by: the program's, or the built-in
// lists when none is set up (a library caller without start-up).
const clsConfig& CurrentConfig()
{
    if (gConfig)
        return *gConfig;
    static const clsConfig builtIn("", "");
    return builtIn;
}

// The first kGuessLength bytes of a file. Throws filesystem_error naming the
// path when it cannot be read.
std::string ReadHead(const std::string& sPath)
{
    std::error_code ec;
    if (fs::is_directory(sPath, ec))
        throw fs::filesystem_error("read", sPath, std::make_error_code(std::errc::is_a_directory));
    std::FILE* f = std::fopen(sPath.c_str(), "rb");
    if (!f)
        throw fs::filesystem_error("open", sPath, std::error_code(errno ? errno : ENOENT, std::generic_category()));
    std::string sHead(kGuessLength, '\0');
    errno = 0;
    const std::size_t n = std::fread(sHead.data(), 1, sHead.size(), f);
    const bool bFailed = std::ferror(f) != 0;
    const int nErr = errno;
    std::fclose(f);
    if (bFailed)
        throw fs::filesystem_error("read", sPath, std::error_code(nErr ? nErr : EIO, std::generic_category()));
    sHead.resize(n);
    return sHead;
}

// Where the element separators of a fixed-width ISA stand (ISA01 to ISA16).
constexpr std::size_t kIsaSeparatorAt[16] = {3, 6, 17, 20, 31, 34, 50, 53, 69, 76, 81, 83, 89, 99, 101, 103};
constexpr std::size_t kIsa16At = 104;
constexpr std::size_t kIsaTerminatorAt = 105;

// The length of the UTF-8 character that starts with lead byte c and fits a
// separator code (two or three bytes), else 1.
std::size_t Utf8Length(unsigned char c) { return c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : 1; }

std::optional<FixedIsa> FixedIsaUnwrapped(std::string_view sText)
{
    if (sText.size() < kIsaFixedLength || !StartsNoCase(sText, "ISA"))
        return std::nullopt;
    const char d = sText[3];
    const char c16 = sText[kIsa16At];
    if (IsLetter(d) || d == '\r' || d == '\n' || c16 == d || c16 == '\r' || c16 == '\n')
        return std::nullopt;
    std::size_t nNext = 0;
    for (std::size_t i = 3; i < kIsa16At; ++i) {
        const bool bSeparatorHere = nNext < 16 && i == kIsaSeparatorAt[nNext];
        if ((sText[i] == d) != bSeparatorHere)
            return std::nullopt;
        nNext += bSeparatorHere;
    }
    FixedIsa isa;
    isa.nDelimiter = Code(d);
    isa.nComponent = Code(c16);
    const auto t = static_cast<unsigned char>(sText[kIsaTerminatorAt]);
    // A letter or digit there is the next segment's identifier: the header
    // lacks ISA16 and is not of the fixed layout.
    if (t == Code(d) || t == Code(c16) || std::isalnum(t))
        return std::nullopt;
    isa.nSelimiter = t;
    const std::size_t nLength = Utf8Length(t);
    if (nLength > 1) {
        // A terminator of several bytes needs them all to be told from a single one.
        if (sText.size() < kIsaTerminatorAt + nLength)
            return std::nullopt;
        SepCode nCode = nLength == 2 ? SepCode(t & 0x1F) : SepCode(t & 0x0F);
        bool bUtf8 = true;
        for (std::size_t i = 1; i < nLength; ++i) {
            const auto b = static_cast<unsigned char>(sText[kIsaTerminatorAt + i]);
            bUtf8 = bUtf8 && (b & 0xC0) == 0x80;
            nCode = SepCode((nCode << 6) | (b & 0x3F));
        }
        // A character of the Latin-1 range in UTF-8 cannot be told from that
        // byte by its code: such a header is left to the candidate search.
        if (bUtf8 && nCode <= 255)
            return std::nullopt;
        if (bUtf8) {
            isa.nSelimiter = nCode;
            isa.nTerminatorBytes = nLength;
        }
    }
    return isa;
}

}  // namespace

std::optional<FixedIsa> gfFixedIsa(std::string_view sText)
{
    // A header wrapped over lines (a file cut into lines of 80 characters)
    // is read as if whole: line ends are never part of a segment. The
    // character after ISA16 stays what it is, a line end too.
    if (sText.substr(0, kIsaTerminatorAt).find_first_of("\r\n") == std::string_view::npos)
        return FixedIsaUnwrapped(sText);
    std::string sHead;
    std::size_t i = 0;
    for (; i < sText.size() && sHead.size() < kIsaTerminatorAt; ++i)
        if (sText[i] != '\r' && sText[i] != '\n')
            sHead.push_back(sText[i]);
    sHead.append(sText.substr(i, kIsaHeadLength - kIsaTerminatorAt + 1));
    return FixedIsaUnwrapped(sHead);
}

std::string gfSeparatorBytes(SepCode nCode)
{
    if (nCode == 0)
        return {};
    if (nCode < 256)
        return std::string(1, char(nCode));
    if (nCode < 0x800)
        return {char(0xC0 | (nCode >> 6)), char(0x80 | (nCode & 0x3F))};
    return {char(0xE0 | (nCode >> 12)), char(0x80 | ((nCode >> 6) & 0x3F)), char(0x80 | (nCode & 0x3F))};
}

SepCode gfGuessSelimiter(std::string_view sText, std::size_t k, SepCode nDelimiter, const clsConfig& config)
{
    // Field k lies between the k-th and the (k+1)-th separator.
    std::size_t nStart = 0;
    for (std::size_t i = 0; i < k; ++i) {
        const std::size_t p = nDelimiter < 256 ? sText.find(char(nDelimiter), nStart) : std::string_view::npos;
        if (p == std::string_view::npos)
            return 13;  // fewer than k + 1 fields
        nStart = p + 1;
    }
    std::size_t nEnd = nDelimiter < 256 ? sText.find(char(nDelimiter), nStart) : std::string_view::npos;
    if (nEnd == std::string_view::npos)
        nEnd = sText.size();
    std::string_view sField = gfTrimSpaces(sText.substr(nStart, nEnd - nStart));
    // ISA16 is one character, the component separator: never the terminator,
    // unless the header lacks it and the next segment's identifier follows
    // that character ("...*P*~GS*").
    const auto identifier = [](std::string_view s) {
        return s.size() >= 2 && s.size() <= 3 &&
               std::all_of(s.begin(), s.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
    };
    if (k == 16 && !sField.empty() && !(nEnd < sText.size() && identifier(sField.substr(1))))
        sField.remove_prefix(1);
    for (char c : sField) {
        if (c == '\r')
            return 13;
        if (c == '\n')
            return 10;
        if (config.IsSelimiter(Code(c)))
            return Code(c);
    }
    return 13;
}

SepCode gfGuessSelimiter(std::string_view sText, std::size_t k, SepCode nDelimiter)
{
    return gfGuessSelimiter(sText, k, nDelimiter, CurrentConfig());
}

GuessResult gfGuessText(std::string_view sHead, const std::string& sPath, const clsConfig& config)
{
    GuessResult r;
    const std::string_view sRead = gfTrimSpaces(sHead.substr(0, kGuessLength));
    if (sRead.size() < 10) {
        r.sMessage = std::string(kGuessTooSmall) + std::string(sRead);
        return r;
    }

    // Anything before the first letter (blank lines, a byte-order mark) is dropped.
    const std::size_t nLook = std::min<std::size_t>(sRead.size(), kGuessLength - 1);
    std::size_t nFirst = 0;
    while (nFirst < nLook && !IsLetter(sRead[nFirst]))
        ++nFirst;
    const std::string_view sText = sRead.substr(nFirst);

    std::size_t k = 0;
    std::string_view sRest;
    if (nFirst < nLook && StartsNoCase(sText, "ISA")) {
        // A header of the fixed layout names its separators itself, whatever bytes they are.
        if (const std::optional<FixedIsa> isa = gfFixedIsa(sText)) {
            r.nDelimiter = isa->nDelimiter;
            r.nSelimiter = isa->nSelimiter;
            r.bFound = true;
            return r;
        }
        sRest = sText.substr(3);
        k = 16;
    } else if (nFirst < nLook && StartsNoCase(sText, "GS")) {
        sRest = sText.substr(2);
        k = 8;
    } else if (nFirst < nLook && StartsNoCase(sText, "ST")) {
        sRest = sText.substr(2);
        k = 2;
    } else {
        r.sMessage = std::string(kGuessNoControl) + sPath;
        return r;
    }

    sRest = gfTrimSpaces(sRest);
    if (sRest.empty()) {
        // The identifier is the last thing read: no separator to name.
        r.sMessage = kGuessUnknownDe;
        return r;
    }
    r.nDelimiter = Code(sRest.front());
    if (!config.IsDelimiter(r.nDelimiter)) {
        r.sMessage = std::string(kGuessUnknownDe) + config.N2S(r.nDelimiter);
        return r;
    }
    r.nSelimiter = gfGuessSelimiter(sText, k, r.nDelimiter, config);
    if (!config.IsSelimiter(r.nSelimiter)) {
        r.sMessage = std::string(kGuessUnknownSeg) + config.N2S(r.nSelimiter);
        return r;
    }
    r.bFound = true;
    return r;
}

GuessResult gfGuessFile(const std::string& sPath, const clsConfig& config)
{
    try {
        return gfGuessText(ReadHead(sPath), sPath, config);
    } catch (const std::exception& e) {
        gfReportRunTimeError(e);
        return {};
    }
}

bool gfGuessEdi(const std::string& sPath, SepCode& nDelimiter, SepCode& nSelimiter, const clsConfig& config)
{
    const GuessResult r = gfGuessFile(sPath, config);
    nDelimiter = r.nDelimiter;
    nSelimiter = r.nSelimiter;
    if (!r.bFound) {
        if (!r.sMessage.empty())
            gfMsgBox(r.sMessage, MsgIcon::Information);
        return false;
    }
    return true;
}

bool gfGuessEdi(const std::string& sPath, SepCode& nDelimiter, SepCode& nSelimiter)
{
    return gfGuessEdi(sPath, nDelimiter, nSelimiter, CurrentConfig());
}

std::string gfSeparatorQuestionText(const SeparatorPair& detected, const SeparatorPair& configured,
                                    const clsConfig& config)
{
    std::string s;
    s += std::string("This document seems to be using:") + kCrLf;
    s += "Data Element separator:" + config.N2S(detected.nDelimiter) +
         "  and Segment separator:" + config.N2S(detected.nSelimiter) + kCrLf + kCrLf;
    s += std::string("The current Editor settings are:") + kCrLf;
    s += "Data Element separator:" + config.N2S(configured.nDelimiter) +
         "  and Segment separator:" + config.N2S(configured.nSelimiter) + kCrLf + kCrLf;
    s += std::string("Use detected separators ?") + kCrLf + kCrLf;
    s += std::string("Click Yes to use the detected separators") + kCrLf;
    s += std::string("Click No  to use the Editor setting separators") + kCrLf + kCrLf + kCrLf + kCrLf;
    s += "(You can change the Editor settings by selecting the View/Option menu.)";
    return s;
}

InterchangeSeparators gfIsaSeparators(std::string_view sIsa11, std::string_view sIsa12, std::string_view sIsa16)
{
    InterchangeSeparators s;
    if (sIsa16.size() == 1)
        s.cComponent = sIsa16[0];
    const bool bRepeats = sIsa12.size() == 5 && sIsa12 >= "00501" && sIsa11.size() == 1 &&
                          !std::isalnum(static_cast<unsigned char>(sIsa11[0]));
    if (bRepeats)
        s.cRepetition = sIsa11[0];
    return s;
}

std::optional<SeparatorPair> gfChooseSeparators(const SeparatorPair& detected, const SeparatorPair& configured,
                                                const clsConfig& config)
{
    if (detected == configured)
        return detected;
    switch (gfMsgBox(gfSeparatorQuestionText(detected, configured, config), MsgIcon::Question,
                     MsgButtons::YesNoCancel, kSeparatorQuestionTitle)) {
    case MsgAnswer::Yes: return detected;
    case MsgAnswer::No: return configured;
    default: return std::nullopt;
    }
}

std::optional<SeparatorPair> gfChooseSeparators(const SeparatorPair& detected, const clsConfig& config)
{
    return gfChooseSeparators(detected, SeparatorPair{config.Delimiter, config.Selimiter}, config);
}

}  // namespace orr
