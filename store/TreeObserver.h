#pragma once
// What a clsTree tells the outside about its changes, Qt-free. The GUI model
// maps the pairs onto beginInsertRows/endInsertRows and so on. The "about
// to" half is always called before the store changes, the other half after.
#include <cstdint>

#include "store/TreeIds.h"

namespace orr {

// Bits of TreeObserver::Changed.
enum NodeChange : unsigned {
    kChangeText = 1u << 0,
    kChangeTag = 1u << 1,
    kChangeImage = 1u << 2,  // image or expanded image
    kChangeExpanded = 1u << 3,
    kChangeBackColor = 1u << 4,
    kChangeKey = 1u << 5,
};

class TreeObserver {
public:
    virtual ~TreeObserver() = default;

    // Rows nFirst..nLast (inclusive) of parent; a null parent is the top level.
    virtual void AboutToInsert(NodeId parent, std::uint32_t nFirst, std::uint32_t nLast) {}
    virtual void Inserted(NodeId parent, std::uint32_t nFirst, std::uint32_t nLast) {}
    virtual void AboutToRemove(NodeId parent, std::uint32_t nFirst, std::uint32_t nLast) {}
    virtual void Removed(NodeId parent, std::uint32_t nFirst, std::uint32_t nLast) {}
    // Row nRow of from moves to to, where it will stand before the row that
    // is nDestRow now (as in QAbstractItemModel::beginMoveRows).
    virtual void AboutToMove(NodeId from, std::uint32_t nRow, NodeId to, std::uint32_t nDestRow) {}
    virtual void Moved(NodeId from, std::uint32_t nRow, NodeId to, std::uint32_t nDestRow) {}
    // Everything changes at once: RemoveAll, SwapContents, and the end of a bulk update.
    virtual void AboutToReset() {}
    virtual void Reset() {}
    // nWhat: NodeChange bits.
    virtual void Changed(NodeId node, unsigned nWhat) {}

    // Requests to the view; no structure changes.
    virtual void ScrollRequested(NodeId node) {}
    virtual void RepaintRequested() {}
};

}  // namespace orr
