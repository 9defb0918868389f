#pragma once
// The tree view of a document window. Qt lays out an expanding node's open
// children one by one, each an insertion into the middle of its row vector
// that moves every row below: with thousands of open children that takes
// seconds. Rows whose expansion is set while a full relayout is pending
// cost one pass over the rows instead.
#include <QTreeView>

namespace orr {

class DocTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit DocTreeView(QWidget* parent = nullptr);

    // Expansions set from now until control returns to the event loop are
    // only recorded; the rows are laid out once, afterwards.
    void RelayoutLater();
    // Whether opening index with nOpenChildren open children costs more
    // row by row than a relayout of every row shown.
    bool RelayoutCheaper(const QModelIndex& index, qsizetype nOpenChildren) const;
    // Widens the column to the labels of the rows on screen (never narrows it).
    void FitColumn();
    // Rows laid out anew (a reset, levels opened, a collapse) fit their labels.
    void doItemsLayout() override;
    // Rows above the target that open as they come into sight move it down:
    // scrolls again until it stays on screen.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
};

}  // namespace orr
