#pragma once
// A new segment in an element-segment container: a container whose
// segments share one identifier and are told apart by the value of one key
// element, each value with its own definition and repeat limit.
#include "doctree/EdiDocument.h"
#include "doctree/TreeEdit.h"

namespace orr {

class clsTreeDNewES {
public:
    explicit clsTreeDNewES(EdiDocument& doc) : mDoc(doc) {}

    // Adds a segment of definition segmentDef to the container: its last
    // child (Relation::Child), or next to the current node (Next, Previous),
    // which the caller ensures is a segment of that container. Its key
    // element carries the definition's key. False after a refusal.
    bool BuildES(TreeEdit& edit, NodeId container, Relation relation, SchemaIx segmentDef);

private:
    EdiDocument& mDoc;
};

}  // namespace orr
