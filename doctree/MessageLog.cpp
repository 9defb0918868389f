#include "doctree/MessageLog.h"

namespace orr {

MessageLog::MessageLog() : mpPrevious(&gfUi()) { gfSetUi(this); }

MessageLog::~MessageLog() { gfSetUi(mpPrevious); }

void MessageLog::Add(const std::string& sText)
{
    std::string sLine;
    for (const char c : sText)
        if (c != '\r')
            sLine += c == '\n' ? ' ' : c;
    msText += sLine + "\n";
}

MsgAnswer MessageLog::MsgBox(const std::string& sText, MsgButtons buttons, MsgIcon, const std::string&)
{
    Add(sText);
    return buttons == MsgButtons::OK ? MsgAnswer::OK : MsgAnswer::No;
}

std::optional<std::string> MessageLog::InputBox(const std::string& sPrompt, const std::string&, const std::string&)
{
    Add(sPrompt);
    return std::nullopt;
}

int MessageLog::ChooseFromList(const std::string& sPrompt, const std::string&, const std::vector<std::string>&, int)
{
    Add(sPrompt);
    return -1;
}

}  // namespace orr
