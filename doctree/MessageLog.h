#pragma once
// A user-interaction service for work nobody watches (a folder's files
// checked one after another, perhaps in another process): every message is
// kept as one line, every question answered No, every prompt cancelled.
#include <string>

#include "app/UiService.h"

namespace orr {

class MessageLog final : public UiService {
public:
    // Installs itself for its lifetime, putting back the service it replaced.
    MessageLog();
    ~MessageLog() override;
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    // The messages so far, each on a line of its own (its line breaks as blanks).
    const std::string& Text() const { return msText; }

    MsgAnswer MsgBox(const std::string& sText, MsgButtons buttons, MsgIcon icon, const std::string& sTitle) override;
    std::optional<std::string> InputBox(const std::string& sPrompt, const std::string& sTitle,
                                        const std::string& sDefault) override;
    int ChooseFromList(const std::string& sPrompt, const std::string& sTitle, const std::vector<std::string>& items,
                       int nSelected) override;

private:
    void Add(const std::string& sText);
    UiService* mpPrevious;
    std::string msText;
};

}  // namespace orr
