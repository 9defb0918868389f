#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>

#include "app/modGlobals.h"
#include "doctree/modNodeD.h"
#include "shell/TreeModel.h"
#include "shell/frmDocument.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

using test::TestEnv;

DocumentOpenArgs Args(const std::string& sFile, const std::string& sType = "T1", std::int16_t nOption = 1)
{
    return {sFile, '*', '~', sType, nOption, QStringLiteral("Document 1")};
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
    EXPECT_EQ(w->windowTitle().toStdString(), env.Path("po.edi") + "   (T1)");
    EXPECT_FALSE(w->Changed());
    EXPECT_FALSE(w->FreeForm());

    auto* model = static_cast<TreeModel*>(w->tvc->model());
    ASSERT_EQ(model->rowCount(), 1);
    const QModelIndex root = model->index(0, 0);
    EXPECT_EQ(root.data().toString().toStdString(), env.Path("po.edi"));
    EXPECT_TRUE(w->tvc->isExpanded(root));  // the display settings expand the top levels
    EXPECT_EQ(w->ActiveD(), model->NodeOf(root));
    EXPECT_EQ(root.data(Qt::BackgroundRole).value<QColor>(), QColor(0, 255, 0));

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

    // Without the schema tree no schema node is highlighted anew.
    w->SwitchTreeView();
    EXPECT_FALSE(w->tvS->isVisible());
    w->NodeClick(w->RootD().Id());
    EXPECT_EQ(w->ActiveS(), schemaBeg.Id());
    EXPECT_EQ(w->ActiveD(), w->RootD().Id());
    delete w;
}

TEST(DocumentWindow, NewDocumentsAndFailedOpens)
{
    test::DocTreeFixture env;
    auto* w = new frmDocument(QStringLiteral("Document 2"));
    ASSERT_TRUE(w->EdiFileOpen(Args("", "T1", 2)));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Document: New   (T1)  *"));
    EXPECT_EQ(w->RootD().Text(), "New");
    EXPECT_EQ(w->RootD().Children(), 0u);
    delete w;

    w = new frmDocument(QStringLiteral("Document 3"));
    CheckModel(w->tvc->model());
    ASSERT_TRUE(w->EdiFileOpen(Args("", "T2", 1)));
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

}  // namespace
}  // namespace orr
