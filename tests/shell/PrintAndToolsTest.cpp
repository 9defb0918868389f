// The print preview (printing to PDF through the real printer dialog), the
// export and conversion dialogs, and orrindale-cli print: what the windows
// write is what the command line writes.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFontDialog>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPrintDialog>
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "app/modGlobals.h"
#include "shell/frmDocument.h"
#include "shell/frmExportText.h"
#include "shell/TextLineModel.h"
#include "shell/frmPrintView.h"
#include "shell/frmToolEdi.h"
#include "tests/cli/CliRun.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::RunCli;
using test::TestEnv;

struct ToolEnv : test::DocTreeFixture, test::FileDialogScript {
    ToolEnv()
    {
        TestEnv::WriteFile(sFile, test::kValidT1);
        window = new frmDocument(QStringLiteral("Document 1"));
        EXPECT_TRUE(window->EdiFileOpen({sFile, '*', '~', "T1", EdiDocument::NewContent::Skeleton, QStringLiteral("Document 1")}));
        fs::create_directories(Path("home"));
        WriteContainer(Path("home/EdiDef.bin"), {{"docT1.def", test::kDocT1}});
    }
    ~ToolEnv() { delete window; }
    // orrindale-cli on this test's home and document.
    test::CliResult Cli(const std::string& sCommand, const std::string& sRest)
    {
        return RunCli("--home " + Path("home") + " " + sCommand + " " + sFile + " --type T1 " + sRest);
    }
    const std::string sFile = Path("po.edi");
    frmDocument* window = nullptr;
};

// The text of a PDF file as pdftotext reads it.
std::string PdfText(const std::string& sPdf)
{
    const std::string sText = sPdf + ".txt";
    EXPECT_EQ(std::system(("pdftotext '" + sPdf + "' '" + sText + "'").c_str()), 0) << "pdftotext " << sPdf;
    return TestEnv::ReadFile(sText);
}

std::string WithoutBlanks(std::string s)
{
    s.erase(std::remove_if(s.begin(), s.end(), [](unsigned char c) { return std::isspace(c); }), s.end());
    return s;
}

// The real printer dialog, printing to the PDF file sPdf.
void PrintToPdf(const std::string& sPdf)
{
    test::WhenModal<QPrintDialog>([sPdf](QPrintDialog* dlg) {
        auto* name = dlg->findChild<QLineEdit*>(QStringLiteral("filename"));
        ASSERT_TRUE(name);
        name->setText(QString::fromStdString(sPdf));
        dlg->accept();
    });
}

TEST(PrintPreview, PrintsTheDocumentWithPageHeadersAndDeletesTheWorkFileOnCancel)
{
    ToolEnv env;
    const std::string sPdf = env.Path("preview.pdf");
    env.ui.QueueAnswer(MsgAnswer::Yes);  // a line for each segment
    test::WhenModal<frmPrintView>([&](frmPrintView* view) {
        EXPECT_EQ(view->windowTitle(), QStringLiteral("Print Document"));
        EXPECT_EQ(view->lvwText->editTriggers(), QAbstractItemView::NoEditTriggers);
        EXPECT_TRUE(view->Text().contains(QStringLiteral("\nBEG*00*SA*PO1**20040305~\n")));
        // A row a line.
        QAbstractItemModel* rows = view->lvwText->model();
        EXPECT_EQ(rows->rowCount(), view->Text().count(QLatin1Char('\n')));
        EXPECT_EQ(rows->index(3, 0).data().toString(), QStringLiteral("BEG*00*SA*PO1**20040305~"));
        EXPECT_TRUE(view->cmdFont->isVisible() && view->cmdPrint->isVisible());
        // Columns line up. Measured, since fontconfig leaves some monospaced
        // fonts (Noto Sans Mono) unmarked and QFontInfo then says otherwise.
        const QFontMetrics fm(view->lvwText->font());
        EXPECT_EQ(fm.horizontalAdvance(QLatin1Char('i')), fm.horizontalAdvance(QLatin1Char('W')));
        test::WhenModal<QFontDialog>([](QFontDialog* dlg) {
            QFont font = dlg->currentFont();
            font.setPointSize(14);
            dlg->setCurrentFont(font);
            dlg->accept();
        });
        view->cmdFont->click();
        EXPECT_EQ(view->lvwText->font().pointSize(), 14);
        PrintToPdf(sPdf);
        view->cmdPrint->click();
    });
    env.window->mnuFilePrint->trigger();
    EXPECT_EQ(env.ui.Messages().back(), "Document printed.");
    EXPECT_FALSE(fs::exists(gConfig->TempFile));  // the working file goes with the preview
    const std::string sText = PdfText(sPdf);
    EXPECT_NE(sText.find(env.sFile), std::string::npos);
    EXPECT_NE(sText.find("Page 1 of"), std::string::npos);
    for (const char* sSegment : {"BEG*00*SA*PO1**20040305~", "N1*ST:X*Ship Here~", "IEA*1*000000001~"})
        EXPECT_NE(sText.find(sSegment), std::string::npos) << sSegment;

    // A cancelled printer dialog prints nothing and says nothing; Cancel deletes the working file.
    env.ui.Clear();
    env.ui.QueueAnswer(MsgAnswer::Yes);
    test::WhenModal<frmPrintView>([&](frmPrintView* view) {
        test::WhenModal<QPrintDialog>([](QPrintDialog* dlg) { dlg->reject(); });
        view->cmdPrint->click();
        EXPECT_TRUE(view->isVisible());
        view->cmdCancel->click();
    });
    env.window->mnuFilePrint->trigger();
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{"Do you want to add a CR and LF at the end of each segment ?"});
    EXPECT_FALSE(fs::exists(gConfig->TempFile));

    // The source view: the same window with Cancel alone.
    env.ui.QueueAnswer(MsgAnswer::No);
    test::WhenModal<frmPrintView>([](frmPrintView* view) {
        EXPECT_FALSE(view->cmdFont->isVisible() || view->cmdPrint->isVisible());
        EXPECT_TRUE(view->cmdCancel->isVisible());
        EXPECT_TRUE(view->Text().startsWith(QStringLiteral("ISA*")));
        view->cmdCancel->click();
    });
    env.window->Run(DocCommand::EditSource);

    // A working file that is gone.
    frmPrintView missing;
    missing.LoadFile(env.Path("gone.zyx"));
    EXPECT_EQ(env.ui.Messages().back(), "Could not load file.");
    EXPECT_TRUE(missing.Text().isEmpty());
    EXPECT_EQ(missing.lvwText->model()->rowCount(), 0);
}

TEST(PrintCommandLine, PrintsWhatThePreviewPrints)
{
    ToolEnv env;
    const std::string sCliPdf = env.Path("cli.pdf"), sPreviewPdf = env.Path("preview.pdf");
    const auto r = env.Cli("print", "-o " + sCliPdf);
    ASSERT_EQ(r.nExit, 0) << r.sErr;

    env.ui.QueueAnswer(MsgAnswer::Yes);
    test::WhenModal<frmPrintView>([&](frmPrintView* view) {
        PrintToPdf(sPreviewPdf);
        view->cmdPrint->click();
    });
    env.window->mnuFilePrint->trigger();
    // The same text and headers; page sizes may differ, so lines may wrap elsewhere.
    EXPECT_EQ(WithoutBlanks(PdfText(sCliPdf)), WithoutBlanks(PdfText(sPreviewPdf)));

    // A larger font takes more pages, each with its header.
    ASSERT_EQ(env.Cli("print", "--size 40 --font NoSuchFamily -o " + sCliPdf).nExit, 0);
    const std::string sBig = PdfText(sCliPdf);
    EXPECT_NE(sBig.find("Page 1 of "), std::string::npos);
    EXPECT_EQ(sBig.find("Page 1 of 1\n"), std::string::npos);
    EXPECT_EQ(env.Cli("print", "--size 0 -o " + sCliPdf).nExit, 2);
    EXPECT_EQ(env.Cli("print", "-o " + env.Path("no-folder/x.pdf")).nExit, 1);
}

TEST(ToolDialogs, ExportAndConversionWriteWhatTheCommandLineWrites)
{
    ToolEnv env;
    const std::string sCsv = env.Path("out.csv");
    test::WhenModal<frmExportText>([&](frmExportText* dlg) {
        EXPECT_EQ(dlg->cboDelimiter->currentText(), QStringLiteral("Tab"));
        EXPECT_FALSE(dlg->cmdSave->isEnabled());  // no file named yet
        dlg->cboDelimiter->setCurrentText(QStringLiteral("Comma"));
        dlg->txtOutFile->setText(QString::fromStdString(sCsv));
        dlg->cmdSave->click();
    });
    env.window->mnuToolExportText->trigger();
    EXPECT_EQ(env.ui.Messages().back(), sCsv + " is created.");
    ASSERT_EQ(env.Cli("export", "--separator comma -o " + env.Path("cli.csv")).nExit, 0);
    EXPECT_EQ(TestEnv::ReadFile(sCsv), TestEnv::ReadFile(env.Path("cli.csv")));

    const std::string sEdi = env.Path("out.edi");
    test::WhenModal<frmToolEdi>([&](frmToolEdi* dlg) {
        EXPECT_EQ(dlg->txtOutFile->text(), QDir::toNativeSeparators(QDir::currentPath() + QStringLiteral("/New.edi")));
        EXPECT_EQ(dlg->cboSelimiter->currentText(), QStringLiteral("~"));  // the configured separators
        // Separators that could not be read back are refused; the dialog stays.
        dlg->cboDelimiter->setCurrentText(QStringLiteral("~"));
        dlg->cmdSave->click();
        EXPECT_EQ(env.ui.Messages().back(), "The data element separator and the segment terminator must differ.");
        EXPECT_TRUE(dlg->isVisible());
        dlg->cboDelimiter->setCurrentText(QStringLiteral("|"));
        dlg->cboSelimiter->setCurrentText(QStringLiteral("LF"));
        const QString sDefault = dlg->txtOutFile->text();
        env.answers = {QString(), QString::fromStdString(sEdi)};
        dlg->cmdOutFile->click();  // cancelled: the name stays
        EXPECT_EQ(dlg->txtOutFile->text(), sDefault);
        dlg->cmdOutFile->click();
        EXPECT_EQ(dlg->txtOutFile->text().toStdString(), sEdi);
        dlg->cmdSave->click();
    });
    env.window->mnuToolConvertEDI->trigger();
    ASSERT_EQ(env.Cli("convert", "--to-delimiter '|' --to-selimiter LF -o " + env.Path("cli.edi")).nExit, 0);
    EXPECT_EQ(TestEnv::ReadFile(sEdi), TestEnv::ReadFile(env.Path("cli.edi")));
    EXPECT_NE(TestEnv::ReadFile(sEdi).find("\nBEG|00|SA|PO1||20040305\n"), std::string::npos);
    // The document itself is as it was.
    EXPECT_EQ(env.window->Document().Delimiter(), '*');
    EXPECT_FALSE(env.window->IsModified());
}

// The preview's rows: one a line whatever ends it, a long line over several rows.
TEST(PrintPreview, RowsFollowTheLinesAndWrapLongOnes)
{
    ToolEnv env;
    const std::string sLong(TextLineModel::kWrap * 2 + 5, 'x');
    const std::string sFile = env.Path("rows.txt");
    const std::string sFull(TextLineModel::kWrap, 'y');
    TestEnv::WriteFile(sFile, "ISA*1~\r\nGS*2~\rST*3~\n\n" + sLong + "\n" + sFull + "\r\nSE*4~");
    TextLineModel rows;
    ASSERT_TRUE(rows.Load(sFile));
    std::vector<std::string> got;
    for (int i = 0; i < rows.rowCount(); ++i)
        got.push_back(rows.index(i, 0).data().toString().toStdString());
    const std::string sPiece(TextLineModel::kWrap, 'x');
    EXPECT_EQ(got, (std::vector<std::string>{"ISA*1~", "GS*2~", "ST*3~", "", sPiece, sPiece, "xxxxx", sFull, "SE*4~"}));
    EXPECT_FALSE(rows.Load(env.Path("gone.txt")));
    EXPECT_EQ(rows.rowCount(), 0);
}

}  // namespace
}  // namespace orr
