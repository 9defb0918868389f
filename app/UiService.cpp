#include "app/UiService.h"

#include <atomic>

#include "app/clsConfig.h"
#include "app/modGlobals.h"

namespace orr {
namespace {

class SilentUi final : public UiService {
public:
    MsgAnswer MsgBox(const std::string&, MsgButtons buttons, MsgIcon, const std::string&) override
    {
        switch (buttons) {
        case MsgButtons::OK: return MsgAnswer::OK;
        case MsgButtons::YesNo: return MsgAnswer::No;
        case MsgButtons::YesNoCancel: return MsgAnswer::Cancel;
        }
        return MsgAnswer::Cancel;
    }
    std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    int ChooseFromList(const std::string&, const std::string&, const std::vector<std::string>&, int) override
    {
        return -1;
    }
};

SilentUi gSilentUi;
UiService* gpUi = nullptr;
std::atomic<std::uint64_t> gnMessages{0};

}  // namespace

UiService& gfUi() { return gpUi ? *gpUi : gSilentUi; }

void gfSetUi(UiService* pUi) { gpUi = pUi; }

MsgAnswer gfMsgBox(const std::string& sText, MsgIcon icon, MsgButtons buttons, const std::string& sTitle)
{
    gnMessages.fetch_add(1, std::memory_order_relaxed);
    std::string title = sTitle;
    if (title.empty())
        title = gConfig ? gConfig->AppTitle : std::string("Orrindale");
    return gfUi().MsgBox(sText, buttons, icon, title);
}

std::uint64_t gfMessageCount() { return gnMessages.load(std::memory_order_relaxed); }

}  // namespace orr
