#include "tests/support/ScriptedUi.h"

#include <gtest/gtest.h>

namespace orr::test {

ScriptedUi::ScriptedUi() { gfSetUi(this); }

ScriptedUi::~ScriptedUi() { gfSetUi(nullptr); }

void ScriptedUi::QueueAnswer(MsgAnswer answer) { mAnswers.push_back({UiCall::Message, answer, {}, -1}); }

void ScriptedUi::QueueInput(std::optional<std::string> sText)
{
    mAnswers.push_back({UiCall::Input, MsgAnswer::OK, std::move(sText), -1});
}

void ScriptedUi::QueueChoice(int nIndex) { mAnswers.push_back({UiCall::Choice, MsgAnswer::OK, {}, nIndex}); }

ScriptedUi::Answer ScriptedUi::Next(UiCall::Kind kind, const std::string& sWhat)
{
    if (mAnswers.empty() || mAnswers.front().kind != kind) {
        ADD_FAILURE() << "unprepared question: " << sWhat;
        throw UnexpectedQuestion(sWhat);
    }
    Answer a = mAnswers.front();
    mAnswers.pop_front();
    return a;
}

MsgAnswer ScriptedUi::MsgBox(const std::string& sText, MsgButtons buttons, MsgIcon icon, const std::string& sTitle)
{
    mCalls.push_back({UiCall::Message, sText, sTitle, icon, buttons, {}});
    if (fnWhileShown)
        fnWhileShown(sText);
    if (buttons == MsgButtons::OK)
        return MsgAnswer::OK;
    return Next(UiCall::Message, sText).msg;
}

std::optional<std::string> ScriptedUi::InputBox(const std::string& sPrompt, const std::string& sTitle,
                                                const std::string&)
{
    mCalls.push_back({UiCall::Input, sPrompt, sTitle, MsgIcon::None, MsgButtons::OK, {}});
    return Next(UiCall::Input, sPrompt).text;
}

int ScriptedUi::ChooseFromList(const std::string& sPrompt, const std::string& sTitle,
                               const std::vector<std::string>& items, int)
{
    mCalls.push_back({UiCall::Choice, sPrompt, sTitle, MsgIcon::None, MsgButtons::OK, items});
    return Next(UiCall::Choice, sPrompt).index;
}

void ScriptedUi::ProgressStatus(const std::string& sMessage)
{
    mCalls.push_back({UiCall::Progress, sMessage, {}, MsgIcon::None, MsgButtons::OK, {}});
}

std::vector<std::string> ScriptedUi::Messages() const
{
    std::vector<std::string> texts;
    for (const UiCall& c : mCalls)
        if (c.kind == UiCall::Message)
            texts.push_back(c.sText);
    return texts;
}

bool ScriptedUi::AllAnswersUsed() const { return mAnswers.empty(); }

}  // namespace orr::test
