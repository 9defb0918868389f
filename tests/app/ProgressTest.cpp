#include <gtest/gtest.h>

#include "app/clsProgress.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using namespace std::chrono_literals;
using test::UiCall;

TEST(Progress, StatusIsThrottledNotDelayed)
{
    test::ScriptedUi ui;
    std::chrono::steady_clock::time_point now{};
    std::vector<std::string> shown;
    {
        clsProgress progress([&] { return now; });
        for (int i = 0; i < 10; ++i) {  // ten pieces of a document read within 90 ms
            progress.Status("Reading EDI document. " + std::to_string(512 * (i + 1)));
            now += 10ms;
        }
        now += 200ms;
        progress.Status("Building schema tree...");
    }
    for (const UiCall& c : ui.Calls())
        if (c.kind == UiCall::Progress)
            shown.push_back(c.sText);
    EXPECT_EQ(shown, (std::vector<std::string>{"Reading EDI document. 512", "Building schema tree..."}));
}

}  // namespace
}  // namespace orr
