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

    const SchemaIndex& mIndex;
    // The counted entries (loops and segments, not the many data elements)
    // numbered densely in pre-order, so that a subtree's counters are one
    // short run of bits: mSlotsBefore[i] counts the counted entries before
    // entry i (one more number at the end), mEntry gives a slot's entry and
    // mBarrier its resetBarrier (the entries themselves are large).
    std::vector<std::uint32_t> mSlotsBefore;
    std::vector<std::uint32_t> mEntry;
    std::vector<std::uint32_t> mBarrier;
    std::vector<std::int64_t> mCount;     // by entry
    std::vector<std::uint64_t> mNonZero;  // one bit per slot
    std::vector<std::uint8_t> mDirty;
    std::vector<SchemaIx> mDirtyList;
};

}  // namespace orr
