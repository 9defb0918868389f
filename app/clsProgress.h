#pragma once
// Shows the phase of a long operation in the progress window while the
// interface stays responsive. Updates are throttled so that showing progress
// never slows the work down.
#include <chrono>
#include <functional>
#include <string>

namespace orr {

class clsProgress {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::milliseconds kInterval{100};

    explicit clsProgress(Clock clock = &std::chrono::steady_clock::now);
    ~clsProgress();
    clsProgress(const clsProgress&) = delete;
    clsProgress& operator=(const clsProgress&) = delete;

    // Shows the message unless the last one went up less than kInterval ago.
    void Status(const std::string& sMessage);
    // True when Status would show a message now: callers on a hot path build
    // the text only then.
    bool Due() const;
    // Brings the window to the front again.
    void Show();

private:
    Clock mClock;
    std::chrono::steady_clock::time_point mLastShown{};
    bool mbShownOnce = false;
};

}  // namespace orr
