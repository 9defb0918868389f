#pragma once
#include <QLabel>
#include <QTimer>
#include <QWidget>

namespace orr {

// Shown while the program starts; closes itself three seconds after start-up.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);
    ~frmSplash() override;

    // Shows the window in front again and arms its closing timer.
    void StartCloseTimer();

    QLabel* lblVersion;
    QTimer* tmr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace orr
