#include <gtest/gtest.h>

#include "shell/OrrApplication.h"
#include "store/clsTree.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

TEST(OrrApplication, FailuresEscapingAHandlerAreReportedAndTheProgramGoesOn)
{
    test::TestEnv env;
    EXPECT_FALSE(gfRunGuarded([]() -> bool { throw TreeError("Attach: not a node of this tree"); }));
    ASSERT_EQ(env.ui.Calls().size(), 1u);
    EXPECT_EQ(env.ui.Calls()[0].icon, MsgIcon::Critical);
    EXPECT_NE(env.ui.Messages()[0].find("Attach: not a node of this tree"), std::string::npos);
    EXPECT_TRUE(gfRunGuarded([] { return true; }));
    EXPECT_EQ(env.ui.Calls().size(), 1u);
}

}  // namespace
}  // namespace orr
