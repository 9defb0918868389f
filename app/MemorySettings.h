#pragma once
#include <map>

#include "app/SettingsStore.h"

namespace orr {

// Settings kept in memory, in the order keys were first saved. Used by tests
// and by runs that must not touch the user's settings.
class MemorySettings final : public SettingsStore {
public:
    std::string Get(const std::string& sApp, const std::string& sSection, const std::string& sKey,
                    const std::string& sDefault) const override;
    void Save(const std::string& sApp, const std::string& sSection, const std::string& sKey,
              const std::string& sValue) override;
    void Delete(const std::string& sApp, const std::string& sSection, const std::string& sKey) override;
    SettingsList ListSection(const std::string& sApp, const std::string& sSection) const override;

private:
    std::map<std::pair<std::string, std::string>, SettingsList> mSections;
};

}  // namespace orr
