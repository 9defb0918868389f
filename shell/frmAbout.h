#pragma once
#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace orr {

// The about box: program name, version and what it is for.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* lblVersion;
    QPushButton* cmdOK;
};

}  // namespace orr
