#pragma once
// The recent-file list: up to four paths kept as "RecentFile1" (the most
// recent) to "RecentFile4" in the settings' System section. The windows'
// menus are rebuilt from this list after every change.
#include <functional>
#include <string>
#include <vector>

namespace orr {

inline constexpr int kRecentFileCount = 4;

// What the recent-file menu shows, in order: nothing when "RecentFile1" is
// empty; otherwise the value of every key of the section whose name starts
// with "RecentFile" (any case), in stored order, at most four.
std::vector<std::string> gfRecentFiles();

// Puts sPath first unless the list already shows it (then nothing changes,
// not even the order). The old fourth entry drops out. Refreshes the menus.
void gfAddRecentFile(const std::string& sPath);

// Takes sPath out of the list, closing the gap, and refreshes the menus.
// A path the list does not show changes nothing.
void gfRemoveRecentFile(const std::string& sPath);

// Called after the list changed; the desktop shell rebuilds its menus here.
// An empty function removes the listener.
void gfSetRecentRefresh(std::function<void()> fnRefresh);

}  // namespace orr
