#include "app/clsProgress.h"

#include "app/UiService.h"

namespace orr {

clsProgress::clsProgress(Clock clock) : mClock(std::move(clock))
{
    gfUi().ProgressShow();
    gfUi().ProcessEvents();
}

clsProgress::~clsProgress() { gfUi().ProgressHide(); }

void clsProgress::Status(const std::string& sMessage)
{
    const auto now = mClock();
    if (mbShownOnce && now - mLastShown < kInterval)
        return;
    mbShownOnce = true;
    mLastShown = now;
    gfUi().ProgressStatus(sMessage);
}

bool clsProgress::Due() const { return !mbShownOnce || mClock() - mLastShown >= kInterval; }

void clsProgress::Show() { gfUi().ProgressRaise(); }

}  // namespace orr
