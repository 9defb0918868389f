#pragma once
// The settings store on an INI file, written and read as the desktop
// program's QSettings (IniFormat) writes and reads it, so that the command
// line shares the user's settings without loading Qt: sections in brackets
// ("[General]" holds keys of no section, a section named General is
// "[%General]"), keys with characters other than letters, digits, "_", "-"
// and "." as %XX or %UXXXX, values with C escapes and in double quotes when
// they hold ",", ";" or "=" or start or end with a blank, a leading "@"
// doubled, UTF-8 throughout. A value of several unquoted parts separated by
// commas is a list, which QSettings does not read as text either: "".
// Changes are kept until Sync (or the end), which reads the file again,
// applies them and replaces it, so that another program's changes to other
// keys survive.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/SettingsStore.h"

namespace orr {

class IniSettings final : public SettingsStore {
public:
    explicit IniSettings(std::string sFile);
    ~IniSettings() override;
    IniSettings(const IniSettings&) = delete;
    IniSettings& operator=(const IniSettings&) = delete;

    std::string Get(const std::string& sApp, const std::string& sSection, const std::string& sKey,
                    const std::string& sDefault) const override;
    void Save(const std::string& sApp, const std::string& sSection, const std::string& sKey,
              const std::string& sValue) override;
    void Delete(const std::string& sApp, const std::string& sSection, const std::string& sKey) override;
    // Keys in natural order ("RecentFile2" before "RecentFile10"), as QSettingsStore gives them.
    SettingsList ListSection(const std::string& sApp, const std::string& sSection) const override;

    // Writes pending changes; false when the file could not be replaced.
    bool Sync();

    // The INI text of one key or section name and one value, and back.
    static std::string EscapeKey(std::string_view sKey);
    static std::string UnescapeKey(std::string_view sKey);
    static std::string EscapeValue(std::string_view sValue);
    static std::string UnescapeValue(std::string_view sValue);
    // Digit runs compare by value.
    static bool NaturalLess(std::string_view a, std::string_view b);

private:
    // Section -> key -> value, as read; sections and keys in the file's order.
    struct Section {
        std::string sName;
        std::vector<std::pair<std::string, std::string>> keys;
    };
    using Content = std::vector<Section>;
    struct Change {
        std::string sSection, sKey, sValue;
        bool bDelete = false;
    };

    static Content Read(const std::string& sFile);
    static void Apply(Content& content, const Change& change);
    static std::string Text(const Content& content);
    static const std::string* Find(const Content& content, const std::string& sSection, const std::string& sKey);

    std::string msFile;
    Content mContent;
    std::vector<Change> mChanges;
};

}  // namespace orr
