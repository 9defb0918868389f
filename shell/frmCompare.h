#pragma once
// Tools > Compare Documents...: two documents side by side, each read the
// way the command line reads it, their differences listed and marked in
// both trees (changed yellow, added green, removed red), with Next and
// Previous Difference.
#include <QDialog>
#include <vector>

#include "doctree/DocumentDiff.h"
#include "doctree/EdiDocument.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeView;

namespace orr {

class TreeModel;

class frmCompare : public QDialog {
    Q_OBJECT
public:
    static constexpr std::uint32_t kChanged = 0xFFF59D, kAdded = 0xC8E6C9, kRemoved = 0xFFCDD2;

    explicit frmCompare(QWidget* parent = nullptr);
    ~frmCompare() override;

    // Reads both files and lists their differences; false when one cannot be read.
    bool Compare(const QString& sFileA, const QString& sFileB);
    const std::vector<DiffEntry>& Differences() const { return mDiffs; }
    // Selects the next (bForward) or previous difference, round past the end.
    void Step(bool bForward);

    QLineEdit* txtFileA;
    QLineEdit* txtFileB;
    QCheckBox* chkIgnoreEnvelope;
    QPushButton* cmdCompare;
    QTreeView* tvA;
    QTreeView* tvB;
    QListWidget* lstDiffs;
    QPushButton* cmdPrevious;
    QPushButton* cmdNext;
    QLabel* lblCount;

private:
    void ShowDifference(int nRow);
    void UpdateButtons();

    EdiDocument mDocA, mDocB;
    TreeModel* mModelA;
    TreeModel* mModelB;
    std::vector<DiffEntry> mDiffs;
};

}  // namespace orr
