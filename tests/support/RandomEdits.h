#pragma once
// Random sequences of the document window's Edit commands on an open
// document, with checks: after every step the tree store's invariants
// wherever the step changed the tree (the whole tree after the last step
// and after undoing and redoing everything), and at the end
// that undoing everything gives back the original tree exactly, redoing
// everything the final one, and that the written document reads back.
// Shared by the property test, the model test of the shell and the fuzz
// harness; no test framework needed.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/UiService.h"
#include "doctree/EdiDocument.h"
#include "editing/DocumentEditor.h"
#include "store/TreeObserver.h"

namespace orr::test {

class RandomEdits {
public:
    // A number from 0 to n - 1 (n > 0).
    using Choose = std::function<std::uint32_t(std::uint32_t n)>;

    // Answers questions and choosers with the choice function; messages are dropped.
    class Ui final : public UiService {
    public:
        explicit Ui(Choose choose) : mChoose(std::move(choose)) {}
        // The answers given since the last call, as "answer A" script lines.
        std::string TakeAnswers() { return std::exchange(msAnswers, {}); }
        MsgAnswer MsgBox(const std::string& sText, MsgButtons buttons, MsgIcon icon,
                         const std::string& sTitle) override;
        std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override
        {
            return std::nullopt;
        }
        int ChooseFromList(const std::string& sPrompt, const std::string& sTitle, const std::vector<std::string>& items,
                           int nSelected) override;

    private:
        Choose mChoose;
        std::string msAnswers;
    };

    // Reads written documents back against the definition another document
    // holds, into one tree kept from one reading to the next.
    class Reader {
    public:
        explicit Reader(EdiDocument& definition) : mDefinition(definition) {}
        // What keeps sText from reading back (with bNoError, also a
        // reading that ends in an error); "" when nothing does.
        std::string Check(const std::string& sText, SepCode nDelimiter, SepCode nSelimiter, bool bNoError);

    private:
        EdiDocument& mDefinition;
        clsTree mTree;
    };

    // pReader: what reads the written document back; without one the
    // definition is loaded for each reading.
    RandomEdits(EdiDocument& doc, DocumentEditor& editor, Ui& ui, Choose choose, Reader* pReader = nullptr);

    // Runs nSteps commands (with bAllowedOnly, only commands the permission
    // set allows), then the final checks; a written document that does not
    // read back is kept in sWorkFile. psOriginal: the document's Dump when
    // the caller already has it (the fuzz harness starts every input from
    // the same document). The first failed check, or "".
    std::string Run(int nSteps, const std::string& sWorkFile, bool bAllowedOnly = false,
                    const std::string* psOriginal = nullptr);
    // The commands run as a script of `orrindale-cli edit` (a deselection
    // shows as a comment), for reproducing a failure.
    const std::string& Log() const { return msLog; }

    // Texts, tags, images and expanded flags of every node below the root.
    static std::string Dump(EdiDocument& doc);
    // The store's invariants below the root: rows, parents and siblings
    // agree (with bDeep false, for the root's children only).
    static std::string CheckTree(clsTree& tree, NodeId root, bool bDeep = true);

private:
    // What the steps change in the tree's shape: the parents whose children
    // changed, the nodes put in, or everything.
    class ShapeChanges final : public TreeObserver {
    public:
        explicit ShapeChanges(clsTree& tree) : mTree(tree) {}
        void Inserted(NodeId parent, std::uint32_t nFirst, std::uint32_t nLast) override
        {
            parents.push_back(parent);
            for (std::uint32_t r = nFirst; r <= nLast; ++r)
                inserted.push_back(mTree.Child(parent, r));
        }
        void Removed(NodeId parent, std::uint32_t, std::uint32_t) override { parents.push_back(parent); }
        void Moved(NodeId from, std::uint32_t, NodeId to, std::uint32_t) override
        {
            parents.push_back(from);
            parents.push_back(to);
        }
        void Reset() override { bReset = true; }

        std::vector<NodeId> parents, inserted;
        bool bReset = false;

    private:
        clsTree& mTree;
    };

    // Every node below the root in the order SelectSomeNode picks from (a
    // node, then the subtrees of its children from the last to the first),
    // kept up to date as the shape changes instead of walked after each.
    class PickOrder final : public TreeObserver {
    public:
        explicit PickOrder(clsTree& tree) : mTree(tree) {}
        const std::vector<NodeId>& Nodes(NodeId root);
        void AboutToRemove(NodeId parent, std::uint32_t nFirst, std::uint32_t nLast) override;
        void Inserted(NodeId parent, std::uint32_t nFirst, std::uint32_t nLast) override;
        void AboutToMove(NodeId from, std::uint32_t nRow, NodeId, std::uint32_t) override
        {
            AboutToRemove(from, nRow, nRow);
        }
        void Moved(NodeId from, std::uint32_t nRow, NodeId to, std::uint32_t nDestRow) override
        {
            const std::uint32_t nNow = from == to && nDestRow > nRow ? nDestRow - 1 : nDestRow;
            Inserted(to, nNow, nNow);
        }
        void Reset() override { mNodes.clear(); }

    private:
        static constexpr std::size_t npos = std::size_t(-1);
        // Appends the subtree of node in pick order.
        void Walk(NodeId node, std::vector<NodeId>& out);
        // Where node stands in the list, and where its subtree ends there.
        std::size_t Pos(NodeId node) const;
        std::size_t End(NodeId node) const;

        clsTree& mTree;
        NodeId mRoot;
        std::vector<NodeId> mNodes;  // empty: to be walked
        std::vector<NodeId> mStack, mRows;  // Walk's and Inserted's, kept between calls
    };

    void Step();
    void SelectSomeNode();
    static bool Allowed(std::uint32_t nCommand, const EditPermissions& permissions);
    void Command(std::uint32_t nCommand);
    // CheckTree where the last step changed the shape: the children of
    // every parent it changed, and below every node it put in.
    std::string CheckChanges();
    std::string ReadBack(const std::string& sWorkFile);

    EdiDocument& mDoc;
    DocumentEditor& mEditor;
    Ui& mUi;
    Choose mChoose;
    Reader* mpReader;
    std::string msLog;
    bool mbAllowedOnly = false;
    ShapeChanges mChanges{mDoc.Tree()};
    std::vector<NodeId> mCheckParents, mCheckInserted;  // CheckChanges's, kept between steps
    PickOrder mPickOrder{mDoc.Tree()};
};

}  // namespace orr::test
