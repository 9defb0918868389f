#pragma once
// The default content that the schema prescribes for a document node: for a
// new document a skeleton interchange (ISA, GS, ST, the required body
// segments and loops, SE, GE, IEA), for a new loop its required segments and
// nested loops. Envelope segments take their values from a fresh envelope
// writer each; other required segments get empty element nodes; optional
// segments become "nullsegment" placeholders; optional loops are left out;
// HLS, ELS and ESS system loops become empty "closednull" folders.
#include "app/clsConfig.h"
#include "edi/clsEdiDoc.h"
#include "store/TreeNode.h"

namespace orr {

class clsTreeDNewTree {
public:
    // The clock of the envelope writers (ISA and GS dates and times); the
    // local time of day by default, fixed by tests.
    explicit clsTreeDNewTree(clsEdiDoc::LocalClock clock = {});

    // Initially the configured data-element separator.
    void SetDelimiter(SepCode nCode) { mnDelimiter = nCode; }

    // Adds the default children of ndDoc for the children of ndSchema, in
    // schema order, each linked to its schema node. False (after a warning)
    // when a schema child of an unknown kind stopped it; the nodes made so
    // far stay.
    bool BuildTree(clsTree& docTree, const TreeNode& ndDoc, const TreeNode& ndSchema);
    // BuildTree; then, for a plain loop, a first segment still without
    // element nodes gets its default elements, so that a new loop always
    // starts with an editable segment.
    bool Build(clsTree& docTree, const TreeNode& ndDoc, const TreeNode& ndSchema);

private:
    TreeNode AddNode(clsTree& docTree, const TreeNode& ndParent, const TreeNode& ndSchema, std::string_view sText,
                     std::string_view sTag, std::string_view sImage, std::string_view sExpandedImage);
    // The segment text of a fresh envelope writer; "" for other codes.
    std::string EnvelopeSegment(const std::string& sCode) const;
    void AddEnvelopeElements(clsTree& docTree, const TreeNode& ndSegment, const std::string& sSegment) const;

    clsEdiDoc::LocalClock mClock;
    SepCode mnDelimiter;
};

}  // namespace orr
