#pragma once
// The child window that holds one EDI document: the document tree on the
// left, the schema tree of its definition on the right. A view over an
// EdiDocument: the tree views mirror the document's current node, and the
// window's commands call the document and its engines.
#include <QSplitter>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "doctree/DocumentRecovery.h"
#include "doctree/EdiDocument.h"
#include "editing/DocumentEditor.h"
#include "shell/DocTreeView.h"
#include "shell/DocumentTreePane.h"
#include "shell/DocumentWindow.h"

namespace orr {

class FindBar;
class FindingsDock;
class LabelEditDelegate;
class SegmentDetailPanel;
class TreeModel;

class frmDocument : public DocumentWindow, private DocumentListener {
    Q_OBJECT
public:
    static constexpr std::uint32_t kGreen = DocumentTreePane::kGreen;
    static constexpr std::uint32_t kYellow = DocumentTreePane::kYellow;

    explicit frmDocument(const QString& sKey, QWidget* parent = nullptr);
    ~frmDocument() override;

    void SetFrame(FrameServices* frame) override;
    bool EdiFileOpen(const DocumentOpenArgs& args) override;
    bool CanRun(DocCommand command) const override;
    void Run(DocCommand command) override;
    bool IsModified() const override { return mDoc.Modified(); }
    void RepaintForm() override;

    // Saves to the document's file, asking for a name when it has none.
    // File > Export as JSON / XML: the tree into a file the user names.
    void ExportTree(bool bJson);
    bool EdiFileSave();
    // Saves under a name chosen in the save dialog.
    void EdiFileSaveAs();
    // Every open document, as the frame's Save All.
    void EdiFileSaveAll();
    // "&Open File (Same Template)": another file with this definition.
    void EditNewFile();
    void SwitchTreeView();
    void ExpandAll(bool bExpanded);
    // Makes a document node the current node (as a click on it does).
    void NodeClick(NodeId node);
    // Opens the label editor on the current node when its value may be
    // edited; otherwise, with bSayWhy, tells the user it may not.
    void StartLabelEdit(bool bSayWhy);

    EdiDocument& Document() { return mDoc; }
    const QString& Key() const { return msKey; }
    const std::string& FileName() const { return mDoc.FileName(); }
    const std::string& Schema() const { return mDoc.Type(); }
    bool ReadOnly() const { return mDoc.ReadOnly(); }
    // Edited with the free-form rules: decided by the type the window was
    // opened with, kept when a failed read falls back to the free-form type.
    NodeId ActiveD() const { return mDoc.Current(); }
    NodeId ActiveS() const { return mPane->ActiveS(); }
    NodeId ActiveSE() const { return mPane->ActiveSE(); }
    clsTree& DocTree() { return mDoc.Tree(); }
    clsTree& SchemaTree() { return mDoc.SchemaTree(); }
    TreeNode RootD() { return mDoc.Root(); }

    DocTreeView* tvc;
    DocTreeView* tvS;
    QSplitter* picSplitter;
    QAction* mnuFileClose;
    QAction* mnuFileSave;
    QAction* mnuFileSaveAs;
    QAction* mnuFileSaveAll;
    QAction* mnuFilePrint;
    QAction* mnuFileExit;
    QMenu* mnuEdit;
    QAction* mnuEditShowNull;
    QAction* mnuEditNewChild;
    QMenu* mnuEditDuplicate;
    QAction* mnuEditNewSiblingAfter;
    QAction* mnuEditNewSiblingBefore;
    QMenu* mnuEditMove;
    QAction* mnuEditMoveDown;
    QAction* mnuEditMoveUp;
    QAction* mnuEditDelete;
    QAction* mnuEditCut;
    QAction* mnuEditCopy;
    QAction* mnuEditPaste;
    QAction* mnuEditClearCut;
    QAction* mnuEditData;
    QAction* mnuEditEditSource;
    QAction* mnuEditNewFile;
    QAction* mnuEditUndo;
    QAction* mnuEditRedo;
    QAction* mnuViewSwitch;
    QAction* mnuViewExpandTree;
    QAction* mnuViewCollpaseTree;
    QAction* mnuToolValidate;
    QAction* mnuToolClearMapping;
    QAction* mnuToolConvertEDI;
    QAction* mnuToolExportText;
    QAction* mnuViewToolbar;
    QAction* mnuViewStatusBar;

protected:
    // Asks about unsaved changes; Cancel (or a failed save kept) keeps the window.
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // The document tree's keys and clicks that the view does not handle as wanted.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The menus are built from the command table.
    friend class DocumentMenus;

    // The permission set of the current node (nothing before a document is open).
    EditPermissions Permissions() const;
    bool WorkOutCanRun(DocCommand command, const EditPermissions& permissions) const;
    // The edit commands' part of CanRun and Run; nullopt: not an edit command.
    std::optional<bool> CanRunEdit(DocCommand command, const EditPermissions& permissions) const;
    bool RunEdit(DocCommand command);
    void TreeContextMenu(const QPoint& pos);
    void TreeDoubleClick(const QModelIndex& index);
    void SetLabelText(NodeId node, const std::string& sText);
    // The unsaved-changes question before the document goes; true when it may.
    bool MayDiscard(const char* sNotSavedQuestion);
    bool WriteToFile(const std::string& sFile);
    // The document as EDI text in the working file, shown in the print
    // preview; without the print buttons it is the source view.
    void ShowWorkFile(bool bPrintButtons);
    void CreateAck();
    void ShowOpened();
    void UpdateTitle();
    void Trace(const std::string& sTag);

    // DocumentListener
    void CurrentChanged(NodeId node) override;
    void StateChanged() override;
    void Rebuilt() override;
    void ReadBack() override;

    QString msKey;
    EdiDocument mDoc;
    std::unique_ptr<DocumentRecovery> mRecovery;  // with the frame's recovery service
    DocumentTreePane* mPane;
    TreeModel* mDocModel;
    TreeModel* mSchemaModel;
    FindingsDock* mFindings;
    LabelEditDelegate* mLabels;
    std::unique_ptr<DocumentEditor> mEditor;  // made when the document's type is known
    SegmentDetailPanel* mDetail;
    FindBar* mFindBar;
    // What CanRun answers, worked out once after each change (none: not yet).
    mutable std::optional<std::array<bool, kDocCommandCount>> mStates;
    bool mbDocksSized = false;
};

}  // namespace orr
