#pragma once
#include <QComboBox>
#include <QDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

namespace orr {

// "Select Directory Path": the user picks or types a directory. The caller
// puts the starting directory into the configuration's sReturn1 and reads
// the answer from it afterwards; empty means no directory was chosen.
class frmDirPath : public QDialog {
    Q_OBJECT
public:
    explicit frmDirPath(QWidget* parent = nullptr);

    void CmdOkClick();
    void CmdCancelClick();
    void reject() override;

    QLineEdit* txtDirPath;
    QComboBox* ctlDrive;  // the file system roots
    QTreeView* ctlDir;    // directories only
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

private:
    void DriveChange(int nIndex);
    void DirChange(const QModelIndex& index);

    QFileSystemModel* mDirs;
};

}  // namespace orr
