#pragma once
// The HL structure editor without its window: the hierarchical levels of a
// document shown as a tree built from the HL segments' own ids (HL01) and
// parent ids (HL02) rather than from the order of the loops. Opening checks
// the HL segments, repairs duplicate ids (after asking) and parents that name
// no HL; the user re-parents HLs by dropping one onto another; Save writes
// the ids back, as one undo step, with the loops in the tree's order.
//
// The editor tree is a tree store of its own: a root "Hierarchical Level"
// (key "Root", no tag) and one node per HL whose tag is
// HL01*HL02*HL03*HL04.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "doctree/EdiDocument.h"
#include "doctree/TreeEdit.h"
#include "store/clsTree.h"

namespace orr {

struct HLRecord {
    std::string sHL01;   // the id, trimmed, or a new one after repair
    std::string sHL02;   // the parent's id; "" at the top level
    std::string sHL04;   // "1" or "0"
    std::string sHL03;   // the level code
    std::string sLabel;  // "(" + name from the first NM1 + ") " + the loop's text
    bool bUnplaced = true;
    NodeId segment;  // the document's HL segment
};

class HLStructureEditor {
public:
    static constexpr const char* kCaption = "Hierarchical Level Structure";
    enum class SaveResult {
        Unchanged,  // nothing to write: the document was not touched
        Written,
        Failed,  // not loaded, or a record lost its segment
    };

    explicit HLStructureEditor(EdiDocument& doc);
    HLStructureEditor(const HLStructureEditor&) = delete;
    HLStructureEditor& operator=(const HLStructureEditor&) = delete;

    // Finds the first HL container, checks its loops, builds the records and
    // the tree and places the orphans. False when it failed: only Cancel
    // remains (Save is refused).
    bool Load();
    bool LoadFailed() const { return mbLoadFailed; }
    bool Changed() const { return mbChanged; }
    // The window's caption: kCaption, with " (Changed)" once changed.
    std::string Caption() const;

    clsTree& Tree() { return mTree; }
    NodeId Root() const { return mRoot; }
    const std::vector<HLRecord>& Records() const { return mRecords; }
    // The node of the HL with this id (after repair); the root for "0".
    NodeId FindId(std::string_view sId) const;
    // The tree, one node a line in depth-first order: depth, text and tag
    // separated by tabs (the root: "0\tHierarchical Level\t").
    std::string Outline() const;

    // The node dragged dropped onto the target: refused with a message for
    // the root, the node itself and its own descendants; otherwise the node
    // becomes the target's last child. True when the tree changed.
    bool Drop(NodeId drag, NodeId target);

    // Writes every HL's id, parent id (from the tree), level code and child
    // code ("1" when it has children in the tree) into its HL segment and
    // puts the loops in the tree's depth-first order: one undo step.
    SaveResult Save();

private:
    TreeNode FindContainer() const;
    bool CheckLoops(const TreeNode& ndContainer);
    bool BuildRecords(const TreeNode& ndContainer);
    void BuildTree();
    void PlaceOrphans();
    // Adds the record's node below parent, then every unplaced record whose
    // parent id names it, depth-first.
    void PlaceWithDescendants(std::size_t nRecord, NodeId parent);
    NodeId AddNode(std::size_t nRecord, NodeId parent);
    // The HL id of a node of the tree; "" for the root.
    std::string IdOf(NodeId node) const;
    // The record's HL04 and the node's tag (nothing for the root).
    void SetChildCode(NodeId node, const char* sCode);
    // The editor tree's nodes depth-first, each with its depth (the root 0).
    std::vector<std::pair<NodeId, int>> PreOrder() const;
    // The document's HL loops in the tree's depth-first order.
    std::vector<NodeId> LoopsInTreeOrder() const;
    // Writes a record's ids into its HL segment, recorded; false (said) when
    // the segment is gone.
    bool WriteRecord(TreeEdit& edit, std::size_t nRecord);
    // Moves the container's loops into that order, recorded.
    void PutInTreeOrder(TreeEdit& edit);

    EdiDocument& mDoc;
    clsTree mTree;
    NodeId mRoot;
    std::vector<HLRecord> mRecords;
    std::vector<NodeId> mNodeOf;  // the editor node of each record
    std::unordered_map<NodeId, std::size_t> mRecordOf;
    // The records naming each id as their parent, in array order.
    std::unordered_map<std::string, std::vector<std::size_t>> mByParent;
    std::int64_t mnNextId = 0;  // one above the highest HL01
    bool mbChanged = false, mbLoadFailed = false;
    bool mbRepairAgreed = false;
};

}  // namespace orr
