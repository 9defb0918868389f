#pragma once
// The HL structure editor's tree as a model the user drags nodes in: any
// node may be dragged onto any node, and the editor decides what a drop
// does (a refusal is its message, not a forbidden cursor). The drag is a
// copy as far as the view knows, so the view neither refuses drops on the
// node itself nor removes the dragged rows; the editor moves the node.
#include "shell/TreeModel.h"

namespace orr {

class HLTreeModel final : public TreeModel {
    Q_OBJECT
public:
    using TreeModel::TreeModel;

    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    // Announces the drop (nodeDropped) and leaves the tree to the editor.
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

signals:
    // Node values of the node dragged and the node it was dropped on.
    void nodeDropped(quint32 nDrag, quint32 nTarget);
};

}  // namespace orr
