#include <gtest/gtest.h>

#include "app/modRecent.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using test::TestEnv;

std::string Stored(TestEnv& env, int i)
{
    return env.settings.Get("Orrindale", "System", "RecentFile" + std::to_string(i), "<missing>");
}

std::vector<std::string> Files(std::initializer_list<const char*> list) { return {list.begin(), list.end()}; }

TEST(RecentFiles, AddingPushesOldestOutAndNeverDuplicates)
{
    TestEnv env;
    int nRefreshes = 0;
    gfSetRecentRefresh([&] { ++nRefreshes; });
    env.settings.Save("Orrindale", "System", "MainLeft", "1000");  // other keys of the section are skipped

    EXPECT_TRUE(gfRecentFiles().empty());
    for (const char* path : {"/d/a.edi", "/d/b.edi", "/d/c.edi", "/d/d.edi"})
        gfAddRecentFile(path);
    EXPECT_EQ(gfRecentFiles(), Files({"/d/d.edi", "/d/c.edi", "/d/b.edi", "/d/a.edi"}));
    EXPECT_EQ(nRefreshes, 4);

    // Already listed: neither duplicated nor moved to the front, no refresh.
    gfAddRecentFile("/d/b.edi");
    EXPECT_EQ(gfRecentFiles(), Files({"/d/d.edi", "/d/c.edi", "/d/b.edi", "/d/a.edi"}));
    EXPECT_EQ(nRefreshes, 4);

    // A fifth file: the oldest goes, the fourth key holds the former third entry.
    gfAddRecentFile("/d/e.edi");
    EXPECT_EQ(Stored(env, 1), "/d/e.edi");
    EXPECT_EQ(Stored(env, 4), "/d/b.edi");
    EXPECT_EQ(Stored(env, 5), "<missing>");
    EXPECT_EQ(gfRecentFiles(), Files({"/d/e.edi", "/d/d.edi", "/d/c.edi", "/d/b.edi"}));

    // Comparison is exact: another spelling is another file.
    gfAddRecentFile("/D/E.EDI");
    EXPECT_EQ(gfRecentFiles().front(), "/D/E.EDI");
    gfSetRecentRefresh({});
}

TEST(RecentFiles, RemovingClosesTheGapAndDeletesTheLastKey)
{
    TestEnv env;
    int nRefreshes = 0;
    gfSetRecentRefresh([&] { ++nRefreshes; });
    for (const char* path : {"/x/3", "/x/2", "/x/1"})
        gfAddRecentFile(path);
    nRefreshes = 0;

    // Second of three: the first stays, the third moves up, the third key goes.
    gfRemoveRecentFile("/x/2");
    EXPECT_EQ(Stored(env, 1), "/x/1");
    EXPECT_EQ(Stored(env, 2), "/x/3");
    EXPECT_EQ(Stored(env, 3), "<missing>");
    EXPECT_EQ(nRefreshes, 1);

    // Not in the list: nothing happens.
    gfRemoveRecentFile("/x/2");
    EXPECT_EQ(nRefreshes, 1);
    EXPECT_EQ(gfRecentFiles(), Files({"/x/1", "/x/3"}));

    // The last entry, then the only one: the list empties key by key.
    gfRemoveRecentFile("/x/3");
    EXPECT_EQ(Stored(env, 2), "<missing>");
    gfRemoveRecentFile("/x/1");
    EXPECT_EQ(Stored(env, 1), "<missing>");
    EXPECT_TRUE(gfRecentFiles().empty());

    // A full list losing its fourth entry: no later key to move, the fourth key goes.
    for (const char* path : {"/y/4", "/y/3", "/y/2", "/y/1"})
        gfAddRecentFile(path);
    gfRemoveRecentFile("/y/4");
    EXPECT_EQ(Stored(env, 4), "<missing>");
    EXPECT_EQ(gfRecentFiles(), Files({"/y/1", "/y/2", "/y/3"}));
    // And its first: everything moves up.
    gfAddRecentFile("/y/0");
    gfRemoveRecentFile("/y/0");
    EXPECT_EQ(gfRecentFiles(), Files({"/y/1", "/y/2", "/y/3"}));
    EXPECT_EQ(Stored(env, 4), "<missing>");
    gfSetRecentRefresh({});
}

TEST(RecentFiles, ListReadsRecentKeysOnlyWhileTheFirstIsSet)
{
    TestEnv env;
    // Keys are recognised by their prefix in any case, in stored order.
    env.settings.Save("Orrindale", "System", "recentfile2", "/b");
    env.settings.Save("Orrindale", "System", "DirIncoming", "/in");
    EXPECT_TRUE(gfRecentFiles().empty());  // no "RecentFile1": nothing is shown
    env.settings.Save("Orrindale", "System", "RecentFile1", "/a");
    EXPECT_EQ(gfRecentFiles(), Files({"/b", "/a"}));
    for (int i = 3; i <= 6; ++i)
        env.settings.Save("Orrindale", "System", "RecentFile" + std::to_string(i), "/" + std::to_string(i));
    EXPECT_EQ(gfRecentFiles().size(), 4u);  // four menu entries at most
    // Emptying the first key hides the whole list.
    env.settings.Save("Orrindale", "System", "RecentFile1", "");
    EXPECT_TRUE(gfRecentFiles().empty());
}

}  // namespace
}  // namespace orr
