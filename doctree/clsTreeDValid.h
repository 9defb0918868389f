#pragma once
// Validation by round trip (write, clear, rebuild) and clearing of the links
// between document and schema nodes.
#include <optional>
#include <string>

#include "app/clsConfig.h"
#include "schema/SchemaIndex.h"
#include "schema/TreeNode.h"

namespace orr {

class clsTreeDValid {
public:
    // Sets the link of nd and of all its descendants (not elements) to "00000".
    void ClearMapping(const TreeNode& nd);

    struct Verdict {
        bool bValid = false;
        std::int16_t nError = 0;
        std::string sError;
        TreeNode ndRoot;  // the rebuilt document root, in the scratch tree
    };
    // Writes the document to the work file and rebuilds it from that file
    // into scratch (an empty tree), matched against the schema. When the
    // work file cannot be written, shows "Disk IO failed." and stops: a
    // rebuild from a missing or partial file would lose the document.
    std::optional<Verdict> Validate(const TreeNode& ndRoot, clsTree& scratch, clsTree& schemaTree,
                                    const SchemaIndex& index, SepCode nDelimiter, SepCode nSelimiter);
    // "Document is valid." or "Document failed validation."
    static void ShowVerdict(const Verdict& v);
};

}  // namespace orr
