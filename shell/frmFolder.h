#pragma once
// Tools > Check Folder... and Tools > Find in Folder...: every file of a
// folder checked with the element check, or searched for a text, in worker
// processes, one table row per file (check) or per segment found (find);
// a double click opens the file.
#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace orr {

class frmFolder : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Check, Find };

    frmFolder(Mode mode, QWidget* parent = nullptr);

    // Runs over the folder's files (and its subfolders' with the box ticked);
    // false when stopped or the query is not one.
    bool Run();
    // Opens a row's file in a document window (the double click).
    void OpenRow(int nRow);

    QLineEdit* txtFolder;
    QCheckBox* chkRecursive;
    QLineEdit* txtText;  // find only
    QCheckBox* chkRegex;
    QLineEdit* txtSegment;
    QLineEdit* txtElement;
    QPushButton* cmdRun;
    QPushButton* cmdStop;
    QTableWidget* tblResults;
    QLabel* lblStatus;

private:
    void AddRow(const QStringList& cells);

    Mode mMode;
    bool mbStop = false;
};

}  // namespace orr
