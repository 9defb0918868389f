#pragma once
#include <QMainWindow>
#include <QMdiArea>

namespace orr {

// The multiple-document frame window.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    QMdiArea* MdiArea() const { return mMdi; }

private:
    QMdiArea* mMdi;
};

}  // namespace orr
