#include "app/modRegistry.h"

#include <charconv>
#include <stdexcept>
#include <variant>

#include "app/SettingsStore.h"
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "app/modText.h"

namespace orr {
namespace {

enum class Section { System, Edi };
using Field = std::variant<std::string clsConfig::*, bool clsConfig::*, std::int32_t clsConfig::*,
                           SepCode clsConfig::*>;

struct KeyDef {
    Section section;
    const char* sKey;
    Field field;
    const char* sFirstRun;  // nullptr: computed (directories, AppName)
    const char* sDefault;
};

// In the order the settings writer saves them.
const KeyDef kKeys[] = {
    {Section::System, "AppName", &clsConfig::AppName, nullptr, ""},
    {Section::System, "DirIncoming", &clsConfig::DirIncoming, nullptr, ""},
    {Section::System, "DirOutgoing", &clsConfig::DirOutgoing, nullptr, ""},
    {Section::System, "OpenDocument", &clsConfig::OpenDocument, "T", "F"},
    {Section::System, "OpenISA", &clsConfig::OpenISA, "T", "F"},
    {Section::System, "OpenGS", &clsConfig::OpenGS, "T", "F"},
    {Section::System, "OpenST", &clsConfig::OpenST, "T", "F"},
    {Section::Edi, "Selimiter", &clsConfig::Selimiter, "126", "126"},
    {Section::Edi, "Delimiter", &clsConfig::Delimiter, "42", "42"},
    {Section::Edi, "SelimiterS", &clsConfig::SelimiterS, kBuiltInSelimiters, kBuiltInSelimiters},
    {Section::Edi, "DelimiterS", &clsConfig::DelimiterS, kBuiltInDelimiters, kBuiltInDelimiters},
    {Section::Edi, "MyAddrQualifier", &clsConfig::MyAddrQualifier, "28", "28"},
    {Section::Edi, "MyAddr", &clsConfig::MyAddr, "", ""},
    {Section::Edi, "HerAddrQualifier", &clsConfig::HerAddrQualifier, "28", "28"},
    {Section::Edi, "HerAddr", &clsConfig::HerAddr, "", ""},
    {Section::Edi, "IsaIcId", &clsConfig::IsaIcId, "U", "U"},
    {Section::Edi, "IsaIcVersion", &clsConfig::IsaIcVersion, "300", "300"},
    {Section::Edi, "IsaIcNumber", &clsConfig::IsaIcNumber, "1", "1"},
    {Section::Edi, "IsaAckRequired", &clsConfig::IsaAckRequired, "T", "T"},
    {Section::Edi, "IsaTest", &clsConfig::IsaTest, "T", "F"},
    {Section::Edi, "GsAgencyCode", &clsConfig::GsAgencyCode, "X", "X"},
    {Section::Edi, "GsReleaseID", &clsConfig::GsReleaseID, "004050", "004030VICS"},
    {Section::Edi, "GsControlNumber", &clsConfig::GsControlNumber, "1", "1"},
};

// Seconds until a changed document is kept for recovery (clsConfig::RecoverySeconds).
const char* const kRecoveryKey = "RecoverySeconds";

// The reader's order differs from the writer's.
const char* const kReadOrder[] = {
    "DirIncoming", "DirOutgoing", "OpenDocument", "OpenISA", "OpenGS", "OpenST",
    "Selimiter", "Delimiter", "DelimiterS", "SelimiterS", "MyAddrQualifier", "MyAddr",
    "HerAddrQualifier", "HerAddr", "IsaIcId", "IsaIcVersion", "IsaIcNumber", "IsaAckRequired",
    "IsaTest", "GsControlNumber", "GsAgencyCode", "GsReleaseID",
};

const std::string& SectionName(Section s)
{
    return s == Section::System ? gConfig->SectionSystem : gConfig->SectionEdi;
}

const KeyDef& FindKey(const std::string& sKey)
{
    for (const KeyDef& def : kKeys)
        if (sKey == def.sKey)
            return def;
    throw std::logic_error("unknown settings key " + sKey);
}

// A whole decimal number, surrounding blanks allowed.
template <typename T>
bool ParseNumber(const std::string& sText, T& value)
{
    const std::string_view s = gfTrimSpaces(sText);
    if (s.empty())
        return false;
    const char* b = s.data();
    const char* e = s.data() + s.size();
    if (*b == '+')
        ++b;
    auto [ptr, ec] = std::from_chars(b, e, value);
    return ec == std::errc() && ptr == e;
}

std::string FieldText(const Field& field)
{
    clsConfig& c = *gConfig;
    return std::visit(
        [&](auto member) -> std::string {
            using T = std::remove_reference_t<decltype(c.*member)>;
            if constexpr (std::is_same_v<T, std::string>)
                return c.*member;
            else if constexpr (std::is_same_v<T, bool>)
                return (c.*member) ? "T" : "F";
            else
                return std::to_string(c.*member);
        },
        field);
}

void SetField(const KeyDef& def, const std::string& sValue)
{
    clsConfig& c = *gConfig;
    std::visit(
        [&](auto member) {
            using T = std::remove_reference_t<decltype(c.*member)>;
            if constexpr (std::is_same_v<T, std::string>) {
                c.*member = sValue;
            } else if constexpr (std::is_same_v<T, bool>) {
                c.*member = sValue == "T";
            } else if constexpr (std::is_same_v<T, SepCode>) {
                SepCode code = 0;
                std::string sStored = sValue;
                // A separator that is not a character code is repaired and saved back.
                if (!ParseNumber(sStored, code)) {
                    sStored = def.sDefault;
                    gSettings->Save(gConfig->SettingsApp, SectionName(def.section), def.sKey, sStored);
                    ParseNumber(sStored, code);
                }
                c.*member = code;
            } else {
                T number = 0;
                if (!ParseNumber(sValue, number))
                    throw std::invalid_argument(std::string("Type mismatch in setting ") + def.sKey);
                c.*member = number;
            }
        },
        def.field);
}

}  // namespace

std::string gfDefaultIncomingDir() { return gConfig->DataDir + "/Incoming"; }
std::string gfDefaultOutgoingDir() { return gConfig->DataDir + "/Outgoing"; }

bool gfIsNewInstall()
{
    return gSettings->Get(gConfig->SettingsApp, gConfig->SectionSystem, "AppName", "").empty();
}

void gfReadRegistry()
{
    for (const char* sKey : kReadOrder) {
        const KeyDef& def = FindKey(sKey);
        SetField(def, gSettings->Get(gConfig->SettingsApp, SectionName(def.section), def.sKey, def.sDefault));
    }
    // Not one of the first-run keys: missing or unreadable, it is the default.
    const std::string sRecovery = gSettings->Get(gConfig->SettingsApp, gConfig->SectionSystem, kRecoveryKey, "");
    std::int32_t nSeconds = kDefaultRecoverySeconds;
    gConfig->RecoverySeconds = ParseNumber(sRecovery, nSeconds) && nSeconds >= 0 ? nSeconds : kDefaultRecoverySeconds;
}

void gfSaveRegistry()
{
    for (const KeyDef& def : kKeys)
        gSettings->Save(gConfig->SettingsApp, SectionName(def.section), def.sKey, FieldText(def.field));
    gSettings->Save(gConfig->SettingsApp, gConfig->SectionSystem, kRecoveryKey,
                    std::to_string(gConfig->RecoverySeconds));
}

void gfWriteDefaultRegistry()
{
    for (const KeyDef& def : kKeys) {
        std::string sValue;
        if (def.sFirstRun)
            sValue = def.sFirstRun;
        else if (std::string(def.sKey) == "AppName")
            sValue = gConfig->AppName;
        else if (std::string(def.sKey) == "DirIncoming")
            sValue = gfDefaultIncomingDir();
        else
            sValue = gfDefaultOutgoingDir();
        gSettings->Save(gConfig->SettingsApp, SectionName(def.section), def.sKey, sValue);
    }
}

}  // namespace orr
