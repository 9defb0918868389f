#pragma once
// One more repetition of the current segment next to it (a new sibling of a
// plain segment), refused when its definition's repeat limit is reached.
#include "doctree/EdiDocument.h"
#include "doctree/TreeEdit.h"

namespace orr {

class clsTreeDNewSegment {
public:
    explicit clsTreeDNewSegment(EdiDocument& doc) : mDoc(doc) {}

    // Adds the repetition before (bBefore) or after the current segment,
    // with one empty element per used element definition. False after a
    // refusal.
    bool AddNewSegment(TreeEdit& edit, bool bBefore);

private:
    EdiDocument& mDoc;
};

}  // namespace orr
