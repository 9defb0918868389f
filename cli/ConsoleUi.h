#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "app/UiService.h"

namespace orr {

// The command-line tool's user interaction: every message goes to stderr on
// one line ("info: ...", "error: ..."), questions are answered from the
// command's options, and standard input is never read.
class ConsoleUi final : public UiService {
public:
    explicit ConsoleUi(std::FILE* out = stderr) : mOut(out) {}

    // The answer to Yes/No and Yes/No/Cancel questions; unset, they get No and
    // Cancel, and Cancel answers a Yes/No question with No.
    void SetQuestionAnswer(MsgAnswer answer) { mAnswer = answer; }

    MsgAnswer MsgBox(const std::string& sText, MsgButtons buttons, MsgIcon icon,
                     const std::string& sTitle) override;
    // Prompts take their default value; lists their preselected entry.
    std::optional<std::string> InputBox(const std::string& sPrompt, const std::string& sTitle,
                                        const std::string& sDefault) override;
    int ChooseFromList(const std::string& sPrompt, const std::string& sTitle,
                       const std::vector<std::string>& items, int nSelected) override;

    // Every message shown so far (not the questions), each on one line.
    const std::vector<std::string>& Messages() const { return mMessages; }

    // Keeps what would be printed from now on (an attempt that may be
    // taken back) until Release prints it, or forgets it when !bShow.
    void Hold();
    void Release(bool bShow);

    // A message text on one line: each run of line breaks becomes one blank.
    static std::string OneLine(const std::string& sText);
    // An answer as the console prints it: "ok", "yes", "no", "cancel".
    static const char* AnswerText(MsgAnswer answer);

private:
    void Print(const std::string& sLine);

    std::FILE* mOut;
    bool mbHeld = false;
    std::vector<std::string> mHeld;  // lines held back
    std::size_t mnMessagesHeld = 0;  // messages before the hold
    std::optional<MsgAnswer> mAnswer;
    std::vector<std::string> mMessages;
};

}  // namespace orr
