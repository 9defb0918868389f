#include <gtest/gtest.h>

#include "app/modText.h"

namespace orr {
namespace {

TEST(Text, TrimsKeepWhatTheirKindOfValueKeeps)
{
    // A value read from a file keeps its tabs and line ends; a typed name loses tabs too.
    EXPECT_EQ(gfTrimSpaces(std::string_view("  \tN1 \r\n  ")), "\tN1 \r\n");
    EXPECT_EQ(gfTrimBlanks(std::string_view(" \t name \t")), "name");
    EXPECT_EQ(gfTrimSpaces(std::string_view("   ")), "");
    EXPECT_EQ(gfTrimBlanks(std::string_view("")), "");
    EXPECT_EQ(gfTrimSpaces(std::string_view("x")), "x");

    // A view points into the text it was given.
    const std::string sOwner = "  ab  ";
    EXPECT_EQ(gfTrimSpaces(sOwner).data(), sOwner.data() + 2);

    // A temporary is trimmed into a string of its own, long enough to leave
    // the small-string buffer.
    const std::string sLong(40, 'v');
    EXPECT_EQ(gfTrimBlanks("\t  " + sLong + " \t"), sLong);
    EXPECT_EQ(gfTrimSpaces(std::string(" a b ")), "a b");
    EXPECT_EQ(gfTrimSpaces(std::string("    ")), "");
}

TEST(Text, BlankCaseAndLineBreak)
{
    EXPECT_TRUE(gfAllBlank(""));
    EXPECT_TRUE(gfAllBlank(" \t\r\n"));
    EXPECT_FALSE(gfAllBlank(" \t.\r\n"));

    EXPECT_TRUE(gfSameName("RecentFile1", "RECENTFILE1"));
    EXPECT_FALSE(gfSameName("RecentFile1", "RECENTFILE"));
    EXPECT_FALSE(gfSameName("[", "{"));                // one apart once folded by bit, not letters
    EXPECT_FALSE(gfSameName("\xC3\xA9", "\xC3\x89"));  // only ASCII letters fold

    EXPECT_EQ(gfUpper(std::string("x222a1-\xC3\xA9")), "X222A1-\xC3\xA9");
    EXPECT_EQ(gfUpper('s'), 'S');
    EXPECT_EQ(gfUpper('*'), '*');
}

}  // namespace
}  // namespace orr
