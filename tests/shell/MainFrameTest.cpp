#include <gtest/gtest.h>

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QMdiSubWindow>
#include <QTest>
#include <set>

#include "app/modRecent.h"
#include "shell/IconCache.h"
#include "shell/frmDirPath.h"
#include "shell/frmFA.h"
#include "shell/frmFileNew.h"
#include "shell/frmOptions.h"
#include "shell/frmHelp.h"
#include "shell/FrameStatusBar.h"
#include "shell/frmMain.h"
#include "tests/shell/ShellTestSupport.h"

namespace orr {

// A stand-in for the document window: the same interface as the real one,
// with the commands it can run chosen by the test and the calls counted.
class FakeDocument : public DocumentWindow {
    Q_OBJECT
public:
    FakeDocument()
    {
        for (int i = 0; i < 5; ++i) {
            auto* a = new QAction(this);
            a->setObjectName(QStringLiteral("mnuRecentFile%1").arg(i));
            addAction(a);
        }
    }
    bool EdiFileOpen(const DocumentOpenArgs& args) override
    {
        opened.push_back(args);
        return bOpenOk;
    }
    bool CanRun(DocCommand command) const override { return runnable.count(command) > 0; }
    void Run(DocCommand command) override { calls.push_back(command); }
    bool IsModified() const override { return false; }
    void RepaintForm() override { ++nRepaints; }
    void SetRunnable(std::set<DocCommand> commands)
    {
        runnable = std::move(commands);
        emit commandStateChanged();
    }

    static inline bool bOpenOk = true;
    static inline std::vector<DocumentOpenArgs> opened;
    std::set<DocCommand> runnable{DocCommand::Cut, DocCommand::CollapseAll, DocCommand::Save};
    std::vector<DocCommand> calls;
    int nRepaints = 0;
    QAction* Recent(int i) const { return findChild<QAction*>(QStringLiteral("mnuRecentFile%1").arg(i)); }

protected:
    void closeEvent(QCloseEvent* event) override { event->setAccepted(!bRefuseClose); }

public:
    bool bRefuseClose = false;
};

namespace {

using test::ShellEnv;

const char* const kAllButtons[] = {"New", "Open", "Save", "Print", "Edit", "Validate", "InsChild",
                                   "ShowNull", "InsBefore", "InsAfter", "Cut", "Copy", "Paste", "Delete",
                                   "Down", "Up", "Expand", "Collapse", "DefaultWindow", "Undo", "Redo"};

// Document windows for the frame; EdiFileOpen answers bOpenOk.
struct FakeWindows {
    FakeWindows()
    {
        FakeDocument::opened.clear();
        FakeDocument::bOpenOk = true;
        frmMain::SetDocumentWindowHook({[this](const QString&) {
            windows.push_back(new FakeDocument);
            return windows.back().data();
        }});
    }
    std::vector<DocumentOpenArgs>& opened = FakeDocument::opened;
    std::vector<QPointer<FakeDocument>> windows;
};

// Picks a type in the document-type dialog when it comes up.
void ChooseType(const QString& sType, bool bEmptyDocument = false)
{
    test::WhenModal<frmFileNew>([sType, bEmptyDocument](frmFileNew* dlg) {
        const auto found = dlg->mModel->findItems(sType);
        ASSERT_EQ(found.size(), 1);
        dlg->lvc->setCurrentIndex(found.first()->index());
        if (bEmptyDocument)
            dlg->optEmptyDocument->setChecked(true);
        QTest::mouseClick(dlg->cmdOk, Qt::LeftButton);
    });
}

TEST(MainFrame, ToolbarWithoutDocumentEnablesOnlyNewOpenAndDefaultSize)
{
    ShellEnv env;
    {
        // Without document windows nothing offers to open a document.
        frmMain frame;
        EXPECT_FALSE(frame.mnuFileNew->isVisible());
        EXPECT_FALSE(frame.ToolbarButton(QStringLiteral("Open"))->isVisible());
        EXPECT_TRUE(frame.ToolbarButton(QStringLiteral("DefaultWindow"))->isEnabled());
        for (QAction* a : {frame.mnuToolCreateFA, frame.mnuToolEmail, frame.mnuToolBrowser, frame.mnuToolEdiServer,
                           frame.mnuToolExportSQL})
            EXPECT_TRUE(a->isVisible());
        // They appear as soon as document windows can be made.
        FakeWindows docs;
        EXPECT_TRUE(frame.mnuFileNew->isVisible());
        EXPECT_TRUE(frame.mnuFileOpen->isVisible());
        EXPECT_TRUE(frame.ToolbarButton(QStringLiteral("New"))->isVisible());
    }
    FakeWindows docs;
    frmMain frame;
    const QList<QAction*> actions = frame.tbToolBar->actions();
    ASSERT_EQ(actions.size(), std::ssize(kAllButtons));
    for (int i = 0; i < actions.size(); ++i) {
        const QString sKey = QString::fromLatin1(kAllButtons[i]);
        EXPECT_EQ(actions[i]->objectName(), sKey);
        EXPECT_FALSE(actions[i]->icon().isNull()) << kAllButtons[i];
        const bool bAlwaysOn = sKey == QLatin1String("New") || sKey == QLatin1String("Open") ||
                               sKey == QLatin1String("DefaultWindow");
        EXPECT_EQ(actions[i]->isEnabled(), bAlwaysOn) << kAllButtons[i];
    }
    EXPECT_EQ(frame.ToolbarButton(QStringLiteral("ShowNull"))->toolTip(), QStringLiteral("Show/Hide Empty Nodes"));
    frame.TbToolBarButtonClick(QStringLiteral("Paste"));  // no document: nothing
    frame.TbToolBarButtonClick(QStringLiteral("Nonsense"));  // unknown keys do nothing
    EXPECT_TRUE(docs.opened.empty());
}

TEST(MainFrame, GeometryIsKeptInTwips)
{
    ShellEnv env;
    auto stored = [&](const char* key) { return env.settings.Get("Orrindale", "System", key, "<missing>"); };
    {
        // Nothing stored: 1000, 1000, 6500, 6500 twips at 96 dots per inch.
        frmMain frame;
        EXPECT_EQ(frame.pos(), QPoint(67, 67));
        EXPECT_EQ(frame.size(), QSize(433, 433));
        // Never smaller than 4000 twips.
        frame.resize(100, 100);
        EXPECT_EQ(frame.size(), QSize(267, 267));
    }
    env.settings.Save("Orrindale", "System", "MainLeft", "1500");
    env.settings.Save("Orrindale", "System", "MainTop", "1200");
    env.settings.Save("Orrindale", "System", "MainWidth", "9000");
    env.settings.Save("Orrindale", "System", "MainHeight", "7200.5");
    {
        frmMain frame;
        frame.show();
        EXPECT_EQ(frame.pos(), QPoint(100, 80));
        EXPECT_EQ(frame.size(), QSize(600, 480));
        frame.resize(700, 480);
        EXPECT_TRUE(frame.close());
    }
    // The changed width is converted; untouched sides are saved as read.
    EXPECT_EQ(stored("MainWidth"), "10500");
    EXPECT_EQ(stored("MainHeight"), "7200.5");
    EXPECT_EQ(stored("MainLeft"), "1500");
    {
        // Closed while minimised: the stored position stays.
        frmMain frame;
        frame.show();
        frame.resize(800, 600);
        frame.showMinimized();
        ASSERT_TRUE(frame.isMinimized());
        EXPECT_TRUE(frame.close());
    }
    EXPECT_EQ(stored("MainWidth"), "10500");
    // Unreadable numbers fall back to the defaults.
    env.settings.Save("Orrindale", "System", "MainTop", "high");
    frmMain frame;
    EXPECT_EQ(frame.y(), 67);
    EXPECT_EQ(frame.x(), 100);

    // Default Main Window Size: 10 % and 80 % of a 14400 x 10800 twip screen.
    frame.show();
    frame.showMaximized();
    frame.MainViewDefaultSize();
    EXPECT_FALSE(frame.isMaximized());
    EXPECT_EQ(frame.pos(), QPoint(96, 72));
    EXPECT_EQ(frame.size(), QSize(768, 576));
}

TEST(MainFrame, DocumentWindowsGetCountingKeysAndDriveTheToolbar)
{
    ShellEnv env;
    frmMain frame;
    FakeWindows docs;

    ChooseType(QStringLiteral("850"));
    ASSERT_TRUE(frame.OpenEdiDocument(""));
    ChooseType(QStringLiteral("810"), true);
    frame.MainFileNew();
    ASSERT_EQ(frame.ChildForms().size(), 2u);
    EXPECT_EQ(frame.ChildForms()[0].first, QStringLiteral("Document 1"));
    EXPECT_EQ(frame.ChildForms()[1].first, QStringLiteral("Document 2"));
    ASSERT_EQ(docs.opened.size(), 2u);
    EXPECT_EQ(docs.opened[0].sDocType, "850");
    EXPECT_EQ(docs.opened[0].content, EdiDocument::NewContent::Skeleton);
    EXPECT_EQ(docs.opened[1].sDocType, "810");
    EXPECT_EQ(docs.opened[1].content, EdiDocument::NewContent::Empty);
    EXPECT_EQ(docs.opened[1].nDelimiter, '*');  // a new document takes the configured separators
    EXPECT_EQ(docs.opened[1].nSelimiter, '~');
    EXPECT_EQ(frame.MdiArea()->subWindowList().size(), 2);

    // Buttons follow what the active window can run, and change with it.
    frame.MdiArea()->setActiveSubWindow(frame.MdiArea()->subWindowList().first());
    EXPECT_TRUE(frame.ToolbarButton(QStringLiteral("Cut"))->isEnabled());
    EXPECT_FALSE(frame.ToolbarButton(QStringLiteral("Paste"))->isEnabled());
    docs.windows[0]->SetRunnable({DocCommand::Cut, DocCommand::CollapseAll, DocCommand::Paste});
    EXPECT_TRUE(frame.ToolbarButton(QStringLiteral("Paste"))->isEnabled());
    docs.windows[1]->SetRunnable({});  // not the active window: nothing changes here
    EXPECT_TRUE(frame.ToolbarButton(QStringLiteral("Paste"))->isEnabled());
    frame.MdiArea()->setActiveSubWindow(frame.MdiArea()->subWindowList().last());
    EXPECT_FALSE(frame.ToolbarButton(QStringLiteral("Cut"))->isEnabled());
    docs.windows[1]->SetRunnable({DocCommand::Save});

    // The toolbar reaches the active window's commands; Save All reaches all.
    frame.MdiArea()->setActiveSubWindow(frame.MdiArea()->subWindowList().first());
    frame.ToolbarButton(QStringLiteral("Cut"))->trigger();
    frame.TbToolBarButtonClick(QStringLiteral("Collapse"));
    frame.TbToolBarButtonClick(QStringLiteral("Print"));  // a command the window cannot run is not run
    EXPECT_EQ(docs.windows[0]->calls, (std::vector<DocCommand>{DocCommand::Cut, DocCommand::CollapseAll}));
    frame.SaveAllFiles();
    EXPECT_EQ(docs.windows[1]->calls, std::vector<DocCommand>{DocCommand::Save});

    // Closing both leaves the collection empty and the toolbar as at start.
    frame.RemoveChild(QStringLiteral("Document 1"));
    delete docs.windows[0].data();
    frame.MdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(docs.windows[1].isNull());
    EXPECT_TRUE(frame.ChildForms().empty());
    EXPECT_FALSE(frame.ToolbarButton(QStringLiteral("Paste"))->isEnabled());
    EXPECT_TRUE(env.ui.Messages().empty());

    // Keys are never reused; a window that fails to open leaves nothing behind.
    FakeDocument::bOpenOk = false;
    ChooseType(QStringLiteral("850"));
    EXPECT_FALSE(frame.OpenEdiDocument(""));
    EXPECT_EQ(docs.opened.back().sKey, QStringLiteral("Document 3"));
    EXPECT_TRUE(docs.windows.back().isNull());
    EXPECT_TRUE(frame.ChildForms().empty());
    EXPECT_FALSE(frame.ToolbarButton(QStringLiteral("Save"))->isEnabled());

    // Cancelling the type dialog opens nothing.
    test::WhenModal<frmFileNew>([](frmFileNew* dlg) { QTest::mouseClick(dlg->cmdCancel, Qt::LeftButton); });
    EXPECT_FALSE(frame.OpenEdiDocument(""));
    EXPECT_EQ(docs.opened.size(), 3u);

    // Removing a key that is not there is reported.
    frame.RemoveChild(QStringLiteral("Document 9"));
    ASSERT_EQ(env.ui.Calls().size(), 1u);
    EXPECT_EQ(env.ui.Calls()[0].icon, MsgIcon::Critical);
}

TEST(MainFrame, OpeningAFileChecksItsSeparatorsAndRemembersIt)
{
    ShellEnv env;
    frmMain frame;
    FakeWindows docs;
    const std::string sPipes = env.Path("pipes.edi");
    test::TestEnv::WriteFile(sPipes, "ISA|00|          |00|          |ZZ|SENDER         |ZZ|RECEIVER       |"
                                     "200101|1253|U|00401|000000001|0|T|>\nGS|PO|A|B|20200101|1253|1|X|004010\n");

    // Separators other than the configured ones: Cancel abandons the opening.
    env.ui.QueueAnswer(MsgAnswer::Cancel);
    env.answers = {QString::fromStdString(sPipes)};
    frame.MainFileOpen();
    EXPECT_TRUE(docs.opened.empty());
    EXPECT_TRUE(gfRecentFiles().empty());
    ASSERT_EQ(env.ui.Calls().size(), 1u);
    EXPECT_EQ(env.ui.Calls()[0].sTitle, "Select Segment and DE Separators");
    EXPECT_EQ(env.requests.at(0).sTitle, QStringLiteral("Open EDI Document"));
    EXPECT_EQ(gConfig->DirOutgoing, env.Dir());  // the chosen file's folder

    // Yes: the detected pair; the file joins the recent list once.
    for (int i = 0; i < 2; ++i) {
        env.ui.QueueAnswer(MsgAnswer::Yes);
        env.answers = {QString::fromStdString(sPipes)};
        ChooseType(QStringLiteral("850"));
        frame.MainFileOpen();
    }
    ASSERT_EQ(docs.opened.size(), 2u);
    EXPECT_EQ(docs.opened[0].sFileName, sPipes);
    EXPECT_EQ(docs.opened[0].nDelimiter, '|');
    EXPECT_EQ(docs.opened[0].nSelimiter, 10);
    EXPECT_EQ(gfRecentFiles(), std::vector<std::string>{sPipes});
    // No: the configured pair.
    env.ui.QueueAnswer(MsgAnswer::No);
    ChooseType(QStringLiteral("850"));
    EXPECT_TRUE(frame.OpenEdiDocument(sPipes));
    EXPECT_EQ(docs.opened.back().nDelimiter, '*');
    EXPECT_TRUE(env.ui.AllAnswersUsed());

    // A file that is no EDI file fails before any question.
    const std::string sText = env.Path("notes.edi");
    test::TestEnv::WriteFile(sText, "just some words in a file\n");
    env.ui.Clear();
    EXPECT_FALSE(frame.OpenEdiDocument(sText));
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0].rfind("Could not find the control segment in file:", 0), 0u);
    EXPECT_EQ(docs.opened.size(), 3u);
}

TEST(MainFrame, RecentEntriesFollowTheStoredListInEveryWindow)
{
    ShellEnv env;
    const std::string sKept = env.Path("kept.edi");
    test::TestEnv::WriteFile(sKept, "ISA*00*          *00*          *ZZ*A              *ZZ*B              *"
                                    "200101*1253*U*00401*000000001*0*T*>~");
    env.settings.Save("Orrindale", "System", "RecentFile1", "/nowhere/gone & lost.edi");
    env.settings.Save("Orrindale", "System", "RecentFile2", sKept);
    frmMain frame;
    // Entries stay hidden while no document window can open them.
    EXPECT_FALSE(frame.mnuRecentFile[1]->isVisible());
    FakeWindows docs;
    EXPECT_TRUE(frame.mnuRecentFile[0]->isVisible());
    EXPECT_TRUE(frame.mnuRecentFile[0]->isSeparator());
    EXPECT_EQ(frame.mnuRecentFile[1]->text(), QStringLiteral("/nowhere/gone && lost.edi"));
    EXPECT_EQ(frame.mnuRecentFile[2]->data().toString(), QString::fromStdString(sKept));
    EXPECT_FALSE(frame.mnuRecentFile[3]->isVisible());

    // Opening from the list leaves the list as it is.
    ChooseType(QStringLiteral("850"));
    frame.MainOpenRecentFile(2);
    ASSERT_EQ(docs.opened.size(), 1u);
    EXPECT_EQ(docs.opened[0].sFileName, sKept);
    FakeDocument* doc = docs.windows[0];
    EXPECT_TRUE(doc->Recent(2)->isVisible());
    EXPECT_EQ(doc->Recent(2)->text(), QString::fromStdString(sKept));

    // A file that has gone is taken off the list in every window, then reported.
    frame.MainOpenRecentFile(1);
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{"File /nowhere/gone & lost.edi does not exists."});
    EXPECT_EQ(env.ui.Calls()[0].icon, MsgIcon::Information);
    EXPECT_EQ(gfRecentFiles(), std::vector<std::string>{sKept});
    EXPECT_EQ(frame.mnuRecentFile[1]->data().toString(), QString::fromStdString(sKept));
    EXPECT_FALSE(frame.mnuRecentFile[2]->isVisible());
    EXPECT_EQ(doc->Recent(1)->text(), QString::fromStdString(sKept));
    EXPECT_FALSE(doc->Recent(2)->isVisible());
    EXPECT_EQ(docs.opened.size(), 1u);
}

TEST(MainFrame, MenuCommandsOpenTheirDialogs)
{
    ShellEnv env;
    frmMain frame;
    FakeWindows docs;
    ChooseType(QStringLiteral("850"));
    frame.MainFileNew();
    ASSERT_EQ(docs.windows.size(), 1u);
    frame.MdiArea()->setActiveSubWindow(frame.MdiArea()->subWindowList().first());

    // Options: a changed expansion switch repaints the active document; the
    // directory buttons go through the directory picker.
    const std::string sPicked = env.Path("picked");
    test::WhenModal<frmOptions>([](frmOptions* dlg) {
        dlg->chkST->click();
        dlg->cmdIncoming->click();  // answered below, then OK
        QTest::mouseClick(dlg->cmdOK, Qt::LeftButton);
    });
    test::WhenModal<frmDirPath>([sPicked](frmDirPath* dlg) {
        dlg->txtDirPath->setText(QString::fromStdString(sPicked));
        QTest::mouseClick(dlg->cmdOk, Qt::LeftButton);
    });
    env.ui.QueueAnswer(MsgAnswer::Yes);  // create the picked directory
    frame.mnuViewOptions->trigger();
    EXPECT_EQ(gConfig->DirIncoming, sPicked);
    EXPECT_FALSE(gConfig->OpenST);
    EXPECT_EQ(docs.windows[0]->nRepaints, 1);
    // Unchanged switches: no repaint.
    test::WhenModal<frmOptions>([](frmOptions* dlg) { QTest::mouseClick(dlg->cmdOK, Qt::LeftButton); });
    frame.MainViewOptions();
    EXPECT_EQ(docs.windows[0]->nRepaints, 1);

    // The acknowledgement dialog starts empty with the configured separators.
    gConfig->Delimiter = '|';
    test::WhenModal<frmFA>([](frmFA* dlg) {
        EXPECT_EQ(dlg->Delimiter, '|');
        EXPECT_EQ(dlg->Selimiter, '~');
        EXPECT_TRUE(dlg->txtInput->text().isEmpty());
        QTest::mouseClick(dlg->cmdCancel, Qt::LeftButton);
    });
    frame.mnuToolCreateFA->trigger();
    EXPECT_TRUE(env.ui.AllAnswersUsed());
}

TEST(MainFrame, ClosingAsksTheDocumentWindowsFirst)
{
    ShellEnv env;
    FakeWindows docs;
    frmMain frame;
    frame.show();
    ChooseType(QStringLiteral("850"));
    frame.MainFileNew();
    ASSERT_EQ(docs.windows.size(), 1u);

    // A window that will not close keeps the frame open and its place unsaved.
    docs.windows[0]->bRefuseClose = true;
    EXPECT_FALSE(frame.close());
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(env.settings.Get("Orrindale", "System", "MainLeft", "<missing>"), "<missing>");
    EXPECT_EQ(frame.ChildForms().size(), 1u);

    docs.windows[0]->bRefuseClose = false;
    EXPECT_TRUE(frame.close());
    EXPECT_EQ(env.settings.Get("Orrindale", "System", "MainLeft", "<missing>"), "1000");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(docs.windows[0].isNull());
    EXPECT_TRUE(frame.ChildForms().empty());
}

TEST(MainFrame, KeyPanelsAndWindowArrangement)
{
    ShellEnv env;
    FakeWindows docs;
    frmMain frame;
    frame.resize(800, 600);
    frame.show();

    // Lock states are read from what is typed.
    EXPECT_FALSE(frame.Status().sbCaps->isEnabled());
    QTest::keyClick(&frame, 'A');  // an unshifted capital: Caps Lock is on
    EXPECT_TRUE(frame.Status().sbCaps->isEnabled());
    QTest::keyClick(&frame, Qt::Key_Insert);
    QTest::keyClick(&frame, Qt::Key_5, Qt::KeypadModifier);
    EXPECT_FALSE(frame.Status().sbIns->isEnabled());
    EXPECT_TRUE(frame.Status().sbNum->isEnabled());
    QTest::keyClick(&frame, 'a');
    EXPECT_FALSE(frame.Status().sbCaps->isEnabled());
    QTest::keyClick(&frame, 'A', Qt::ShiftModifier);
    EXPECT_FALSE(frame.Status().sbCaps->isEnabled());

    for (int i = 0; i < 2; ++i) {
        ChooseType(QStringLiteral("850"));
        frame.MainFileNew();
    }
    const QList<QMdiSubWindow*> subs = frame.MdiArea()->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(subs.size(), 2);
    const QRect area = frame.MdiArea()->viewport()->rect();
    frame.mnuWindowTileVertical->trigger();  // side by side
    EXPECT_EQ(subs[0]->geometry(), QRect(0, 0, area.width() / 2, area.height()));
    EXPECT_EQ(subs[1]->geometry().left(), area.width() / 2);
    frame.mnuWindowTileHorizontal->trigger();  // one above the other
    EXPECT_EQ(subs[0]->geometry(), QRect(0, 0, area.width(), area.height() / 2));
    EXPECT_EQ(subs[1]->geometry().top(), area.height() / 2);
    subs[0]->showMinimized();
    subs[0]->move(200, 10);
    frame.mnuWindowArrangeIcons->trigger();  // minimised windows line up at the bottom
    EXPECT_EQ(subs[0]->geometry().left(), 0);
    EXPECT_EQ(subs[0]->geometry().bottom(), area.height() - 1);
}

TEST(MainFrame, ViewTogglesAndHelp)
{
    ShellEnv env;
    frmMain frame;
    frame.show();
    frame.MainViewToolBarToggle();
    EXPECT_FALSE(frame.mnuViewToolbar->isChecked());
    EXPECT_FALSE(frame.tbToolBar->isVisible());
    frame.mnuViewToolbar->trigger();
    EXPECT_TRUE(frame.tbToolBar->isVisible());
    frame.MainViewStatusBarToggle();
    EXPECT_FALSE(frame.Status().sbStatusBar->isVisible());
    frame.mnuViewStatusBar->trigger();
    EXPECT_TRUE(frame.mnuViewStatusBar->isChecked());
    EXPECT_TRUE(frame.Status().sbStatusBar->isVisible());
    frame.mnuViewStatusBar->trigger();  // the entry's own click hides it again
    EXPECT_FALSE(frame.Status().sbStatusBar->isVisible());
    EXPECT_FALSE(frame.Status().sbDate->text().isEmpty());

    // The manual ships beside the program and opens in its own window.
    frame.MainHelpContents();
    auto* help = frame.findChild<frmHelp*>();
    ASSERT_NE(help, nullptr) << "help/index.html beside the test program";
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->txtHelp->toPlainText().contains(QStringLiteral("Orrindale")));
    EXPECT_TRUE(env.ui.Messages().empty());
    frame.MainHelpContents();  // the same window comes to the front
    EXPECT_EQ(frame.findChildren<frmHelp*>().size(), 1);
}

TEST(IconCache, EveryKeyHasItsImageAndClipboardForms)
{
    const IconCache& icons = IconCache::Instance();
    // The document's own keys drawn like others, each in its plain, cut and copied form.
    for (const char* sAlias : {"dde", "ddeoptional", "ddenotused", "trailing", "trailingopen"})
        for (const char* sPrefix : {"", "cut", "cop"})
            EXPECT_TRUE(icons.Has(QString::fromLatin1(sPrefix) + QString::fromLatin1(sAlias))) << sAlias;
    for (const QString& key : IconCache::BaseKeys()) {
        const QImage img = icons.Icon(key).pixmap(16, 16).toImage();
        ASSERT_FALSE(img.isNull()) << key.toStdString();
        int nOpaque = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                nOpaque += qAlpha(img.pixel(x, y)) > 128;
        EXPECT_GT(nOpaque, 10) << key.toStdString() << " draws something";
    }
    // A node waiting to be moved is fainter; a copied one carries a badge.
    const QImage plain = icons.Icon(QStringLiteral("closed")).pixmap(32, 32).toImage();
    const QImage cut = icons.Icon(QStringLiteral("cutclosed")).pixmap(32, 32).toImage();
    const QImage cop = icons.Icon(QStringLiteral("copclosed")).pixmap(32, 32).toImage();
    EXPECT_LT(qAlpha(cut.pixel(4, 20)), qAlpha(plain.pixel(4, 20)));
    EXPECT_NE(cop.pixel(26, 26), plain.pixel(26, 26));
    EXPECT_EQ(cop.pixel(4, 10), plain.pixel(4, 10));
    EXPECT_TRUE(icons.Has(QStringLiteral("copnullsegment")));
    EXPECT_FALSE(icons.Has(QStringLiteral("cutnew")));  // toolbar images have no clipboard forms
    EXPECT_TRUE(icons.Has(QStringLiteral("dde")) && icons.Has(QStringLiteral("cutddeoptional")));
    EXPECT_TRUE(icons.Icon(QStringLiteral("nosuchkey")).isNull());
    EXPECT_EQ(icons.IndexOf(QStringLiteral("nosuchkey")), -1);

}

}  // namespace
}  // namespace orr

#include "MainFrameTest.moc"
