#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStandardPaths>
#include <QTest>

#include "app/modGlobals.h"
#include "doctree/modNodeD.h"
#include "schema/clsDefFiles.h"
#include "shell/FrameServices.h"
#include "shell/QtUi.h"
#include "shell/TreeModel.h"
#include "shell/frmDocument.h"
#include "shell/frmFileNew.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

using test::TestEnv;

DocumentOpenArgs Args(const std::string& sFile, const std::string& sType = "T1",
                      EdiDocument::NewContent content = EdiDocument::NewContent::Skeleton)
{
    return {sFile, '*', '~', sType, content, QStringLiteral("Document 1")};
}

// Qt's model checks, failing the test on the first complaint.
void CheckModel(QAbstractItemModel* model)
{
    new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::Fatal, model);
}

TEST(DocumentWindow, OpensAFileAndHighlightsNodeAndSchema)
{
    test::DocTreeFixture env;
    TestEnv::WriteFile(env.Path("po.edi"), test::kValidT1);
    auto* w = new frmDocument(QStringLiteral("Document 1"));
    CheckModel(w->tvc->model());
    CheckModel(w->tvS->model());
    ASSERT_TRUE(w->EdiFileOpen(Args(env.Path("po.edi"))));
    w->show();
    EXPECT_EQ(w->windowTitle().toStdString(), env.Path("po.edi") + "   (T1)  [*]");
    EXPECT_FALSE(w->IsModified());
    EXPECT_FALSE(w->isWindowModified());
    EXPECT_FALSE(w->Document().FreeForm());

    auto* model = static_cast<TreeModel*>(w->tvc->model());
    ASSERT_EQ(model->rowCount(), 1);
    const QModelIndex root = model->index(0, 0);
    EXPECT_EQ(root.data().toString().toStdString(), env.Path("po.edi"));
    EXPECT_TRUE(w->tvc->isExpanded(root));  // the display settings expand the top levels
    EXPECT_EQ(w->ActiveD(), model->NodeOf(root));
    EXPECT_EQ(root.data(Qt::BackgroundRole).value<QColor>(), QColor(0, 255, 0));
    // The schema root is lit too, right after opening.
    EXPECT_EQ(w->ActiveS(), w->Document().SchemaRoot().Id());
    EXPECT_EQ(w->SchemaTree().BackColor(w->ActiveS()), frmDocument::kGreen);

    // An element: yellow, its segment green, and its schema element yellow.
    const TreeNode beg = w->RootD().FirstChild().Child(1).Child(1).Child(1);
    ASSERT_EQ(beg.Text(), "BEG");
    const QModelIndex begIndex = model->IndexOf(beg.Id());
    w->tvc->expand(begIndex);  // its elements appear now
    ASSERT_EQ(model->rowCount(begIndex), 5);
    const QModelIndex first = model->index(0, 0, begIndex);
    EXPECT_EQ(first.data().toString(), QStringLiteral("00"));
    w->NodeClick(model->NodeOf(first));
    EXPECT_EQ(first.data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 0));
    EXPECT_EQ(begIndex.data(Qt::BackgroundRole).value<QColor>(), QColor(0, 255, 0));
    EXPECT_FALSE(root.data(Qt::BackgroundRole).isValid());  // back to the view's colour
    const TreeNode schemaBeg = w->SchemaTree().Node(w->ActiveS());
    EXPECT_EQ(schemaBeg.Tag().substr(0, 5), "IRBEG");
    EXPECT_EQ(w->SchemaTree().Node(w->ActiveSE()).Tag().substr(0, 7), "IRBEG01");

    // The keyboard moves the current node, and the highlights with it.
    w->tvc->setFocus();
    QTest::keyClick(w->tvc, Qt::Key_Up);
    EXPECT_EQ(w->ActiveD(), beg.Id());
    EXPECT_EQ(begIndex.data(Qt::BackgroundRole).value<QColor>(), QColor(0, 255, 0));
    EXPECT_FALSE(first.data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(w->ActiveS(), schemaBeg.Id());
    EXPECT_FALSE(w->ActiveSE());
    QTest::keyClick(w->tvc, Qt::Key_Home);
    EXPECT_EQ(w->ActiveD(), w->RootD().Id());

    // Without the schema tree no schema node is highlighted anew.
    w->NodeClick(beg.Id());
    w->SwitchTreeView();
    EXPECT_FALSE(w->tvS->isVisible());
    w->NodeClick(w->RootD().Id());
    EXPECT_EQ(w->ActiveS(), schemaBeg.Id());
    EXPECT_EQ(w->ActiveD(), w->RootD().Id());
    delete w;
}

// Re-opening a group of open transaction sets: a few sets go through Qt's
// own layout, thousands through one relayout. Either way the view shows the
// store's expansion, a set the user closed stays closed, and the store's
// flags do not move while the view alone forgets the sets.
TEST(DocumentWindow, ReopeningAGroupShowsItsSetsAsTheyWere)
{
    for (const int nSets : {5, 2000}) {
        SCOPED_TRACE(nSets);
        TestEnv env;
        TestEnv::WriteContainer(env.config->DefinitionFile,
                                {{"docM1.def", "A??*LS*0001*99*ISA*Interchange\nISA*0*M*1*I\nA??*LS*0002*99*GS*Group\n"
                                               "GS*0*M*1*G\nA??*LS*0003*99999*ST*Transaction\nST*0*M*1*S\n"
                                               "BEG*0*M*1*B\nREF*0*O*9*R\nSE*0*M*1*E\nA??*LE\nGE*0*M*1*E\nA??*LE\n"
                                               "IEA*0*M*1*E\nA??*LE\n"}});
        clsDefFiles files;
        ASSERT_TRUE(files.RefreshBinFile());
        gDefFiles = &files;
        const std::string sValid = test::kValidT1;
        std::string sText = sValid.substr(0, sValid.find("ST*"));
        for (int i = 0; i < nSets; ++i)
            sText += "ST*850*0001~\nBEG*00*SA*PO1**20040305~\nREF*DP*1~\nREF*DP*2~\nREF*DP*3~\nSE*6*0001~\n";
        sText += sValid.substr(sValid.find("GE*"));
        TestEnv::WriteFile(env.Path("many.edi"), sText);
        frmDocument w(QStringLiteral("Document 1"));
        ASSERT_TRUE(w.EdiFileOpen(Args(env.Path("many.edi"), "M1")));
        w.resize(800, 600);
        w.show();
        QApplication::processEvents();

        auto* model = static_cast<TreeModel*>(w.tvc->model());
        clsTree& tree = w.DocTree();
        const TreeNode group = w.RootD().FirstChild().Child(1);
        ASSERT_EQ(tree.ChildCount(group.Id()), std::uint32_t(nSets + 2));  // GS, the sets, GE
        const auto setAt = [&](std::uint32_t i) { return model->IndexOf(tree.Child(group.Id(), i)); };
        const auto viewMatchesStore = [&] {
            for (std::uint32_t i = 1; i <= std::uint32_t(nSets); ++i)
                if (w.tvc->isExpanded(setAt(i)) != tree.Expanded(tree.Child(group.Id(), i)))
                    return false;
            return true;
        };
        const QModelIndex iGroup = model->IndexOf(group.Id());
        ASSERT_TRUE(w.tvc->isExpanded(iGroup));
        ASSERT_TRUE(w.tvc->isExpanded(setAt(1)));  // the options open the sets
        EXPECT_TRUE(viewMatchesStore());

        w.tvc->collapse(setAt(2));
        EXPECT_FALSE(tree.Expanded(tree.Child(group.Id(), 2)));
        w.tvc->collapse(iGroup);
        QApplication::processEvents();
        EXPECT_FALSE(tree.Expanded(group.Id()));
        EXPECT_TRUE(tree.Expanded(tree.Child(group.Id(), 1)));
        EXPECT_TRUE(tree.Expanded(tree.Child(group.Id(), std::uint32_t(nSets))));

        w.tvc->expand(iGroup);
        QApplication::processEvents();
        EXPECT_TRUE(tree.Expanded(group.Id()));
        EXPECT_TRUE(viewMatchesStore());
        EXPECT_FALSE(w.tvc->isExpanded(setAt(2)));
        // The rows under the last set are laid out: the GE row follows its last segment.
        const QModelIndex iLast = setAt(std::uint32_t(nSets));
        const QModelIndex iLastSegment = model->index(model->rowCount(iLast) - 1, 0, iLast);
        EXPECT_EQ(w.tvc->indexBelow(iLastSegment), setAt(std::uint32_t(nSets + 1)));
        gDefFiles = nullptr;
    }
}

TEST(DocumentWindow, NewDocumentsAndFailedOpens)
{
    test::DocTreeFixture env;
    auto* w = new frmDocument(QStringLiteral("Document 2"));
    ASSERT_TRUE(w->EdiFileOpen(Args("", "T1", EdiDocument::NewContent::Empty)));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Document: New   (T1)  [*]"));
    EXPECT_TRUE(w->isWindowModified());
    EXPECT_EQ(w->RootD().Text(), "New");
    EXPECT_EQ(w->RootD().Children(), 0u);
    delete w;

    w = new frmDocument(QStringLiteral("Document 3"));
    CheckModel(w->tvc->model());
    ASSERT_TRUE(w->EdiFileOpen(Args("", "T2")));
    EXPECT_GT(w->RootD().Children(), 0u);  // the default interchange
    EXPECT_EQ(gfDnodeType(w->RootD().FirstChild()), 'X');
    delete w;

    // A file that no separators can read: three attempts, then the window goes.
    TestEnv::WriteFile(env.Path("junk.edi"), "nothing to see");
    w = new frmDocument(QStringLiteral("Document 4"));
    env.ui.QueueAnswer(MsgAnswer::No);
    EXPECT_FALSE(w->EdiFileOpen(Args(env.Path("junk.edi"))));
    delete w;

    // A definition that does not exist.
    w = new frmDocument(QStringLiteral("Document 5"));
    env.ui.Clear();
    EXPECT_FALSE(w->EdiFileOpen(Args(env.Path("junk.edi"), "NOPE")));
    EXPECT_EQ(env.ui.Messages().back(), "Could not open definition file:docNOPE.def");
    delete w;
}

// What a document window asks of its frame, recorded.
struct RecordingFrame final : FrameServices {
    void SetStatusText(const QString& sText) override { sStatus = sText; }
    bool IsActive(const DocumentWindow* window) const override { return window == active; }
    void RunDocCommand(DocCommand command) override { docCommands.push_back(command); }
    void RunFrameCommand(FrameCommand command) override { frameCommands.push_back(command); }
    void OpenRecentFile(int nIndex) override { recent.push_back(nIndex); }
    bool OpenEdiDocument(const std::string&) override { return false; }
    bool ToolbarShown() const override { return false; }
    bool StatusBarShown() const override { return true; }
    void DocumentClosed(const QString& sKey) override { closed.push_back(sKey); }
    std::shared_ptr<RecoveryService> Recovery() const override { return {}; }

    const DocumentWindow* active = nullptr;
    QString sStatus;
    std::vector<DocCommand> docCommands;
    std::vector<FrameCommand> frameCommands;
    std::vector<int> recent;
    std::vector<QString> closed;
};

// A window reaches the frame only through what it was handed: its frame
// entries, its commands while it is the active one, the status text, and
// its going; a window whose frame went asks nothing.
TEST(DocumentWindow, ReachesItsFrameOnlyThroughFrameServices)
{
    test::DocTreeFixture env;
    TestEnv::WriteFile(env.Path("po.edi"), test::kValidT1);
    RecordingFrame frame;
    auto* w = new frmDocument(QStringLiteral("Document 7"));
    w->SetFrame(&frame);
    ASSERT_TRUE(w->EdiFileOpen(Args(env.Path("po.edi"))));
    auto entry = [&](const char* sName) { return w->findChild<QAction*>(QString::fromLatin1(sName)); };
    for (const char* sName :
         {"mnuFileSaveAll", "mnuViewDefaultSize", "mnuWindowTileVertical", "mnuRecentFile2", "mnuFileExit"})
        entry(sName)->trigger();
    EXPECT_EQ(frame.frameCommands, (std::vector{FrameCommand::SaveAll, FrameCommand::DefaultSizeCascade,
                                                FrameCommand::TileVertical, FrameCommand::Exit}));
    EXPECT_EQ(frame.recent, std::vector{2});
    w->findChild<QMenu*>(QStringLiteral("mnuView"))->aboutToShow();
    EXPECT_FALSE(w->mnuViewToolbar->isChecked());
    EXPECT_TRUE(w->mnuViewStatusBar->isChecked());

    // Not the active window: it runs its own command; active: the frame does.
    w->mnuViewExpandTree->trigger();
    EXPECT_TRUE(frame.docCommands.empty());
    EXPECT_TRUE(w->DocTree().Expanded(w->RootD().Id()));
    frame.active = w;
    w->mnuViewCollpaseTree->trigger();
    EXPECT_EQ(frame.docCommands, std::vector{DocCommand::CollapseAll});
    EXPECT_TRUE(w->DocTree().Expanded(w->RootD().Id()));

    gConfig->bTrace = true;
    w->NodeClick(w->RootD().FirstChild().Id());
    gConfig->bTrace = false;
    EXPECT_EQ(frame.sStatus, QString::fromStdString(w->RootD().FirstChild().Tag()));
    delete w;
    EXPECT_EQ(frame.closed, std::vector{QStringLiteral("Document 7")});

    auto* orphan = new frmDocument(QStringLiteral("Document 8"));
    orphan->SetFrame(&frame);
    orphan->SetFrame(nullptr);  // the frame is going
    delete orphan;
    EXPECT_EQ(frame.closed.size(), 1u);
}

// The frame with a real document window: the toolbar reaches the window's
// commands, enables only those it can run, and File > Close leaves no
// empty sub-window behind.
TEST(FrameWithDocument, ToolbarDrivesTheRealDocumentWindow)
{
    test::DocTreeFixture env;
    QStandardPaths::setTestModeEnabled(true);
    TestEnv::WriteFile(env.Path("po.edi"), test::kValidT1);
    frmMain::SetDocumentWindowHook({[](const QString& sKey) -> DocumentWindow* { return new frmDocument(sKey); }});
    {
        frmMain frame;
        frame.resize(900, 700);
        frame.show();
        auto open = [&] {
            test::WhenModal<frmFileNew>([](frmFileNew* dlg) {
                const auto found = dlg->mModel->findItems(QStringLiteral("T1"));
                ASSERT_EQ(found.size(), 1);
                dlg->lvc->setCurrentIndex(found.first()->index());
                QTest::mouseClick(dlg->cmdOk, Qt::LeftButton);
            });
            return frame.OpenEdiDocument(env.Path("po.edi"));
        };
        ASSERT_TRUE(open());
        auto* doc = qobject_cast<frmDocument*>(frame.ActiveDocument());
        ASSERT_TRUE(doc);
        auto button = [&](const char* sKey) { return frame.ToolbarButton(QString::fromLatin1(sKey)); };
        for (const char* sKey : {"Expand", "Validate", "Save", "Print"})
            EXPECT_TRUE(button(sKey)->isEnabled()) << sKey;
        // The root takes a new interchange and nothing else.
        EXPECT_TRUE(button("InsChild")->isEnabled());
        for (const char* sKey : {"Edit", "Cut", "Paste", "Delete", "Up", "Undo"})
            EXPECT_FALSE(button(sKey)->isEnabled()) << sKey;

        auto* model = static_cast<TreeModel*>(doc->tvc->model());
        const TreeNode t = doc->RootD().FirstChild().Child(1).Child(1);
        const TreeNode beg = t.Child(1), ge = doc->RootD().FirstChild().Child(1).LastChild();
        ASSERT_EQ(ge.Text(), "GE");
        EXPECT_FALSE(doc->tvc->isExpanded(model->IndexOf(beg.Id())));
        button("Expand")->trigger();
        // Rows open in the view as they come into sight.
        EXPECT_TRUE(doc->DocTree().Expanded(beg.Id()));
        doc->tvc->scrollTo(model->IndexOf(beg.Id()));
        EXPECT_TRUE(doc->tvc->isExpanded(model->IndexOf(beg.Id())));
        EXPECT_TRUE(doc->tvS->isExpanded(doc->tvS->model()->index(0, 0)));
        EXPECT_TRUE(doc->DocTree().ChildrenPending(ge.Id()));  // laid out, not made
        button("Collapse")->trigger();
        EXPECT_FALSE(doc->tvc->isExpanded(model->IndexOf(t.Id())));
        EXPECT_FALSE(doc->DocTree().Expanded(doc->RootD().Id()));

        // Validation through the toolbar keeps the window's document, and
        // the verdict shows over the tree as it will stay (the levels open).
        std::optional<bool> bOpenBehindVerdict;
        env.ui.fnWhileShown = [&](const std::string&) {
            bOpenBehindVerdict = doc->tvc->isExpanded(model->IndexOf(doc->RootD().Id()));
        };
        button("Validate")->trigger();
        env.ui.fnWhileShown = {};
        EXPECT_EQ(env.ui.Messages().back(), "Document has 2 errors and 0 warnings.");
        EXPECT_EQ(doc->ActiveD(), doc->RootD().Id());
        EXPECT_TRUE(doc->tvc->isExpanded(model->IndexOf(doc->RootD().Id())));
        EXPECT_EQ(bOpenBehindVerdict, true);

        doc->mnuFileClose->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(frame.MdiArea()->subWindowList().isEmpty());
        EXPECT_TRUE(frame.ChildForms().empty());
        EXPECT_FALSE(button("Expand")->isEnabled());

        // With no window active, dialogs belong to the frame.
        QApplication::setActiveWindow(nullptr);
        EXPECT_EQ(QtUi::DialogParent(), &frame);
        // A document window's Exit closes the frame, the window with it.
        ASSERT_TRUE(open());
        QPointer<frmDocument> again = qobject_cast<frmDocument*>(frame.ActiveDocument());
        ASSERT_TRUE(again);
        again->mnuFileExit->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(frame.isVisible());
        EXPECT_TRUE(again.isNull());
    }
    frmMain::SetDocumentWindowHook({});
}

}  // namespace
}  // namespace orr
