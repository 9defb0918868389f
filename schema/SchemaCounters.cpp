#include "schema/SchemaCounters.h"

#include <bit>
#include <string>

#include "schema/TreeNode.h"
#include "schema/modNodeS.h"

namespace orr {

SchemaCounters::SchemaCounters(const SchemaIndex& index)
    : mIndex(index), mCount(index.Size(), 0), mNonZero((index.Size() + 63) / 64, 0), mDirty(index.Size(), 0)
{
}

void SchemaCounters::Touch(SchemaIx ix)
{
    if (!mDirty[ix.value]) {
        mDirty[ix.value] = 1;
        mDirtyList.push_back(ix);
    }
}

void SchemaCounters::Inc(SchemaIx ix)
{
    if (!mIndex[ix].bCounted)
        return;
    ++mCount[ix.value];
    mNonZero[ix.value >> 6] |= std::uint64_t(1) << (ix.value & 63);
    Touch(ix);
}

void SchemaCounters::ResetBelow(SchemaIx top)
{
    if (!top || !mIndex[top].IsSystem())
        return;
    // Only counters that are not 0 can change: the bits in (top, nEnd).
    const std::uint32_t nEnd = mIndex[top].nEnd;
    for (std::uint32_t n = top.value + 1; n < nEnd;) {
        const std::uint32_t nWordEnd = std::min<std::uint32_t>((n | 63) + 1, nEnd);
        std::uint64_t bits = mNonZero[n >> 6] >> (n & 63);
        if (nWordEnd - n < 64)
            bits &= (std::uint64_t(1) << (nWordEnd - n)) - 1;
        for (; bits; bits &= bits - 1) {
            const SchemaIx ix{n + std::uint32_t(std::countr_zero(bits))};
            if (mIndex[ix].resetBarrier.value >= top.value)
                continue;  // behind a node that is not a system node
            mCount[ix.value] = 0;
            mNonZero[ix.value >> 6] &= ~(std::uint64_t(1) << (ix.value & 63));
            Touch(ix);
        }
        n = nWordEnd;
    }
}

void SchemaCounters::WriteBack(clsTree& schemaTree)
{
    for (const SchemaIx ix : mDirtyList) {
        mDirty[ix.value] = 0;
        const TreeNode nd = schemaTree.Node(mIndex.Node(ix));
        if (!nd)
            continue;
        const std::string sValue = std::to_string(mCount[ix.value]);
        if (gfTagGetAttr(nd.Tag(), 'C') != sValue)
            gfSnodeSetAttr(nd, 'C', sValue);
    }
    mDirtyList.clear();
}

}  // namespace orr
