#include <gtest/gtest.h>

#include <cstdint>

#include "schema/clsTreeArray.h"
#include "schema/clsTreeMemory.h"
#include "schema/clsTreeNodes.h"

namespace orr {
namespace {

// Arrays keep their values as they move from the C heap to 2 MiB blocks and
// as the blocks grow (pages moved, not copied); a block given back serves
// the next array from the pool.
TEST(TreeMemory, ArraysKeepTheirValuesAsTheyGrowAndBlocksAreReused)
{
    clsTreeMemory::SetPoolLimit(std::size_t(64) << 20);
    clsTreeArray<std::uint32_t> a;
    for (std::uint32_t i = 0; i < 3'000'000; ++i)  // 12 MB: heap, then blocks
        a.push_back(i * 7);
    bool bSame = true;
    for (std::uint32_t i = 0; i < a.size() && bSame; ++i)
        bSame = a[i] == i * 7;
    EXPECT_TRUE(bSame);
    a.resize(a.size() + 10);
    EXPECT_EQ(a.back(), 0u);  // new elements are zero

    clsTreeNodes nodes;
    const std::size_t n = clsTreeNodes::kChunk * 3 + 5;
    for (std::size_t i = 0; i < n; ++i)
        nodes.push_back({std::uint32_t(i), std::uint32_t(~i)}, std::uint16_t(i), std::uint16_t(i * 3),
                        std::uint8_t(i));
    bSame = true;
    for (std::size_t i = 0; i < n && bSame; ++i)
        bSame = nodes.Body(i).a == i && nodes.Body(i).b == std::uint32_t(~i) && nodes.Parent(i) == std::uint16_t(i) &&
                nodes.Class(i) == std::uint16_t(i * 3) && nodes.Flags(i) == std::uint8_t(i);
    EXPECT_TRUE(bSame);

    const std::size_t nBefore = clsTreeMemory::PooledBytes();
    { clsTreeArray<std::uint32_t> gone(std::move(a)); }
    const std::size_t nPooled = clsTreeMemory::PooledBytes();
    EXPECT_GT(nPooled, nBefore);
    clsTreeArray<std::uint32_t> next;
    next.reserve(1'000'000);  // fits the block given back
    EXPECT_LT(clsTreeMemory::PooledBytes(), nPooled);
    clsTreeMemory::SetPoolLimit(0);
    EXPECT_EQ(clsTreeMemory::PooledBytes(), 0u);
    clsTreeMemory::SetPoolLimit(std::size_t(256) << 20);
}

}  // namespace
}  // namespace orr
