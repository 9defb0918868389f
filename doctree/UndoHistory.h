#pragma once
// The undo and redo stacks of one document, with the place where it was
// last saved, so that undoing back to that place makes it unmodified again.
#include <cstddef>
#include <optional>
#include <vector>

#include "doctree/TreeEdit.h"

namespace orr {

class UndoHistory {
public:
    // Records an edit already made; what could be redone is gone.
    void Push(TreeEdit edit);
    bool CanUndo() const { return !mDone.empty(); }
    bool CanRedo() const { return !mUndone.empty(); }
    // The edit undone or redone (null when there was none).
    const TreeEdit* Undo();
    const TreeEdit* Redo();
    // The document as it stands now is what the file holds.
    void MarkSaved() { mSavedAt = mDone.size(); }
    // True when undo and redo have brought the document back to the saved
    // state: only view-only edits lie between it and here.
    bool AtSaved() const;
    // Forgets everything (the tree was rebuilt: the ids are new); bAtSaved:
    // the document as it stands is what the file holds.
    void Clear(bool bAtSaved);
    std::size_t UndoCount() const { return mDone.size(); }

private:
    // Empties a stack; edits beyond a tree exchange (from its top) are
    // forgotten: their nodes are in the tree the exchange holds.
    static void Drop(std::vector<TreeEdit>& edits);

    std::vector<TreeEdit> mDone, mUndone;
    std::optional<std::size_t> mSavedAt = std::size_t(0);  // none: the saved state cannot come back
};

}  // namespace orr
