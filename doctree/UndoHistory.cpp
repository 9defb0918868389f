#include "doctree/UndoHistory.h"

namespace orr {

void UndoHistory::Push(TreeEdit edit)
{
    if (mSavedAt && *mSavedAt > mDone.size())
        mSavedAt.reset();  // the saved state was undone and is now replaced
    Drop(mUndone);
    mDone.push_back(std::move(edit));
}

bool UndoHistory::AtSaved() const
{
    if (!mSavedAt)
        return false;
    const std::size_t nHere = mDone.size(), nSaved = *mSavedAt;
    for (std::size_t i = nSaved; i < nHere; ++i)
        if (!mDone[i].ViewOnly())
            return false;
    // Past here the edits are on the redo stack, the next one last.
    for (std::size_t i = nHere; i < nSaved; ++i)
        if (!mUndone[mUndone.size() - 1 - (i - nHere)].ViewOnly())
            return false;
    return true;
}

const TreeEdit* UndoHistory::Undo()
{
    if (mDone.empty())
        return nullptr;
    mUndone.push_back(std::move(mDone.back()));
    mDone.pop_back();
    mUndone.back().Undo();
    return &mUndone.back();
}

const TreeEdit* UndoHistory::Redo()
{
    if (mUndone.empty())
        return nullptr;
    mDone.push_back(std::move(mUndone.back()));
    mUndone.pop_back();
    mDone.back().Redo();
    return &mDone.back();
}

void UndoHistory::Clear(bool bAtSaved)
{
    // Undone edits first: they hold subtrees that are out of the tree.
    Drop(mUndone);
    Drop(mDone);
    mSavedAt = bAtSaved ? std::optional<std::size_t>(0) : std::nullopt;
}

void UndoHistory::Drop(std::vector<TreeEdit>& edits)
{
    bool bAside = false;
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        if (bAside)
            it->Forget();
        bAside = bAside || it->SwapsTree();
    }
    edits.clear();
}

}  // namespace orr
