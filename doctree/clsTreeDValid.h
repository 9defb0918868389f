#pragma once
// Validation by round trip (write, clear, rebuild) and clearing of the links
// between document and schema nodes.
#include <string>

#include "app/clsConfig.h"
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
        TreeNode ndRoot;  // the rebuilt document root
    };
    // Writes the document to the work file, clears the tree, rebuilds it from
    // that file and says whether it matched its schema ("Document is valid.").
    Verdict Validate(clsTree& docTree, const TreeNode& ndRoot, clsTree& schemaTree, SepCode nDelimiter,
                     SepCode nSelimiter);
};

}  // namespace orr
