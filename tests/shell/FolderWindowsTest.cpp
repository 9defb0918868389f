// The windows of comparing, checking and searching folders and the JSON and
// XML exports, on the shipped definitions: what they show is what the
// command line prints, with the frame opening real document windows.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeView>
#include <filesystem>

#include "doctree/clsTreeDSave.h"
#include "shell/TreeModel.h"
#include "shell/frmCompare.h"
#include "shell/frmDocument.h"
#include "shell/frmFileNew.h"
#include "shell/frmFolder.h"
#include "tests/cli/CliRun.h"
#include "tests/shell/ShellTestSupport.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::TestEnv;

struct FolderEnv : TestEnv, test::FileDialogScript {
    FolderEnv()
    {
        QStandardPaths::setTestModeEnabled(true);
        config->DefinitionFile = ORRINDALE_EDIDEF;
        EXPECT_TRUE(files.RefreshBinFile());
        gDefFiles = &files;
        fs::create_directories(dir);
        for (const char* s : {"850-purchase-order.edi", "810-invoice.edi"})
            fs::copy_file(fs::path(ORRINDALE_SOURCE_DIR) / "examples" / s, dir + "/" + s);
        fs::copy_file(ORRINDALE_SOURCE_DIR "/tests/data/invalid/850-missing-beg.edi", dir + "/850-missing-beg.edi");
    }
    ~FolderEnv() { gDefFiles = nullptr; }
    clsDefFiles files;
    std::string dir = Path("folder");
};

// The frame makes real document windows; the type dialog is answered with sType.
void OpenWithType(frmMain& frame, const std::string& sFile, const char* sType)
{
    test::WhenModal<frmFileNew>([sType](frmFileNew* dlg) {
        dlg->lvc->setCurrentIndex(dlg->mModel->findItems(QString::fromLatin1(sType)).value(0)->index());
        dlg->cmdOk->click();
    });
    ASSERT_TRUE(frame.OpenEdiDocument(sFile));
}

TEST(CompareWindow, MarksDifferencesInBothTreesAndSteps)
{
    FolderEnv env;
    const std::string a = env.dir + "/850-purchase-order.edi", b = env.Path("b.edi");
    TestEnv::WriteFile(b, TestEnv::Replaced(TestEnv::Replaced(TestEnv::ReadFile(a), "PO-4501", "PO-4502"),
                                            "CUR*BY*USD~\n", ""));
    frmCompare w;
    w.show();
    EXPECT_FALSE(w.cmdCompare->isEnabled());
    env.answers = {QString::fromStdString(a)};
    w.findChild<QPushButton*>(QStringLiteral("cmdBrowseA"))->click();
    EXPECT_EQ(w.txtFileA->text().toStdString(), a);
    w.txtFileB->setText(QString::fromStdString(b));
    ASSERT_TRUE(w.cmdCompare->isEnabled());
    w.cmdCompare->click();
    // PO number changed, CUR removed, SE01 unchanged (the file is not consistent, on purpose).
    ASSERT_EQ(w.Differences().size(), 2u);
    EXPECT_EQ(w.lstDiffs->count(), 2);
    const DiffEntry& changed = w.Differences()[0];
    const auto color = [](QTreeView* view, NodeId node) {
        auto* model = static_cast<TreeModel*>(view->model());
        return model->data(model->IndexOf(node), Qt::BackgroundRole).value<QColor>().rgb() & 0xFFFFFF;
    };
    EXPECT_EQ(color(w.tvA, changed.nodeA), frmCompare::kChanged);
    EXPECT_EQ(color(w.tvB, changed.nodeB), frmCompare::kChanged);
    EXPECT_EQ(color(w.tvA, w.Differences()[1].nodeA), frmCompare::kRemoved);
    EXPECT_EQ(w.lstDiffs->currentRow(), 0);
    w.cmdNext->click();
    EXPECT_EQ(w.lstDiffs->currentRow(), 1);
    EXPECT_EQ(static_cast<TreeModel*>(w.tvA->model())->NodeOf(w.tvA->currentIndex()), w.Differences()[1].nodeA);
    w.cmdNext->click();
    EXPECT_EQ(w.lstDiffs->currentRow(), 0) << "round past the end";
    w.cmdPrevious->click();
    EXPECT_EQ(w.lstDiffs->currentRow(), 1);
    // The same file twice: nothing to step through.
    w.txtFileB->setText(QString::fromStdString(a));
    w.cmdCompare->click();
    EXPECT_EQ(w.lstDiffs->count(), 0);
    EXPECT_FALSE(w.cmdNext->isEnabled());
    EXPECT_EQ(w.lblCount->text(), QStringLiteral("The documents are equal."));
}

TEST(FolderWindows, CheckAndFindShowWhatTheCommandLinePrintsAndOpenFiles)
{
    FolderEnv env;
    frmMain frame;
    frmMain::SetDocumentWindowHook({[](const QString& sKey) -> DocumentWindow* { return new frmDocument(sKey); }});
    frame.show();
    const std::string sHome = test::MakeCliHome(env.Path("home"));
    const auto rows = [](QTableWidget* t) {
        std::string s;
        for (int r = 0; r < t->rowCount(); ++r)
            for (int c = 0; c < t->columnCount(); ++c)
                s += t->item(r, c)->text().toStdString() + (c + 1 < t->columnCount() ? "\t" : "\n");
        return s;
    };
    frmFolder check(frmFolder::Mode::Check, &frame);
    EXPECT_FALSE(check.cmdRun->isEnabled());
    check.txtFolder->setText(QString::fromStdString(env.dir));
    ASSERT_TRUE(check.Run());
    EXPECT_EQ(rows(check.tblResults), test::RunCli("--home " + sHome + " check " + env.dir).sOut);
    EXPECT_EQ(check.tblResults->item(1, 2)->text(), QStringLiteral("invalid"));

    frmFolder find(frmFolder::Mode::Find, &frame);
    find.txtFolder->setText(QString::fromStdString(env.dir));
    EXPECT_FALSE(find.cmdRun->isEnabled()) << "nothing to find yet";
    find.txtText->setText(QStringLiteral("n1*st"));
    ASSERT_TRUE(find.Run());
    const std::string sFound = rows(find.tblResults);
    EXPECT_EQ(sFound, test::RunCli("--home " + sHome + " find " + env.dir + " --text n1*st").sOut);
    EXPECT_EQ(find.tblResults->rowCount(), 3) << sFound;
    find.txtElement->setText(QStringLiteral("x"));
    env.ui.QueueAnswer(MsgAnswer::OK);
    EXPECT_FALSE(find.Run()) << "not a position";

    // A double click opens the row's file in a document window.
    test::WhenModal<frmFileNew>([](frmFileNew* dlg) { dlg->cmdOk->click(); });
    check.OpenRow(0);
    ASSERT_NE(frame.ActiveDocument(), nullptr);
    EXPECT_EQ(static_cast<frmDocument*>(frame.ActiveDocument())->Document().FileName(), env.dir + "/810-invoice.edi");
    frmMain::SetDocumentWindowHook({});
}

TEST(ExportWindows, ExportAsJsonAndXmlThenOpenTheExports)
{
    FolderEnv env;
    frmMain frame;
    frmMain::SetDocumentWindowHook({[](const QString& sKey) -> DocumentWindow* { return new frmDocument(sKey); }});
    frame.show();
    const std::string sFile = env.dir + "/850-purchase-order.edi";
    OpenWithType(frame, sFile, "850");
    for (const char* sExt : {"json", "xml"}) {
        const std::string sExport = env.Path(std::string("po.") + sExt);
        env.answers = {QString::fromStdString(sExport)};
        frame.ActiveDocument()->setFocus();
        frame.RunDocCommand(std::string_view(sExt) == "json" ? DocCommand::ExportJson : DocCommand::ExportXml);
        ASSERT_TRUE(fs::exists(sExport)) << sExt;
        EXPECT_EQ(TestEnv::ReadFile(sExport),
                  [&] {
                      test::RunCli("--home " + test::MakeCliHome(env.Path("home")) + " export " + sFile +
                                   " --type 850 --format " + sExt + " -o " + sExport + ".cli");
                      return TestEnv::ReadFile(sExport + ".cli");
                  }())
            << "the window writes what the command line writes";
        // Opening the export opens the document it holds, without a file name, changed.
        ASSERT_TRUE(frame.OpenEdiDocument(sExport));
        auto* opened = static_cast<frmDocument*>(frame.ActiveDocument());
        EXPECT_EQ(opened->Document().FileName(), "");
        EXPECT_TRUE(opened->Document().Modified());
        EXPECT_EQ(opened->Document().Type(), "850");
        clsTreeDSave writer;
        writer.SetDelimiter('*');
        writer.SetSelimiter('~');
        std::string sText = writer.ToText(opened->Document().Root(), false);
        std::string sOriginal = TestEnv::ReadFile(sFile);
        sOriginal.erase(std::remove(sOriginal.begin(), sOriginal.end(), '\n'), sOriginal.end());
        EXPECT_EQ(sText, sOriginal);
        opened->Document().SetModified(false);
    }
    frmMain::SetDocumentWindowHook({});
}

}  // namespace
}  // namespace orr
