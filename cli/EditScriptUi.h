#pragma once
// The user interaction of `orrindale-cli edit`: every message box, question
// and chooser is reported on one line of stderr ("message: ...",
// "question: ... -> yes", "chooser: TITLE | LINE ... -> N"), and questions
// take the answers the script queued, in order.
#include <cstdio>
#include <deque>
#include <stdexcept>
#include <string>

#include "app/UiService.h"

namespace orr {

// A queued answer that the question it meets does not offer: a script error.
struct ScriptAnswerError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class EditScriptUi final : public UiService {
public:
    explicit EditScriptUi(std::FILE* out = stderr) : mOut(out) {}

    // One answer as the script writes it: yes, no, cancel, ok or a chooser
    // line N; false when the word is none of these.
    bool Queue(const std::string& sAnswer);
    static bool ValidAnswer(const std::string& sAnswer);

    MsgAnswer MsgBox(const std::string& sText, MsgButtons buttons, MsgIcon icon, const std::string& sTitle) override;
    // Prompts take their default value.
    std::optional<std::string> InputBox(const std::string& sPrompt, const std::string& sTitle,
                                        const std::string& sDefault) override;
    int ChooseFromList(const std::string& sPrompt, const std::string& sTitle, const std::vector<std::string>& items,
                       int nSelected) override;

    // A text on one line: each CR LF, lone CR or lone LF as the two characters \n.
    static std::string Escaped(const std::string& sText);

private:
    std::FILE* mOut;
    std::deque<std::string> mAnswers;
};

// Installs a service for a scope and restores the one installed before.
struct UiScope {
    explicit UiScope(UiService& ui) : pPrevious(&gfUi()) { gfSetUi(&ui); }
    ~UiScope() { gfSetUi(pPrevious); }
    UiScope(const UiScope&) = delete;
    UiScope& operator=(const UiScope&) = delete;
    UiService* pPrevious;
};

}  // namespace orr
