#pragma once
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

namespace orr {

// Shows the EDI server's address and port from the configuration and this
// machine's host name, address and port. Nothing in it is stored.
class frmConnSetup : public QDialog {
    Q_OBJECT
public:
    explicit frmConnSetup(QWidget* parent = nullptr);

    QLineEdit* txtIpAddress;
    QLineEdit* txtPort;
    QLineEdit* txtLocalHostName;
    QLineEdit* txtLocalIpAddress;
    QLineEdit* txtLocalPort;
    QPushButton* OKButton;
    QPushButton* CancelButton;
};

}  // namespace orr
