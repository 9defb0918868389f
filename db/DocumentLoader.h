#pragma once
// Writes a read document into a database: one row per file, interchange,
// functional group, transaction set, segment and element piece (see
// docs/database.md), in one transaction per file. Loading a path again
// replaces the rows it had.
#include <cstddef>
#include <functional>
#include <string>

#include "db/Database.h"

namespace orr {

class EdiDocument;

// The rows one load wrote, by table.
struct LoadCounts {
    std::size_t nInterchanges = 0, nGroups = 0, nTransactions = 0, nSegments = 0, nElements = 0;
    // The file's own row included.
    std::size_t Rows() const { return 1 + nInterchanges + nGroups + nTransactions + nSegments + nElements; }
};

class DocumentLoader {
public:
    // The layout version this program writes (the schema files' version).
    static constexpr int kSchemaVersion = 1;

    // Brings the database to this program's layout: creates the tables on
    // first use. Throws DatabaseError, also when a newer program made them.
    explicit DocumentLoader(Database& db);

    // Segments written so far, of all the document's.
    using Progress = std::function<void(std::size_t nDone, std::size_t nTotal)>;
    // Writes the document as the rows of sPath (made absolute), replacing
    // earlier ones. Throws DatabaseError; nothing of this load stays then.
    LoadCounts Load(EdiDocument& doc, const std::string& sPath, const Progress& fnProgress = {});

private:
    void ApplySchema();

    Database& mDb;
};

}  // namespace orr
