// The command line's INI reader against QSettings, which the desktop program
// uses on the same file: what one writes the other reads back the same.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <fstream>

#include "app/AppDirs.h"
#include "app/IniSettings.h"
#include "shell/QSettingsStore.h"

namespace orr {
namespace {

const std::vector<std::pair<std::string, std::string>> kValues = {
    {"Plain", "Orrindale"},
    {"Note", "a, b; c"},
    {"Equals", "x=y"},
    {"Quotes", "say \"hi\" \\ back\\slash"},
    {"Blanks", "  lead and trail  "},
    {"Controls", std::string("tab\tline\nreturn\rbell\a") + '\x01' + "1f" + '\x1f' + "z"},
    {"At", "@Invalid()"},
    {"AtAt", "@@x"},
    {"Empty", ""},
    {"Separators", "0x0A0x0D~'@0x15"},
    {"Utf8", "Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9D\x84\x9E"},
    {"Path", "/home/user/My Documents/in, out/file.edi"},
    {"With Space", "key with a blank"},
    {"per%cent/slash", "odd key"},
    {"\xC3\x9Cml\xC3\xA4ut", "key beyond ASCII"},
    {"RecentFile10", "/docs/f10.edi"},
    {"RecentFile2", "/docs/f2.edi"},
};
const std::vector<std::string> kSections = {"System", "General", "My Section", "Mail"};

void Fill(SettingsStore& store)
{
    for (const std::string& sSection : kSections)
        for (const auto& [sKey, sValue] : kValues)
            store.Save("Orrindale", sSection, sKey, sSection + ":" + sValue);
}

void ExpectSame(const SettingsStore& a, const SettingsStore& b)
{
    for (const std::string& sSection : kSections) {
        for (const auto& [sKey, sValue] : kValues) {
            const std::string sWhere = sSection + "/" + sKey;
            EXPECT_EQ(a.Get("Orrindale", sSection, sKey, "missing"), sSection + ":" + sValue) << sWhere;
            EXPECT_EQ(b.Get("Orrindale", sSection, sKey, "missing"), sSection + ":" + sValue) << sWhere;
        }
        EXPECT_EQ(a.ListSection("Orrindale", sSection), b.ListSection("Orrindale", sSection)) << sSection;
    }
}

TEST(IniSettings, ReadsWhatQSettingsWritesAndTheOtherWayRound)
{
    QTemporaryDir dir;
    const std::string sFromQt = dir.filePath(QStringLiteral("qt.ini")).toStdString();
    const std::string sFromCore = dir.filePath(QStringLiteral("core.ini")).toStdString();
    {
        QSettingsStore qt(QString::fromStdString(sFromQt));
        Fill(qt);
        qt.Sync();
        IniSettings core(sFromCore);
        Fill(core);
        ASSERT_TRUE(core.Sync());
    }
    ExpectSame(IniSettings(sFromQt), QSettingsStore(QString::fromStdString(sFromCore)));
    const SettingsList list = IniSettings(sFromQt).ListSection("Orrindale", "System");
    ASSERT_EQ(list.size(), kValues.size() - 1);  // "per%cent/slash" is key "slash" of group "per%cent"
    EXPECT_EQ(list.back().first, "\xC3\x9Cml\xC3\xA4ut");  // natural order: RecentFile2 before RecentFile10
    const auto recent =
        std::find_if(list.begin(), list.end(), [](const auto& kv) { return kv.first == "RecentFile2"; });
    ASSERT_NE(recent, list.end());
    EXPECT_EQ(std::next(recent)->first, "RecentFile10");

    // A deletion reaches the file; a missing key gives the default.
    {
        IniSettings core(sFromCore);
        core.Delete("Orrindale", "Mail", "Plain");
        EXPECT_EQ(core.Get("Orrindale", "Mail", "Plain", "gone"), "gone");
    }
    EXPECT_EQ(QSettingsStore(QString::fromStdString(sFromCore)).Get("Orrindale", "Mail", "Plain", "gone"), "gone");
}

// Files people edit by hand: comments, blanks around "=", a lower-case
// [general], a line continued, a value list, a key given twice, odd escapes.
TEST(IniSettings, ReadsHandWrittenFilesAsQSettingsDoes)
{
    QTemporaryDir dir;
    const std::string sFile = dir.filePath(QStringLiteral("hand.ini")).toStdString();
    std::ofstream(sFile, std::ios::binary)
        << "; a comment\n"
           "[general]\n"
           "Top = level value   \n"
           "[System]\r\n"
           "  AppName =  Orrindale ; trailing comment\r\n"
           "Continued=first \\\n"
           "second\n"
           "List=a, b, c\n"
           "Quoted=\"a, b\"  \n"
           "Twice=one\n"
           "Twice=two\n"
           "Octal=\\101\\x42C\n"
           "Unknown=\\q\n"
           "Spaced = \" both \" \n"
           "NoEquals\n"
           "[%General]\n"
           "Inner=general section\n"
           "[My%20Section]\n"
           "Key%3DA=escaped key\n"
           "Path\\Sub=slash\n"
           "Invalid=@Invalid()\n"
           "Bytes=@ByteArray(raw)\n";
    const IniSettings core(sFile);
    const QSettingsStore qt(QString::fromStdString(sFile));
    const std::vector<std::pair<std::string, std::string>> keys = {
        {"System", "AppName"}, {"System", "Continued"}, {"System", "List"},   {"System", "Quoted"},
        {"System", "Twice"},   {"System", "Octal"},     {"System", "Unknown"}, {"System", "Spaced"},
        {"General", "Inner"},  {"My Section", "Key=A"}, {"My Section", "Invalid"}, {"My Section", "Bytes"},
        {"System", "NoEquals"}};
    for (const auto& [sSection, sKey] : keys)
        EXPECT_EQ(core.Get("Orrindale", sSection, sKey, "default"), qt.Get("Orrindale", sSection, sKey, "default"))
            << sSection << "/" << sKey;
    EXPECT_EQ(core.Get("Orrindale", "System", "AppName", ""), "Orrindale");
    EXPECT_EQ(core.Get("Orrindale", "System", "Twice", ""), "two");
    QSettings raw(QString::fromStdString(sFile), QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("Top")).toString(), QStringLiteral("level value"));
    EXPECT_EQ(raw.value(QStringLiteral("My Section/Path/Sub")).toString(), QStringLiteral("slash"));
}

// Sync reads the file again: keys another program wrote meanwhile stay.
TEST(IniSettings, SyncKeepsWhatAnotherProgramWroteMeanwhile)
{
    QTemporaryDir dir;
    const std::string sFile = dir.filePath(QStringLiteral("shared.ini")).toStdString();
    IniSettings core(sFile);
    core.Save("Orrindale", "System", "Ours", "1");
    {
        QSettingsStore qt(QString::fromStdString(sFile));
        qt.Save("Orrindale", "System", "Theirs", "2");
        qt.Save("Orrindale", "System", "Ours", "overwritten");
    }
    ASSERT_TRUE(core.Sync());
    const QSettingsStore after(QString::fromStdString(sFile));
    EXPECT_EQ(after.Get("Orrindale", "System", "Ours", ""), "1");
    EXPECT_EQ(after.Get("Orrindale", "System", "Theirs", ""), "2");
}

// The folders without Qt are the ones Qt gives the desktop program.
TEST(AppDirs, MatchQtsFolders)
{
    QTemporaryDir dir;
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME"), oldData = qgetenv("XDG_DATA_HOME");
    const QString oldOrg = QCoreApplication::organizationName(), oldApp = QCoreApplication::applicationName();
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
    QCoreApplication::setOrganizationName(QStringLiteral("Orrindale"));
    QCoreApplication::setApplicationName(QStringLiteral("Orrindale"));

    const AppDirs dirs = AppDirs::Resolve("", QCoreApplication::applicationDirPath().toStdString());
    EXPECT_EQ(QString::fromStdString(dirs.dataDir),
              QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
    EXPECT_TRUE(QDir(QString::fromStdString(dirs.dataDir)).exists());
    EXPECT_EQ(QString::fromStdString(dirs.settingsFile),
              QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Orrindale"),
                        QStringLiteral("Orrindale"))
                  .fileName());
    EXPECT_EQ(QString::fromStdString(dirs.installDir), QCoreApplication::applicationDirPath());

    const AppDirs home = AppDirs::Resolve(dir.filePath(QStringLiteral("home/../portable/")).toStdString(), "/none");
    EXPECT_EQ(QString::fromStdString(home.installDir), dir.filePath(QStringLiteral("portable")));
    EXPECT_EQ(home.dataDir, home.installDir);
    EXPECT_EQ(home.settingsFile, home.installDir + "/Orrindale.ini");

    QCoreApplication::setOrganizationName(oldOrg);
    QCoreApplication::setApplicationName(oldApp);
    oldConfig.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", oldConfig);
    oldData.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", oldData);
}

}  // namespace
}  // namespace orr
