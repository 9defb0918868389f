#include "app/MemorySettings.h"

#include <algorithm>

namespace orr {
namespace {

auto FindKey(SettingsList& list, const std::string& sKey)
{
    return std::find_if(list.begin(), list.end(), [&](const auto& kv) { return kv.first == sKey; });
}

}  // namespace

std::string MemorySettings::Get(const std::string& sApp, const std::string& sSection, const std::string& sKey,
                                const std::string& sDefault) const
{
    auto section = mSections.find({sApp, sSection});
    if (section == mSections.end())
        return sDefault;
    for (const auto& [key, value] : section->second)
        if (key == sKey)
            return value;
    return sDefault;
}

void MemorySettings::Save(const std::string& sApp, const std::string& sSection, const std::string& sKey,
                          const std::string& sValue)
{
    auto& list = mSections[{sApp, sSection}];
    auto it = FindKey(list, sKey);
    if (it == list.end())
        list.emplace_back(sKey, sValue);
    else
        it->second = sValue;
}

void MemorySettings::Delete(const std::string& sApp, const std::string& sSection, const std::string& sKey)
{
    auto section = mSections.find({sApp, sSection});
    if (section == mSections.end())
        return;
    auto it = FindKey(section->second, sKey);
    if (it != section->second.end())
        section->second.erase(it);
}

SettingsList MemorySettings::ListSection(const std::string& sApp, const std::string& sSection) const
{
    auto section = mSections.find({sApp, sSection});
    return section == mSections.end() ? SettingsList{} : section->second;
}

}  // namespace orr
