#pragma once
// A Qt item model over one clsTree: rows, parents and data come straight from
// the store (O(1) each), texts and icons are made when the view paints, and
// the store's change notifications become the model's signals. A document of
// millions of nodes costs no Qt object per node.
//
// An index names its parent node and its row, not its own node, so that the
// view can lay out the rows of a segment whose elements are not made yet:
// they are made when a row is painted or asked for by node.
#include <QAbstractItemModel>
#include <QIcon>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "store/clsTree.h"

namespace orr {

class TreeModel : public QAbstractItemModel, private TreeObserver {
    Q_OBJECT
public:
    enum Role { TagRole = Qt::UserRole + 1, NodeIdRole };

    explicit TreeModel(clsTree& tree, QObject* parent = nullptr);
    ~TreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override { return 1; }
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Label editing: with a handler every row may be edited (the owner
    // decides when an editor opens), and a finished text goes to the
    // handler, which changes the tree or refuses.
    using TextHandler = std::function<void(NodeId node, const std::string& sText)>;
    void SetTextHandler(TextHandler fnText) { mfnText = std::move(fnText); }
    // True between the store's announcement of an insertion, removal or
    // move and its end: what the views do meanwhile is not the user's doing.
    bool Changing() const { return mbChanging; }

    // Tells the views everything changed: they drop their expanded rows at
    // once (cheaper than collapsing row by row) and read the tree afresh.
    void Refresh()
    {
        beginResetModel();
        endResetModel();
    }

    NodeId NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(NodeId node) const;
    clsTree& Tree() const { return mTree; }

    // Nodes with findings, drawn in dark red with a red dot on their icon
    // (apart from the green and yellow of the current node): each segment
    // given with an element position (0: the segment alone), its element at
    // that position, and the loops around it. Replaces the earlier marks.
    void SetMarks(const std::vector<std::pair<NodeId, std::uint16_t>>& marks);
    bool Marked(NodeId node) const;

signals:
    // The store's expanded flag of a node changed: the view follows it.
    void expandRequested(const QModelIndex& index, bool bExpanded);
    void scrollRequested(const QModelIndex& index);

private:
    void AboutToInsert(NodeId parent, std::uint32_t nFirst, std::uint32_t nLast) override;
    void Inserted(NodeId, std::uint32_t, std::uint32_t) override { EndChange(&TreeModel::endInsertRows); }
    void AboutToRemove(NodeId parent, std::uint32_t nFirst, std::uint32_t nLast) override;
    void Removed(NodeId, std::uint32_t, std::uint32_t) override { EndChange(&TreeModel::endRemoveRows); }
    void AboutToMove(NodeId from, std::uint32_t nRow, NodeId to, std::uint32_t nDestRow) override;
    void Moved(NodeId, std::uint32_t, NodeId, std::uint32_t) override { EndChange(&TreeModel::endMoveRows); }
    void EndChange(void (TreeModel::*fnEnd)());
    void AboutToReset() override
    {
        beginResetModel();
        mbResetting = true;
    }
    void Reset() override;
    void Changed(NodeId node, unsigned nWhat) override;
    void ScrollRequested(NodeId node) override { emit scrollRequested(IndexOf(node)); }

    const QIcon& IconOf(ImageId image) const;
    const QIcon& MarkedIconOf(ImageId image) const;
    void RepaintMarks();
    // An index carries its parent node scrambled (an odd multiplier, undone
    // by its inverse): Qt hashes persistent indexes by row plus internal id,
    // and plain node numbers, dense beside small rows, crowded its hash so
    // that removing a subtree with thousands of expanded rows took minutes.
    static constexpr std::uint64_t kScramble = 0x9E3779B97F4A7C15u, kUnscramble = 0xF1DE83E19937733Du;
    static quintptr IdOf(NodeId parent) { return static_cast<quintptr>(parent.value * kScramble); }
    static NodeId ParentOf(const QModelIndex& index)
    {
        return NodeId(static_cast<std::uint32_t>(static_cast<std::uint64_t>(index.internalId()) * kUnscramble));
    }
    // No index is made for a node below a segment whose elements are pending.
    bool LeafOfPending(const QModelIndex& index) const { return mTree.ChildrenPending(ParentOf(index)); }

    clsTree& mTree;
    TextHandler mfnText;
    bool mbChanging = false;
    // Between the store's AboutToReset and Reset (a rebuild in place, which may
    // let the views paint): the views see no rows.
    bool mbResetting = false;
    // Icons by the store's image id, filled as ids first appear.
    mutable std::vector<QIcon> mIcons;
    mutable std::vector<bool> mIconKnown;
    mutable std::vector<QIcon> mMarkedIcons;  // the same with the finding mark, made as needed
    std::unordered_set<std::uint32_t> mMarked;  // node values: segments and the loops around them
    std::unordered_map<std::uint32_t, std::vector<std::uint16_t>> mMarkedElements;  // by segment
};

}  // namespace orr
