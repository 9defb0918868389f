// The HL structure editor's window, opened from the document window's View
// menu: a node dragged onto the root in the real view, Save, and Cancel.
#include <gtest/gtest.h>

#include <QAction>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <memory>

#include "app/modGlobals.h"
#include "schema/clsDefFiles.h"
#include "shell/HLTreeModel.h"
#include "shell/frmDocument.h"
#include "shell/frmHL.h"
#include "tests/shell/ShellTestSupport.h"

namespace orr {
namespace {

QModelIndex IndexOfId(frmHL& dlg, const char* sId) { return dlg.Model()->IndexOf(dlg.Editor().FindId(sId)); }

// What the view gets from the mouse: a press on the node (which selects it),
// the drag's data as the view makes it from the selection, then the drag
// entering, moving over and dropped on the target.
void Drag(QTreeView* tv, const QModelIndex& from, const QModelIndex& to)
{
    QTest::mousePress(tv->viewport(), Qt::LeftButton, {}, tv->visualRect(from).center());
    QTest::mouseRelease(tv->viewport(), Qt::LeftButton, {}, tv->visualRect(from).center());
    const std::unique_ptr<QMimeData> data(tv->model()->mimeData(tv->selectionModel()->selectedIndexes()));
    ASSERT_TRUE(data);
    const QPoint at = tv->visualRect(to).center();
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(tv->viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(tv->viewport(), &move);
    EXPECT_TRUE(move.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(tv->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    QApplication::processEvents();  // the editor moves the node once the drag has ended
}

TEST(HLWindow, DragOntoTheRootThenSaveOrCancel)
{
    test::TestEnv env;
    env.config->DefinitionFile = ORRINDALE_EDIDEF;
    clsDefFiles files;
    ASSERT_TRUE(files.RefreshBinFile());
    gDefFiles = &files;
    const std::string sFile = env.Path("claim.edi");
    test::TestEnv::WriteFile(sFile, test::TestEnv::ReadFile(std::string(ORRINDALE_SOURCE_DIR) +
                                                            "/examples/837P_X222A1-dependent-with-cob.edi"));
    frmDocument window(QStringLiteral("Document 1"));
    ASSERT_TRUE(window.EdiFileOpen({sFile, '*', '~', "837P_X222A1", EdiDocument::NewContent::Skeleton, QStringLiteral("Document 1")}));
    ASSERT_TRUE(window.CanRun(DocCommand::EditHL));
    auto* entry = window.findChild<QAction*>(QStringLiteral("mnuViewHL"));
    ASSERT_NE(entry, nullptr);

    test::WhenModal<frmHL>([](frmHL* dlg) {
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Hierarchical Level Structure"));
        EXPECT_EQ(dlg->lblTag->text(), QString());
        EXPECT_TRUE(dlg->cmdSave->isEnabled());
        const QModelIndex patient = IndexOfId(*dlg, "3");
        QTest::mouseClick(dlg->tv->viewport(), Qt::LeftButton, {}, dlg->tv->visualRect(patient).center());
        EXPECT_EQ(dlg->lblTag->text(), QStringLiteral("3*2*23*0"));
        Drag(dlg->tv, patient, dlg->Model()->IndexOf(dlg->Editor().Root()));
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Hierarchical Level Structure (Changed)"));
        EXPECT_EQ(dlg->lblTag->text(), QStringLiteral("3**23*0"));
        EXPECT_EQ(IndexOfId(*dlg, "3").parent(), dlg->Model()->IndexOf(dlg->Editor().Root()));
        QTest::mouseClick(dlg->cmdSave, Qt::LeftButton);
        EXPECT_TRUE(dlg->Written());
    });
    entry->trigger();
    EXPECT_TRUE(window.IsModified());

    // Opened again, the document has the new parents; a drag onto itself is
    // refused, and Cancel leaves everything as it was.
    window.Document().SetModified(false);
    test::WhenModal<frmHL>([&env](frmHL* dlg) {
        EXPECT_EQ(dlg->Editor().Outline(),
                  "0\tHierarchical Level\t\n"
                  "1\t(ORRINDALE CLINIC) Billing Provider Hierarchical Level (1 of 999999)\t1**20*1\n"
                  "2\t(DOE JANE) Subscriber Hierarchical Level (1 of 999999)\t2*1*22*0\n"
                  "1\t(DOE JIMMY) Patient Hierarchical Level (1 of 999999)\t3**23*0\n");
        Drag(dlg->tv, IndexOfId(*dlg, "2"), IndexOfId(*dlg, "2"));
        EXPECT_EQ(env.ui.Messages().back(), "You can not drag a node to itself.");
        Drag(dlg->tv, IndexOfId(*dlg, "2"), IndexOfId(*dlg, "3"));
        EXPECT_TRUE(dlg->Editor().Changed());
        QTest::mouseClick(dlg->cmdCancel, Qt::LeftButton);
        EXPECT_FALSE(dlg->Written());
    });
    entry->trigger();
    EXPECT_FALSE(window.IsModified());
}

}  // namespace
}  // namespace orr
