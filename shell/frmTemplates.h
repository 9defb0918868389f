#pragma once
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <array>
#include <string>

namespace orr {

// The list of up to eight template files: further definition containers
// whose definitions join those of the program's own container. The slots
// are saved as "TP1" to "TP8" only by OK, which then reloads the definitions.
class frmTemplates : public QDialog {
    Q_OBJECT
public:
    static constexpr int kSlots = 8;

    explicit frmTemplates(QWidget* parent = nullptr);

    void CmdAddClick();
    void CmdRemoveClick();
    void CmdInofClick();  // toggles the read-only overview of every definition
    void CmdOkClick();

    const std::array<std::string, kSlots>& Slots() const { return mSlots; }

    QListWidget* lstTemplates;
    QPushButton* cmdAdd;
    QPushButton* cmdRemove;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QPushButton* cmdInof;

private:
    void FillList();

    std::string mApp;
    std::string mSection;
    std::array<std::string, kSlots> mSlots;
};

}  // namespace orr
