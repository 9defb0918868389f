#include <gtest/gtest.h>

#include <QDir>
#include <QHeaderView>
#include <QFileInfo>
#include <QTest>

#include "shell/frm2ndChance.h"
#include "shell/frmDirPath.h"
#include "shell/frmFA.h"
#include "shell/frmFileNew.h"
#include "shell/frmTemplates.h"
#include "shell/modFrmDocFile.h"
#include "tests/shell/ShellTestSupport.h"

namespace orr {
namespace {

using test::ShellEnv;
using test::TestEnv;

QStringList Lines(const QListWidget* list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

TEST(DocTypeDialog, ListsTypesAndReturnsTheChoice)
{
    ShellEnv env;
    EXPECT_EQ(frmFileNew::ParseEntry("DOC850.DEF*Purchase Order*DD"),
              std::make_pair(std::string("850"), std::string("Purchase Order")));
    EXPECT_EQ(frmFileNew::ParseEntry("doc.def").first, "");

    frmFileNew dlg(true);
    dlg.open();
    ASSERT_EQ(dlg.mModel->rowCount(), 2);
    EXPECT_EQ(dlg.mModel->item(0, 0)->text(), QStringLiteral("810"));  // sorted by name
    EXPECT_EQ(dlg.mModel->item(0, 1)->text(), QStringLiteral("Invoice"));
    EXPECT_EQ(dlg.mModel->item(1, 1)->text(), QStringLiteral("Purchase Order"));
    EXPECT_EQ(dlg.mModel->horizontalHeaderItem(1)->text(), QStringLiteral("Description"));
    EXPECT_FALSE(dlg.mModel->item(0, 0)->icon().isNull());
    EXPECT_TRUE(dlg.frmOption->isVisible());
    EXPECT_TRUE(dlg.optDefault->isChecked());
    EXPECT_EQ(dlg.frmOption->title(), QStringLiteral(" Option "));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Select an EDI  Document Type"));

    // OK without a choice says so and stays open.
    QTest::mouseClick(dlg.cmdOk, Qt::LeftButton);
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{"You did not select a new document type."});
    EXPECT_EQ(env.ui.Calls()[0].icon, MsgIcon::Information);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(dlg.Chosen());

    // The details look shares the selection; Name and Description each take half the width,
    // also after a resize.
    dlg.TbrButtonClick(QStringLiteral("detail"));
    EXPECT_EQ(dlg.mViews->currentWidget(), dlg.lvcDetail);
    for (int nWidth : {640, 900}) {
        dlg.resize(nWidth, 440);
        QApplication::processEvents();
        const int nHalf = dlg.lvcDetail->viewport()->width() / 2;
        EXPECT_NEAR(dlg.lvcDetail->header()->sectionSize(0), nHalf, 1);
        EXPECT_NEAR(dlg.lvcDetail->header()->sectionSize(1), nHalf, 1);
    }
    dlg.lvcDetail->setCurrentIndex(dlg.mModel->index(1, 0));
    dlg.TbrButtonClick(QStringLiteral("list"));
    EXPECT_EQ(dlg.lvc->viewMode(), QListView::ListMode);
    EXPECT_EQ(dlg.SelectedType(), QStringLiteral("850"));
    dlg.TbrButtonClick(QStringLiteral("other"));
    EXPECT_EQ(dlg.mViews->currentWidget(), dlg.lvc);
    QTest::mouseClick(dlg.optEmptyDocument, Qt::LeftButton);
    QTest::mouseClick(dlg.cmdOk, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    ASSERT_TRUE(dlg.Chosen());
    EXPECT_EQ(dlg.Chosen()->sType, "850");
    EXPECT_EQ(dlg.Chosen()->content, EdiDocument::NewContent::Empty);

    // An existing file: no option frame; Cancel leaves the answer alone.
    frmFileNew existing(false);
    existing.open();
    EXPECT_FALSE(existing.frmOption->isVisible());
    existing.lvc->setCurrentIndex(existing.mModel->index(0, 0));
    QTest::mouseClick(existing.cmdCancel, Qt::LeftButton);
    EXPECT_EQ(existing.result(), QDialog::Rejected);
    EXPECT_FALSE(existing.Chosen());
    // A double click chooses as well.
    frmFileNew twice(false);
    twice.open();
    emit twice.lvc->doubleClicked(twice.mModel->index(0, 0));
    EXPECT_EQ(twice.result(), QDialog::Rejected) << "nothing selected yet";
    twice.lvc->setCurrentIndex(twice.mModel->index(0, 0));
    emit twice.lvc->doubleClicked(twice.mModel->index(0, 0));
    ASSERT_TRUE(twice.Chosen());
    EXPECT_EQ(twice.Chosen()->sType, "810");
    EXPECT_EQ(twice.Chosen()->content, EdiDocument::NewContent::Skeleton);
}

TEST(DocTypeDialog, PreselectsTheTypeThatFitsTheFile)
{
    ShellEnv env;
    const std::string sFile = env.Path("invoice.edi");
    TestEnv::WriteFile(sFile, "ISA*00*          *00*          *ZZ*S              *ZZ*R              *240115*1030*U*"
                              "00401*000000001*0*T*:~GS*IN*S*R*20240115*1030*1*X*004010~ST*810*0001~BIG*20240115~");
    QString sShown;
    test::WhenModal<frmFileNew>([&sShown](frmFileNew* dlg) {
        sShown = dlg->SelectedType();
        dlg->TbrButtonClick(QStringLiteral("detail"));
        QTest::mouseClick(dlg->cmdOk, Qt::LeftButton);
    });
    std::optional<frmFileNew::Choice> type = gfChooseDocType(sFile);
    EXPECT_EQ(sShown, QStringLiteral("810"));
    ASSERT_TRUE(type);
    EXPECT_EQ(type->sType, "810");

    // Groups of two types: the composed type is offered first and chosen.
    TestEnv::WriteFile(sFile, "ISA*00*          *00*          *ZZ*S              *ZZ*R              *240115*1030*U*"
                              "00401*000000001*0*T*:~GS*IN*S*R*20240115*1030*1*X*004010~ST*810*0001~SE*2*0001~"
                              "GE*1*1~GS*PO*S*R*20240115*1030*2*X*004010~ST*850*0001~SE*2*0001~GE*1*2~IEA*2*000000001~");
    test::WhenModal<frmFileNew>([&sShown](frmFileNew* dlg) {
        sShown = dlg->SelectedType();
        QTest::mouseClick(dlg->cmdOk, Qt::LeftButton);
    });
    type = gfChooseDocType(sFile);
    EXPECT_EQ(sShown, QStringLiteral("810+850"));
    ASSERT_TRUE(type);
    EXPECT_EQ(type->sType, "810+850");

    // A set without definition: nothing preselected (FreeForm is not in this list either).
    frmFileNew dlg(false);
    dlg.Preselect(QStringLiteral("FreeForm"));
    EXPECT_FALSE(dlg.lvc->selectionModel()->hasSelection());
    dlg.Preselect(QStringLiteral("850"));
    EXPECT_EQ(dlg.SelectedType(), QStringLiteral("850"));
}

TEST(DocTypeDialog, WithoutDefinitionsOnlyCancelIsLeft)
{
    ShellEnv env;
    TestEnv::WriteContainer(gConfig->DefinitionFile, {{"BEG.DEF", "BEG*1\r\n"}});
    env.defFiles.RefreshBinFile();
    frmFileNew dlg(true);
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{"No EDI Definition file is found."});
    EXPECT_FALSE(dlg.cmdOk->isEnabled());
    EXPECT_EQ(dlg.mModel->rowCount(), 0);
}

TEST(TemplatesDialog, MaintainsTheEightSlots)
{
    ShellEnv env;
    env.settings.Save("Orrindale", "Templates", "TP1", " /t/one.bin ");
    env.settings.Save("Orrindale", "Templates", "TP3", "/t/three.bin");
    frmTemplates dlg;
    dlg.open();
    EXPECT_EQ(Lines(dlg.lstTemplates), QStringList({QStringLiteral("1:/t/one.bin"), QStringLiteral("2:"),
                                                    QStringLiteral("3:/t/three.bin"), QStringLiteral("4:"),
                                                    QStringLiteral("5:"), QStringLiteral("6:"), QStringLiteral("7:"),
                                                    QStringLiteral("8:")}));

    // Add fills the lowest empty slot; a name already there is refused.
    env.answers = {QStringLiteral("/t/two.bin"), QStringLiteral(" /t/one.bin "), QString()};
    QTest::mouseClick(dlg.cmdAdd, Qt::LeftButton);
    QTest::mouseClick(dlg.cmdAdd, Qt::LeftButton);
    QTest::mouseClick(dlg.cmdAdd, Qt::LeftButton);  // cancelled: nothing
    EXPECT_EQ(dlg.lstTemplates->item(1)->text(), QStringLiteral("2:/t/two.bin"));
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{"/t/one.bin is already added."});
    EXPECT_EQ(env.requests.at(0).sTitle, QStringLiteral("EDI Document template"));
    EXPECT_EQ(env.requests.at(0).sDirectory.toStdString(), env.Dir());

    // Remove needs a selected line.
    env.ui.Clear();
    QTest::mouseClick(dlg.cmdRemove, Qt::LeftButton);
    ASSERT_EQ(env.ui.Messages(), std::vector<std::string>{"Select an item first. Then press the Remove button."});
    EXPECT_EQ(env.ui.Calls()[0].icon, MsgIcon::Exclamation);
    dlg.lstTemplates->setCurrentRow(0);
    QTest::mouseClick(dlg.cmdRemove, Qt::LeftButton);
    EXPECT_EQ(dlg.lstTemplates->item(0)->text(), QStringLiteral("1:"));

    // Six free slots, then no more.
    for (int i = 0; i < 7; ++i)
        env.answers.push_back(QStringLiteral("/t/more%1.bin").arg(i));
    env.ui.Clear();
    for (int i = 0; i < 7; ++i)
        QTest::mouseClick(dlg.cmdAdd, Qt::LeftButton);
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{"The maximum template allowed is 8"});
    EXPECT_EQ(dlg.Slots()[0], "/t/more0.bin");
    EXPECT_EQ(dlg.Slots()[1], "/t/two.bin");
    EXPECT_EQ(dlg.Slots()[7], "/t/more5.bin");

    // Cancel stores nothing.
    QTest::mouseClick(dlg.cmdCancel, Qt::LeftButton);
    EXPECT_EQ(env.settings.Get("Orrindale", "Templates", "TP2", "<missing>"), "<missing>");
    EXPECT_EQ(env.settings.Get("Orrindale", "Templates", "TP1", ""), " /t/one.bin ");
}

TEST(TemplatesDialog, OkSavesTheSlotsAndReloadsTheDefinitions)
{
    ShellEnv env;
    const std::string sTemplate = env.Path("extra.bin");
    TestEnv::WriteContainer(sTemplate, {{"DOC856.DEF", "???*DESCRIPTION*Ship Notice\r\n"}, {"TD5.DEF", "TD5\r\n"}});
    env.settings.Save("Orrindale", "Templates", "TP2", "/t/old.bin");
    frmTemplates dlg;
    dlg.open();
    dlg.lstTemplates->setCurrentRow(1);
    QTest::mouseClick(dlg.cmdRemove, Qt::LeftButton);
    env.answers = {QString::fromStdString(sTemplate)};
    QTest::mouseClick(dlg.cmdAdd, Qt::LeftButton);

    // The overview lists every definition now loaded, and hides the editing buttons.
    QTest::mouseClick(dlg.cmdInof, Qt::LeftButton);
    EXPECT_TRUE(dlg.cmdOK->isHidden() && dlg.cmdAdd->isHidden() && dlg.cmdRemove->isHidden());
    EXPECT_EQ(Lines(dlg.lstTemplates),
              QStringList({QStringLiteral("BEG.DEF"), QStringLiteral("DOC810.DEF*Invoice*SD"),
                           QStringLiteral("DOC850.DEF*Purchase Order*SD")}));
    QTest::mouseClick(dlg.cmdInof, Qt::LeftButton);
    EXPECT_FALSE(dlg.cmdOK->isHidden());
    EXPECT_EQ(dlg.lstTemplates->item(0)->text().toStdString(), "1:" + sTemplate);

    QTest::mouseClick(dlg.cmdOK, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(env.settings.Get("Orrindale", "Templates", "TP1", ""), sTemplate);
    for (int i = 2; i <= 8; ++i)
        EXPECT_EQ(env.settings.Get("Orrindale", "Templates", "TP" + std::to_string(i), "<missing>"), "");
    // The store now holds the template's document type too.
    std::vector<std::string> docs;
    EXPECT_EQ(env.defFiles.GetEdiDefFiles(docs), 3);
    EXPECT_EQ(docs.back(), "DOC856.DEF*Ship Notice*SD");
    EXPECT_TRUE(env.ui.Messages().empty());
}

TEST(DirectoryPicker, ReturnsTheChosenOrCreatedDirectory)
{
    ShellEnv env;
    {
        frmDirPath dlg("  " + env.Dir() + " ");
        dlg.open();
        EXPECT_EQ(dlg.txtDirPath->text().toStdString(), env.Dir());
        QTest::mouseClick(dlg.cmdOk, Qt::LeftButton);
        EXPECT_EQ(dlg.Chosen(), env.Dir());
    }
    const std::string sNew = env.Path("new/inner");
    {
        // A directory that does not exist starts the picker at the root.
        frmDirPath dlg(sNew);
        dlg.open();
        EXPECT_EQ(dlg.txtDirPath->text(), dlg.ctlDrive->currentText());
        dlg.txtDirPath->setText(QString::fromStdString(sNew));
        env.ui.QueueAnswer(MsgAnswer::No);
        QTest::mouseClick(dlg.cmdOk, Qt::LeftButton);
        EXPECT_EQ(dlg.Chosen(), "");  // declined: as if cancelled
        EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{"Directory " + sNew + " does not exist. Create ?"});
        EXPECT_EQ(env.ui.Calls()[0].buttons, MsgButtons::YesNo);
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(sNew)));
    }
    {
        frmDirPath dlg;
        dlg.open();
        dlg.txtDirPath->setText(QString::fromStdString(sNew));
        env.ui.QueueAnswer(MsgAnswer::Yes);
        QTest::mouseClick(dlg.cmdOk, Qt::LeftButton);
        EXPECT_EQ(dlg.Chosen(), sNew);
        EXPECT_TRUE(QFileInfo(QString::fromStdString(sNew)).isDir());
    }
    env.ui.Clear();
    {
        frmDirPath dlg;
        dlg.open();
        dlg.txtDirPath->setText(QStringLiteral("   "));
        QTest::mouseClick(dlg.cmdOk, Qt::LeftButton);
        EXPECT_EQ(dlg.Chosen(), "");
        EXPECT_TRUE(env.ui.Messages().empty());
    }
    {
        frmDirPath dlg(env.Dir());
        dlg.open();
        QTest::mouseClick(dlg.cmdCancel, Qt::LeftButton);
        EXPECT_EQ(dlg.Chosen(), "");
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
    }
}

// The shipped definitions, so the acknowledgement's own check reads it against the real 997, 999 and envelope.
void UseShippedDefinitions(ShellEnv& env)
{
    env.config->DefinitionFile = ORRINDALE_EDIDEF;
    ASSERT_TRUE(env.defFiles.RefreshBinFile());
}

TEST(AcknowledgementDialog, ChecksTheNamesThenWritesThe997)
{
    ShellEnv env;
    UseShippedDefinitions(env);
    const std::string sIn = env.Path("in.edi"), sOut = env.Path("out.997");
    TestEnv::WriteFile(sIn, "ISA*00*          *00*          *ZZ*A              *ZZ*B              *"
                            "200101*1253*U*00401*000000001*0*T*>\nGS*PO*AA*BB*20200101*1253*1234*X*004010\n"
                            "ST*850*0001\nBEG*00*SA*1**20200101\nSE*3*0001\nGE*1*1234\nIEA*1*000000001\n");
    frmFA dlg;
    dlg.open();
    QTest::mouseClick(dlg.cmdOk, Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{"You must specifiy both input file and output file."});
    EXPECT_EQ(env.ui.Calls()[0].icon, MsgIcon::Information);

    // The browse buttons use the program's file dialogs.
    env.answers = {QString::fromStdString(sIn), QString::fromStdString(sIn).toUpper()};
    QTest::mouseClick(dlg.cmdInput, Qt::LeftButton);
    QTest::mouseClick(dlg.cmdOutput, Qt::LeftButton);
    EXPECT_EQ(env.requests.at(0).sTitle, QStringLiteral("Open EDI Document"));
    EXPECT_EQ(env.requests.at(1).kind, FileDialogRequest::Save);
    env.ui.Clear();
    QTest::mouseClick(dlg.cmdOk, Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{"Input file and output file are the same file."});
    EXPECT_EQ(env.ui.Calls()[0].icon, MsgIcon::Critical);

    env.ui.Clear();
    dlg.txtOutput->setText(QStringLiteral("  ") + QString::fromStdString(sOut));
    QTest::mouseClick(dlg.cmdOk, Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.txtOutput->text().toStdString(), sOut);  // trimmed in place
    const auto messages = env.ui.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], "Functional Acknowledgement created in:\r\n\r\n" + sOut);
    const std::string s997 = TestEnv::ReadFile(sOut);
    EXPECT_NE(s997.find("*ZZ*B              *ZZ*A              *"), std::string::npos) << s997;  // back to the sender
    EXPECT_NE(s997.find("~\r\nGS*FA*BB*AA*"), std::string::npos);
    EXPECT_NE(s997.find("~\r\nAK1*PO*1234~\r\nAK9*A*1*1*1~\r\n"), std::string::npos);
    EXPECT_EQ(s997.find("AK2"), std::string::npos);  // the findings only when asked for
}

TEST(AcknowledgementDialog, KindsAndTheFindings)
{
    ShellEnv env;
    UseShippedDefinitions(env);
    const std::string sIn = env.Path("in.edi"), sOut = env.Path("out.999");
    TestEnv::WriteFile(sIn, "ISA*00*          *00*          *ZZ*A              *ZZ*B              *"
                            "200101*1253*^*00501*000000001*0*T*>~\nGS*PO*AA*BB*20200101*1253*1234*X*005010~\n"
                            "ST*850*0001~\nBEG*00*SA*1**20200101~\nSE*3*0001~\nGE*1*1234~\nIEA*1*000000001~\n");
    frmFA dlg;
    dlg.open();
    EXPECT_TRUE(dlg.optAck997->isChecked());
    EXPECT_FALSE(dlg.chkFindings->isChecked());  // off by default
    EXPECT_TRUE(dlg.chkFindings->isEnabled());
    dlg.optAck999->setChecked(true);
    EXPECT_TRUE(dlg.chkFindings->isChecked());
    EXPECT_FALSE(dlg.chkFindings->isEnabled());
    EXPECT_EQ(dlg.lblOutput->text(), QStringLiteral("999 output file:"));
    dlg.optAck997->setChecked(true);
    EXPECT_FALSE(dlg.chkFindings->isChecked());
    EXPECT_TRUE(dlg.chkFindings->isEnabled());
    dlg.chkFindings->setChecked(true);
    dlg.optAckTA1->setChecked(true);  // a TA1 looks at the envelope only
    EXPECT_FALSE(dlg.chkFindings->isChecked());
    EXPECT_FALSE(dlg.chkFindings->isEnabled());
    EXPECT_EQ(dlg.lblOutput->text(), QStringLiteral("TA1 output file:"));

    dlg.txtInput->setText(QString::fromStdString(sIn));
    dlg.txtOutput->setText(QString::fromStdString(sOut));
    QTest::mouseClick(dlg.cmdOk, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(env.ui.Messages().back(), "Interchange Acknowledgement created in:\r\n\r\n" + sOut);
    EXPECT_NE(TestEnv::ReadFile(sOut).find("~\r\nTA1*000000001*200101*1253*A*000~\r\nIEA*0*"), std::string::npos);

    frmFA again;
    again.open();
    again.optAck999->setChecked(true);
    again.txtInput->setText(QString::fromStdString(sIn));
    again.txtOutput->setText(QString::fromStdString(sOut));
    env.ui.QueueAnswer(MsgAnswer::Yes);  // replace the TA1
    QTest::mouseClick(again.cmdOk, Qt::LeftButton);
    EXPECT_EQ(again.result(), QDialog::Accepted);
    EXPECT_EQ(env.ui.Messages().back(), "Implementation Acknowledgement created in:\r\n\r\n" + sOut);
    const std::string s999 = TestEnv::ReadFile(sOut);
    EXPECT_NE(s999.find("~\r\nST*999*0001*005010X231A1~\r\nAK1*PO*1234*005010~\r\nAK2*850*0001~\r\n"),
              std::string::npos)
        << s999;
}

TEST(SeparatorChoiceDialog, HandsBackTheChosenNotations)
{
    ShellEnv env;
    {
        frm2ndChance dlg;
        dlg.open();
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Select a different Segment and Data Element Separator"));
        EXPECT_EQ(dlg.cboSegment->currentText(), QStringLiteral("~"));
        EXPECT_EQ(dlg.cboDataElement->currentText(), QStringLiteral("*"));
        dlg.cboSegment->setCurrentIndex(dlg.cboSegment->findText(QStringLiteral("CR")));
        dlg.cboDataElement->setCurrentIndex(dlg.cboDataElement->findText(QStringLiteral("{")));
        QTest::mouseClick(dlg.cmdOk, Qt::LeftButton);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(dlg.Choice(), (SeparatorPair{'{', 13}));
    }
    {
        frm2ndChance dlg;
        dlg.open();
        QTest::mouseClick(dlg.cmdCancel, Qt::LeftButton);
        EXPECT_EQ(dlg.Choice(), std::nullopt);
    }
    // A configured separator that is no candidate leaves a list empty: no OK then.
    gConfig->Delimiter = '#';
    frm2ndChance dlg;
    dlg.open();
    EXPECT_EQ(dlg.cboDataElement->currentIndex(), -1);
    EXPECT_FALSE(dlg.cmdOk->isEnabled());
    dlg.cboDataElement->setCurrentIndex(0);
    EXPECT_TRUE(dlg.cmdOk->isEnabled());
}

TEST(FileServices, DialogsAndPaths)
{
    ShellEnv env;
    gConfig->DirOutgoing = "/out";
    env.answers = {QString(), QStringLiteral("/data/x/file.edi"), QStringLiteral("name-only.edi")};
    EXPECT_EQ(gfOpenFileDialog(), "");
    EXPECT_EQ(gConfig->DirOutgoing, "/out");  // cancelled: unchanged
    EXPECT_EQ(env.requests[0].sDirectory, QStringLiteral("/out"));
    EXPECT_EQ(env.requests[0].sFilter, QStringLiteral("EDI Files (*.edi);;All Files (*)"));
    EXPECT_EQ(gfOpenFileDialog(), "/data/x/file.edi");
    EXPECT_EQ(gConfig->DirOutgoing, "/data/x");
    EXPECT_EQ(gfOpenFileDialog(), "name-only.edi");
    EXPECT_EQ(gConfig->DirOutgoing, "/data/x");  // no folder in the name: kept
    env.answers = {QStringLiteral("/data/y/saved.edi")};
    EXPECT_EQ(gfSaveFileDialog(), "/data/y/saved.edi");
    EXPECT_EQ(env.requests.back().sTitle, QStringLiteral("Save EDI Document File"));
    EXPECT_EQ(gConfig->DirOutgoing, "/data/x");

    EXPECT_EQ(gfFilePath("/a/b/c.edi"), "/a/b");
    EXPECT_EQ(gfFilePath("c.edi"), "");
    TestEnv::WriteFile(env.Path("f.edi"), "x");
    EXPECT_TRUE(gfFileExists(env.Path("f.edi")));
    EXPECT_FALSE(gfFileExists(env.Dir()));
    EXPECT_FALSE(gfFileExists(env.Path("missing.edi")));
    EXPECT_FALSE(gfFileExists(""));
}

}  // namespace
}  // namespace orr
