#pragma once
// The frame's status bar: a text panel and the date, time and key-lock
// panels, kept current once a second and from the keys typed.
#include <QObject>

class QKeyEvent;
class QLabel;
class QMainWindow;
class QStatusBar;
class QTimer;

namespace orr {

class FrameStatusBar : public QObject {
    Q_OBJECT
public:
    // Fills frame's status bar with its panels and starts the clock.
    explicit FrameStatusBar(QMainWindow& frame);

    // Qt tells no lock states, so they are followed from the keys typed.
    void KeyTyped(const QKeyEvent& key);

    QStatusBar* sbStatusBar;
    QLabel* sbText;
    QLabel* sbDate;
    QLabel* sbTime;
    QLabel* sbIns;
    QLabel* sbCaps;
    QLabel* sbNum;

signals:
    // Once a second, after the clock panels were set.
    void ticked();

private:
    void UpdateClock();
    void UpdateKeyPanels();

    QTimer* mClock;
    bool mbIns = true, mbCaps = false, mbNum = false;
};

}  // namespace orr
