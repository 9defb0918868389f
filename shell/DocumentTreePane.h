#pragma once
// The two trees of a document window side by side: the document's and its
// definition's, each a view over a tree of the store. The pane keeps the
// views' expansion in step with the store's flags, lights the current node
// and its schema node, and keeps the document view's current row on the
// document's current node. The window around it keeps the commands.
#include <QSplitter>
#include <cstdint>

#include "doctree/EdiDocument.h"
#include "shell/DocTreeView.h"

namespace orr {

class TreeModel;

class DocumentTreePane : public QSplitter {
    Q_OBJECT
public:
    static constexpr std::uint32_t kGreen = 0x00FF00;
    static constexpr std::uint32_t kYellow = 0xFFFF00;

    explicit DocumentTreePane(EdiDocument& doc, QWidget* parent = nullptr);

    DocTreeView* DocView() const { return tvc; }
    DocTreeView* SchemaView() const { return tvS; }
    TreeModel* DocModel() const { return mDocModel; }
    TreeModel* SchemaModel() const { return mSchemaModel; }
    // The lit schema node and schema element of the current node.
    NodeId ActiveS() const { return mndActiveS; }
    NodeId ActiveSE() const { return mndActiveSE; }

    // The document's current node: the view's current row and the lights.
    void ShowCurrent(NodeId node);
    // Lights node (nothing for none) and its schema node and element.
    void Highlight(NodeId node);
    void ClearHighlights();
    // The lit ids belonged to a tree that went.
    void ForgetHighlights();
    // The view's current row back on node, without echo.
    void SyncCurrentRow(NodeId node);
    // The levels the settings open, laid out once.
    void OpenLevels();
    void ExpandAll(bool bExpanded);
    void SwitchSchemaView();
    // Both views on their current rows once the window has laid them out.
    void ScrollToCurrentLater();

signals:
    // The user made a row of the document view current (mouse or keys).
    void rowChosen(NodeId node);

private:
    void AttachView(DocTreeView* view, TreeModel* model);
    void SyncExpansion(DocTreeView* view, TreeModel* model, NodeId node);
    void ShowOpenChildren(DocTreeView* view, TreeModel* model, NodeId node);
    void ForgetOpenChildren(DocTreeView* view, TreeModel* model, NodeId node);
    void ExpandShown(DocTreeView* view, TreeModel* model);
    // Rows put back (an undo, a paste) show expanded as they were.
    void ShowInsertedExpanded(const QModelIndex& parent, int nFirst, int nLast);
    void SetBack(NodeId node, std::uint32_t nRgb, clsTree& tree);

    EdiDocument& mDoc;
    DocTreeView* tvc;
    DocTreeView* tvS;
    TreeModel* mDocModel;
    TreeModel* mSchemaModel;
    // The lit nodes: the current node and its segment (document), and its
    // schema node and schema element.
    NodeId mndLitD, mndLitParent, mndActiveS, mndActiveSE;
    bool mbSyncing = false;  // the view follows the document: no echo back
    bool mbViewExpansion = false;  // expansion set in the view alone: the store keeps its own
    bool mbExpandingShown = false;
};

}  // namespace orr
