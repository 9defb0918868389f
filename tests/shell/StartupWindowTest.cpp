#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMdiSubWindow>
#include <QStandardPaths>
#include <QTest>

#include "app/modGlobals.h"
#include "app/modMain.h"
#include "app/modSystem.h"
#include "schema/clsDefFiles.h"
#include "shell/FormRegistry.h"
#include "shell/QtUi.h"
#include "shell/frmMain.h"
#include "shell/frmProgress.h"
#include "shell/frmSplash.h"
#include "shell/modShellMain.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using test::TestEnv;

// Runs the start-up sequence in a private home; restores the working folder.
StartResult StartIn(TestEnv& env)
{
    const QString cwd = QDir::currentPath();
    const QString home = QString::fromStdString(env.Dir());
    // The settings file names the recovery folder: inside the private home.
    StartResult r = Main(AppPaths{home, home, home + QStringLiteral("/Orrindale.ini")});
    QDir::setCurrent(cwd);
    return r;
}

TEST(StartupWindow, FrameShowsAfterASuccessfulStart)
{
    TestEnv env;
    TestEnv::WriteContainer(env.Path("EdiDef.bin"), {{"docT.def", "???*DESCRIPTION*T\r\n"}});
    StartResult r = StartIn(env);
    ASSERT_TRUE(r.bStarted);
    ASSERT_NE(r.pMain, nullptr);
    EXPECT_TRUE(env.ui.Messages().empty());
    EXPECT_TRUE(r.pMain->isVisible());
    EXPECT_EQ(r.pMain->objectName(), QStringLiteral("frmMain"));
    ASSERT_NE(gDefFiles, nullptr);
    EXPECT_EQ(gConfig->ServerPort, 1001);

    ASSERT_NE(r.pSplash, nullptr);
    EXPECT_TRUE(r.pSplash->lblVersion->text().startsWith(QStringLiteral("Version ")));
    EXPECT_EQ(r.pSplash->tmr->interval(), 3000);
    EXPECT_TRUE(r.pSplash->tmr->isActive());

    const QImage shot = r.pMain->grab().toImage();
    EXPECT_FALSE(shot.isNull());
    EXPECT_GT(shot.width(), 100);

    delete r.pSplash;
    delete r.pMain;
}

TEST(StartupWindow, FailedStartShowsReasonsAndNoFrame)
{
    TestEnv env;
    StartResult r = StartIn(env);
    EXPECT_FALSE(r.bStarted);
    EXPECT_EQ(r.pMain, nullptr);
    const auto messages = env.ui.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].rfind("Could not find EDI document definition file:\r\n", 0), 0u);
    EXPECT_EQ(messages[1], "Orrindale failed to start.");
    EXPECT_EQ(env.ui.Calls()[1].icon, MsgIcon::Critical);
    // First-run settings are written even though the start failed.
    EXPECT_EQ(env.settings.Get("Orrindale", "System", "AppName", ""), "Orrindale");
    // Dialogs never belong to the splash window, which deletes itself.
    QApplication::setActiveWindow(r.pSplash);
    EXPECT_NE(QtUi::DialogParent(), r.pSplash);
    // The splash window closes itself when its timer fires.
    QPointer<frmSplash> splash = r.pSplash;
    ASSERT_TRUE(splash);
    splash->tmr->setInterval(1);
    splash->tmr->start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return splash.isNull(); }, 2000));
}

TEST(StartupWindow, SystemIllogicUnloadsTheRealWindows)
{
    TestEnv env;
    auto* frame = new frmMain;
    frame->show();
    std::vector<QPointer<QWidget>> docs;
    for (int i = 0; i < 2; ++i) {
        auto* doc = new QWidget;
        doc->setObjectName(QStringLiteral("frmDocument"));
        frame->MdiArea()->addSubWindow(doc)->show();
        FormRegistry::Add(doc);
        docs.emplace_back(doc);
    }
    QPointer<frmMain> framePtr = frame;
    gfSetSystemIllogicHost({&FormRegistry::Loaded, [] { throw test::ProgramEnded("end"); }});
    EXPECT_THROW(gfSystemIllogic("node number above 99999"), test::ProgramEnded);
    gfSetSystemIllogicHost({});

    const auto messages = env.ui.Messages();
    ASSERT_EQ(messages.size(), 7u);
    EXPECT_EQ(messages[1], "active form:frmDocument");
    EXPECT_EQ(messages[3], "active form:frmMain");
    EXPECT_EQ(messages[4], "Unloading MDI Child form:frmDocument");
    EXPECT_EQ(messages[6], "Unloading MDI frame form:frmMain");
    EXPECT_TRUE(framePtr.isNull());
    EXPECT_TRUE(docs[0].isNull() && docs[1].isNull());
}

TEST(ProgressWindow, ShowsPhaseAndGoesAway)
{
    QtUi ui;
    gfSetUi(&ui);
    ui.ProgressShow();
    ASSERT_NE(ui.Progress(), nullptr);
    EXPECT_EQ(ui.Progress()->windowTitle(), QStringLiteral("Working ..."));
    EXPECT_EQ(ui.Progress()->Status(), QStringLiteral("Working ..."));
    ui.ProgressStatus("Building schema tree...");
    EXPECT_EQ(ui.Progress()->Status(), QStringLiteral("Building schema tree..."));
    QPointer<frmProgress> window = ui.Progress();
    ui.ProgressHide();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(QtUi::ToDisplay("a\r\nb\xe9"), QStringLiteral("a\nb\u00e9"));
    gfSetUi(nullptr);
}

}  // namespace
}  // namespace orr
