// The document window's editing on real documents and definitions: the
// Edit menu and its shortcuts, the tree's context menu, label editing, undo
// and redo, the frame's editing buttons, all under Qt's model checks and
// with no model reset on the way.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/modGlobals.h"
#include "doctree/modNodeD.h"
#include "schema/clsDefFiles.h"
#include "schema/modTreeDump.h"
#include "shell/IconCache.h"
#include "shell/TreeModel.h"
#include "shell/frmDocument.h"
#include "shell/frmFileNew.h"
#include "shell/frmPrintView.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

// A shown, active document window on a copy of an example file, read with
// the program's own definitions.
struct EditEnv : test::TestEnv {
    // fnText may change the file's text first; answers are queued for the opening.
    EditEnv(const std::string& sExample, const std::string& sType,
            const std::function<std::string(std::string)>& fnText = {}, std::vector<MsgAnswer> answers = {})
    {
        QStandardPaths::setTestModeEnabled(true);
        config->DefinitionFile = ORRINDALE_EDIDEF;
        EXPECT_TRUE(files.RefreshBinFile());
        gDefFiles = &files;
        sFile = Path(sExample);
        const std::string sText = ReadFile(std::string(ORRINDALE_SOURCE_DIR) + "/examples/" + sExample);
        WriteFile(sFile, fnText ? fnText(sText) : sText);
        for (MsgAnswer answer : answers)
            ui.QueueAnswer(answer);
        if (sType.empty())
            return;  // the test opens it through the frame
        auto* w = new frmDocument(QStringLiteral("Document 1"));
        bOpened = w->EdiFileOpen({sFile, '*', '~', sType, 1, QStringLiteral("Document 1")});
        w->resize(700, 500);
        Adopt(w);
        bOwned = true;
    }
    ~EditEnv()
    {
        if (bOwned)
            delete window;
        frmMain::SetDocumentWindowHook({});
        gDefFiles = nullptr;
    }
    // Shows the window with the keyboard focus in its document tree, under Qt's model checks.
    void Adopt(frmDocument* w)
    {
        window = w;
        model = static_cast<TreeModel*>(window->tvc->model());
        new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::Fatal, model);
        QObject::connect(model, &QAbstractItemModel::modelAboutToBeReset, [this] { ++nResets; });
        QWidget* top = window->window();
        top->show();
        top->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(top));
        window->tvc->setFocus();
    }

    // The n-th node (pre-order, from 0) whose text is sText; values only with bValues.
    TreeNode Find(std::string_view sText, int n = 0, bool bValues = false)
    {
        TreeNode found;
        std::function<void(const TreeNode&)> walk = [&](const TreeNode& nd) {
            for (TreeNode c = nd.FirstChild(); c && !found; c = c.Next()) {
                if (c.Text() == sText && n-- == 0)
                    found = c;
                else if (bValues || gfDnodeType(c) != 'S')
                    walk(c);
            }
        };
        walk(window->RootD());
        return found;
    }
    // A left click on the node's row, as the user makes it.
    void Click(const TreeNode& nd, Qt::MouseButton button = Qt::LeftButton)
    {
        const QModelIndex index = model->IndexOf(nd.Id());
        window->tvc->scrollTo(index);
        QTest::mouseClick(window->tvc->viewport(), button, {}, window->tvc->visualRect(index).center());
    }
    void DoubleClick(const TreeNode& nd)
    {
        Click(nd);
        QTest::mouseDClick(window->tvc->viewport(), Qt::LeftButton, {},
                           window->tvc->visualRect(model->IndexOf(nd.Id())).center());
    }
    void Key(QKeySequence keys) { QTest::keySequence(QApplication::focusWidget(), keys); }
    // Return in the label editor, which commits once events are processed.
    void Commit()
    {
        QTest::keyClick(Editor(), Qt::Key_Return);
        QApplication::processEvents();
    }
    std::string Dump() { return gfDumpTreeText(window->DocTree()); }
    // The open label editor (closed ones linger hidden until deleted).
    QLineEdit* Editor()
    {
        for (QLineEdit* line : window->tvc->viewport()->findChildren<QLineEdit*>())
            if (line->isVisible())
                return line;
        return nullptr;
    }
    bool Lit(const TreeNode& nd) { return nd.BackColor() != kWhite; }

    clsDefFiles files;
    std::string sFile;
    frmDocument* window = nullptr;
    TreeModel* model = nullptr;
    int nResets = 0;
    bool bOpened = false;
    bool bOwned = false;
};

// The enabled entries of the Edit menu as the user sees them on opening it.
std::string EnabledEntries(frmDocument& w)
{
    emit w.mnuEdit->aboutToShow();
    std::string s;
    for (QAction* a : w.mnuEdit->actions())
        if (!a->isSeparator() && a->isEnabled())
            s += (s.empty() ? "" : " ") + a->text().remove(QLatin1Char('&')).toStdString();
    return s;
}

TEST(DocumentEditing, EditMenuEntriesFollowTheCurrentNode)
{
    EditEnv env("850-two-orders.edi", "850");
    ASSERT_TRUE(env.bOpened);
    frmDocument& w = *env.window;
    QStringList captions;
    for (QAction* a : w.mnuEdit->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(captions.join(QLatin1Char('|')).toStdString(),
              "Hide/Show Empty Folder|Create &New Child|Create New Sibling|&Move|&Delete|Cu&t|&Copy|&Paste|"
              "&Clear Copy/Cut|&Edit Data|Edit EDI &Source ...|&Open File (Same Template)|-|&Undo|&Redo");
    EXPECT_EQ(w.mnuEditDuplicate->actions().at(0)->text() + w.mnuEditDuplicate->actions().at(1)->text(),
              QStringLiteral("&After Current Node&Before Current Node"));
    EXPECT_EQ(w.mnuEditMove->actions().at(0)->text() + w.mnuEditMove->actions().at(1)->text(),
              QStringLiteral("DownUp"));

    // The root takes a new interchange and shows its empty nodes.
    EXPECT_EQ(EnabledEntries(w), "Hide/Show Empty Folder Create New Child Clear Copy/Cut Edit EDI Source ... Open File (Same Template)");
    // A transaction set of two: siblings, the clipboard and delete, never a
    // move in schema mode.
    const TreeNode st = env.Find("ST", 1).Parent();
    env.Click(st);
    EXPECT_EQ(w.ActiveD(), st.Id());
    EXPECT_EQ(EnabledEntries(w), "Hide/Show Empty Folder Create New Sibling Delete Cut Copy Clear Copy/Cut Edit EDI Source ... "
                                 "Open File (Same Template)");
    EXPECT_FALSE(w.CanRun(DocCommand::MoveUp) || w.CanRun(DocCommand::MoveDown));
    // A value: only editing it.
    const TreeNode value = env.Find("PO-4501", 0, true);
    env.Click(value.Parent());
    env.window->tvc->expand(env.model->IndexOf(value.Parent().Id()));
    env.Click(value);
    EXPECT_EQ(EnabledEntries(w), "Clear Copy/Cut Edit Data Edit EDI Source ... Open File (Same Template)");

    // A click on empty space leaves nothing selected and nothing to edit;
    // the right button then only says so.
    env.Click(w.RootD());
    w.mnuViewCollpaseTree->trigger();
    QTest::mouseClick(w.tvc->viewport(), Qt::LeftButton, {}, QPoint(5, w.tvc->viewport()->height() - 3));
    EXPECT_FALSE(w.ActiveD());
    EXPECT_FALSE(env.Lit(w.RootD()));
    EXPECT_EQ(EnabledEntries(w), "Clear Copy/Cut Edit EDI Source ... Open File (Same Template)");
    env.ui.Clear();
    const QPoint empty(5, w.tvc->viewport()->height() - 3);
    QContextMenuEvent right(QContextMenuEvent::Mouse, empty, w.tvc->viewport()->mapToGlobal(empty));
    QApplication::sendEvent(w.tvc->viewport(), &right);
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{"You must select (click on an item) an item first."});
}

TEST(DocumentEditing, DeleteCutCopyPasteUndoAndRedoFromTheWindow)
{
    EditEnv env("850-two-orders.edi", "850");
    ASSERT_TRUE(env.bOpened);
    frmDocument& w = *env.window;
    const std::string sOpened = env.Dump();
    const TreeNode first = env.Find("ST", 0).Parent(), second = env.Find("ST", 1).Parent();
    const TreeNode ge = second.Next();
    ASSERT_EQ(ge.Text(), "GE");

    // Delete: the next sibling becomes current, the title shows the change.
    env.Click(second);
    env.Key(Qt::Key_Delete);
    EXPECT_EQ(w.ActiveD(), ge.Id());
    EXPECT_TRUE(env.Lit(ge));
    EXPECT_EQ(w.tvc->currentIndex(), env.model->IndexOf(ge.Id()));
    EXPECT_EQ(env.Find("ST", 1), TreeNode());
    EXPECT_TRUE(w.isWindowModified());
    // The last set of a group may not go.
    env.Click(first);
    EXPECT_FALSE(w.mnuEditDelete->isEnabled());

    // Undo and redo from the keyboard, both redo keys.
    env.Key(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(env.Dump(), sOpened);
    EXPECT_FALSE(w.isWindowModified());
    EXPECT_EQ(w.ActiveD(), second.Id());
    env.Key(QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_EQ(env.Find("ST", 1), TreeNode());
    env.Key(QKeySequence(Qt::CTRL | Qt::Key_Z));
    env.Key(QKeySequence(Qt::CTRL | Qt::Key_Z));  // nothing more to undo
    EXPECT_FALSE(w.mnuEditUndo->isEnabled());
    env.Key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    EXPECT_EQ(env.Find("ST", 1), TreeNode());
    env.Key(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(env.Dump(), sOpened);

    // Cut marks the node, changes nothing, and a paste after the second set
    // moves it there.
    env.Click(first);
    const std::string sImage = first.Image();
    env.Key(QKeySequence::Cut);
    EXPECT_EQ(first.Image(), "cut" + sImage);
    ASSERT_TRUE(first.Expanded());
    EXPECT_EQ(env.model->IndexOf(first.Id()).data(Qt::DecorationRole).value<QIcon>().cacheKey(),
              IconCache::Instance().Icon(QString::fromStdString(first.ExpandedImage())).cacheKey());
    EXPECT_EQ(first.ExpandedImage().substr(0, 3), "cut");
    EXPECT_FALSE(w.isWindowModified());
    env.Click(second);
    EXPECT_TRUE(w.mnuEditPaste->isEnabled());
    env.Key(QKeySequence::Paste);
    EXPECT_TRUE(w.isWindowModified());
    ASSERT_EQ(env.Find("ST", 1).Parent().Previous(), second);
    EXPECT_EQ(env.Find("ST", 1).Parent().Image(), sImage);  // the mark does not travel
    EXPECT_EQ(env.Find("0001", 0, true).Parent().Parent(), env.Find("ST", 1).Parent());
    // Undo puts it back unmarked.
    w.mnuEditUndo->trigger();
    EXPECT_EQ(env.Dump(), sOpened);

    // Copy, then paste twice: the second paste finds the clipboard empty.
    env.Click(first);
    w.mnuEditCopy->trigger();
    EXPECT_EQ(first.Image().substr(0, 3), "cop");
    env.Click(second);
    w.mnuEditPaste->trigger();
    EXPECT_TRUE(env.Find("ST", 2));
    EXPECT_FALSE(w.mnuEditPaste->isEnabled());
    // Clear Copy/Cut takes the mark off.
    env.Click(first);
    w.mnuEditCut->trigger();
    w.mnuEditClearCut->trigger();
    EXPECT_EQ(first.Image(), sImage);
    EXPECT_EQ(env.nResets, 0);
}

TEST(DocumentEditing, LabelEditingFollowsTheRules)
{
    EditEnv env("850-two-orders.edi", "850");
    ASSERT_TRUE(env.bOpened);
    frmDocument& w = *env.window;
    const TreeNode beg = env.Find("BEG"), value = env.Find("PO-4501", 0, true);

    // A segment's label is not edited: F2 says so, a double click opens it.
    env.Click(beg);
    env.ui.Clear();
    env.Key(Qt::Key_F2);
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{"You can not edit this node."});
    EXPECT_EQ(env.Editor(), nullptr);
    env.DoubleClick(beg);
    EXPECT_TRUE(w.tvc->isExpanded(env.model->IndexOf(beg.Id())));
    EXPECT_EQ(env.Editor(), nullptr);

    // A value: F2, a new text and Return change it, and the segment as written.
    env.Click(value);
    env.Key(Qt::Key_F2);
    QLineEdit* editor = env.Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("PO-4501"));
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("PO-*9~"));  // separators would split the value: refused
    env.Commit();
    EXPECT_EQ(value.Text(), "PO-9");
    EXPECT_TRUE(w.isWindowModified());
    env.ui.QueueAnswer(MsgAnswer::No);  // no line breaks
    ASSERT_TRUE(w.EdiFileSave());
    EXPECT_NE(test::TestEnv::ReadFile(env.sFile).find("BEG*00*SA*PO-9**20240115~"), std::string::npos);
    EXPECT_FALSE(w.isWindowModified());

    // Emptying it asks first: No keeps the value, Yes empties it.
    for (MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
        env.DoubleClick(value);
        ASSERT_NE(env.Editor(), nullptr);
        env.Editor()->clear();
        env.ui.Clear();
        env.ui.QueueAnswer(answer);
        env.Commit();
        ASSERT_EQ(env.ui.Calls().size(), 1u);
        EXPECT_EQ(env.ui.Calls()[0].sText, "Set value to empty string ?");
        EXPECT_EQ(env.ui.Calls()[0].buttons, MsgButtons::YesNo);
        EXPECT_EQ(value.Text(), answer == MsgAnswer::Yes ? "" : "PO-9");
        EXPECT_EQ(w.isWindowModified(), answer == MsgAnswer::Yes);
    }
    // Escape leaves it as it was; the Edit Data entry opens the editor too.
    w.mnuEditData->trigger();
    ASSERT_NE(env.Editor(), nullptr);
    QTest::keyClicks(env.Editor(), QStringLiteral("X"));
    QTest::keyClick(env.Editor(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(value.Text(), "");
    // Both edits come back with undo, from the menu.
    w.mnuEditUndo->trigger();
    EXPECT_EQ(value.Text(), "PO-9");
    EXPECT_FALSE(w.isWindowModified());  // as saved
    w.mnuEditUndo->trigger();
    EXPECT_EQ(value.Text(), "PO-4501");
    EXPECT_TRUE(w.isWindowModified());
}

TEST(DocumentEditing, ReadOnlyDocumentsOnlyEditLabelsDirectly)
{
    // An unknown segment, and No to the free-form question: read only.
    EditEnv env(
        "850-two-orders.edi", "850", [](std::string s) { return test::TestEnv::Replaced(s, "CUR*BY*USD~", "ZZZ*1~"); },
        {MsgAnswer::No});
    ASSERT_TRUE(env.bOpened);
    frmDocument& w = *env.window;
    ASSERT_TRUE(w.ReadOnly());
    const TreeNode value = env.Find("PO-4501", 0, true);
    env.Click(env.Find("ST", 1).Parent());
    EXPECT_EQ(EnabledEntries(w), "Clear Copy/Cut Edit EDI Source ... Open File (Same Template)");
    env.Key(Qt::Key_Delete);
    EXPECT_TRUE(env.Find("ST", 1));
    env.Click(value.Parent());
    w.tvc->expand(env.model->IndexOf(value.Parent().Id()));
    env.Click(value);
    EXPECT_FALSE(w.mnuEditData->isEnabled());
    // The tree's own label editing still works, and so does undoing it.
    env.Key(Qt::Key_F2);
    ASSERT_NE(env.Editor(), nullptr);
    env.Editor()->setText(QStringLiteral("PO-7"));
    env.Commit();
    EXPECT_EQ(value.Text(), "PO-7");
    EXPECT_TRUE(w.isWindowModified());
    EXPECT_TRUE(w.mnuEditUndo->isEnabled());
    env.Key(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(value.Text(), "PO-4501");
}

TEST(DocumentEditing, FreeFormSegmentsMoveAndTakeElements)
{
    EditEnv env("FreeForm-two-interchanges.edi", "FreeForm");
    ASSERT_TRUE(env.bOpened);
    frmDocument& w = *env.window;
    ASSERT_TRUE(w.FreeForm());
    const std::string sOpened = env.Dump();
    const TreeNode st = env.Find("ST");
    const TreeNode first = st.Next(), second = first.Next();
    ASSERT_TRUE(second && second.Next() && second.Next().Text() != "SE") << env.Dump();

    // The first segment after ST moves down only.
    env.Click(first);
    emit w.mnuEdit->aboutToShow();
    EXPECT_TRUE(w.mnuEditMove->menuAction()->isEnabled());
    EXPECT_TRUE(w.mnuEditMoveDown->isEnabled());
    EXPECT_FALSE(w.mnuEditMoveUp->isEnabled());
    const std::string sFirst(first.Text()), sSecond(second.Text());
    w.mnuEditMoveDown->trigger();
    const TreeNode moved = w.DocTree().Node(w.ActiveD());
    EXPECT_EQ(moved.Text(), sFirst);
    EXPECT_EQ(moved.Previous().Text(), sSecond);
    EXPECT_EQ(w.tvc->currentIndex(), env.model->IndexOf(moved.Id()));
    EXPECT_TRUE(env.Lit(moved));
    EXPECT_TRUE(w.isWindowModified());
    w.mnuEditMoveUp->trigger();
    EXPECT_EQ(w.DocTree().Node(w.ActiveD()).Previous(), st);

    // A new child of a segment is an empty element at its end.
    const TreeNode segment = w.DocTree().Node(w.ActiveD());
    const std::uint32_t nElements = segment.Children();
    w.mnuEditNewChild->trigger();
    ASSERT_EQ(segment.Children(), nElements + 1);
    EXPECT_EQ(segment.LastChild().Text(), "");
    EXPECT_TRUE(w.tvc->isExpanded(env.model->IndexOf(segment.Id())));  // the new element shows
    for (int i = 0; i < 3; ++i)
        w.mnuEditUndo->trigger();
    EXPECT_EQ(env.Dump(), sOpened);
    EXPECT_EQ(env.nResets, 0);
}

TEST(DocumentEditing, UndoBringsBackExpansionAndKeepsTheScrollPosition)
{
    EditEnv env("850-two-orders.edi", "850");
    ASSERT_TRUE(env.bOpened);
    frmDocument& w = *env.window;
    w.resize(500, 250);
    QApplication::processEvents();
    w.mnuViewExpandTree->trigger();
    const TreeNode second = env.Find("ST", 1).Parent(), beg = env.Find("BEG", 1);
    ASSERT_TRUE(w.tvc->isExpanded(env.model->IndexOf(beg.Id())));
    QScrollBar* bar = w.tvc->verticalScrollBar();
    env.Click(second);
    const int nScroll = bar->value();
    ASSERT_GT(nScroll, 0);
    w.mnuEditDelete->trigger();
    EXPECT_EQ(bar->value(), nScroll);
    w.mnuEditUndo->trigger();
    EXPECT_EQ(bar->value(), nScroll);
    EXPECT_TRUE(w.tvc->isExpanded(env.model->IndexOf(second.Id())));
    EXPECT_TRUE(w.tvc->isExpanded(env.model->IndexOf(beg.Id())));
    EXPECT_EQ(w.tvc->currentIndex(), env.model->IndexOf(second.Id()));
    EXPECT_EQ(env.nResets, 0);
}

// The frame's editing buttons run the real window's commands.
TEST(DocumentEditing, FrameToolbarEditsTheActiveDocument)
{
    EditEnv env("850-two-orders.edi", "");
    frmMain frame;
    frame.resize(900, 700);
    frame.show();
    frmMain::SetDocumentWindowHook({[](const QString& sKey) -> DocumentWindow* { return new frmDocument(sKey); }});
    test::WhenModal<frmFileNew>([](frmFileNew* dlg) {
        const auto found = dlg->mModel->findItems(QStringLiteral("850"));
        ASSERT_EQ(found.size(), 1);
        dlg->lvc->setCurrentIndex(found.first()->index());
        QTest::mouseClick(dlg->cmdOk, Qt::LeftButton);
    });
    ASSERT_TRUE(frame.OpenEdiDocument(env.sFile));
    auto* w = qobject_cast<frmDocument*>(frame.ActiveDocument());
    ASSERT_TRUE(w);
    env.Adopt(w);
    ASSERT_EQ(frame.ActiveDocument(), w);
    auto button = [&](const char* sKey) { return frame.ToolbarButton(QString::fromLatin1(sKey)); };
    auto enabled = [&] {
        std::string s;
        for (const char* sKey : {"Edit", "InsChild", "ShowNull", "InsBefore", "InsAfter", "Cut", "Copy", "Paste",
                                 "Delete", "Down", "Up", "Undo", "Redo"})
            if (button(sKey)->isEnabled())
                s += std::string(s.empty() ? "" : " ") + sKey;
        return s;
    };
    w->NodeClick(w->RootD().Id());
    EXPECT_EQ(enabled(), "InsChild ShowNull");
    const TreeNode second = env.Find("ST", 1).Parent();
    env.Click(second);
    EXPECT_EQ(enabled(), "ShowNull InsBefore InsAfter Cut Copy Delete");
    const std::string sOpened = env.Dump();
    env.ui.QueueAnswer(MsgAnswer::Yes);  // a new transaction set before this one
    button("InsBefore")->trigger();
    EXPECT_EQ(env.Find("ST", 2).Parent(), second);
    EXPECT_TRUE(button("Undo")->isEnabled());
    button("Delete")->trigger();
    button("Undo")->trigger();
    button("Undo")->trigger();
    EXPECT_EQ(env.Dump(), sOpened);
    EXPECT_TRUE(button("Redo")->isEnabled());
    button("Redo")->trigger();
    EXPECT_TRUE(env.Find("ST", 2));
}

TEST(DocumentEditing, ContextMenuRunsTheEditMenuOnTheRowClicked)
{
    EditEnv env("850-two-orders.edi", "850");
    ASSERT_TRUE(env.bOpened);
    frmDocument& w = *env.window;
    const TreeNode second = env.Find("ST", 1).Parent(), ge = second.Next();
    const QModelIndex index = env.model->IndexOf(second.Id());
    w.tvc->scrollTo(index);
    bool bShown = false;
    QTimer::singleShot(0, [&] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_EQ(popup, w.mnuEdit);
        bShown = true;
        EXPECT_TRUE(w.mnuEditDelete->isEnabled());
        QTest::keyClick(popup, Qt::Key_D);  // &Delete
    });
    const QPoint pos = w.tvc->visualRect(index).center();
    QContextMenuEvent right(QContextMenuEvent::Mouse, pos, w.tvc->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(w.tvc->viewport(), &right);
    EXPECT_TRUE(bShown);
    EXPECT_EQ(env.Find("ST", 1), TreeNode());
    EXPECT_EQ(w.ActiveD(), ge.Id());
}

}  // namespace
}  // namespace orr
