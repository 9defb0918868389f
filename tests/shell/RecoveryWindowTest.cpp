// Recovery with the real frame and real document windows: what a run that
// died left behind is offered at the start and opens as changed documents,
// the frame keeps entries of its own as documents change, and the options
// field sets the interval.
#include <gtest/gtest.h>

#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>
#include <filesystem>

#include "app/modGlobals.h"
#include "app/modRegistry.h"
#include "doctree/RecoveryStore.h"
#include "doctree/TreeEdit.h"
#include "shell/FrameStatusBar.h"
#include "shell/frmDocument.h"
#include "shell/frmFileNew.h"
#include "shell/frmOptions.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::TestEnv;

struct RecoveryEnv : test::DocTreeFixture, test::FileDialogScript {
    RecoveryEnv()
    {
        QStandardPaths::setTestModeEnabled(true);
        frmMain::SetDocumentWindowHook({[](const QString& sKey) -> DocumentWindow* { return new frmDocument(sKey); }});
    }
    std::vector<frmDocument*> Windows(frmMain& frame)
    {
        std::vector<frmDocument*> windows;
        for (const auto& [sKey, window] : frame.ChildForms())
            windows.push_back(qobject_cast<frmDocument*>(window.data()));
        return windows;
    }
    const std::string sDir = Path("Recovery");
};

std::string Beg01(frmDocument* w) { return std::string(w->RootD().FirstChild().Child(1).Child(1).Child(1).FirstChild().Text()); }

void EditBeg01(frmDocument* w, const char* sValue)
{
    TreeEdit edit(w->DocTree(), "value");
    edit.SetText(w->RootD().FirstChild().Child(1).Child(1).Child(1).FirstChild().Id(), sValue);
    w->Document().Commit(std::move(edit));
}

// The entries of the frame's own session.
std::vector<RecoveryEntry> OwnEntries(frmMain& frame)
{
    frame.Recovery()->Wait();
    std::vector<RecoveryEntry> entries;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(frame.Recovery()->Store().SessionDir(), ec))
        if (const auto entry = RecoveryStore::Read(e.path().string()))
            entries.push_back(*entry);
    return entries;
}

TEST(RecoveryWindow, WhatADeadRunLeftIsRecoveredIntoChangedWindowsAndSavedToItsFile)
{
    RecoveryEnv env;
    const std::string sFile = env.Path("po.edi");
    TestEnv::WriteFile(sFile, test::kValidT1);
    const auto mtime = fs::last_write_time(sFile);
    {
        // A run that died with the file changed and a new document.
        RecoveryStore dead(env.sDir);
        std::string sError;
        ASSERT_TRUE(dead.OpenSession(sError)) << sError;
        RecoveryEntry changed{sFile, "T1", '*', '~', clsTreeDSave::LineEnd::Lf,
                              RecoveryEntry::Stamp{mtime.time_since_epoch().count(), fs::file_size(sFile)},
                              TestEnv::Replaced(test::kValidT1, "BEG*00*", "BEG*05*")};
        ASSERT_TRUE(RecoveryStore::Write(dead.EntryPath("1"), changed, sError));
        RecoveryEntry fresh = changed;
        fresh.sFile.clear();
        fresh.stamp.reset();
        fresh.sText = TestEnv::Replaced(test::kValidT1, "BEG*00*", "BEG*07*");
        ASSERT_TRUE(RecoveryStore::Write(dead.EntryPath("2"), fresh, sError));
    }  // its lock goes, its folder stays
    frmMain frame;
    frame.resize(900, 700);
    frame.show();
    env.ui.QueueAnswer(MsgAnswer::Yes);
    frame.StartRecovery(env.sDir);
    QTRY_COMPARE(frame.ChildForms().size(), 2u);
    EXPECT_EQ(env.ui.Messages().front().rfind(
                  "Orrindale was not closed normally. Recover the unsaved changes of 2 documents?\r\n\r\n" + sFile +
                      " (T1, ",
                  0),
              0u);
    const std::vector<frmDocument*> windows = env.Windows(frame);
    QPointer<frmDocument> po = windows[0], fresh = windows[1];
    EXPECT_EQ(po->FileName(), sFile);
    EXPECT_EQ(po->RootD().Text(), sFile);
    EXPECT_TRUE(po->IsModified());
    EXPECT_TRUE(po->isWindowModified());
    EXPECT_TRUE(po->windowTitle().startsWith(QString::fromStdString(sFile)));
    EXPECT_EQ(Beg01(po), "05");
    EXPECT_EQ(fresh->FileName(), "");
    EXPECT_EQ(fresh->windowTitle(), QStringLiteral("Document: New   (T1)  [*]"));
    EXPECT_TRUE(fresh->isWindowModified());
    EXPECT_EQ(Beg01(fresh), "07");
    // The entries are the frame's own now; the dead run's folder is gone, and so are the work files.
    EXPECT_EQ(OwnEntries(frame).size(), 2u);
    EXPECT_EQ(std::distance(fs::directory_iterator(env.sDir), fs::directory_iterator()), 1);
    for (const auto& e : fs::directory_iterator(gConfig->DataDir))
        EXPECT_FALSE(e.path().filename().string().starts_with("recovered-")) << e.path();

    // Save writes to the file, after the question when another program changed it.
    TestEnv::WriteFile(sFile, test::kValidT1 + std::string("\n"));
    env.ui.Clear();
    env.ui.QueueAnswer(MsgAnswer::Yes);  // overwrite
    env.ui.QueueAnswer(MsgAnswer::No);   // no line breaks
    po->mnuFileSave->trigger();
    ASSERT_EQ(env.ui.Messages().size(), 2u);
    EXPECT_EQ(env.ui.Messages()[0], "File: " + sFile +
                                         "\r\nhas been changed by another program since it was opened.\r\n\r\n"
                                         "Overwrite it ?");
    std::string sSaved = TestEnv::Replaced(test::kValidT1, "BEG*00*", "BEG*05*");
    std::erase(sSaved, '\n');
    EXPECT_EQ(TestEnv::ReadFile(sFile), sSaved);
    EXPECT_FALSE(po->IsModified());
    EXPECT_EQ(OwnEntries(frame).size(), 1u);

    // A clean exit: the changed new document is given up, nothing is left.
    env.ui.QueueAnswer(MsgAnswer::No);
    EXPECT_TRUE(frame.close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(fresh.isNull());
    EXPECT_EQ(fs::directory_iterator(env.sDir), fs::directory_iterator());
}

TEST(RecoveryWindow, ChangesAreKeptAfterTheIntervalAndAFailedWriteIsSaidOnce)
{
    RecoveryEnv env;
    const std::string sFile = env.Path("po.edi");
    TestEnv::WriteFile(sFile, test::kValidT1);
    frmMain frame;
    frame.show();
    frame.StartRecovery(env.sDir);
    QCoreApplication::processEvents();
    EXPECT_TRUE(env.ui.Messages().empty());  // nothing was left behind: no question
    test::WhenModal<frmFileNew>([](frmFileNew* dlg) {
        dlg->lvc->setCurrentIndex(dlg->mModel->findItems(QStringLiteral("T1")).first()->index());
        QTest::mouseClick(dlg->cmdOk, Qt::LeftButton);
    });
    ASSERT_TRUE(frame.OpenEdiDocument(sFile));
    frmDocument* w = env.Windows(frame).at(0);
    ASSERT_EQ(w->Schema(), "T1");

    // The frame's clock hands the change over once the interval has passed.
    gConfig->RecoverySeconds = 1;
    EditBeg01(w, "09");
    QTRY_COMPARE_WITH_TIMEOUT(OwnEntries(frame).size(), 1u, 10000);
    EXPECT_EQ(OwnEntries(frame)[0].sFile, sFile);
    EXPECT_NE(OwnEntries(frame)[0].sText.find("BEG*09*"), std::string::npos);

    // The session's folder vanished: the status bar says so once, editing goes on.
    fs::remove_all(frame.Recovery()->Store().SessionDir());
    EditBeg01(w, "10");
    QTRY_VERIFY_WITH_TIMEOUT(frame.Status().sbText->text().startsWith(
                                 QStringLiteral("Unsaved changes could not be kept for recovery: No such file or directory: ")),
                             10000);
    EditBeg01(w, "11");
    frame.Recovery()->Poll(RecoveryService::Clock::now() + std::chrono::hours(1));
    frame.Recovery()->Wait();
    EXPECT_EQ(frame.Recovery()->TakeReport(), std::nullopt);  // failing still: said already
    EXPECT_EQ(Beg01(w), "11");
    env.ui.QueueAnswer(MsgAnswer::No);
    EXPECT_TRUE(frame.close());
}

TEST(RecoveryWindow, OptionsSetTheIntervalOffIsZero)
{
    test::ShellEnv env;
    env.settings.Save("Orrindale", "System", "RecoverySeconds", "soon");
    gfReadRegistry();
    EXPECT_EQ(gConfig->RecoverySeconds, 30);  // unreadable: the default
    frmOptions dlg;
    EXPECT_EQ(dlg.spnRecoverySeconds->value(), 30);
    dlg.spnRecoverySeconds->setValue(0);
    EXPECT_EQ(dlg.spnRecoverySeconds->text(), QStringLiteral("Off"));
    dlg.spnRecoverySeconds->setValue(45);
    EXPECT_EQ(dlg.spnRecoverySeconds->text(), QStringLiteral("45 s"));
    QTest::mouseClick(dlg.cmdOK, Qt::LeftButton);
    EXPECT_EQ(gConfig->RecoverySeconds, 45);
    EXPECT_EQ(env.settings.Get("Orrindale", "System", "RecoverySeconds", ""), "45");
    gConfig->RecoverySeconds = 5;
    gfReadRegistry();
    EXPECT_EQ(gConfig->RecoverySeconds, 45);
}

}  // namespace
}  // namespace orr
