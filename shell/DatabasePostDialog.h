#pragma once
// "Database Server Connection": posts EDI documents into a database (the
// tables of docs/database.md). The database is an SQLite file or a
// PostgreSQL server named by a connection string; the choice is kept in the
// settings ([Database]). From a document window it posts that document as
// it is shown; from the frame, the files added to its list, each read with
// the definition its transaction sets call for.
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <optional>
#include <string>

namespace orr {

class EdiDocument;
struct LoadCounts;

class DatabasePostDialog : public QDialog {
    Q_OBJECT
public:
    // With a document: posts it; without: posts the files of the list.
    explicit DatabasePostDialog(EdiDocument* pDoc, QWidget* parent = nullptr);

    // The open-file dialog; a chosen file joins the list.
    void CmdAddFileClick();
    void CmdRemoveFileClick();
    // The save dialog for the SQLite file.
    void CmdSqliteFileClick();
    // Keeps the choice in the settings, opens the database and writes every
    // document, one transaction each; the log says what each wrote.
    void CmdPostClick();
    // Adds a file to the list, once.
    void AddFile(const QString& sFile);

    QRadioButton* optSqlite;
    QLineEdit* txtSqliteFile;
    QPushButton* cmdSqliteFile;
    QRadioButton* optPostgres;
    QLineEdit* txtConnection;
    QListWidget* lstFiles;
    QPushButton* cmdAddFile;
    QPushButton* cmdRemoveFile;
    QProgressBar* prgPost;
    QListWidget* lstLog;
    QPushButton* cmdPost;
    QPushButton* cmdClose;

public slots:
    void reject() override;

private:
    void LoadSettings();
    void SaveSettings();
    void UpdateButtons();
    // The password of a PostgreSQL connection, asked once per run.
    std::optional<std::string> Logon(const std::string& sTarget);
    // A log line about one document.
    void Log(const QString& sFile, const QString& sText);
    // "1 interchange, 2 groups, ..., 312 rows written".
    static QString Written(const LoadCounts& counts);
    void Progress(std::size_t nDone, std::size_t nTotal);

    EdiDocument* mpDoc;
    bool mbPosting = false;
};

}  // namespace orr
