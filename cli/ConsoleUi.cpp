#include "cli/ConsoleUi.h"

namespace orr {
namespace {

const char* Label(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Critical: return "error";
    case MsgIcon::Exclamation: return "warning";
    case MsgIcon::Question: return "question";
    case MsgIcon::Information:
    case MsgIcon::None: return "info";
    }
    return "info";
}

}  // namespace

const char* ConsoleUi::AnswerText(MsgAnswer a)
{
    switch (a) {
    case MsgAnswer::OK: return "ok";
    case MsgAnswer::Yes: return "yes";
    case MsgAnswer::No: return "no";
    case MsgAnswer::Cancel: return "cancel";
    }
    return "";
}

std::string ConsoleUi::OneLine(const std::string& sText)
{
    std::string s;
    bool bBreak = false;
    for (char c : sText) {
        if (c == '\r' || c == '\n') {
            bBreak = true;
            continue;
        }
        if (bBreak && !s.empty())
            s += ' ';
        bBreak = false;
        s += c;
    }
    return s;
}

MsgAnswer ConsoleUi::MsgBox(const std::string& sText, MsgButtons buttons, MsgIcon icon, const std::string&)
{
    MsgAnswer answer = MsgAnswer::OK;
    if (buttons == MsgButtons::YesNo)
        answer = mAnswer == MsgAnswer::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    else if (buttons == MsgButtons::YesNoCancel)
        answer = mAnswer.value_or(MsgAnswer::Cancel);
    const std::string sLine = OneLine(sText);
    if (buttons == MsgButtons::OK) {
        Print(std::string(Label(icon)) + ": " + sLine);
        mMessages.push_back(sLine);
    } else {
        Print("question: " + sLine + " -> " + AnswerText(answer));
    }
    return answer;
}

std::optional<std::string> ConsoleUi::InputBox(const std::string& sPrompt, const std::string&,
                                               const std::string& sDefault)
{
    Print("prompt: " + OneLine(sPrompt) + " -> " + sDefault);
    return sDefault;
}

int ConsoleUi::ChooseFromList(const std::string& sPrompt, const std::string&, const std::vector<std::string>& items,
                              int nSelected)
{
    const bool bValid = nSelected >= 0 && nSelected < int(items.size());
    Print("choose: " + OneLine(sPrompt) + " -> " + (bValid ? items[std::size_t(nSelected)] : "(none)"));
    return bValid ? nSelected : -1;
}

void ConsoleUi::Print(const std::string& sLine)
{
    if (mbHeld)
        mHeld.push_back(sLine);
    else
        std::fprintf(mOut, "%s\n", sLine.c_str());
}

void ConsoleUi::Hold()
{
    mbHeld = true;
    mnMessagesHeld = mMessages.size();
}

void ConsoleUi::Release(bool bShow)
{
    if (!mbHeld)
        return;
    mbHeld = false;
    if (bShow)
        for (const std::string& sLine : mHeld)
            Print(sLine);
    else
        mMessages.resize(mnMessagesHeld);
    mHeld.clear();
}

}  // namespace orr
