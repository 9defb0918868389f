#include <gtest/gtest.h>

#include <filesystem>

#include "app/modGlobals.h"
#include "app/modMain.h"
#include "schema/modStartup.h"
#include "schema/clsDefFiles.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::TestEnv;

std::string ContainerMessage(const std::string& sFirst, const std::string& sPath)
{
    return sFirst + "\r\n" + sPath + "\r\n\r\nContact Quillmark, Inc.  (support@quillmark.example)";
}

TEST(Startup, MissingContainerStillWritesFirstRunSettings)
{
    TestEnv env;
    EXPECT_FALSE(gfStartCore());
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0],
              ContainerMessage("Could not find EDI document definition file:", env.config->DefinitionFile));
    EXPECT_EQ(env.ui.Calls()[0].icon, MsgIcon::Critical);
    EXPECT_EQ(env.settings.Get("Orrindale", "System", "AppName", ""), "Orrindale");
    EXPECT_EQ(env.settings.Get("Orrindale", "Edi", "IsaTest", ""), "T");
    // Settings are read only after the container loaded.
    EXPECT_EQ(env.config->ServerPort, 0);
}

TEST(Startup, UnreadableContainers)
{
    for (const std::string& sBytes : {std::string("XX"), std::string("OO\0\0", 4), std::string()}) {
        TestEnv env;
        TestEnv::WriteFile(env.config->DefinitionFile, sBytes);
        EXPECT_FALSE(gfStartCore());
        const auto messages = env.ui.Messages();
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back(),
                  ContainerMessage("Could not read EDI document definition file:", env.config->DefinitionFile));
    }
    TestEnv env;
    fs::create_directory(env.config->DefinitionFile);  // a folder where the file should be
    EXPECT_FALSE(gfStartCore());
    EXPECT_EQ(env.ui.Messages().back(),
              ContainerMessage("Could not read EDI document definition file:", env.config->DefinitionFile));
}

TEST(Startup, SucceedsWithContainerAndPreparesSettings)
{
    TestEnv env;
    TestEnv::WriteContainer(env.config->DefinitionFile, {{"docABC.def", "???*DESCRIPTION*Test\r\n"}});
    ASSERT_TRUE(gfStartCore());
    EXPECT_TRUE(env.ui.Messages().empty());
    ASSERT_NE(gDefFiles, nullptr);
    std::vector<std::string> list;
    EXPECT_EQ(gDefFiles->GetEdiDefFiles(list), 1);
    EXPECT_EQ(list[0], "docABC.def*Test*DD");
    EXPECT_EQ(env.config->ServerHost, "Localhost");
    EXPECT_TRUE(env.config->IsaTest);
    EXPECT_TRUE(fs::is_directory(env.config->DirOutgoing));

    // A second start keeps what the user changed.
    env.settings.Save("Orrindale", "Edi", "IsaTest", "F");
    ASSERT_TRUE(gfStartCore());
    EXPECT_FALSE(env.config->IsaTest);
}

}  // namespace
}  // namespace orr
