#pragma once
// A document open for editing in a private test world: the definition E1
// (plain, HL, element-loop and element-segment loops, repeat limits 1, 2
// and 3, an unused element), E2 (key segments in the wrong place), the test
// definitions T1 and FreeForm, and the document window's Edit commands on it.
#include <string>

#include "doctree/EdiDocument.h"
#include "editing/DocumentEditor.h"
#include "tests/support/DocTreeFixture.h"

namespace orr::test {

// Two groups of E1 (the group loop repeats at most twice): the first with
// two transactions, the second with one; body segments one per line.
extern const char* const kEditDocE1;
std::string DocumentE1(const std::string& sBody1 = {}, const std::string& sBody2 = {});

struct EditEnv : TestEnv {
    EditEnv();
    // The last message shown, or "".
    std::string Last() const { return ui.Messages().empty() ? std::string() : ui.Messages().back(); }
};

// The detail an illogic report carries, on its second line ("" for another message).
std::string IllogicDetail(const std::string& sMessage);

class EditDoc {
public:
    // Opens sText (written to a file) against sType as the command line does.
    EditDoc(EditEnv& env, const std::string& sText, const std::string& sType = "E1");

    // "/" the root, "/1/2" the second child of the root's first child.
    TreeNode At(const std::string& sPath);
    EditDoc& Select(const std::string& sPath);
    std::string Dump();
    // The texts of the children of a node, "|"-separated.
    std::string Children(const std::string& sPath);
    // Their tags, "|"-separated.
    std::string Tags(const std::string& sPath);

    EdiDocument doc;
    DocumentEditor editor;
};

}  // namespace orr::test
