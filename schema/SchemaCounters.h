#pragma once
// The use counters of a schema while a document is matched against it: how
// often each loop and segment has been used in the current instance of its
// parent. They live here, one number per index entry, not in the tags;
// WriteBack puts them into the tags' C fields for the schema view and dumps.
#include <cstdint>
#include <vector>

#include "schema/SchemaIndex.h"

namespace orr {

class SchemaCounters {
public:
    explicit SchemaCounters(const SchemaIndex& index);

    std::int64_t Get(SchemaIx ix) const { return mCount[ix.value]; }
    // Adds one; entries without a counted C field (data elements, HL and
    // keyed groups, the root) stay at 0.
    void Inc(SchemaIx ix);
    // Sets to 0 every counter below a system node that the reset reaches:
    // it passes through system nodes only.
    void ResetBelow(SchemaIx ix);
    // Writes the counts changed since the last call into the schema tags.
    void WriteBack(clsTree& schemaTree);

private:
    void Touch(SchemaIx ix)
    {
        if (!mDirty[ix.value]) [[unlikely]] {
            mDirty[ix.value] = 1;
            mDirtyList.push_back(ix);
        }
    }

    const SchemaIndex& mIndex;  // its counted slots number the bits of mNonZero
    std::vector<std::int64_t> mCount;     // by entry
    std::vector<std::uint64_t> mNonZero;  // one bit per slot
    std::vector<std::uint8_t> mDirty;
    std::vector<SchemaIx> mDirtyList;
};

}  // namespace orr
