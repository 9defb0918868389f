#pragma once
// The three reports every engine uses when something goes wrong.
#include <exception>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

namespace orr {

// A failure an operation trapped: shown with its description and number.
void gfReportRunTimeError(const std::string& sDescription, long nNumber);
void gfReportRunTimeError(const std::error_code& ec);
// system_error and filesystem_error give their code; anything else number 0.
void gfReportRunTimeError(const std::exception& e);

// An internal inconsistency after which the program goes on.
void gfIllogic(const std::string& sDetail);

// An internal inconsistency after which the program cannot go on: announces
// and unloads every window, then ends the program. Never returns.
[[noreturn]] void gfSystemIllogic(const std::string& sDetail);

// What gfSystemIllogic needs from the front end.
struct LoadedForm {
    std::string sName;           // "frmMain", "frmDocument", ...
    bool bMdiChild = false;      // a child window of the main frame
    std::function<void()> fnUnload;
};

struct SystemIllogicHost {
    // The loaded windows, first loaded first.
    std::function<std::vector<LoadedForm>()> fnLoadedForms;
    // Ends the program; must not return (tests throw from it).
    std::function<void()> fnEnd;
};

// Installs the host; a default-constructed host restores the plain one,
// which has no windows and exits with status 1.
void gfSetSystemIllogicHost(SystemIllogicHost host);

// The support address shown in the reports.
inline constexpr const char* kSupportEmail = "support@quillmark.example";

}  // namespace orr
