#include <gtest/gtest.h>

#include <filesystem>

#include "schema/modFileArchive.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::TestEnv;

TEST(FileArchive, BackupTakesTheFirstFreeNumber)
{
    TestEnv env;
    const std::string file = env.Path("in.edi");
    gfBackupByRenaming(file);  // nothing to back up
    EXPECT_FALSE(fs::exists(env.Path("in.000")));

    gfWriteTextFile(file, "first");
    TestEnv::WriteFile(env.Path("in.000"), "older");
    gfBackupByRenaming(file);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(TestEnv::ReadFile(env.Path("in.000")), "older");
    EXPECT_EQ(TestEnv::ReadFile(env.Path("in.001")), "first");

    gfWriteTextFile(file, "second\r\n");
    EXPECT_EQ(TestEnv::ReadFile(file), "second\r\n");
    EXPECT_THROW(gfWriteTextFile(env.Path("none/x.edi"), "x"), std::system_error);
}

}  // namespace
}  // namespace orr
