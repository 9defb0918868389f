#pragma once
// The child window that holds one EDI document: the document tree on the
// left, the schema tree of its definition on the right.
#include <QMainWindow>
#include <QSplitter>
#include <QTreeView>
#include <string>

#include "doctree/clsEdiFileOpen.h"
#include "schema/clsTree.h"
#include "shell/frmMain.h"

namespace orr {

class TreeModel;

class frmDocument : public QMainWindow {
    Q_OBJECT
public:
    static constexpr std::uint32_t kGreen = 0x00FF00;
    static constexpr std::uint32_t kYellow = 0xFFFF00;

    explicit frmDocument(const QString& sKey, QWidget* parent = nullptr);
    ~frmDocument() override;

    // Reads a file (or makes a new document) into the window; false: discard it.
    bool EdiFileOpen(const DocumentOpenArgs& args);
    // "&Open File (Same Template)": another file with this definition.
    void EditNewFile();
    void RepaintForm();
    void SwitchTreeView();
    void ExpandAll(bool bExpanded);

    void SetFileName(const std::string& sName);
    void SetChanged(bool bChanged);
    void ClearHighlights();
    // Activates a document node: highlights it and its schema node.
    void NodeClick(NodeId node);

    const QString& Key() const { return msKey; }
    const std::string& FileName() const { return msFileName; }
    const std::string& Schema() const { return mDoc.sSchema; }
    bool Changed() const { return mbChanged; }
    bool ReadOnly() const { return mDoc.bReadOnly; }
    bool FreeForm() const { return mbFreeForm; }
    SepCode Delimiter() const { return mDoc.nDelimiter; }
    SepCode Selimiter() const { return mDoc.nSelimiter; }
    NodeId ActiveD() const { return mndActiveD; }
    NodeId ActiveS() const { return mndActiveS; }
    NodeId ActiveSE() const { return mndActiveSE; }
    clsTree& DocTree() { return mDocTree; }
    clsTree& SchemaTree() { return mSchemaTree; }
    TreeNode RootD() const { return mDoc.ndRootD; }

    QTreeView* tvc;
    QTreeView* tvS;
    QSplitter* picSplitter;
    QAction* mnuEditNewFile;
    QAction* mnuViewSwitch;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenus();
    void AttachView(QTreeView* view, TreeModel* model);
    void SyncExpansion(QTreeView* view, TreeModel* model, NodeId node);
    void ShowOpened();
    void SetBack(NodeId node, std::uint32_t nRgb, clsTree& tree);
    void Trace(const std::string& sTag);

    QString msKey;
    std::string msFileName;
    clsTree mDocTree;
    clsTree mSchemaTree;
    TreeModel* mDocModel;
    TreeModel* mSchemaModel;
    clsEdiFileOpen::Document mDoc;
    bool mbChanged = false;
    bool mbFreeForm = false;
    NodeId mndActiveD, mndActiveS, mndActiveSE;
};

}  // namespace orr
