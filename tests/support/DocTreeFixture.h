#pragma once
// A small hand-written definition set and helpers to read documents against it.
#include <string>

#include "doctree/clsTreeD.h"
#include "store/TreeNode.h"
#include "tests/support/TestDefinitions.h"
#include "tests/support/TestEnv.h"

namespace orr::test {

// Packs T1, T2, E1 and FreeForm into the environment's container and loads it.
void LoadTestDefinitions(TestEnv& env);

// A test environment with those definitions loaded.
struct DocTreeFixture : TestEnv {
    DocTreeFixture() { LoadTestDefinitions(*this); }
};

struct BuiltDocument {
    clsTree schema;
    clsTree doc;
    TreeNode ndRoot;
    std::int16_t nError = -1;
    std::string sError;
};

// Writes sText to a file in the environment and builds it against doc sType.
void BuildText(TestEnv& env, BuiltDocument& out, const std::string& sText, const std::string& sType = "T1",
               SepCode nDelimiter = '*', SepCode nSelimiter = '~');

// One line per node below nd, elements left out: indent, text, tag kind and
// code, and "!" for an unmatched segment.
std::string Outline(const TreeNode& nd, int nDepth = 0);

}  // namespace orr::test
