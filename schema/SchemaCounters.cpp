#include "schema/SchemaCounters.h"

#include <bit>
#include <string>

#include "schema/modNodeS.h"
#include "store/TreeNode.h"

namespace orr {

SchemaCounters::SchemaCounters(const SchemaIndex& index)
    : mIndex(index), mCount(index.Size(), 0), mDirty(index.Size(), 0)
{
    // Sized once: a document read makes one of these, a small one often.
    std::uint32_t nCounted = 0;
    for (std::uint32_t i = 0; i < index.Size(); ++i)
        nCounted += index[SchemaIx{i}].bCounted;
    mSlotsBefore.reserve(index.Size() + 1);
    mEntry.reserve(nCounted);
    mBarrier.reserve(nCounted);
    for (std::uint32_t i = 0; i < index.Size(); ++i) {
        mSlotsBefore.push_back(std::uint32_t(mEntry.size()));
        if (index[SchemaIx{i}].bCounted) {
            mEntry.push_back(i);
            mBarrier.push_back(index[SchemaIx{i}].resetBarrier.value);
        }
    }
    mSlotsBefore.push_back(std::uint32_t(mEntry.size()));
    mNonZero.assign((mEntry.size() + 63) / 64, 0);
}

void SchemaCounters::Inc(SchemaIx ix)
{
    const std::uint32_t nSlot = mSlotsBefore[ix.value];
    if (nSlot == mSlotsBefore[ix.value + 1])
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
    const std::uint32_t nFirst = mSlotsBefore[top.value + 1], nEnd = mSlotsBefore[mIndex[top].nEnd];
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
            if (mBarrier[nSlot] >= top.value)
                continue;  // behind a node that is not a system node
            mCount[mEntry[nSlot]] = 0;
            mNonZero[w] &= ~(std::uint64_t(1) << (nSlot & 63));
            Touch(SchemaIx{mEntry[nSlot]});
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
