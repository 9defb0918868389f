#include "schema/SchemaCounters.h"

#include <bit>
#include <string>

#include "schema/modNodeS.h"
#include "store/TreeNode.h"

namespace orr {

SchemaCounters::SchemaCounters(const SchemaIndex& index)
    : mIndex(index), mCount(index.Size(), 0), mNonZero((index.Slots() + 63) / 64, 0), mDirty(index.Size(), 0)
{
}

void SchemaCounters::Inc(SchemaIx ix)
{
    const std::uint32_t nSlot = mIndex.SlotsBefore(ix.value);
    if (nSlot == mIndex.SlotsBefore(ix.value + 1))
        return;  // not counted
    ++mCount[ix.value];
    mNonZero[nSlot >> 6] |= std::uint64_t(1) << (nSlot & 63);
    Touch(ix);
}

void SchemaCounters::ResetBelow(SchemaIx top)
{
    if (!top || !mIndex[top].IsSystem())
        return;
    // Only counters that are not 0 can change: the bits of the slots in (top, nEnd).
    const std::uint32_t nFirst = mIndex.SlotsBefore(top.value + 1), nEnd = mIndex.SlotsBefore(mIndex[top].nEnd);
    if (nFirst >= nEnd)
        return;
    const std::uint32_t wFirst = nFirst >> 6, wLast = (nEnd - 1) >> 6;
    for (std::uint32_t w = wFirst; w <= wLast; ++w) {
        std::uint64_t bits = mNonZero[w];
        if (!bits)
            continue;
        if (w == wFirst)
            bits &= ~std::uint64_t(0) << (nFirst & 63);
        if (w == wLast)
            bits &= ~std::uint64_t(0) >> (63 - ((nEnd - 1) & 63));
        for (; bits; bits &= bits - 1) {
            const std::uint32_t nSlot = (w << 6) + std::uint32_t(std::countr_zero(bits));
            if (mIndex.SlotBarrier(nSlot) >= top.value)
                continue;  // behind a node that is not a system node
            const std::uint32_t nEntry = mIndex.SlotEntry(nSlot);
            mCount[nEntry] = 0;
            mNonZero[w] &= ~(std::uint64_t(1) << (nSlot & 63));
            Touch(SchemaIx{nEntry});
        }
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
