#pragma once
// Reading a file into a document window's trees, with the dialogue that
// follows a failure: other separators after "no segment", the free-form
// definition (or read-only) after a matching failure, at most three tries.
#include <functional>
#include <string>

#include "app/clsConfig.h"
#include "schema/TreeNode.h"

namespace orr {

class clsEdiFileOpen {
public:
    // What a document window holds of its document.
    struct Document {
        clsTree* pDoc = nullptr;
        clsTree* pSchema = nullptr;
        std::string sSchema;  // definition type; "FreeForm" after the fallback
        SepCode nDelimiter = '*';
        SepCode nSelimiter = '~';
        TreeNode ndRootD;
        TreeNode ndRootS;
        bool bReadOnly = false;
    };
    enum class Mode {
        NewWindow,     // a window being opened: may fall back to the free-form definition
        SameTemplate,  // another file into an open window: never changes the definition
    };
    // Shows the separator-choice dialog; the chosen segment and element
    // separator notations come back in gConfig->sReturn1 and sReturn2.
    using ChooseSeparators = std::function<void()>;

    // Builds the schema tree of d.sSchema into d.pSchema (emptied first).
    static bool BuildSchema(Document& d);
    // Reads sFile into d.pDoc. False: the caller gives up (in SameTemplate
    // mode the document tree is then empty).
    static bool Parse(Document& d, const std::string& sFile, Mode mode, const ChooseSeparators& fnChoose);

    // A new document: a root "New" alone (option 2) or with the schema's
    // default content (option 1). False after a failure (the tree is empty).
    static bool NewDocument(Document& d, int nOption);

    static constexpr int kMaxAttempts = 3;
};

}  // namespace orr
