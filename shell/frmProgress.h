#pragma once
#include <QLabel>
#include <QWidget>

namespace orr {

// The small window that tells which phase a long operation is in.
class frmProgress : public QWidget {
    Q_OBJECT
public:
    explicit frmProgress(QWidget* parent = nullptr);
    ~frmProgress() override;

    void SetStatus(const QString& sText);
    QString Status() const { return mTxtStatus->text(); }

private:
    QLabel* mTxtStatus;
};

}  // namespace orr
