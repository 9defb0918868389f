#pragma once
// "Hierarchical Level Structure": the HL structure editor's window. The
// tree of HLs by their ids, re-parented by dragging a node onto another;
// Save writes the ids into the document, Cancel leaves it alone.
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>

#include "editing/HLStructureEditor.h"

namespace orr {

class HLTreeModel;

class frmHL : public QDialog {
    Q_OBJECT
public:
    // Opens the editor on the document (its messages come now).
    explicit frmHL(EdiDocument& doc, QWidget* parent = nullptr);

    HLStructureEditor& Editor() { return mHL; }
    HLTreeModel* Model() const { return mModel; }

    // After the dialog: a Save wrote the document (it is changed then).
    bool Written() const { return mbWritten; }

    void CmdSaveClick();
    void CmdCancelClick();
    void reject() override;

    QTreeView* tv;
    QLabel* lblTag;
    QPushButton* cmdSave;
    QPushButton* cmdCancel;

private:
    void Dropped(NodeId drag, NodeId target);
    void FollowExpansion();
    void ShowTag(NodeId node);

    HLStructureEditor mHL;
    HLTreeModel* mModel;
    bool mbWritten = false;
};

}  // namespace orr
