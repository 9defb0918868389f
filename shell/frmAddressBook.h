#pragma once
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <string>
#include <vector>

namespace orr {

// "Address Book": the addresses mailed to before, to pick one or several.
class frmAddressBook : public QDialog {
    Q_OBJECT
public:
    explicit frmAddressBook(const std::vector<std::string>& addresses, QWidget* parent = nullptr);

    // The selected addresses, in list order.
    std::vector<std::string> Chosen() const;

    QListWidget* lstAddresses;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};

}  // namespace orr
