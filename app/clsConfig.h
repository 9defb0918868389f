#pragma once
// The one configuration object: fixed names and paths, the user's settings,
// the separator candidate lists, and the slots through which modal dialogs
// hand results back.
#include <cstdint>
#include <string>
#include <vector>

namespace orr {

using SepCode = std::uint16_t;  // a separator's character code; 0: line ends terminate segments

// Entries for a separator drop-down list and the entry to select (-1: none).
struct SeparatorChoices {
    std::vector<std::string> entries;
    int nSelected = -1;
};

inline constexpr const char* kBuiltInSelimiters = "0x0A0x0D~'@0x15";
inline constexpr const char* kBuiltInDelimiters = "*+~|{}";
inline constexpr std::int32_t kDefaultRecoverySeconds = 30;

class clsConfig {
public:
    // sInstallDir holds EdiDef.bin; sDataDir is writable (work files, first-run
    // document folders). Screen extent in twips, for the default window size.
    clsConfig(const std::string& sInstallDir, const std::string& sDataDir, int nScreenWidth = 0,
              int nScreenHeight = 0);

    std::string AppName = "Orrindale";
    std::string AppTitle = "Orrindale";
    std::string FreeFormDocType = "FreeForm";
    std::string DefinitionFile;
    std::int32_t DefaultLeft = 0, DefaultTop = 0, DefaultWidth = 0, DefaultHeight = 0;
    std::string SettingsApp = "Orrindale";
    std::string SectionSystem = "System";
    std::string SectionEdi = "Edi";
    std::string SectionTemplates = "Templates";
    std::string DirIncoming, DirOutgoing;
    std::string ServerHost;
    std::int32_t ServerPort = 0;
    std::string DelimiterS = kBuiltInDelimiters;
    std::string SelimiterS = kBuiltInSelimiters;
    SepCode Delimiter = 42;
    SepCode Selimiter = 126;
    std::string MyAddrQualifier, MyAddr, HerAddrQualifier, HerAddr, IsaIcId, IsaIcVersion;
    std::int32_t IsaIcNumber = 0, GsControlNumber = 0;
    std::string GsAgencyCode, GsReleaseID;
    bool IsaTest = false, IsaAckRequired = false;
    bool OpenDocument = true, OpenISA = true, OpenGS = true, OpenST = true;
    bool bOptionsChanged = false;
    std::string TempFile;
    bool bTrace = false;
    // Seconds after a document's last change until its unsaved state is kept
    // for recovery; 0: never.
    std::int32_t RecoverySeconds = kDefaultRecoverySeconds;

    // Directories behind "the program directory" on a real installation.
    std::string InstallDir;  // read-only: EdiDef.bin, icons, manual
    std::string DataDir;     // writable: work files, first-run Incoming/Outgoing
    // Where built schemas are kept between runs; "" keeps none.
    std::string SchemaCacheDir;

    void OverWriteDefault();
    void ReadRegistry();

    SeparatorChoices PopulateDelimiter() const;
    SeparatorChoices PopulateSelimiter() const;
    bool IsDelimiter(SepCode nCode) const;
    bool IsSelimiter(SepCode nCode) const;
    std::string N2S(SepCode nCode) const;
    // For messages: a printable separator as it is, the others as N2S names them (CR, 0x15).
    std::string Shown(SepCode nCode) const
    {
        return nCode > ' ' && nCode < 0x7F ? std::string(1, static_cast<char>(nCode)) : N2S(nCode);
    }
    static SepCode S2N(const std::string& sText);
    bool IsCrLfSelimiter() const;

    const std::vector<SepCode>& SelimiterCandidates() const { return mSelimiters; }
    const std::vector<SepCode>& DelimiterCandidates() const { return mDelimiters; }

    // Code list of a candidate text: single characters and "0x" + two hex digits.
    static std::vector<SepCode> ParseCandidates(const std::string& sText);

private:
    SeparatorChoices Populate(const std::vector<SepCode>& candidates, SepCode nCurrent) const;

    std::vector<SepCode> mSelimiters;
    std::vector<SepCode> mDelimiters;
};

}  // namespace orr
