#pragma once
// The "Web Browser" tool: the user's own browser at the home page kept in
// the settings (section "System", key "HomePage").
#include <string>

namespace orr {

std::string gfHomePage();
void gfSaveHomePage(const std::string& sUrl);
// Opens the home page; says what is wrong when none is set or no browser starts.
void gfOpenWebBrowser();

}  // namespace orr
