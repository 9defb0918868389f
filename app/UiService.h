#pragma once
// The one way engines talk to the user. The desktop shell answers with
// dialogs, tests with a scripted recorder, the command-line tool on stderr.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orr {

enum class MsgIcon { None, Information, Critical, Exclamation, Question };
enum class MsgButtons { OK, YesNo, YesNoCancel };
enum class MsgAnswer { OK, Yes, No, Cancel };

class UiService {
public:
    virtual ~UiService() = default;

    // Texts keep CR LF line breaks; front ends display them as line breaks.
    virtual MsgAnswer MsgBox(const std::string& sText, MsgButtons buttons, MsgIcon icon,
                             const std::string& sTitle) = 0;
    // A one-line text prompt; nullopt when the user cancels.
    virtual std::optional<std::string> InputBox(const std::string& sPrompt, const std::string& sTitle,
                                                const std::string& sDefault) = 0;
    // Index of the chosen entry, or -1 when the user cancels.
    virtual int ChooseFromList(const std::string& sPrompt, const std::string& sTitle,
                               const std::vector<std::string>& items, int nSelected) = 0;

    // The progress window. Front ends without one keep the defaults.
    virtual void ProgressShow() {}
    virtual void ProgressStatus(const std::string& sMessage) {}
    virtual void ProgressRaise() {}
    virtual void ProgressHide() {}
    // Lets pending interface events run during long work.
    virtual void ProcessEvents() {}
};

// The installed service; a silent one (questions answered No/Cancel) when none is.
UiService& gfUi();
// Installs a service (not owned); nullptr restores the silent one.
void gfSetUi(UiService* pUi);

// Message box with the application's title when sTitle is empty.
MsgAnswer gfMsgBox(const std::string& sText, MsgIcon icon = MsgIcon::None,
                   MsgButtons buttons = MsgButtons::OK, const std::string& sTitle = {});
// How many messages gfMsgBox has shown in this process: a step that showed
// none can tell it went without a word.
std::uint64_t gfMessageCount();

}  // namespace orr
