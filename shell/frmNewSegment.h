#pragma once
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace orr {

// The chooser of the editing engines: "Select a New Segment or Loop" (the
// loop or segment to add to a container) and "Select Parent HL". "&Select"
// gives the selected line (-1 with none selected), Cancel gives -1.
class frmNewSegment : public QDialog {
    Q_OBJECT
public:
    frmNewSegment(const QString& sTitle, const QString& sPrompt, const QStringList& lines, int nSelected,
                  QWidget* parent = nullptr);

    // The line chosen: -1 until "&Select" is pressed, and after Cancel.
    int ChosenIndex() const { return mnChosenIndex; }
    // Runs the dialog modally and gives the chosen line.
    static int Choose(const QString& sTitle, const QString& sPrompt, const QStringList& lines, int nSelected,
                      QWidget* parent);

    QLabel* lblTitle;
    QListWidget* lstLoops;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

private:
    void CmdOkClick();

    int mnChosenIndex = -1;
};

}  // namespace orr
