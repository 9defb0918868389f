#pragma once
// Fixed schemas for the document harnesses: the real definition library plus
// the test document T1, packed once; each schema is built once and reused
// (the document builder resets its repeat counts at the first segment).
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/clsConfig.h"
#include "doctree/EdiDocument.h"
#include "schema/SchemaIndex.h"
#include "store/TreeNode.h"
#include "store/clsTree.h"
#include "tests/support/RandomEdits.h"

namespace orr {
class clsDefFiles;
class clsTreeD;
}

namespace orr::fuzz {

struct Schema {
    clsTree tree;
    TreeNode ndRoot;
    SchemaIndex index;  // made once: every reading would make its own
};

// The real definition library plus T1, packed and loaded as the
// definition store (gDefFiles) on first use.
clsDefFiles& Library();

// Every example document (examples/*.edi) with its type, the part of the
// file name before the first "-".
const std::vector<std::pair<std::string, std::string>>& ExampleDocuments();

// An example document read once against its own or the free-form
// definition, a document of the same definition in which every input
// edits a copy of it, and an empty one (a root alone, shared by the
// subjects of a definition) that the work document copies after each
// input to let go of what the input made.
struct EditSubject {
    EdiDocument read, work;
    EdiDocument* blank = nullptr;
    test::RandomEdits::Reader reader{read};  // reads the written work back
    std::string sDump;                       // of the work copy, made by the first input
};
// Made on first use and kept; nExample indexes ExampleDocuments().
EditSubject& Subject(std::size_t nExample, bool bFreeForm);

// The schema for the document type named by the first "ST" segment of the
// text (ST, the element separator, the type), or T1 when there is none or
// the library has no such document.
Schema& SchemaFor(std::string_view sText, SepCode nDelimiter);

// Separators as the program would open the text with: detected when
// detection succeeds, else "*" and "~".
void Separators(std::string_view sText, SepCode& nDelimiter, SepCode& nSelimiter);

// Writes sText to the file sName in the harness folder and reads it with
// reader into doc against schema; the document root, or none.
TreeNode BuildText(clsTreeD& reader, clsTree& doc, const std::string& sName, std::string_view sText, SepCode nDelimiter,
                   SepCode nSelimiter, Schema& schema);

// The document as X12 text, without line breaks (but for line ends as
// terminators). *psRefusal: why the writer refused (a value holding one of
// the separators), empty when it did not.
std::string WriteText(const TreeNode& ndRoot, SepCode nDelimiter, SepCode nSelimiter,
                      std::string* psRefusal = nullptr);

// Text, tag and image of every node below nd, elements included, one line
// each. *pEmptySegment tells whether a segment node has no element children.
std::string Dump(const TreeNode& nd, bool* pEmptySegment = nullptr);

}  // namespace orr::fuzz
