#pragma once
#include <QSettings>
#include <memory>

#include "app/SettingsStore.h"

namespace orr {

// The settings store on QSettings (INI format). One store serves one
// application name, so the application argument only has to match it.
class QSettingsStore final : public SettingsStore {
public:
    // An empty path: the user's "Orrindale" settings; otherwise that INI file.
    explicit QSettingsStore(const QString& sIniFile = {});

    std::string Get(const std::string& sApp, const std::string& sSection, const std::string& sKey,
                    const std::string& sDefault) const override;
    void Save(const std::string& sApp, const std::string& sSection, const std::string& sKey,
              const std::string& sValue) override;
    void Delete(const std::string& sApp, const std::string& sSection, const std::string& sKey) override;
    // INI files keep no order, so keys come back in natural order ("RecentFile2"
    // before "RecentFile10"), which is the order this program writes them in.
    SettingsList ListSection(const std::string& sApp, const std::string& sSection) const override;

    void Sync() { mSettings->sync(); }

private:
    std::unique_ptr<QSettings> mSettings;
};

}  // namespace orr
