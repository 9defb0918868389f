// The editing engines under a view: the chooser dialog, and random edit
// sequences on documents whose tree has a model with Qt's model checks.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QTest>
#include <QTimer>
#include <random>

#include "app/modGlobals.h"
#include "schema/clsDefFiles.h"
#include "shell/QtUi.h"
#include "shell/TreeModel.h"
#include "shell/frmNewSegment.h"
#include "tests/support/RandomEdits.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

TEST(NewSegmentDialog, SelectGivesTheLineCancelNothing)
{
    test::TestEnv env;
    const QStringList lines{QStringLiteral("Shipment"), QStringLiteral("Order"), QStringLiteral("Other level")};
    frmNewSegment dlg(QStringLiteral("Select a New Segment or Loop"), QStringLiteral("Select loop or segment to add :"),
                      lines, -1);
    dlg.open();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Select a New Segment or Loop"));
    EXPECT_EQ(dlg.lblTitle->text(), QStringLiteral("Select loop or segment to add :"));
    EXPECT_EQ(dlg.lstLoops->count(), 3);
    EXPECT_EQ(dlg.cmdOk->text() + dlg.cmdCancel->text(), QStringLiteral("&SelectCancel"));
    QTest::mouseClick(dlg.cmdOk, Qt::LeftButton);  // nothing selected
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.ChosenIndex(), -1);

    frmNewSegment second(QStringLiteral("Select Parent HL"), QStringLiteral("Select Parent HL"), lines, -1);
    second.open();
    const QRect row = second.lstLoops->visualItemRect(second.lstLoops->item(2));
    QTest::mouseClick(second.lstLoops->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseClick(second.cmdOk, Qt::LeftButton);
    EXPECT_EQ(second.ChosenIndex(), 2);

    frmNewSegment third(QStringLiteral("T"), QStringLiteral("P"), lines, 1);
    third.open();
    QTest::mouseClick(third.cmdCancel, Qt::LeftButton);
    EXPECT_EQ(third.result(), QDialog::Rejected);
    EXPECT_EQ(third.ChosenIndex(), -1);

    // The desktop's chooser service is this dialog.
    QTimer::singleShot(0, [] {
        auto* dlgUp = qobject_cast<frmNewSegment*>(QApplication::activeModalWidget());
        ASSERT_NE(dlgUp, nullptr);
        dlgUp->lstLoops->setCurrentRow(1);
        dlgUp->cmdOk->click();
    });
    QtUi ui;
    EXPECT_EQ(ui.ChooseFromList("Select Parent HL", "Select Parent HL", {"No parent. (Top level HL)", "HL 1 S"}, -1),
              1);
}

TEST(EditingUnderAModel, RandomEditsKeepTheModelConsistent)
{
    test::TestEnv env;
    env.config->DefinitionFile = ORRINDALE_EDIDEF;
    clsDefFiles files;
    ASSERT_TRUE(files.RefreshBinFile());
    gDefFiles = &files;
    std::mt19937 rng(7);
    auto choose = [&](std::uint32_t n) { return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(rng); };
    test::RandomEdits::Ui ui(choose);
    gfSetUi(&ui);
    const std::string sExamples = std::string(ORRINDALE_SOURCE_DIR) + "/examples/";
    for (const auto& [sName, sType] : {std::pair<std::string, std::string>{"856-ship-notice.edi", "856"},
                                       {"837P_X222A1-dependent-with-cob.edi", "837P_X222A1"},
                                       {"FreeForm-two-interchanges.edi", "FreeForm"}}) {
        for (int nRun = 0; nRun < 2; ++nRun) {
            EdiDocument doc;
            TreeModel model(doc.Tree());
            new QAbstractItemModelTester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal, &model);
            doc.SetSeparators('*', '~');
            ASSERT_TRUE(doc.LoadDefinition(sType));
            ASSERT_TRUE(doc.Open(sExamples + sName, EdiDocument::OpenMode::Batch));
            DocumentEditor editor(doc);
            test::RandomEdits edits(doc, editor, ui, choose);
            EXPECT_EQ(edits.Run(40, env.Path("written.edi"), nRun == 0), "") << sName << "\n" << edits.Log();
            // Validation rebuilds the edited tree in place, under the model's checks.
            EXPECT_TRUE(doc.Validate()) << sName;
            EXPECT_EQ(model.rowCount(), int(doc.Tree().ChildCount(NodeId{})));
            EXPECT_EQ(model.rowCount(model.index(0, 0)), int(doc.Tree().ChildCount(doc.Root().Id())));
        }
    }
    gfSetUi(&env.ui);
}

}  // namespace
}  // namespace orr
