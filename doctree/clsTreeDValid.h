#pragma once
// Validation by round trip (write, clear, rebuild) and clearing of the links
// between document and schema nodes.
#include <fstream>
#include <optional>
#include <string>

#include "app/clsConfig.h"
#include "doctree/clsTreeDSave.h"
#include "schema/SchemaIndex.h"
#include "store/TreeNode.h"

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
    // Validation in two steps. WriteWork writes the document to the work
    // file (lineEnd after each terminator: the reading skips it, and a file
    // written as it was read can be compared with it) and opens it for
    // Rebuild; when it cannot, it shows "Disk IO failed." and the document
    // stays untouched.
    bool WriteWork(const TreeNode& ndRoot, SepCode nDelimiter, SepCode nSelimiter, clsTreeDSave::LineEnd lineEnd,
                   std::ifstream& work);
    // Rebuilds the document from the work file in place of everything in
    // tree (whose memory the new nodes reuse), matched against the schema.
    // A rebuild that breaks off is tried once more from the file; when that
    // fails too, the tree stays empty, the file is kept and its name shown.
    std::optional<Verdict> Rebuild(std::ifstream& work, clsTree& tree, clsTree& schemaTree,
                                   const SchemaIndex& index, SepCode nDelimiter, SepCode nSelimiter);
    // Whether the work file WriteWork opened holds exactly the bytes of
    // sFile. Then it has done its job and goes, as after Rebuild; else
    // work is left at its start.
    bool WorkIs(const std::string& sFile, std::ifstream& work) const;
    // "Document is valid." or "Document failed validation."
    static void ShowVerdict(const Verdict& v);

private:
    static void Discard(std::ifstream& work);  // closes and deletes the work file (kept when tracing)

    std::uintmax_t mnWorkBytes = 0;  // as written by WriteWork
};

}  // namespace orr
