#include "app/clsConfig.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <unistd.h>

#include "app/modRegistry.h"

namespace orr {
namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

std::int32_t Percent(int nValue, int nPercent) { return std::int32_t(std::lround(nValue * nPercent / 100.0)); }

}  // namespace

clsConfig::clsConfig(const std::string& sInstallDir, const std::string& sDataDir, int nScreenWidth,
                     int nScreenHeight)
    : DefinitionFile(sInstallDir + "/EdiDef.bin"),
      DefaultLeft(Percent(nScreenWidth, 10)),
      DefaultTop(Percent(nScreenHeight, 10)),
      DefaultWidth(Percent(nScreenWidth, 80)),
      DefaultHeight(Percent(nScreenHeight, 80)),
      // One scratch file per process, so two running instances never share it.
      TempFile(sDataDir + "/xyzxyz-" + std::to_string(::getpid()) + ".zyx"),
      InstallDir(sInstallDir),
      DataDir(sDataDir),
      mSelimiters(ParseCandidates(kBuiltInSelimiters)),
      mDelimiters(ParseCandidates(kBuiltInDelimiters))
{
}

void clsConfig::OverWriteDefault()
{
    ServerHost = "Localhost";
    ServerPort = 1001;
}

void clsConfig::ReadRegistry() { gfReadRegistry(); }

std::vector<SepCode> clsConfig::ParseCandidates(const std::string& sText)
{
    std::vector<SepCode> codes;
    for (std::size_t i = 0; i < sText.size();) {
        if (sText[i] != '0') {
            codes.push_back(static_cast<unsigned char>(sText[i]));
            ++i;
            continue;
        }
        int high = i + 2 < sText.size() ? HexValue(sText[i + 2]) : 0;
        int low = i + 3 < sText.size() ? HexValue(sText[i + 3]) : 0;
        codes.push_back(SepCode(16 * high + low));
        i += 4;
    }
    return codes;
}

bool clsConfig::IsDelimiter(SepCode nCode) const
{
    return std::find(mDelimiters.begin(), mDelimiters.end(), nCode) != mDelimiters.end();
}

bool clsConfig::IsSelimiter(SepCode nCode) const
{
    return std::find(mSelimiters.begin(), mSelimiters.end(), nCode) != mSelimiters.end();
}

bool clsConfig::IsCrLfSelimiter() const { return Selimiter == 10 || Selimiter == 13; }

std::string clsConfig::N2S(SepCode nCode) const
{
    if (nCode == 13) return "CR";
    if (nCode == 10) return "LF";
    // Codes beyond 8 bits never occur in a character of the lists.
    const bool bByte = nCode < 256;
    const char c = char(nCode);
    if (bByte && SelimiterS.find(c) != std::string::npos) return std::string(1, c);
    if (!bByte || DelimiterS.find(c) == std::string::npos) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "0x%X", unsigned(nCode));
        return buf;
    }
    return std::string(1, c);
}

SepCode clsConfig::S2N(const std::string& sText)
{
    if (sText.size() >= 2) {
        const char a = Upper(sText[0]), b = Upper(sText[1]);
        if (a == 'C' && b == 'R') return 13;
        if (a == 'L' && b == 'F') return 10;
        if (a == '0' && b == 'X') {
            // Codes beyond a byte (a terminator such as U+2026) are written with four digits.
            if (sText.size() == 6 && std::all_of(sText.begin() + 2, sText.end(), [](char c) {
                    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                }))
                return SepCode(std::stoul(sText.substr(2), nullptr, 16));
            int high = sText.size() > 2 ? HexValue(sText[2]) : 0;
            int low = sText.size() > 3 ? HexValue(sText[3]) : 0;
            return SepCode(16 * high + low);
        }
        return 13;
    }
    // An empty notation means "line ends terminate segments".
    return sText.empty() ? 0 : static_cast<unsigned char>(sText[0]);
}

SeparatorChoices clsConfig::Populate(const std::vector<SepCode>& candidates, SepCode nCurrent) const
{
    SeparatorChoices choices;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        choices.entries.push_back(N2S(candidates[i]));
        if (candidates[i] == nCurrent)
            choices.nSelected = int(i);
    }
    return choices;
}

SeparatorChoices clsConfig::PopulateDelimiter() const { return Populate(mDelimiters, Delimiter); }

SeparatorChoices clsConfig::PopulateSelimiter() const { return Populate(mSelimiters, Selimiter); }

}  // namespace orr
