#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "app/modGlobals.h"
#include "app/modMain.h"
#include "app/modRegistry.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::TestEnv;

std::string Stored(TestEnv& env, const std::string& sSection, const std::string& sKey)
{
    return env.settings.Get("Orrindale", sSection, sKey, "<missing>");
}

TEST(Registry, FirstRunValuesDifferFromReadDefaults)
{
    {
        TestEnv env;
        EXPECT_TRUE(gfIsNewInstall());
        gfWriteDefaultRegistry();
        EXPECT_FALSE(gfIsNewInstall());
        gfReadRegistry();
        EXPECT_TRUE(env.config->IsaTest);
        EXPECT_EQ(env.config->GsReleaseID, "004050");
        EXPECT_TRUE(env.config->OpenST);
        EXPECT_EQ(env.config->IsaIcNumber, 1);
        EXPECT_EQ(env.config->DirIncoming, env.Dir() + "/Incoming");
    }
    {
        TestEnv env;
        env.settings.Save("Orrindale", "System", "AppName", "Orrindale");
        gfReadRegistry();
        EXPECT_FALSE(env.config->IsaTest);
        EXPECT_EQ(env.config->GsReleaseID, "004030VICS");
        EXPECT_FALSE(env.config->OpenDocument);  // missing booleans read as "F"
        EXPECT_TRUE(env.config->IsaAckRequired);
        EXPECT_EQ(env.config->Selimiter, 126);
        EXPECT_EQ(env.config->IsaIcId, "U");
    }
}

TEST(Registry, FirstRunWritesEveryKey)
{
    TestEnv env;
    gfWriteDefaultRegistry();
    std::vector<std::string> system, edi;
    for (const auto& kv : env.settings.ListSection("Orrindale", "System"))
        system.push_back(kv.first);
    for (const auto& kv : env.settings.ListSection("Orrindale", "Edi"))
        edi.push_back(kv.first);
    std::sort(system.begin(), system.end());
    std::sort(edi.begin(), edi.end());
    EXPECT_EQ(system, (std::vector<std::string>{"AppName", "DirIncoming", "DirOutgoing", "OpenDocument", "OpenGS",
                                                "OpenISA", "OpenST"}));
    EXPECT_EQ(edi, (std::vector<std::string>{"Delimiter", "DelimiterS", "GsAgencyCode", "GsControlNumber",
                                             "GsReleaseID", "HerAddr", "HerAddrQualifier", "IsaAckRequired", "IsaIcId",
                                             "IsaIcNumber", "IsaIcVersion", "IsaTest", "MyAddr", "MyAddrQualifier",
                                             "Selimiter", "SelimiterS"}));
    EXPECT_EQ(Stored(env, "Edi", "DelimiterS"), "*+~|{}");
    EXPECT_EQ(Stored(env, "Edi", "SelimiterS"), "0x0A0x0D~'@0x15");
}

TEST(Registry, BadStoredValues)
{
    TestEnv env;
    env.settings.Save("Orrindale", "Edi", "Selimiter", "~");
    env.settings.Save("Orrindale", "Edi", "Delimiter", "70000");
    env.settings.Save("Orrindale", "System", "OpenISA", "t");
    gfReadRegistry();
    EXPECT_EQ(env.config->Selimiter, 126);
    EXPECT_EQ(Stored(env, "Edi", "Selimiter"), "126");
    EXPECT_EQ(env.config->Delimiter, 42);
    EXPECT_EQ(Stored(env, "Edi", "Delimiter"), "42");
    EXPECT_FALSE(env.config->OpenISA);

    // A control number that is no number stops reading at that key.
    env.settings.Save("Orrindale", "Edi", "IsaIcNumber", "12x");
    env.settings.Save("Orrindale", "Edi", "IsaTest", "T");
    env.config->IsaTest = false;
    EXPECT_THROW(gfReadRegistry(), std::invalid_argument);
    EXPECT_EQ(env.config->IsaIcVersion, "300");  // read before the bad key
    EXPECT_FALSE(env.config->IsaTest);           // after it: untouched
}

TEST(Registry, SaveWritesFieldsBack)
{
    TestEnv env;
    env.config->Selimiter = 10;
    env.config->IsaTest = true;
    env.config->GsControlNumber = 2147483647;
    env.config->MyAddr = "SENDER";
    gfSaveRegistry();
    EXPECT_EQ(Stored(env, "Edi", "Selimiter"), "10");
    EXPECT_EQ(Stored(env, "Edi", "IsaTest"), "T");
    EXPECT_EQ(Stored(env, "System", "OpenISA"), "T");
    EXPECT_EQ(Stored(env, "Edi", "GsControlNumber"), "2147483647");
    gfReadRegistry();
    EXPECT_EQ(env.config->GsControlNumber, 2147483647);
    EXPECT_EQ(env.config->MyAddr, "SENDER");
}

TEST(Registry, SetupSettingsPreparesDirectories)
{
    TestEnv env;
    env.settings.Save("Orrindale", "System", "AppName", "Orrindale");
    env.config->ServerHost = "elsewhere";
    env.config->ServerPort = 25;
    gfSetupSettings();
    // Empty directory values are replaced and saved back, and created.
    EXPECT_EQ(Stored(env, "System", "DirIncoming"), env.Dir() + "/Incoming");
    EXPECT_TRUE(fs::is_directory(env.Dir() + "/Incoming"));
    EXPECT_TRUE(fs::is_directory(env.Dir() + "/Outgoing"));
    EXPECT_EQ(env.config->ServerHost, "Localhost");
    EXPECT_EQ(env.config->ServerPort, 1001);

    // Only one level is created; a missing parent leaves the folder missing.
    env.settings.Save("Orrindale", "System", "DirIncoming", env.Dir() + "/in");
    env.settings.Save("Orrindale", "System", "DirOutgoing", env.Dir() + "/no/such/out");
    gfSetupSettings();
    EXPECT_TRUE(fs::is_directory(env.Dir() + "/in"));
    EXPECT_FALSE(fs::exists(env.Dir() + "/no"));

    // A bad control number stops the reading, not the start-up.
    env.settings.Save("Orrindale", "Edi", "GsControlNumber", "");
    env.config->ServerPort = 0;
    gfSetupSettings();
    EXPECT_EQ(env.config->ServerPort, 1001);
}

}  // namespace
}  // namespace orr
