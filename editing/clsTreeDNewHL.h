#pragma once
// A new loop instance in a container whose loops are told apart by a key
// value: an element-loop container (ELS) or a hierarchical-level container
// (HLS), whose loops each begin with an HL segment. For a new HL loop the
// user chooses the parent HL, and the HL segment gets its ids.
#include <cstdint>
#include <string>

#include "doctree/EdiDocument.h"
#include "doctree/TreeEdit.h"

namespace orr {

// The HL segment's elements by position: the loop's own id, its parent's id
// (empty at the top level), the level code and the child code ("0" when no
// HL stands below it).
enum HLElement : std::int16_t { kHL01 = 1, kHL02, kHL03, kHL04 };

class clsTreeDNewHL {
public:
    explicit clsTreeDNewHL(EdiDocument& doc) : mDoc(doc) {}

    // A loop of definition loopDef with its default content in the
    // element-loop container: its last child (Relation::Child) or next to
    // the current node; its key element carries the definition's key.
    bool BuildEL(TreeEdit& edit, NodeId container, Relation relation, SchemaIx loopDef);
    // A loop of definition loopDef appended to the HL container, after the
    // user chose its parent: HL01 one above the highest id present, HL02
    // the parent's id, HL03 the level code, HL04 "0".
    bool BuildHL(TreeEdit& edit, NodeId container, Relation relation, SchemaIx loopDef);
    // The key element of a new loop's first segment (in a container keyed
    // as the definition's parent says) set to the definition's key.
    void SetNewLoopKey(const TreeNode& ndLoop, SchemaIx loopDef);

private:
    struct Ids {
        long nParent = -1, nNew = -1;
    };
    // The loops of the container whose key element carries the definition's key.
    int CountKeyedLoops(const TreeNode& ndContainer, std::int16_t nX, std::int16_t nY, SchemaIx loopDef);
    void SetLoopKey(const TreeNode& ndLoop, std::int16_t nX, std::int16_t nY, const std::string& sKey);
    Ids SelectParentHL(const TreeNode& ndContainer);
    // Refused (message shown) when the container holds R loops of the definition.
    bool RepeatReached(const TreeNode& ndContainer, SchemaIx loopDef);
    // A detached loop of the definition with its default content; none when
    // its build failed.
    TreeNode NewLoop(SchemaIx loopDef);

    EdiDocument& mDoc;
};

}  // namespace orr
