// The findings dock of a document window: Validate (and F5) fills it, a
// click goes to the finding's node, the tree marks nodes with findings, and
// a valid document empties it again.
#include <gtest/gtest.h>

#include <QColor>
#include <QTest>

#include "app/modGlobals.h"
#include "shell/FindingsDock.h"
#include "shell/TreeModel.h"
#include "shell/frmDocument.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

using test::TestEnv;

TEST(FindingsDock, ValidateListsFindingsAndAClickShowsTheNode)
{
    test::DocTreeFixture env;
    const std::string sFile = env.Path("po.edi");
    TestEnv::WriteFile(sFile, TestEnv::Replaced(TestEnv::Replaced(test::kValidE1, "N1*ST", "N1*ZZ"), "SE*7", "SE*9"));

    auto* w = new frmDocument(QStringLiteral("Document 1"));
    ASSERT_TRUE(w->EdiFileOpen({sFile, '*', '~', "E1", EdiDocument::NewContent::Skeleton, QStringLiteral("Document 1")}));
    w->show();
    auto* dock = w->findChild<FindingsDock*>();
    ASSERT_TRUE(dock);
    EXPECT_FALSE(dock->isVisible());  // until the first validation

    // F5 in the document tree validates, as the menu entry does.
    w->tvc->setFocus();
    QApplication::setActiveWindow(w);
    QTest::keyClick(w->tvc, Qt::Key_F5);
    // One verdict: the message counts what the list shows.
    EXPECT_EQ(env.ui.Messages().back(), "Document has 2 errors and 0 warnings.");
    EXPECT_TRUE(dock->isVisible());
    QAbstractItemModel* list = dock->lvwFindings->model();
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->index(0, 1).data().toInt(), 5);  // line
    EXPECT_EQ(list->index(0, 3).data().toString(), QStringLiteral("N101"));
    EXPECT_EQ(list->index(1, 4).data().toString(), QStringLiteral("ISA/GS/ST"));
    EXPECT_EQ(list->index(1, 5).data().toString().toStdString(),
              "SE01 is \"9\", but the transaction set has 7 segments.");
    EXPECT_EQ(dock->lblSummary->text(), QStringLiteral("2 errors, 0 warnings."));

    // The finding's element becomes the current node; it, its segment and
    // the loops around are marked, other nodes are not.
    dock->lvwFindings->selectRow(0);
    clsTree& tree = w->DocTree();
    ASSERT_TRUE(w->ActiveD());
    EXPECT_EQ(tree.Text(w->ActiveD()), "ZZ");
    const NodeId n1 = tree.Parent(w->ActiveD());
    auto* model = static_cast<TreeModel*>(w->tvc->model());
    const QColor red(160, 0, 0);
    EXPECT_EQ(model->IndexOf(w->ActiveD()).data(Qt::ForegroundRole).value<QColor>(), red);
    EXPECT_EQ(model->IndexOf(n1).data(Qt::ForegroundRole).value<QColor>(), red);
    EXPECT_EQ(model->IndexOf(tree.Parent(n1)).data(Qt::ForegroundRole).value<QColor>(), red);
    EXPECT_FALSE(model->IndexOf(tree.Child(n1, 1)).data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(model->IndexOf(tree.Previous(tree.Parent(n1))).data(Qt::ForegroundRole).isValid());

    // Mended and validated again: nothing left, nothing marked.
    tree.SetText(w->ActiveD(), "ST");
    const NodeId se = tree.LastChild(tree.Parent(tree.Parent(n1)));
    ASSERT_EQ(tree.Text(se), "SE");
    tree.SetText(tree.FirstChild(se), "7");
    w->Run(DocCommand::Validate);
    EXPECT_EQ(list->rowCount(), 0);
    EXPECT_EQ(dock->lblSummary->text(),
              QStringLiteral("No findings: every value and envelope count fits the definition."));
    EXPECT_FALSE(model->IndexOf(model->NodeOf(model->index(0, 0))).data(Qt::ForegroundRole).isValid());
    delete w;
}

}  // namespace
}  // namespace orr
