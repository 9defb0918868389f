#pragma once
#include <QTextBrowser>
#include <QWidget>

namespace orr {

// The program's manual, shown as HTML with its own links.
class frmHelp : public QWidget {
    Q_OBJECT
public:
    explicit frmHelp(const QString& sIndexFile, QWidget* parent = nullptr);
    ~frmHelp() override;

    QTextBrowser* txtHelp;
};

}  // namespace orr
