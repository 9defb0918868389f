#include "shell/frmAddressBook.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace orr {

frmAddressBook::frmAddressBook(const std::vector<std::string>& addresses, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAddressBook"));
    setWindowTitle(QStringLiteral("Address Book"));
    lstAddresses = new QListWidget(this);
    lstAddresses->setObjectName(QStringLiteral("lstAddresses"));
    lstAddresses->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const std::string& sAddress : addresses)
        lstAddresses->addItem(QString::fromStdString(sAddress));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->setEnabled(false);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Addresses you have mailed to before:"), this));
    layout->addWidget(lstAddresses);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);
    resize(360, 280);

    connect(lstAddresses, &QListWidget::itemSelectionChanged, this,
            [this] { cmdOK->setEnabled(!lstAddresses->selectedItems().isEmpty()); });
    connect(lstAddresses, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::vector<std::string> frmAddressBook::Chosen() const
{
    std::vector<std::string> chosen;
    for (int i = 0; i < lstAddresses->count(); ++i)
        if (lstAddresses->item(i)->isSelected())
            chosen.push_back(lstAddresses->item(i)->text().toStdString());
    return chosen;
}

}  // namespace orr
