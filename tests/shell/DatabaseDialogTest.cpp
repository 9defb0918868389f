// "Database Server Connection": the frame's posts chosen files, a document
// window's posts its own document, each into a real SQLite file.
#include <gtest/gtest.h>

#include <QAction>
#include <QTest>

#include "db/DatabaseSettings.h"
#include "db/SqliteDatabase.h"
#include "shell/DatabasePostDialog.h"
#include "shell/frmDocument.h"
#include "shell/frmMain.h"
#include "tests/shell/ShellTestSupport.h"

namespace orr {
namespace {

using test::ShellEnv;
using test::TestEnv;

std::string Example(const std::string& sName) { return std::string(ORRINDALE_SOURCE_DIR) + "/examples/" + sName; }

std::string Count(const std::string& sFile, const std::string& sSql)
{
    SqliteDatabase db(sFile);
    const auto rows = db.Query(sSql);
    return rows.size() == 1 && rows[0][0] ? *rows[0][0] : "(none)";
}

QStringList Log(const DatabasePostDialog& dlg)
{
    QStringList lines;
    for (int i = 0; i < dlg.lstLog->count(); ++i)
        lines << dlg.lstLog->item(i)->text();
    return lines;
}

// The shipped definitions, which the examples need.
struct RealDefinitions : ShellEnv {
    RealDefinitions()
    {
        config->DefinitionFile = ORRINDALE_EDIDEF;
        EXPECT_TRUE(defFiles.RefreshBinFile());
    }
};

TEST(DatabaseDialog, TheFramePostsChosenFilesAndKeepsTheChoice)
{
    RealDefinitions env;
    const std::string sOrders = Example("850-two-orders.edi"), sBad = env.Path("notes.edi");
    TestEnv::WriteFile(sBad, "no interchange here\n");
    const std::string sDatabase = env.Path("posted/documents.sqlite");

    DatabasePostDialog dlg(nullptr);
    dlg.open();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Database Server Connection"));
    EXPECT_TRUE(dlg.optSqlite->isChecked());
    EXPECT_FALSE(dlg.cmdPost->isEnabled()) << "nothing to post";
    EXPECT_FALSE(dlg.txtConnection->isEnabled());

    env.answers = {QString::fromStdString(sOrders), QString::fromStdString(sBad), QString::fromStdString(sBad),
                   QString::fromStdString(sDatabase)};
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(dlg.cmdAddFile, Qt::LeftButton);
    ASSERT_EQ(dlg.lstFiles->count(), 2) << "a file is listed once";
    QTest::mouseClick(dlg.cmdSqliteFile, Qt::LeftButton);
    EXPECT_EQ(dlg.txtSqliteFile->text().toStdString(), sDatabase);
    EXPECT_TRUE(dlg.cmdPost->isEnabled());

    QTest::mouseClick(dlg.cmdPost, Qt::LeftButton);
    const QStringList log = Log(dlg);
    ASSERT_EQ(log.size(), 4) << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(log[0], QStringLiteral("Posting to sqlite:%1").arg(QString::fromStdString(sDatabase)));
    const std::string sRows = Count(sDatabase, "SELECT COUNT(*) FROM elements");
    EXPECT_EQ(log[1].toStdString(), "850-two-orders.edi: 1 interchange, 1 group, 2 transaction sets, 48 segments, " +
                                        std::to_string(1 + 1 + 1 + 2 + 48 + std::stoi(sRows)) + " rows written");
    EXPECT_EQ(dlg.lstLog->item(1)->toolTip().toStdString(), sOrders);
    EXPECT_TRUE(log[2].startsWith(QStringLiteral("notes.edi: not posted: "))) << log[2].toStdString();
    EXPECT_TRUE(log[3].startsWith(QStringLiteral("1 of 2 documents posted, "))) << log[3].toStdString();
    EXPECT_EQ(Count(sDatabase, "SELECT COUNT(*) FROM segments"), "48");
    EXPECT_EQ(dlg.prgPost->value(), dlg.prgPost->maximum());

    // The choice is kept; a PostgreSQL choice needs its connection string.
    EXPECT_EQ(gfReadDatabaseSettings().Target(), "sqlite:" + sDatabase);
    dlg.optPostgres->setChecked(true);
    EXPECT_FALSE(dlg.cmdPost->isEnabled());
    EXPECT_FALSE(dlg.txtSqliteFile->isEnabled());
    dlg.txtConnection->setText(QStringLiteral("postgresql://nobody@127.0.0.1:1/none"));
    EXPECT_TRUE(dlg.cmdPost->isEnabled());
    QTest::mouseClick(dlg.cmdPost, Qt::LeftButton);
    ASSERT_EQ(env.ui.Messages().size(), 2u);  // the bad file's, then this one
    EXPECT_TRUE(env.ui.Messages()[1].starts_with("The database cannot be opened.\r\n\r\n")) << env.ui.Messages()[1];
    EXPECT_TRUE(gfReadDatabaseSettings().bPostgres);
    EXPECT_EQ(gfReadDatabaseSettings().sConnection, "postgresql://nobody@127.0.0.1:1/none");

    dlg.lstFiles->item(1)->setSelected(true);
    QTest::mouseClick(dlg.cmdRemoveFile, Qt::LeftButton);
    EXPECT_EQ(dlg.lstFiles->count(), 1);
    QTest::mouseClick(dlg.cmdClose, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

TEST(DatabaseDialog, ADocumentWindowPostsItsDocument)
{
    RealDefinitions env;
    const std::string sClaim = env.Path("claim.edi"), sDatabase = env.Path("documents.sqlite");
    TestEnv::WriteFile(sClaim, TestEnv::ReadFile(Example("837P_X222A1-professional-claim.edi")));
    gfSaveDatabaseSettings({false, sDatabase, ""});
    frmMain frame;
    frmDocument w(QStringLiteral("Document 1"));
    ASSERT_TRUE(w.EdiFileOpen({sClaim, '*', '~', "837P_X222A1", EdiDocument::NewContent::Skeleton, QStringLiteral("Document 1")}));
    auto* post = w.findChild<QAction*>(QStringLiteral("mnuToolExportSQL"));
    ASSERT_TRUE(post);
    EXPECT_EQ(post->text(), QStringLiteral("Post to &SQL Server ..."));

    QStringList log;
    test::WhenModal<DatabasePostDialog>([&log, &sClaim](DatabasePostDialog* dlg) {
        EXPECT_EQ(dlg->lstFiles->count(), 1);
        EXPECT_EQ(dlg->lstFiles->item(0)->text().toStdString(), sClaim);
        EXPECT_FALSE(dlg->cmdAddFile->isVisible());
        QTest::mouseClick(dlg->cmdPost, Qt::LeftButton);
        log = Log(*dlg);
        QTest::mouseClick(dlg->cmdClose, Qt::LeftButton);
    });
    post->trigger();
    ASSERT_EQ(log.size(), 3) << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(
        log[1].startsWith(QStringLiteral("claim.edi: 1 interchange, 1 group, 1 transaction set, 27 segments, ")))
        << log[1].toStdString();
    EXPECT_EQ(Count(sDatabase, "SELECT COUNT(*) FROM segments"), "27");
    EXPECT_EQ(Count(sDatabase, "SELECT doc_type FROM transactions"), "837P_X222A1");
    EXPECT_EQ(Count(sDatabase, "SELECT loop_path FROM segments WHERE text LIKE 'SV1*%'"), "2000B/2300/2400");
}

}  // namespace
}  // namespace orr
