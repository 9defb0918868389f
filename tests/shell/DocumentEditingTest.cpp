// The document window's editing on real documents and definitions: the Edit
// menu, its keys and the tree's context menu, label editing, undo and redo,
// the frame's editing buttons, under Qt's model checks and with no reset.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

#include "doctree/modNodeD.h"
#include "store/modTreeDump.h"
#include "shell/FindingsDock.h"
#include "shell/IconCache.h"
#include "shell/TreeModel.h"
#include "shell/frmDocument.h"
#include "shell/frmFileNew.h"
#include "store/modTreeDump.h"
#include "tests/shell/ShellTestSupport.h"

namespace orr {
namespace {

// An example file copy and, for a type, its window; a file that fnText
// changed opens read-only (No to the free-form question).
struct EditEnv : test::TestEnv {
    EditEnv(const std::string& sExample, const std::string& sType, std::string (*fnText)(std::string) = nullptr)
    {
        QStandardPaths::setTestModeEnabled(true);
        config->DefinitionFile = ORRINDALE_EDIDEF;
        EXPECT_TRUE(files.RefreshBinFile());
        gDefFiles = &files;
        sFile = Path(sExample);
        const std::string sText = ReadFile(std::string(ORRINDALE_SOURCE_DIR) + "/examples/" + sExample);
        WriteFile(sFile, fnText ? fnText(sText) : sText);
        if (sType.empty())
            return;  // opened through the frame
        if (fnText)
            ui.QueueAnswer(MsgAnswer::No);
        owned.reset(new frmDocument(QStringLiteral("Document 1")));
        EXPECT_TRUE(owned->EdiFileOpen({sFile, '*', '~', sType, EdiDocument::NewContent::Skeleton, QStringLiteral("Document 1")}));
        ui.Clear();
        Adopt(owned.get());
    }
    ~EditEnv() { gDefFiles = nullptr; }
    // Shows the window, focused, its tree model checked and its resets counted.
    void Adopt(frmDocument* pWindow)
    {
        w = pWindow;
        model = static_cast<TreeModel*>(w->tvc->model());
        new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::Fatal, model);
        QObject::connect(model, &QAbstractItemModel::modelAboutToBeReset, [this] { ++nResets; });
        w->window()->show();
        w->window()->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w->window()));
        w->tvc->setFocus();
    }
    // The n-th node (pre-order) with the text; values only with bValues.
    TreeNode Find(std::string_view sText, int n = 0, bool bValues = false)
    {
        std::vector<TreeNode> stack{w->RootD()};
        while (!stack.empty()) {
            const TreeNode nd = stack.back();
            stack.pop_back();
            if (nd.Text() == sText && n-- == 0)
                return nd;
            if (bValues || gfDnodeType(nd) != 'S')
                for (TreeNode c = nd.LastChild(); c; c = c.Previous())
                    stack.push_back(c);
        }
        return {};
    }
    QPoint At(const TreeNode& nd)
    {
        w->tvc->scrollTo(model->IndexOf(nd.Id()));
        return w->tvc->visualRect(model->IndexOf(nd.Id())).center();
    }
    void Click(const TreeNode& nd) { QTest::mouseClick(w->tvc->viewport(), Qt::LeftButton, {}, At(nd)); }
    void Key(const QKeySequence& keys) { QTest::keySequence(QApplication::focusWidget(), keys); }
    // The open label editor (closed ones linger hidden until deleted).
    QLineEdit* Editor()
    {
        for (QLineEdit* line : w->tvc->viewport()->findChildren<QLineEdit*>())
            if (line->isVisible())
                return line;
        return nullptr;
    }
    void Commit(const QString& sText)
    {
        Editor()->clear();
        QTest::keyClicks(Editor(), sText);
        QTest::keyClick(Editor(), Qt::Key_Return);
        QApplication::processEvents();  // the delegate commits queued
    }
    std::string Dump() { return gfDumpTreeText(w->DocTree()); }
    // The Edit menu's enabled entries as it opens.
    std::string Enabled()
    {
        emit w->mnuEdit->aboutToShow();
        std::string s;
        for (QAction* a : w->mnuEdit->actions())
            if (!a->isSeparator() && a->isEnabled())
                s += (s.empty() ? "" : "|") + a->text().remove(QLatin1Char('&')).toStdString();
        return s;
    }

    clsDefFiles files;
    std::string sFile;
    std::unique_ptr<frmDocument> owned;
    frmDocument* w = nullptr;
    TreeModel* model = nullptr;
    int nResets = 0;
};

const std::string kAlways = "Clear Copy/Cut|Edit EDI Source ...|Open File (Same Template)";

TEST(DocumentEditing, EditMenuAndContextMenuFollowTheCurrentNode)
{
    EditEnv env("850-two-orders.edi", "850");
    frmDocument& w = *env.w;
    QStringList captions;
    for (QAction* a : w.mnuEdit->actions() + w.mnuEditDuplicate->actions() + w.mnuEditMove->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(captions.join(QLatin1Char('|')).toStdString(),
              "Hide/Show Empty Folder|Create &New Child|Create New Sibling|&Move|&Delete|Cu&t|&Copy|&Paste|&Clear "
              "Copy/Cut|&Edit Data|Edit EDI &Source ...|&Open File (Same Template)|-|&Undo|&Redo|&After Current "
              "Node|&Before Current Node|Down|Up");
    EXPECT_EQ(env.Enabled(), "Hide/Show Empty Folder|Create New Child|" + kAlways);
    const TreeNode second = env.Find("ST", 1).Parent(), ge = second.Next(), value = env.Find("PO-4501", 0, true);
    env.Click(second);  // sets are never moved in schema mode
    EXPECT_EQ(env.Enabled(), "Hide/Show Empty Folder|Create New Sibling|Delete|Cut|Copy|" + kAlways);
    w.tvc->expand(env.model->IndexOf(value.Parent().Id()));
    env.Click(value);
    EXPECT_EQ(env.Enabled(), "Clear Copy/Cut|Edit Data|Edit EDI Source ...|Open File (Same Template)");

    // The right button picks its row and pops up the Edit menu there.
    bool bShown = false;
    QTimer::singleShot(0, [&] {
        bShown = QApplication::activePopupWidget() == w.mnuEdit && w.mnuEditDelete->isEnabled();
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_D);  // &Delete
    });
    QContextMenuEvent right(QContextMenuEvent::Mouse, env.At(second), QCursor::pos());
    QApplication::sendEvent(w.tvc->viewport(), &right);
    EXPECT_TRUE(bShown);
    EXPECT_EQ(w.ActiveD(), ge.Id());  // the next sibling follows a deleted node
    EXPECT_EQ(env.Find("ST", 1), TreeNode());

    // A click on empty space leaves nothing selected; the right button then only says so.
    env.Click(w.RootD());
    w.mnuViewCollpaseTree->trigger();
    const QPoint empty(5, w.tvc->viewport()->height() - 3);
    QTest::mouseClick(w.tvc->viewport(), Qt::LeftButton, {}, empty);
    EXPECT_FALSE(w.ActiveD() || w.RootD().BackColor() != kWhite);
    EXPECT_EQ(env.Enabled(), kAlways + "|Undo");
    QContextMenuEvent rightEmpty(QContextMenuEvent::Mouse, empty, QCursor::pos());
    QApplication::sendEvent(w.tvc->viewport(), &rightEmpty);
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{"You must select (click on an item) an item first."});
}

TEST(DocumentEditing, KeysDeleteCutCopyPasteUndoAndRedo)
{
    EditEnv env("850-two-orders.edi", "850");
    frmDocument& w = *env.w;
    const std::string sOpened = env.Dump();
    const TreeNode first = env.Find("ST", 0).Parent(), second = env.Find("ST", 1).Parent();
    env.Click(second);
    env.Key(Qt::Key_Delete);
    EXPECT_TRUE(w.isWindowModified());
    EXPECT_EQ(w.tvc->currentIndex(), env.model->IndexOf(w.ActiveD()));
    env.Click(first);
    EXPECT_FALSE(w.mnuEditDelete->isEnabled());  // the last set of the group
    for (const QKeySequence& key :
         {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::Key_Z),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Z)})
        env.Key(key);
    EXPECT_EQ(env.Dump(), sOpened);
    EXPECT_FALSE(w.isWindowModified() || w.mnuEditUndo->isEnabled());
    EXPECT_EQ(w.ActiveD(), second.Id());

    // Cut marks the set's icon and changes nothing; a paste moves it.
    env.Click(first);
    const std::string sImage = first.ExpandedImage();
    env.Key(QKeySequence::Cut);
    EXPECT_EQ(first.ExpandedImage(), "cut" + sImage);
    EXPECT_EQ(env.model->IndexOf(first.Id()).data(Qt::DecorationRole).value<QIcon>().cacheKey(),
              IconCache::Instance().Icon(QString::fromStdString("cut" + sImage)).cacheKey());
    EXPECT_FALSE(w.isWindowModified());
    env.Click(second);
    env.Key(QKeySequence::Paste);
    EXPECT_TRUE(w.isWindowModified());
    EXPECT_EQ(env.Find("0001", 0, true).Parent().Parent().Previous(), second);
    EXPECT_EQ(env.Find("ST", 1).Parent().ExpandedImage(), sImage);
    w.mnuEditUndo->trigger();
    EXPECT_EQ(env.Dump(), sOpened);
    // Copy, paste, and the clipboard is empty again.
    env.Click(first);
    env.Key(QKeySequence::Copy);
    env.Click(second);
    env.Key(QKeySequence::Paste);
    EXPECT_TRUE(env.Find("ST", 2));
    EXPECT_FALSE(w.mnuEditPaste->isEnabled());
    EXPECT_EQ(env.nResets, 0);
}

TEST(DocumentEditing, LabelEditingFollowsTheRules)
{
    EditEnv env("850-two-orders.edi", "850");
    frmDocument& w = *env.w;
    const TreeNode beg = env.Find("BEG"), value = env.Find("PO-4501", 0, true);
    env.Click(beg);
    env.Key(Qt::Key_F2);
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{"You can not edit this node."});
    QTest::mouseDClick(w.tvc->viewport(), Qt::LeftButton, {}, env.At(beg));  // opens the segment, no editor
    EXPECT_TRUE(w.tvc->isExpanded(env.model->IndexOf(beg.Id())) && !env.Editor());

    env.Click(value);
    env.Key(Qt::Key_F2);
    ASSERT_TRUE(env.Editor());
    EXPECT_EQ(env.Editor()->text(), QStringLiteral("PO-4501"));
    env.Commit(QStringLiteral("PO-*9~"));  // the separators would split the value
    EXPECT_EQ(value.Text(), "PO-9");
    env.ui.QueueAnswer(MsgAnswer::No);  // no line breaks
    ASSERT_TRUE(w.EdiFileSave());
    EXPECT_NE(env.ReadFile(env.sFile).find("BEG*00*SA*PO-9**20240115~"), std::string::npos);
    // Emptying a value asks first.
    for (MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
        env.ui.Clear();
        env.ui.QueueAnswer(answer);
        QTest::mouseDClick(w.tvc->viewport(), Qt::LeftButton, {}, env.At(value));
        env.Commit({});
        EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{"Set value to empty string ?"});
        EXPECT_EQ(value.Text(), answer == MsgAnswer::Yes ? "" : "PO-9");
        EXPECT_EQ(w.isWindowModified(), answer == MsgAnswer::Yes);
    }
    w.mnuEditUndo->trigger();
    EXPECT_EQ(value.Text(), "PO-9");
    EXPECT_FALSE(w.isWindowModified());  // as saved
}

TEST(DocumentEditing, ReadOnlyDocumentsOnlyEditLabels)
{
    EditEnv env("850-two-orders.edi", "850",
                [](std::string s) { return test::TestEnv::Replaced(s, "CUR*BY*USD~", "ZZZ*1~"); });
    ASSERT_TRUE(env.w->ReadOnly());
    const TreeNode value = env.Find("PO-4501", 0, true);
    env.Click(env.Find("ST", 1).Parent());
    EXPECT_EQ(env.Enabled(), kAlways);
    env.w->tvc->expand(env.model->IndexOf(value.Parent().Id()));
    env.Click(value);
    env.Key(Qt::Key_F2);
    env.Commit(QStringLiteral("PO-7"));
    EXPECT_EQ(value.Text(), "PO-7");
    env.Key(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(value.Text(), "PO-4501");
}

TEST(DocumentEditing, FreeFormSegmentsMoveAndTakeElements)
{
    EditEnv env("FreeForm-two-interchanges.edi", "FreeForm");
    frmDocument& w = *env.w;
    const std::string sOpened = env.Dump();
    const TreeNode st = env.Find("ST"), first = st.Next();
    env.Click(first);  // after ST: down only
    EXPECT_EQ(env.Enabled(),
              "Create New Child|Create New Sibling|Move|Delete|Cut|Copy|Clear Copy/Cut|Edit Data|"
              "Edit EDI Source ...|Open File (Same Template)");
    EXPECT_TRUE(w.mnuEditMoveDown->isEnabled() && !w.mnuEditMoveUp->isEnabled());
    w.mnuEditMoveDown->trigger();
    const TreeNode moved = w.DocTree().Node(w.ActiveD());
    EXPECT_EQ(moved.Text(), first.Text());
    EXPECT_EQ(moved.Previous().Previous(), st);
    EXPECT_EQ(w.tvc->currentIndex(), env.model->IndexOf(moved.Id()));
    w.mnuEditNewChild->trigger();  // an empty element at the end, in sight
    EXPECT_EQ(moved.LastChild().Text(), "");
    EXPECT_TRUE(w.tvc->isExpanded(env.model->IndexOf(moved.Id())));
    w.mnuEditUndo->trigger();
    w.mnuEditUndo->trigger();
    EXPECT_EQ(env.Dump(), sOpened);
    EXPECT_EQ(env.nResets, 0);
}

TEST(DocumentEditing, ViewKeepsItsPlaceAndExpandedRows)
{
    EditEnv env("850-two-orders.edi", "850");
    frmDocument& w = *env.w;
    w.resize(500, 250);
    w.mnuViewExpandTree->trigger();
    const TreeNode second = env.Find("ST", 1).Parent(), beg = env.Find("BEG", 1);
    env.Click(second);
    const int nScroll = w.tvc->verticalScrollBar()->value();
    w.mnuEditDelete->trigger();
    EXPECT_EQ(w.tvc->verticalScrollBar()->value(), nScroll);
    w.mnuEditUndo->trigger();
    EXPECT_EQ(w.tvc->verticalScrollBar()->value(), nScroll);
    EXPECT_TRUE(w.DocTree().Expanded(beg.Id()));
    w.tvc->scrollTo(env.model->IndexOf(beg.Id()));  // opened as it comes into sight
    EXPECT_TRUE(w.tvc->isExpanded(env.model->IndexOf(beg.Id())));
    EXPECT_EQ(env.nResets, 0);
}

TEST(DocumentEditing, FrameToolbarEditsTheActiveDocument)
{
    EditEnv env("850-two-orders.edi", "");
    frmMain frame;
    frmMain::SetDocumentWindowHook({[](const QString& sKey) -> DocumentWindow* { return new frmDocument(sKey); }});
    test::WhenModal<frmFileNew>([](frmFileNew* dlg) {
        dlg->lvc->setCurrentIndex(dlg->mModel->findItems(QStringLiteral("850")).value(0)->index());
        dlg->cmdOk->click();
    });
    frame.resize(1000, 800);  // room for the tree beside the detail panel
    frame.show();
    ASSERT_TRUE(frame.OpenEdiDocument(env.sFile));
    env.Adopt(qobject_cast<frmDocument*>(frame.ActiveDocument()));
    auto enabled = [&] {
        std::string s;
        for (const char* sKey : {"Edit", "InsChild", "InsBefore", "Cut", "Paste", "Delete", "Up", "Undo", "Redo"})
            s += frame.ToolbarButton(QString::fromLatin1(sKey))->isEnabled() ? sKey : "";
        return s;
    };
    const std::string sOpened = env.Dump();
    env.Click(env.Find("ST", 1).Parent());
    EXPECT_EQ(enabled(), "InsBeforeCutDelete");
    env.ui.QueueAnswer(MsgAnswer::Yes);  // a new set before this one
    frame.ToolbarButton(QStringLiteral("InsBefore"))->trigger();
    EXPECT_TRUE(env.Find("ST", 2));
    frame.ToolbarButton(QStringLiteral("Undo"))->trigger();
    EXPECT_EQ(env.Dump(), sOpened);
    EXPECT_EQ(enabled(), "InsBeforeCutDeleteRedo");
    frmMain::SetDocumentWindowHook({});
}

// Validation in the frame keeps what can be undone: an edit made before F5
// is undone after it, and a validation that changes the tree is one step of
// its own. The message follows the findings the dock lists.
TEST(DocumentEditing, ValidationKeepsTheUndoHistoryAndOneVerdict)
{
    EditEnv env("850-purchase-order.edi", "");
    frmMain frame;
    frmMain::SetDocumentWindowHook({[](const QString& sKey) -> DocumentWindow* { return new frmDocument(sKey); }});
    test::WhenModal<frmFileNew>([](frmFileNew* dlg) {
        dlg->lvc->setCurrentIndex(dlg->mModel->findItems(QStringLiteral("850")).value(0)->index());
        dlg->cmdOk->click();
    });
    frame.resize(1000, 800);
    frame.show();
    ASSERT_TRUE(frame.OpenEdiDocument(env.sFile));
    env.Adopt(qobject_cast<frmDocument*>(frame.ActiveDocument()));
    frmDocument& w = *env.w;
    QAction* undo = frame.ToolbarButton(QStringLiteral("Undo"));
    QAction* redo = frame.ToolbarButton(QStringLiteral("Redo"));
    const std::string sOpened = env.Dump();

    env.Key(Qt::Key_F5);
    EXPECT_EQ(env.ui.Messages().back(), "Document is valid.");
    EXPECT_FALSE(undo->isEnabled() || w.isWindowModified());

    // BEG05, the order date, made impossible.
    const TreeNode date = env.Find("BEG").Child(4);
    env.Click(date);
    env.Key(Qt::Key_F2);
    ASSERT_TRUE(env.Editor());
    env.Commit(QStringLiteral("20231399"));
    const std::string sEdited = env.Dump();
    const NodeId root = w.RootD().Id();
    env.Key(Qt::Key_F5);
    const std::string sVerdict = env.ui.Messages().back();
    EXPECT_NE(sVerdict, "Document is valid.");
    EXPECT_EQ(sVerdict.rfind("Document has 1 error", 0), 0u) << sVerdict;
    auto* dock = w.findChild<FindingsDock*>();
    ASSERT_EQ(dock->lvwFindings->model()->rowCount(), 1);
    EXPECT_EQ(dock->lvwFindings->model()->index(0, 1).data().toInt(), 4);  // BEG's line
    EXPECT_GT(dock->width(), w.width() / 2);  // the message in view
    EXPECT_EQ(w.RootD().Id(), root);  // the same tree
    EXPECT_EQ(env.Dump(), sEdited);
    EXPECT_TRUE(undo->isEnabled() && w.isWindowModified());
    env.Key(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(env.Dump(), sOpened);
    EXPECT_FALSE(undo->isEnabled() || w.isWindowModified());
    EXPECT_TRUE(redo->isEnabled());

    // Without the first party name the second is numbered anew when read
    // back: the tree differs, and the validation is one step of its own.
    env.Key(QKeySequence(Qt::CTRL | Qt::Key_Y));
    env.Click(env.Find("N1", 0).Parent());
    env.ui.Clear();
    env.Key(Qt::Key_Delete);
    EXPECT_TRUE(env.ui.Messages().empty());
    const std::string sMoved = env.Dump();
    ASSERT_NE(sMoved, sEdited);
    env.Key(Qt::Key_F5);
    EXPECT_NE(w.RootD().Id(), root);
    EXPECT_EQ(w.tvc->currentIndex(), env.model->IndexOf(w.RootD().Id()));
    for (const std::string* pBefore : {&sMoved, &sEdited, &sOpened}) {
        ASSERT_TRUE(undo->isEnabled());
        undo->trigger();
        EXPECT_EQ(env.Dump(), *pBefore);
    }
    EXPECT_EQ(w.RootD().Id(), root);
    EXPECT_EQ(dock->lvwFindings->model()->rowCount(), 0);  // the findings named the tree undone
    EXPECT_FALSE(undo->isEnabled() || w.isWindowModified());
    frmMain::SetDocumentWindowHook({});
}

}  // namespace
}  // namespace orr
