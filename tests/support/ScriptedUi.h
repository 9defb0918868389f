#pragma once
// A user-interaction service for tests: records every call, answers from a
// prepared queue, and fails the test on a question nobody prepared.
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/UiService.h"

namespace orr::test {

struct UiCall {
    enum Kind { Message, Input, Choice, Progress } kind = Message;
    std::string sText;   // message, prompt, or progress text
    std::string sTitle;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::OK;
    std::vector<std::string> items;
};

// Thrown when a question arrives that the test did not prepare for.
struct UnexpectedQuestion : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class ScriptedUi final : public UiService {
public:
    ScriptedUi();   // installs itself
    ~ScriptedUi() override;  // restores the silent service

    // Answers, consumed in order by questions, prompts and list choices.
    void QueueAnswer(MsgAnswer answer);
    void QueueInput(std::optional<std::string> sText);
    void QueueChoice(int nIndex);

    MsgAnswer MsgBox(const std::string& sText, MsgButtons buttons, MsgIcon icon,
                     const std::string& sTitle) override;
    std::optional<std::string> InputBox(const std::string& sPrompt, const std::string& sTitle,
                                        const std::string& sDefault) override;
    int ChooseFromList(const std::string& sPrompt, const std::string& sTitle,
                       const std::vector<std::string>& items, int nSelected) override;
    void ProgressStatus(const std::string& sMessage) override;

    const std::vector<UiCall>& Calls() const { return mCalls; }
    // The texts of the message boxes, in order.
    std::vector<std::string> Messages() const;
    void Clear() { mCalls.clear(); }
    // Called with each message box's text while the box would be up.
    std::function<void(const std::string&)> fnWhileShown;
    // True when every queued answer was used.
    bool AllAnswersUsed() const;

private:
    struct Answer {
        UiCall::Kind kind;
        MsgAnswer msg = MsgAnswer::OK;
        std::optional<std::string> text;
        int index = -1;
    };
    Answer Next(UiCall::Kind kind, const std::string& sWhat);

    std::vector<UiCall> mCalls;
    std::deque<Answer> mAnswers;
};

}  // namespace orr::test
