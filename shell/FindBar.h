#pragma once
// The find bar of a document window: finds segments by their text, plain
// or as a regular expression, with or without regard to case. Ctrl+F
// shows it, Return or F3 goes to the next match (round from the end to the
// top), which becomes the document's current node with the path to it
// expanded. Escape hides it.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>

#include "doctree/EdiDocument.h"

namespace orr {

class FindBar : public QToolBar {
    Q_OBJECT
public:
    explicit FindBar(EdiDocument& doc, QWidget* parent = nullptr);

    // Shows the bar with the text selected for typing.
    void Start();
    // Goes to the next match; false when there is none (or the text is not
    // a valid expression), which the bar then says.
    bool FindNext();

    QAction* actFind;      // Ctrl+F
    QAction* actFindNext;  // F3
    QLineEdit* txtFind;
    QCheckBox* chkRegex;
    QCheckBox* chkMatchCase;
    QLabel* lblResult;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    EdiDocument& mDoc;
};

}  // namespace orr
