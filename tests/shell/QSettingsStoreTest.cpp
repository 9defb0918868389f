#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "shell/QSettingsStore.h"

namespace orr {
namespace {

TEST(QSettingsStore, RoundTripAndNaturalKeyOrder)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Orrindale.ini"));
    {
        QSettingsStore store(ini);
        EXPECT_EQ(store.Get("Orrindale", "System", "AppName", "dflt"), "dflt");
        for (int i : {10, 2, 1})
            store.Save("Orrindale", "System", "RecentFile" + std::to_string(i), "/docs/f" + std::to_string(i) + ".edi");
        store.Save("Orrindale", "Edi", "SelimiterS", "0x0A0x0D~'@0x15");
        store.Save("Orrindale", "Edi", "Note", "a, b; c");
        store.Save("Orrindale", "Edi", "Empty", "");
        store.Sync();
    }
    QSettingsStore store(ini);
    EXPECT_EQ(store.Get("Orrindale", "Edi", "SelimiterS", ""), "0x0A0x0D~'@0x15");
    EXPECT_EQ(store.Get("Orrindale", "Edi", "Note", ""), "a, b; c");
    EXPECT_EQ(store.Get("Orrindale", "Edi", "Empty", "dflt"), "");  // stored empty is not missing
    SettingsList recent = store.ListSection("Orrindale", "System");
    ASSERT_EQ(recent.size(), 3u);
    EXPECT_EQ(recent[0].first, "RecentFile1");
    EXPECT_EQ(recent[1].first, "RecentFile2");
    EXPECT_EQ(recent[2].first, "RecentFile10");
    EXPECT_EQ(recent[2].second, "/docs/f10.edi");
    store.Delete("Orrindale", "System", "RecentFile2");
    EXPECT_EQ(store.ListSection("Orrindale", "System").size(), 2u);
    EXPECT_EQ(store.Get("Orrindale", "System", "RecentFile2", "gone"), "gone");
}

}  // namespace
}  // namespace orr
