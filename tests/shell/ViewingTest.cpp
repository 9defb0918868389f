// Viewing a document: the segment detail panel, the find bar, the frame's
// menu bar taking the active document window's menus, and a failed start
// that ends the real program.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <set>

#include "doctree/TreeEdit.h"
#include "doctree/modNodeD.h"
#include "shell/FindBar.h"
#include "shell/SegmentDetailPanel.h"
#include "shell/TreeModel.h"
#include "shell/frmDocument.h"
#include "shell/frmFileNew.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

using test::TestEnv;

// The E1 purchase order in a document window, shown.
struct OpenDocument : test::DocTreeFixture {
    OpenDocument()
    {
        sFile = Path("po.edi");
        WriteFile(sFile, test::kValidE1);
        window = new frmDocument(QStringLiteral("Document 1"));
        EXPECT_TRUE(window->EdiFileOpen({sFile, '*', '~', "E1", EdiDocument::NewContent::Skeleton, QStringLiteral("Document 1")}));
        window->resize(1000, 700);
        window->show();
        QApplication::setActiveWindow(window);
    }
    ~OpenDocument() { delete window.data(); }
    // The first segment with this identifier, in document order.
    NodeId Segment(std::string_view sId)
    {
        clsTree& tree = window->DocTree();
        const NodeId root = window->RootD().Id();
        for (NodeId n = root; n; n = gfDnodeNextInOrder(tree, root, n))
            if (tree.Tag(n)[0] == 'S' && tree.Text(n) == sId)
                return n;
        return {};
    }
    QString Cell(int nRow, int nColumn) { return Panel()->tblElements->item(nRow, nColumn)->text(); }
    SegmentDetailPanel* Panel() { return window->findChild<SegmentDetailPanel*>(); }

    std::string sFile;
    QPointer<frmDocument> window;
};

TEST(SegmentDetailPanel, SegmentElementsWithTheirDefinitionAndLoopsWithTheirSegments)
{
    OpenDocument f;
    SegmentDetailPanel* panel = f.Panel();
    ASSERT_TRUE(panel && panel->isVisible());
    const NodeId ref = f.Segment("REF");
    f.window->NodeClick(ref);
    EXPECT_EQ(panel->lblTitle->text(), QStringLiteral("REF - Reference"));
    EXPECT_EQ(panel->txtSegment->toPlainText(), QStringLiteral("REF*DP*038**ZZ:1:2"));
    // The definition skips position 3: the composite is the fourth element.
    ASSERT_EQ(panel->tblElements->rowCount(), 4);
    QStringList first;
    for (int c = 0; c < SegmentDetailPanel::ColumnCount; ++c)
        first << f.Cell(0, c);
    EXPECT_EQ(first.join(QLatin1Char('|')).toStdString(), "REF01|128|Reference Identification Qualifier|DP|M|ID|2-3");
    EXPECT_EQ(f.Cell(2, 0), QStringLiteral("REF03"));
    EXPECT_TRUE(f.Cell(2, 2).isEmpty());
    EXPECT_EQ(f.Cell(3, 2), QStringLiteral("Reference Identifier"));
    EXPECT_EQ(f.Cell(3, 3), QStringLiteral("ZZ:1:2"));
    EXPECT_EQ(f.Cell(3, 5), QStringLiteral("COMP"));

    // An element shows its segment with its own row selected; a value
    // changed in the tree shows at once.
    clsTree& tree = f.window->DocTree();
    const NodeId qty = f.Segment("QTY");
    f.window->NodeClick(tree.Child(qty, 1));
    EXPECT_EQ(panel->lblTitle->text(), QStringLiteral("QTY - Quantity"));
    EXPECT_EQ(panel->tblElements->currentRow(), 1);
    TreeEdit edit(tree, "value");
    edit.SetText(tree.Child(qty, 1), "7");
    f.window->Document().Commit(std::move(edit));
    EXPECT_EQ(panel->txtSegment->toPlainText(), QStringLiteral("QTY*01*7*1050"));
    EXPECT_EQ(f.Cell(1, 3), QStringLiteral("7"));
    EXPECT_EQ(f.Cell(2, 6), QStringLiteral("1-6"));

    // A loop lists its segments; the table goes.
    const NodeId transaction = tree.Parent(f.Segment("ST"));
    f.window->NodeClick(transaction);
    EXPECT_TRUE(panel->tblElements->isHidden());
    const QStringList lines = panel->txtSegment->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines.front(), QStringLiteral("ST*850*0001"));
    EXPECT_EQ(lines[2], QStringLiteral("N1*ST*Ship Here"));
    EXPECT_EQ(lines.back(), QStringLiteral("SE*7*0001"));
    // Elements of a loop's segments are not made for the list.
    EXPECT_TRUE(tree.ChildrenPending(f.Segment("BEG")));
}

TEST(FindBar, CtrlFFindsSegmentsF3GoesOnAndThePathOpens)
{
    OpenDocument f;
    auto* bar = f.window->findChild<FindBar*>();
    ASSERT_TRUE(bar);
    EXPECT_FALSE(bar->isVisible());
    f.window->tvc->setFocus();
    QTest::keyClick(f.window->tvc, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->txtFind->hasFocus());
    QTest::keyClicks(bar->txtFind, QStringLiteral("dtm*002"));
    QTest::keyClick(bar->txtFind, Qt::Key_Return);
    clsTree& tree = f.window->DocTree();
    const NodeId dtm = f.Segment("DTM");
    ASSERT_EQ(f.window->ActiveD(), dtm);
    auto* model = static_cast<TreeModel*>(f.window->tvc->model());
    EXPECT_EQ(f.window->tvc->currentIndex(), model->IndexOf(dtm));
    for (NodeId n = tree.Parent(dtm); n; n = tree.Parent(n))
        EXPECT_TRUE(f.window->tvc->isExpanded(model->IndexOf(n))) << tree.Text(n);

    // A regular expression; F3 in the tree goes from match to match and round.
    bar->chkRegex->setChecked(true);
    bar->txtFind->setText(QStringLiteral("^(qty|ref)\\*"));
    f.window->tvc->setFocus();
    QTest::keyClick(f.window->tvc, Qt::Key_F3);
    EXPECT_EQ(f.window->ActiveD(), f.Segment("REF"));
    EXPECT_TRUE(bar->lblResult->text().isEmpty());
    QTest::keyClick(f.window->tvc, Qt::Key_F3);
    EXPECT_EQ(f.window->ActiveD(), f.Segment("QTY"));
    EXPECT_EQ(bar->lblResult->text(), QStringLiteral("Continued from the top."));

    // What cannot be found leaves the current node where it is, and says why.
    bar->txtFind->setText(QStringLiteral("(qty"));
    EXPECT_FALSE(bar->FindNext());
    EXPECT_TRUE(bar->lblResult->text().contains(QStringLiteral("regular expression")));
    bar->chkRegex->setChecked(false);
    bar->txtFind->setText(QStringLiteral("nowhere"));
    EXPECT_FALSE(bar->FindNext());
    EXPECT_EQ(bar->lblResult->text(), QStringLiteral("Not found."));
    EXPECT_EQ(f.window->ActiveD(), f.Segment("QTY"));
    QTest::keyClick(bar->txtFind, Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
}

// Every entry of a menu bar with its submenus.
void Entries(const QList<QAction*>& actions, std::vector<QAction*>& out)
{
    for (QAction* a : actions) {
        if (a->menu())
            Entries(a->menu()->actions(), out);
        else if (!a->isSeparator())
            out.push_back(a);
    }
}

QString Caption(const QAction* a) { return a->text().remove(QLatin1Char('&')).trimmed(); }

TEST(MenuMerge, TheActiveDocumentsMenusReplaceTheFramesWithEveryEntryOfBoth)
{
    test::DocTreeFixture env;
    test::FileDialogScript dialogs;
    const std::string sFile = env.Path("po.edi");
    TestEnv::WriteFile(sFile, test::kValidE1);
    frmMain frame;
    frame.resize(1200, 800);
    frame.show();
    frmMain::SetDocumentWindowHook({[](const QString& sKey) -> DocumentWindow* { return new frmDocument(sKey); }});
    const QList<QAction*> frameMenus = frame.menuBar()->actions();
    std::vector<QAction*> frameEntries;
    Entries(frameMenus, frameEntries);

    test::WhenModal<frmFileNew>([](frmFileNew* dlg) {
        dlg->Preselect(QStringLiteral("E1"));
        QTest::mouseClick(dlg->cmdOk, Qt::LeftButton);
    });
    ASSERT_TRUE(frame.OpenEdiDocument(sFile));
    auto* doc = qobject_cast<frmDocument*>(frame.ActiveDocument());
    ASSERT_TRUE(doc);
    EXPECT_EQ(frame.menuBar()->actions(), doc->menuBar()->actions());
    EXPECT_TRUE(doc->menuBar()->isHidden());

    // Each frame entry is in the merged bar, by name or caption; the
    // templates entry sits after Open.
    std::vector<QAction*> merged;
    Entries(frame.menuBar()->actions(), merged);
    for (const QAction* entry : frameEntries)
        EXPECT_TRUE(std::any_of(merged.begin(), merged.end(), [entry](const QAction* a) {
            return a->objectName() == entry->objectName() || Caption(a) == Caption(entry);
        })) << entry->objectName().toStdString();
    const QList<QAction*> file = doc->menuBar()->actions().first()->menu()->actions();
    ASSERT_GE(file.size(), 3);
    EXPECT_EQ(file[1]->objectName(), QStringLiteral("mnuFileOpen"));
    EXPECT_EQ(file[2]->objectName(), QStringLiteral("mnuFileTemplate"));

    // The keys users expect, each reaching one entry only.
    std::set<QString> keys;
    for (const QAction* a : merged) {
        if (a->shortcut().isEmpty())
            continue;
        EXPECT_TRUE(keys.insert(a->shortcut().toString()).second) << a->shortcut().toString().toStdString();
    }
    for (const char* key : {"Ctrl+N", "Ctrl+O", "Ctrl+S", "Ctrl+P", "Ctrl+W", "F5", "Ctrl+F", "F3"})
        EXPECT_TRUE(keys.count(QString::fromLatin1(key))) << key;

    // The window opens on most of the client area.
    QMdiSubWindow* sub = frame.MdiArea()->subWindowList().first();
    EXPECT_GE(sub->width(), frame.MdiArea()->viewport()->width() * 3 / 4);
    EXPECT_GE(sub->height(), frame.MdiArea()->viewport()->height() * 3 / 4);
    // It follows the frame's size until the user sizes it.
    frame.resize(1400, 900);
    QCoreApplication::processEvents();
    EXPECT_GE(sub->width(), frame.MdiArea()->viewport()->width() * 3 / 4);

    // Ctrl+W closes it (the sub-window's own Close does not compete for
    // the key), and the frame's own menus come back.
    QApplication::setActiveWindow(&frame);
    doc->tvc->setFocus();
    QPointer<QMdiSubWindow> closing = sub;
    QTest::keyClick(doc->tvc, Qt::Key_W, Qt::ControlModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closing.isNull());
    EXPECT_EQ(frame.menuBar()->actions(), frameMenus);
}

QStringList Args(std::initializer_list<const char*> args)
{
    QStringList list;
    for (const char* s : args)
        list << QString::fromLatin1(s);
    return list;
}

// Runs the real program on an X server of its own with an empty home: the
// failure messages come up (each is answered with Return) and the program
// ends after them, with the splash window.
TEST(Startup, AFailedStartEndsTheProgram)
{
    const QString sXvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString sXdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    ASSERT_FALSE(sXvfb.isEmpty() || sXdotool.isEmpty()) << "Xvfb and xdotool (scripts/setup.sh)";
    TestEnv env;
    // A display number nobody uses.
    int nDisplay = 200 + int(QCoreApplication::applicationPid() % 300);
    while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(nDisplay)) ||
           QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(nDisplay)))
        ++nDisplay;
    const QString sDisplay = QStringLiteral(":%1").arg(nDisplay);
    QProcess xvfb;
    xvfb.start(sXvfb, {sDisplay, QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1024x768x24"),
                       QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")});
    ASSERT_TRUE(xvfb.waitForStarted(5000));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), sDisplay);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("ORRINDALE_HOME"), QString::fromStdString(env.Dir()));
    // The socket may exist a moment before the server takes connections:
    // wait until a client gets through.
    auto serverAnswers = [&] {
        QProcess p;
        p.setProcessEnvironment(environment);
        p.start(sXdotool, {QStringLiteral("getdisplaygeometry")});
        return p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    };
    ASSERT_TRUE(QTest::qWaitFor(serverAnswers, 10000)) << "Xvfb on " << sDisplay.toStdString();
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QFileInfo(QStringLiteral(ORRINDALE_CLI)).dir().filePath(QStringLiteral("orrindale")), {});
    ASSERT_TRUE(program.waitForStarted(5000));

    // Answers every message box ("Orrindale" is the default title) while the program runs.
    auto xdotool = [&](const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(environment);
        p.start(sXdotool, args);
        p.waitForFinished(5000);
        return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
    };
    int nAnswered = 0;
    QElapsedTimer clock;
    clock.start();
    while (program.state() != QProcess::NotRunning && clock.elapsed() < 30000) {
        // The splash window may carry the name too: every match gets the key.
        const QString sWindows = xdotool(Args({"search", "--onlyvisible", "--name", "^Orrindale$"}));
        for (const QString& sWindow : sWindows.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            xdotool(Args({"windowfocus", "--sync"}) << sWindow);
            xdotool(Args({"key", "--clearmodifiers", "Return"}));
            ++nAnswered;
        }
        program.waitForFinished(500);
    }
    const bool bEnded = program.state() == QProcess::NotRunning;
    if (!bEnded) {
        program.kill();
        program.waitForFinished(5000);
    }
    xvfb.terminate();
    xvfb.waitForFinished(5000);
    EXPECT_TRUE(bEnded) << "still running 30 s after start";
    EXPECT_GE(nAnswered, 2);  // the missing container and "Orrindale failed to start."
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1) << program.readAllStandardError().toStdString();
}

}  // namespace
}  // namespace orr
