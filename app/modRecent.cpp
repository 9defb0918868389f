#include "app/modRecent.h"

#include <algorithm>
#include <utility>

#include "app/SettingsStore.h"
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "app/modText.h"

namespace orr {
namespace {

std::string Key(int i) { return "RecentFile" + std::to_string(i); }

std::string Get(int i) { return gSettings->Get(gConfig->SettingsApp, gConfig->SectionSystem, Key(i), ""); }

void Put(int i, const std::string& sValue)
{
    gSettings->Save(gConfig->SettingsApp, gConfig->SectionSystem, Key(i), sValue);
}

bool IsRecentKey(const std::string& sKey)
{
    constexpr std::string_view kPrefix = "RECENTFILE";
    return gfSameName(std::string_view(sKey).substr(0, kPrefix.size()), kPrefix);
}

std::function<void()>& Refresh()
{
    static std::function<void()> fn;
    return fn;
}

void RunRefresh()
{
    if (Refresh())
        Refresh()();
}

bool Shown(const std::string& sPath)
{
    const std::vector<std::string> shown = gfRecentFiles();
    return std::find(shown.begin(), shown.end(), sPath) != shown.end();
}

}  // namespace

std::vector<std::string> gfRecentFiles()
{
    std::vector<std::string> files;
    if (Get(1).empty())
        return files;
    for (const auto& [sKey, sValue] : gSettings->ListSection(gConfig->SettingsApp, gConfig->SectionSystem)) {
        if (!IsRecentKey(sKey))
            continue;
        // The menus have four entries; anything beyond them is not shown.
        if (int(files.size()) == kRecentFileCount)
            break;
        files.push_back(sValue);
    }
    return files;
}

void gfSetRecentRefresh(std::function<void()> fnRefresh) { Refresh() = std::move(fnRefresh); }

void gfAddRecentFile(const std::string& sPath)
{
    if (Shown(sPath))
        return;
    for (int i = kRecentFileCount - 1; i >= 1; --i) {
        const std::string sValue = Get(i);
        if (!sValue.empty())
            Put(i + 1, sValue);
    }
    Put(1, sPath);
    RunRefresh();
}

void gfRemoveRecentFile(const std::string& sPath)
{
    if (!Shown(sPath))
        return;
    int i = 1;
    while (i <= kRecentFileCount && Get(i) != sPath)
        ++i;
    if (i > kRecentFileCount)
        return;
    // Move the later entries up one place; the key after the last one moved goes.
    int nLast = kRecentFileCount;
    for (int j = i; j < kRecentFileCount; ++j) {
        const std::string sNext = Get(j + 1);
        if (sNext.empty()) {
            nLast = j;
            break;
        }
        Put(j, sNext);
    }
    gSettings->Delete(gConfig->SettingsApp, gConfig->SectionSystem, Key(nLast));
    RunRefresh();
}

}  // namespace orr
