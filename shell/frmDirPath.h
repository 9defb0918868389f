#pragma once
#include <QComboBox>
#include <QDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <string>

namespace orr {

// "Select Directory Path": the user picks or types a directory, starting at
// sStart. Chosen() is the answer, empty when no directory was chosen.
class frmDirPath : public QDialog {
    Q_OBJECT
public:
    explicit frmDirPath(const std::string& sStart = {}, QWidget* parent = nullptr);
    const std::string& Chosen() const { return msChosen; }

    void CmdOkClick();
    void CmdCancelClick();
    void reject() override;

    QLineEdit* txtDirPath;
    QComboBox* ctlDrive;  // the file system roots
    QTreeView* ctlDir;    // directories only
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void DriveChange(int nIndex);
    std::string msChosen;
    void DirChange(const QModelIndex& index);
    // Opens the folders down to the start folder and selects it.
    void ShowStart();

    QFileSystemModel* mDirs;
    QString msStart;  // until the user picks another folder
};

}  // namespace orr
