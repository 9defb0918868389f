#include "shell/DatabasePostDialog.h"

#include <QApplication>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QVBoxLayout>
#include <memory>

#include "app/UiService.h"
#include "db/DatabaseSettings.h"
#include "db/DocumentLoader.h"
#include "db/ReadDocument.h"
#include "doctree/EdiDocument.h"
#include "shell/QtUi.h"
#include "shell/modFrmDocFile.h"

namespace orr {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QPushButton* NewButton(QWidget* parent, const char* sName, const QString& sText)
{
    auto* b = new QPushButton(sText, parent);
    b->setObjectName(QString::fromLatin1(sName));
    return b;
}

}  // namespace

DatabasePostDialog::DatabasePostDialog(EdiDocument* pDoc, QWidget* parent) : QDialog(parent), mpDoc(pDoc)
{
    setObjectName(QStringLiteral("DatabasePostDialog"));
    setWindowTitle(QStringLiteral("Database Server Connection"));

    auto* where = new QGroupBox(QStringLiteral(" Database "), this);
    optSqlite = new QRadioButton(QStringLiteral("SQLite file:"), where);
    optSqlite->setObjectName(QStringLiteral("optSqlite"));
    txtSqliteFile = new QLineEdit(where);
    txtSqliteFile->setObjectName(QStringLiteral("txtSqliteFile"));
    txtSqliteFile->setPlaceholderText(Q(gfDefaultDatabaseFile()));
    cmdSqliteFile = NewButton(where, "cmdSqliteFile", QStringLiteral("..."));
    cmdSqliteFile->setToolTip(QStringLiteral("Choose the database file"));
    optPostgres = new QRadioButton(QStringLiteral("PostgreSQL connection:"), where);
    optPostgres->setObjectName(QStringLiteral("optPostgres"));
    txtConnection = new QLineEdit(where);
    txtConnection->setObjectName(QStringLiteral("txtConnection"));
    txtConnection->setPlaceholderText(QStringLiteral("postgresql://user@host:5432/database"));
    auto* sqliteRow = new QHBoxLayout;
    sqliteRow->addWidget(txtSqliteFile, 1);
    sqliteRow->addWidget(cmdSqliteFile);
    auto* whereForm = new QFormLayout(where);
    whereForm->addRow(optSqlite, sqliteRow);
    whereForm->addRow(optPostgres, txtConnection);
    auto* note = new QLabel(QStringLiteral("A password the server asks for is kept until the program ends."), where);
    note->setWordWrap(true);
    whereForm->addRow(note);

    auto* what = new QGroupBox(mpDoc ? QStringLiteral(" Document ") : QStringLiteral(" Documents "), this);
    lstFiles = new QListWidget(what);
    lstFiles->setObjectName(QStringLiteral("lstFiles"));
    lstFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    cmdAddFile = NewButton(what, "cmdAddFile", QStringLiteral("&Add File ..."));
    cmdRemoveFile = NewButton(what, "cmdRemoveFile", QStringLiteral("&Remove"));
    auto* fileButtons = new QVBoxLayout;
    fileButtons->addWidget(cmdAddFile);
    fileButtons->addWidget(cmdRemoveFile);
    fileButtons->addStretch(1);
    auto* whatRow = new QHBoxLayout(what);
    whatRow->addWidget(lstFiles, 1);
    whatRow->addLayout(fileButtons);
    if (mpDoc) {
        lstFiles->addItem(mpDoc->FileName().empty() ? QStringLiteral("New") : Q(mpDoc->FileName()));
        lstFiles->setMaximumHeight(lstFiles->sizeHintForRow(0) * 2 + 8);
        cmdAddFile->hide();
        cmdRemoveFile->hide();
    }

    prgPost = new QProgressBar(this);
    prgPost->setObjectName(QStringLiteral("prgPost"));
    prgPost->setValue(0);
    lstLog = new QListWidget(this);
    lstLog->setObjectName(QStringLiteral("lstLog"));
    lstLog->setToolTip(QStringLiteral("What each document wrote"));
    cmdPost = NewButton(this, "cmdPost", QStringLiteral("&Post"));
    cmdPost->setDefault(true);
    cmdClose = NewButton(this, "cmdClose", QStringLiteral("Close"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdPost);
    buttons->addWidget(cmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(where);
    layout->addWidget(what, mpDoc ? 0 : 1);
    layout->addWidget(prgPost);
    layout->addWidget(lstLog, 1);
    layout->addLayout(buttons);
    resize(620, mpDoc ? 400 : 520);

    connect(cmdSqliteFile, &QPushButton::clicked, this, &DatabasePostDialog::CmdSqliteFileClick);
    connect(cmdAddFile, &QPushButton::clicked, this, &DatabasePostDialog::CmdAddFileClick);
    connect(cmdRemoveFile, &QPushButton::clicked, this, &DatabasePostDialog::CmdRemoveFileClick);
    connect(cmdPost, &QPushButton::clicked, this, &DatabasePostDialog::CmdPostClick);
    connect(cmdClose, &QPushButton::clicked, this, &DatabasePostDialog::reject);
    for (QRadioButton* b : {optSqlite, optPostgres})
        connect(b, &QRadioButton::toggled, this, &DatabasePostDialog::UpdateButtons);
    connect(txtConnection, &QLineEdit::textChanged, this, &DatabasePostDialog::UpdateButtons);
    connect(lstFiles, &QListWidget::itemSelectionChanged, this, &DatabasePostDialog::UpdateButtons);
    LoadSettings();
    UpdateButtons();
}

void DatabasePostDialog::LoadSettings()
{
    const DatabaseSettings s = gfReadDatabaseSettings();
    (s.bPostgres ? optPostgres : optSqlite)->setChecked(true);
    txtSqliteFile->setText(Q(s.sFile));
    txtConnection->setText(Q(s.sConnection));
}

void DatabasePostDialog::SaveSettings()
{
    DatabaseSettings s;
    s.bPostgres = optPostgres->isChecked();
    s.sFile = txtSqliteFile->text().trimmed().toStdString();
    s.sConnection = txtConnection->text().trimmed().toStdString();
    gfSaveDatabaseSettings(s);
}

void DatabasePostDialog::UpdateButtons()
{
    const bool bIdle = !mbPosting;
    const bool bTarget = optSqlite->isChecked() || !txtConnection->text().trimmed().isEmpty();
    const bool bDocuments = mpDoc ? !mpDoc->FileName().empty() : lstFiles->count() > 0;
    cmdPost->setEnabled(bIdle && bTarget && bDocuments);
    cmdClose->setEnabled(bIdle);
    cmdAddFile->setEnabled(bIdle);
    cmdRemoveFile->setEnabled(bIdle && !lstFiles->selectedItems().isEmpty());
    optSqlite->setEnabled(bIdle);
    optPostgres->setEnabled(bIdle);
    txtSqliteFile->setEnabled(bIdle && optSqlite->isChecked());
    cmdSqliteFile->setEnabled(bIdle && optSqlite->isChecked());
    txtConnection->setEnabled(bIdle && optPostgres->isChecked());
}

void DatabasePostDialog::AddFile(const QString& sFile)
{
    if (lstFiles->findItems(sFile, Qt::MatchExactly).isEmpty())
        lstFiles->addItem(sFile);
    UpdateButtons();
}

void DatabasePostDialog::CmdAddFileClick()
{
    const std::string sPath = gfOpenFileDialog();
    if (!sPath.empty())
        AddFile(Q(sPath));
}

void DatabasePostDialog::CmdRemoveFileClick()
{
    qDeleteAll(lstFiles->selectedItems());
    UpdateButtons();
}

void DatabasePostDialog::CmdSqliteFileClick()
{
    const QString sChosen = gfRunFileDialog(this, {FileDialogRequest::Save, QStringLiteral("Database File"),
                                                   QStringLiteral("SQLite Databases (*.sqlite *.db);;All Files (*)"),
                                                   Q(gfFilePath(gfDefaultDatabaseFile()))});
    if (!sChosen.isEmpty())
        txtSqliteFile->setText(sChosen);
}

std::optional<std::string> DatabasePostDialog::Logon(const std::string& sTarget)
{
    QInputDialog dlg(this);
    dlg.setObjectName(QStringLiteral("DatabaseLogon"));
    dlg.setWindowTitle(QStringLiteral("Database Logon"));
    dlg.setLabelText(QStringLiteral("Password for %1:").arg(Q(sTarget)));
    dlg.setTextEchoMode(QLineEdit::Password);
    QApplication::restoreOverrideCursor();
    const bool bOk = dlg.exec() == QDialog::Accepted;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    return bOk ? std::optional<std::string>(dlg.textValue().toStdString()) : std::nullopt;
}

void DatabasePostDialog::Progress(std::size_t nDone, std::size_t nTotal)
{
    // The bar counts segments; they fit an int for any file that opens.
    prgPost->setMaximum(int(std::max<std::size_t>(nTotal, 1)));
    prgPost->setValue(int(std::min(nDone, nTotal)));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void DatabasePostDialog::Log(const QString& sFile, const QString& sText)
{
    // The name keeps the line short; the list above and the tip give the folder.
    auto* item = new QListWidgetItem(QFileInfo(sFile).fileName() + QStringLiteral(": ") + sText, lstLog);
    item->setToolTip(sFile);
}

QString DatabasePostDialog::Written(const LoadCounts& c)
{
    const auto count = [](std::size_t n, const char* sOne, const char* sMany) {
        return QStringLiteral("%1 %2").arg(n).arg(QString::fromLatin1(n == 1 ? sOne : sMany));
    };
    return QStringList{count(c.nInterchanges, "interchange", "interchanges"), count(c.nGroups, "group", "groups"),
                       count(c.nTransactions, "transaction set", "transaction sets"),
                       count(c.nSegments, "segment", "segments"), count(c.Rows(), "row written", "rows written")}
        .join(QStringLiteral(", "));
}

void DatabasePostDialog::CmdPostClick()
{
    SaveSettings();
    const std::string sTarget = gfReadDatabaseSettings().Target();
    mbPosting = true;
    UpdateButtons();
    lstLog->clear();
    prgPost->setValue(0);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct Done {
        DatabasePostDialog* dlg;
        ~Done()
        {
            QApplication::restoreOverrideCursor();
            dlg->mbPosting = false;
            dlg->UpdateButtons();
        }
    } done{this};

    std::unique_ptr<Database> db;
    std::unique_ptr<DocumentLoader> loader;
    try {
        db = gfOpenDatabase(sTarget, [this](const std::string& s) { return Logon(s); });
        loader = std::make_unique<DocumentLoader>(*db);
    } catch (const DatabaseLogonCancelled&) {
        return;
    } catch (const DatabaseError& e) {
        gfMsgBox(std::string("The database cannot be opened.\r\n\r\n") + e.what(), MsgIcon::Critical);
        return;
    }
    lstLog->addItem(QStringLiteral("Posting to %1").arg(Q(db->Describe())));
    const auto fnProgress = [this](std::size_t nDone, std::size_t nTotal) { Progress(nDone, nTotal); };
    std::size_t nRows = 0, nPosted = 0;
    const int nCount = lstFiles->count();
    for (int i = 0; i < nCount; ++i) {
        const QString sFile = mpDoc ? Q(mpDoc->FileName()) : lstFiles->item(i)->text();
        try {
            LoadCounts c;
            if (mpDoc) {
                c = loader->Load(*mpDoc, mpDoc->FileName(), fnProgress);
            } else {
                EdiDocument doc;
                std::string sError;
                if (!gfReadDocument(doc, sFile.toStdString(), "auto", sError)) {
                    Log(sFile, QStringLiteral("not posted: ") + QtUi::ToDisplay(sError));
                    continue;
                }
                c = loader->Load(doc, sFile.toStdString(), fnProgress);
            }
            Log(sFile, Written(c));
            nRows += c.Rows();
            ++nPosted;
        } catch (const DatabaseError& e) {
            Log(sFile, QStringLiteral("not posted: ") + QtUi::ToDisplay(e.what()));
        }
        prgPost->setValue(prgPost->maximum());
    }
    lstLog->addItem(QStringLiteral("%1 of %2 documents posted, %3 rows written.").arg(nPosted).arg(nCount).arg(nRows));
    lstLog->scrollToBottom();
}

void DatabasePostDialog::reject()
{
    if (!mbPosting)
        QDialog::reject();
}

}  // namespace orr
