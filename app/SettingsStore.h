#pragma once
// Per-user key/value store addressed by application, section and key.
// Every value is a string.
#include <string>
#include <utility>
#include <vector>

namespace orr {

using SettingsList = std::vector<std::pair<std::string, std::string>>;

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual std::string Get(const std::string& sApp, const std::string& sSection, const std::string& sKey,
                            const std::string& sDefault) const = 0;
    virtual void Save(const std::string& sApp, const std::string& sSection, const std::string& sKey,
                      const std::string& sValue) = 0;
    virtual void Delete(const std::string& sApp, const std::string& sSection, const std::string& sKey) = 0;
    // All keys of a section with their values, in stored order.
    virtual SettingsList ListSection(const std::string& sApp, const std::string& sSection) const = 0;
};

}  // namespace orr
