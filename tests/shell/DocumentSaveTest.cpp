// Saving from the document window: backups, a failed write, new documents,
// the close question on every path, Save All, and validation.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>
#include <csignal>
#include <filesystem>

#include "app/modGlobals.h"
#include "app/modRecent.h"
#include "doctree/TreeEdit.h"
#include "shell/frmDocument.h"
#include "shell/frmFileNew.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::TestEnv;

struct SaveEnv : test::DocTreeFixture, test::FileDialogScript {
    SaveEnv() { QStandardPaths::setTestModeEnabled(true); }
};

frmDocument* OpenWindow(const std::string& sFile, int nKey = 1)
{
    auto* w = new frmDocument(QStringLiteral("Document %1").arg(nKey));
    EXPECT_TRUE(w->EdiFileOpen({sFile, '*', '~', "T1", EdiDocument::NewContent::Skeleton, QStringLiteral("Document %1").arg(nKey)}));
    return w;
}

// One user edit: the first element of BEG gets a new value.
void EditBeg(frmDocument* w, const char* sValue)
{
    const TreeNode beg = w->RootD().FirstChild().Child(1).Child(1).Child(1);
    TreeEdit edit(w->DocTree(), "value");
    edit.SetText(beg.FirstChild().Id(), sValue);
    w->Document().Commit(std::move(edit));
}

// kValidT1 with BEG01 replaced, as written without line breaks or with CR LF.
std::string Saved(const char* sBeg01, bool bLineBreaks)
{
    std::string s = test::kValidT1;
    s.replace(s.find("BEG*00"), 6, std::string("BEG*") + sBeg01);
    std::string out;
    for (const char c : s)
        out += c == '\n' ? (bLineBreaks ? "\r\n" : "") : std::string(1, c);
    return out;
}

std::string Question(const std::string& sRoot) { return "Data changed. Save (" + sRoot + ") ?"; }

// The next file written grows no larger than nBytes (EFBIG): a real failed write.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t nBytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &mOld);
        mOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{nBytes, mOld.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &mOld);
        std::signal(SIGXFSZ, mOldHandler);
    }

private:
    rlimit mOld{};
    void (*mOldHandler)(int) = nullptr;
};

TEST(DocumentSave, BackupGenerationsAndAFailedWriteRestoresTheFile)
{
    SaveEnv env;
    const std::string sFile = env.Path("po.edi");
    TestEnv::WriteFile(sFile, test::kValidT1);
    frmDocument* w = OpenWindow(sFile);
    EditBeg(w, "05");
    EXPECT_TRUE(w->isWindowModified());

    env.ui.QueueAnswer(MsgAnswer::No);  // no line breaks
    w->mnuFileSave->trigger();
    EXPECT_EQ(TestEnv::ReadFile(sFile), Saved("05", false));
    EXPECT_EQ(TestEnv::ReadFile(sFile + " Backup"), test::kValidT1);
    EXPECT_FALSE(w->isWindowModified());

    // A second save replaces the backup with the first save.
    EditBeg(w, "06");
    env.ui.QueueAnswer(MsgAnswer::Yes);  // CR LF after each segment
    w->mnuFileSave->trigger();
    EXPECT_EQ(TestEnv::ReadFile(sFile), Saved("06", true));
    EXPECT_EQ(TestEnv::ReadFile(sFile + " Backup"), Saved("05", false));

    // The disk refuses the write: the previous file is back under its own name.
    EditBeg(w, "07");
    env.ui.Clear();
    env.ui.QueueAnswer(MsgAnswer::No);
    {
        FileSizeLimit limit(64);
        EXPECT_FALSE(w->EdiFileSave());
    }
    EXPECT_EQ(TestEnv::ReadFile(sFile), Saved("06", true));
    EXPECT_FALSE(fs::exists(sFile + " Backup"));
    EXPECT_EQ(env.ui.Messages().back(), "File save failed.\r\n\r\nError:File too large: " + sFile);
    EXPECT_EQ(env.ui.Calls().back().icon, MsgIcon::Critical);
    EXPECT_TRUE(w->isWindowModified());
    delete w;
}

TEST(DocumentSave, NewDocumentsAskForANameAndSaveAsChangesIt)
{
    SaveEnv env;
    auto* w = new frmDocument(QStringLiteral("Document 1"));
    ASSERT_TRUE(w->EdiFileOpen({"", '*', '~', "T1", EdiDocument::NewContent::Skeleton, QStringLiteral("Document 1")}));
    env.answers = {QString()};  // cancelled: nothing happens
    EXPECT_FALSE(w->EdiFileSave());
    EXPECT_EQ(env.requests.back().sTitle, QStringLiteral("Save EDI Document File"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Document: New   (T1)  [*]"));

    const std::string sNew = env.Path("new.edi");
    env.answers = {QString::fromStdString(sNew)};
    env.ui.QueueAnswer(MsgAnswer::No);
    EXPECT_TRUE(w->EdiFileSave());
    EXPECT_EQ(w->RootD().Text(), "New");  // the root keeps its text
    EXPECT_EQ(w->windowTitle().toStdString(), sNew + "   (T1)  [*]");
    EXPECT_FALSE(w->isWindowModified());
    EXPECT_EQ(TestEnv::ReadFile(sNew).rfind("ISA*", 0), 0u);
    EXPECT_EQ(gfRecentFiles().front(), sNew);

    const std::string sCopy = env.Path("copy.edi");
    env.answers = {QString::fromStdString(sCopy)};
    env.ui.QueueAnswer(MsgAnswer::No);
    w->mnuFileSaveAs->trigger();
    EXPECT_EQ(TestEnv::ReadFile(sCopy), TestEnv::ReadFile(sNew));
    EXPECT_EQ(w->windowTitle().toStdString(), sCopy + "   (T1)  [*]");
    EXPECT_EQ(w->RootD().Text(), sCopy);
    w->Document().SetModified(true);
    EXPECT_EQ(w->windowTitle().toStdString(), sCopy + "   (T1)  [*]");
    EXPECT_TRUE(w->isWindowModified());  // shown as "   (T1)  *"
    EXPECT_EQ(gfRecentFiles().front(), sCopy);

    const std::string sBad = env.Path("no-folder/x.edi");
    env.answers = {QString::fromStdString(sBad)};
    env.ui.QueueAnswer(MsgAnswer::No);
    w->mnuFileSaveAs->trigger();
    EXPECT_EQ(env.ui.Messages().back(), "Could not save file:" + sBad);
    EXPECT_EQ(w->FileName(), sBad);
    EXPECT_TRUE(w->isWindowModified());
    delete w;
}

TEST(DocumentClose, TheQuestionsAnswers)
{
    SaveEnv env;
    const std::string sFile = env.Path("po.edi");
    TestEnv::WriteFile(sFile, test::kValidT1);
    QPointer<frmDocument> w = OpenWindow(sFile);
    w->show();
    EditBeg(w, "05");

    env.ui.Clear();
    env.ui.QueueAnswer(MsgAnswer::Cancel);
    EXPECT_FALSE(w->close());
    ASSERT_EQ(env.ui.Calls().size(), 1u);
    EXPECT_EQ(env.ui.Calls()[0].sText, Question(sFile));
    EXPECT_EQ(env.ui.Calls()[0].icon, MsgIcon::Question);
    EXPECT_EQ(env.ui.Calls()[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(env.ui.Calls()[0].sTitle, "Orrindale");

    env.ui.QueueAnswer(MsgAnswer::Yes);
    env.ui.QueueAnswer(MsgAnswer::No);  // no line breaks
    EXPECT_TRUE(w->close());
    EXPECT_EQ(TestEnv::ReadFile(sFile), Saved("05", false));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());

    // No: closes without saving.
    w = OpenWindow(sFile, 2);
    EditBeg(w, "09");
    env.ui.QueueAnswer(MsgAnswer::No);
    EXPECT_TRUE(w->close());
    EXPECT_EQ(TestEnv::ReadFile(sFile), Saved("05", false));

    // Yes, but the save does not happen (no name given): asked again.
    QPointer<frmDocument> n = new frmDocument(QStringLiteral("Document 3"));
    ASSERT_TRUE(n->EdiFileOpen({"", '*', '~', "T1", EdiDocument::NewContent::Empty, QStringLiteral("Document 3")}));
    env.ui.Clear();
    env.answers = {QString()};
    env.ui.QueueAnswer(MsgAnswer::Yes);
    env.ui.QueueAnswer(MsgAnswer::No);
    EXPECT_FALSE(n->close());
    EXPECT_EQ(env.ui.Messages(), (std::vector<std::string>{Question("New"), "File is not saved.  Exit ?"}));
    env.answers = {QString()};
    env.ui.QueueAnswer(MsgAnswer::Yes);
    env.ui.QueueAnswer(MsgAnswer::Yes);
    EXPECT_TRUE(n->close());
    EXPECT_TRUE(env.ui.AllAnswersUsed());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The frame with two real document windows, one of them new.
struct FrameEnv : SaveEnv {
    FrameEnv()
    {
        frmMain::SetDocumentWindowHook({[](const QString& sKey) -> DocumentWindow* { return new frmDocument(sKey); }});
        frame.resize(900, 700);
        frame.show();
    }
    frmDocument* Open(const std::string& sFile)
    {
        test::WhenModal<frmFileNew>([](frmFileNew* dlg) {
            dlg->lvc->setCurrentIndex(dlg->mModel->findItems(QStringLiteral("T1")).first()->index());
            QTest::mouseClick(dlg->cmdOk, Qt::LeftButton);
        });
        EXPECT_TRUE(frame.OpenEdiDocument(sFile));
        return qobject_cast<frmDocument*>(frame.ActiveDocument());
    }
    frmMain frame;
};

TEST(FrameWithDocuments, SaveAllNamesNewDocumentsAndExitAsksEachChangedOne)
{
    FrameEnv env;
    const std::string sFile = env.Path("po.edi"), sNew = env.Path("new.edi");
    TestEnv::WriteFile(sFile, test::kValidT1);
    QPointer<frmDocument> po = env.Open(sFile);
    QPointer<frmDocument> fresh = env.Open("");
    ASSERT_TRUE(po && fresh);
    EditBeg(po, "05");

    env.answers = {QString::fromStdString(sNew)};
    env.ui.QueueAnswer(MsgAnswer::No);  // line breaks, for each document
    env.ui.QueueAnswer(MsgAnswer::No);
    fresh->mnuFileSaveAll->trigger();
    EXPECT_EQ(TestEnv::ReadFile(sFile), Saved("05", false));
    EXPECT_TRUE(fs::exists(sNew));
    EXPECT_FALSE(po->IsModified() || fresh->IsModified());
    // The file named is a recent file now, in every window's File menu.
    for (frmDocument* w : {po.data(), fresh.data()}) {
        const QAction* recent = w->findChild<QAction*>(QStringLiteral("mnuRecentFile1"));
        EXPECT_TRUE(recent->isVisible());
        EXPECT_EQ(recent->data().toString().toStdString(), sNew);
    }

    // The toolbar's Save reaches the active window.
    EditBeg(fresh, "07");
    env.ui.QueueAnswer(MsgAnswer::No);
    env.frame.ToolbarButton(QStringLiteral("Save"))->trigger();
    EXPECT_FALSE(fresh->IsModified());

    // Exit: Cancel at the first changed document ends it; the second is not asked.
    EditBeg(po, "08");
    EditBeg(fresh, "08");
    env.ui.Clear();
    env.ui.QueueAnswer(MsgAnswer::Cancel);
    EXPECT_FALSE(env.frame.close());
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{Question(sFile)});
    EXPECT_TRUE(po && fresh);
    env.ui.QueueAnswer(MsgAnswer::No);
    env.ui.QueueAnswer(MsgAnswer::No);
    EXPECT_TRUE(env.frame.close());
    EXPECT_EQ(env.ui.Messages().back(), Question("New"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(po.isNull() && fresh.isNull());
}

TEST(DocumentValidate, KeepsTheChangedFlagAndLosesNothingWithoutAWorkFile)
{
    SaveEnv env;
    const std::string sFile = env.Path("po.edi");
    TestEnv::WriteFile(sFile, test::kValidT1);
    frmDocument* w = OpenWindow(sFile);
    // The verdict follows the element check: T1 lists one element of BEG, and SE01 counts one too many.
    w->mnuToolValidate->trigger();
    EXPECT_EQ(env.ui.Messages().back(), "Document has 2 errors and 0 warnings.");
    EXPECT_FALSE(w->IsModified());
    EXPECT_FALSE(fs::exists(gConfig->TempFile));

    EditBeg(w, "05");
    w->mnuToolValidate->trigger();
    EXPECT_EQ(env.ui.Messages().back(), "Document has 2 errors and 0 warnings.");
    EXPECT_TRUE(w->IsModified());

    // The working file cannot be written: the document stays as it is.
    gConfig->TempFile = env.Path("no-folder/work.zyx");
    const NodeId root = w->RootD().Id();
    env.ui.Clear();
    w->mnuToolValidate->trigger();
    EXPECT_EQ(env.ui.Messages().back(), "Disk IO failed.");
    EXPECT_EQ(w->RootD().Id(), root);
    EXPECT_EQ(w->RootD().FirstChild().Child(1).Child(1).Child(1).FirstChild().Text(), "05");
    EXPECT_TRUE(w->IsModified());

    // Nor can the print preview be shown.
    env.ui.QueueAnswer(MsgAnswer::No);
    w->mnuFilePrint->trigger();
    EXPECT_EQ(env.ui.Messages().back(), "Could not create working file.");
    EXPECT_EQ(env.ui.Calls().back().icon, MsgIcon::Critical);
    delete w;
}

}  // namespace
}  // namespace orr
