#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "app/modSystem.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using test::ProgramEnded;
using test::RecordingIllogicHost;
using test::TestEnv;
using test::UiCall;

TEST(ErrorReport, RunTimeErrorShowsDescriptionAndNumber)
{
    TestEnv env;
    try {
        (void)std::filesystem::file_size(env.Path("missing.edi"));
        FAIL() << "no error for a missing file";
    } catch (const std::exception& e) {
        gfReportRunTimeError(e);
    }
    ASSERT_EQ(env.ui.Calls().size(), 1u);
    const UiCall& c = env.ui.Calls()[0];
    EXPECT_EQ(c.sText, "Error:No such file or directory: " + env.Path("missing.edi") + "\r\n\r\nError Code:" +
                           std::to_string(ENOENT));
    EXPECT_EQ(c.sTitle, "Orrindale");
    EXPECT_EQ(c.icon, MsgIcon::Critical);
}

TEST(ErrorReport, IllogicWithEmptyDetailKeepsAllLines)
{
    TestEnv env;
    gfIllogic("");
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0],
              "The Orrindale program has detected an illogic condition.\r\n"
              "\r\n\r\n"
              "Sorry for the inconvenience.  We would appreciate that you can report this problem\r\n"
              "to support@quillmark.example for support.  We will try to fix the problem\r\n"
              "as soon as we can.\r\n\r\n"
              "Please include as much information as possible as to when this occurred and\r\n"
              "the document and document type you were editing.\r\n\r\n"
              "Thanks.");
    EXPECT_EQ(env.ui.Calls()[0].icon, MsgIcon::Critical);
}

TEST(ErrorReport, SystemIllogicAnnouncesAndUnloadsEveryWindow)
{
    TestEnv env;
    RecordingIllogicHost host({{"frmMain", false}, {"frmDocument", true}, {"frmDocument", true}});
    EXPECT_THROW(gfSystemIllogic("ReadLineFromDefFile:9"), ProgramEnded);

    const std::vector<std::string> expected = {
        "System illogic.\r\n\r\nReadLineFromDefFile:9",
        "active form:frmDocument",
        "active form:frmDocument",
        "active form:frmMain",
        "Unloading MDI Child form:frmDocument",
        "Unloading MDI Child form:frmDocument",
        "Unloading MDI frame form:frmMain",
    };
    EXPECT_EQ(env.ui.Messages(), expected);
    for (const UiCall& c : env.ui.Calls())
        EXPECT_EQ(c.sTitle, "System Error");
    EXPECT_EQ(env.ui.Calls()[0].icon, MsgIcon::Critical);
    EXPECT_EQ(env.ui.Calls()[1].icon, MsgIcon::Information);
    EXPECT_EQ(host.unloaded, (std::vector<std::string>{"frmDocument", "frmDocument", "frmMain"}));
}

TEST(ErrorReport, SystemIllogicUnloadsNonDocumentChildrenAsFrameForms)
{
    TestEnv env;
    RecordingIllogicHost host({{"frmMain", false}, {"frmEdiServer", true}, {"frmDocument", false}});
    EXPECT_THROW(gfSystemIllogic("x"), ProgramEnded);
    const auto messages = env.ui.Messages();
    ASSERT_EQ(messages.size(), 7u);
    EXPECT_EQ(messages[4], "Unloading MDI frame form:frmDocument");
    EXPECT_EQ(messages[5], "Unloading MDI frame form:frmEdiServer");
    EXPECT_EQ(messages[6], "Unloading MDI frame form:frmMain");
}

}  // namespace
}  // namespace orr
