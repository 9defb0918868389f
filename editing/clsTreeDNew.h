#pragma once
// The rule book of insertion: what "new child", "new sibling before" and
// "new sibling after" mean for the current node of a document edited with
// its schema. It refuses with a message, asks for confirmation, lets the
// user choose what to insert from the definition, or hands the work to the
// builders (default content, new segments and elements, HL and element
// loops, empty-node folders). Every call asks its questions first and then
// changes the tree as one undo step.
#include "doctree/EdiDocument.h"
#include "editing/clsTreeDNewES.h"
#include "editing/clsTreeDNewHL.h"
#include "editing/clsTreeDNewSegment.h"
#include "editing/modEdit.h"

namespace orr {

class clsTreeDNew {
public:
    explicit clsTreeDNew(EdiDocument& doc);

    // Inserts below the current node; true when the document was changed.
    bool AddChild();
    // Inserts next to the current node, before or after it.
    bool AddSibling(bool bBefore);

private:
    EditEnd AddChildTo(TreeEdit& edit, const TreeNode& ndAnchor);
    EditEnd AddSiblingTo(TreeEdit& edit, const TreeNode& ndAnchor, bool bBefore);
    EditEnd AddNewTransmission(TreeEdit& edit, const TreeNode& ndRoot);
    EditEnd AddSystem(TreeEdit& edit, const TreeNode& ndAnchor, bool bBefore);
    EditEnd DoIt(TreeEdit& edit, const TreeNode& ndRef, Relation relation);
    EditEnd AddLoopChild(TreeEdit& edit, const TreeNode& ndAnchor);
    EditEnd AddChosenChild(TreeEdit& edit, const TreeNode& ndAnchor);
    EditEnd AddSegmentChild(TreeEdit& edit, const TreeNode& ndAnchor);
    // A new node at the relation to ndRef filled with the default content of
    // the schema entry; Discard when the build failed.
    EditEnd AddBuilt(TreeEdit& edit, const TreeNode& ndRef, Relation relation, NodeId nd, SchemaIx ix);
    // The default content of the entry below a node that has no children yet.
    bool BuildBelow(TreeEdit& edit, const TreeNode& nd, SchemaIx ix);
    static EditEnd End(bool bChanged) { return bChanged ? EditEnd::Changed : EditEnd::Discard; }

    EdiDocument& mDoc;
    clsTreeDNewHL mHL;
    clsTreeDNewES mES;
    clsTreeDNewSegment mSegment;
};

}  // namespace orr
