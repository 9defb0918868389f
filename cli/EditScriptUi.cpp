#include "cli/EditScriptUi.h"

#include <charconv>
#include <optional>

#include "cli/ConsoleUi.h"

namespace orr {
namespace {

std::optional<int> LineNumber(const std::string& s)
{
    int n = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
    if (ec != std::errc() || end != s.data() + s.size() || n < -1)
        return std::nullopt;
    return n;
}

std::optional<MsgAnswer> Word(const std::string& s)
{
    for (MsgAnswer a : {MsgAnswer::OK, MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Cancel})
        if (s == ConsoleUi::AnswerText(a))
            return a;
    return std::nullopt;
}

bool Offers(MsgButtons buttons, MsgAnswer a)
{
    switch (buttons) {
    case MsgButtons::OK: return a == MsgAnswer::OK;
    case MsgButtons::YesNo: return a == MsgAnswer::Yes || a == MsgAnswer::No;
    case MsgButtons::YesNoCancel: return a != MsgAnswer::OK;
    }
    return false;
}

}  // namespace

bool EditScriptUi::ValidAnswer(const std::string& sAnswer) { return Word(sAnswer) || LineNumber(sAnswer); }

bool EditScriptUi::Queue(const std::string& sAnswer)
{
    if (!ValidAnswer(sAnswer))
        return false;
    mAnswers.push_back(sAnswer);
    return true;
}

std::string EditScriptUi::Escaped(const std::string& sText)
{
    std::string s;
    for (std::size_t i = 0; i < sText.size(); ++i) {
        if (sText[i] == '\r' || sText[i] == '\n') {
            s += "\\n";
            if (sText[i] == '\r' && i + 1 < sText.size() && sText[i + 1] == '\n')
                ++i;
        } else {
            s += sText[i];
        }
    }
    return s;
}

MsgAnswer EditScriptUi::MsgBox(const std::string& sText, MsgButtons buttons, MsgIcon, const std::string&)
{
    const std::string sLine = Escaped(sText);
    if (buttons == MsgButtons::OK) {
        std::fprintf(mOut, "message: %s\n", sLine.c_str());
        return MsgAnswer::OK;
    }
    if (mAnswers.empty()) {
        const MsgAnswer a = buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
        std::fprintf(mOut, "question: %s -> %s\nunanswered\n", sLine.c_str(), ConsoleUi::AnswerText(a));
        return a;
    }
    const std::string sAnswer = mAnswers.front();
    mAnswers.pop_front();
    const std::optional<MsgAnswer> a = Word(sAnswer);
    if (!a || !Offers(buttons, *a))
        throw ScriptAnswerError("answer " + sAnswer + " does not fit the question: " + sLine);
    std::fprintf(mOut, "question: %s -> %s\n", sLine.c_str(), ConsoleUi::AnswerText(*a));
    return *a;
}

std::optional<std::string> EditScriptUi::InputBox(const std::string& sPrompt, const std::string&,
                                                  const std::string& sDefault)
{
    std::fprintf(mOut, "prompt: %s -> %s\n", Escaped(sPrompt).c_str(), Escaped(sDefault).c_str());
    return sDefault;
}

int EditScriptUi::ChooseFromList(const std::string&, const std::string& sTitle, const std::vector<std::string>& items,
                                 int)
{
    std::string sLine = "chooser: " + Escaped(sTitle);
    for (const std::string& item : items)
        sLine += " | " + Escaped(item);
    int nChosen = -1;
    bool bAnswered = !mAnswers.empty();
    if (bAnswered) {
        const std::string sAnswer = mAnswers.front();
        mAnswers.pop_front();
        const std::optional<int> n = LineNumber(sAnswer);
        if (!n && Word(sAnswer) != MsgAnswer::Cancel)
            throw ScriptAnswerError("answer " + sAnswer + " does not fit the chooser: " + sLine);
        // Cancel, or a line the list does not have, chooses nothing, as "&Select" with no line.
        nChosen = n && *n < int(items.size()) ? *n : -1;
    }
    std::fprintf(mOut, "%s -> %d\n%s", sLine.c_str(), nChosen, bAnswered ? "" : "unanswered\n");
    return nChosen;
}

}  // namespace orr
