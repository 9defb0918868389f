#pragma once
// Built schemas kept between runs. Building a large definition's schema
// (flattening its files, parsing every line into a tag) costs more than
// opening a small document, and the command line starts afresh for every
// file: a schema built without any message is written to a folder, and read
// back while the program and the definition containers it came from are
// the same files (path, size and time of each).
#include <string>

#include "store/clsTree.h"

namespace orr {

class SchemaCache {
public:
    // sDir "" keeps nothing: every call builds.
    explicit SchemaCache(std::string sDir);

    // The schema of sDocType below a new root of tree: read back when one is
    // kept for the present program and definitions, else built and then kept
    // when the build showed no message. No root when the build made none.
    NodeId Build(clsTree& tree, const std::string& sDocType) const;
    // The kept schema alone: no root (and no node added) when none is kept
    // for the present program and definitions, or its file is damaged.
    NodeId Read(clsTree& tree, const std::string& sDocType) const;
    // Writes the schema below root, replacing the kept one; false when it
    // cannot (no folder, a tree that is not one build's).
    bool Write(const clsTree& tree, NodeId root, const std::string& sDocType) const;

    // The file a type's schema is kept in by this program.
    std::string Path(const std::string& sDocType) const;

private:
    std::string msDir;
};

}  // namespace orr
