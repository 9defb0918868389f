#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "store/clsTreeArray.h"
#include "store/clsTreeMemory.h"
#include "store/clsTreeNodes.h"

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

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
        nodes.push_back({std::uint32_t(i), std::uint32_t(~i)}, std::uint16_t(i), std::uint16_t(i * 3), std::uint8_t(i));
    bSame = true;
    for (std::size_t i = 0; i < n && bSame; ++i)
        bSame = nodes.Body(i).a == i && nodes.Body(i).b == std::uint32_t(~i) && nodes.Parent(i) == std::uint16_t(i) &&
                nodes.Class(i) == std::uint16_t(i * 3) && nodes.Flags(i) == std::uint8_t(i);
    EXPECT_TRUE(bSame);
    // A part-filled chunk reserved into a block (a document's first nodes,
    // then the room for the file): every field of every node moves.
    clsTreeNodes few;
    for (std::size_t i = 0; i < 1000; ++i)
        few.push_back({std::uint32_t(i), 7}, std::uint16_t(i + 1), std::uint16_t(i * 5), std::uint8_t(i ^ 0x5A));
    few.reserve(clsTreeNodes::kChunk * 4);
    for (std::size_t i = 0; i < few.size() && bSame; ++i)
        bSame = few.Body(i).a == i && few.Body(i).b == 7 && few.Parent(i) == std::uint16_t(i + 1) &&
                few.Class(i) == std::uint16_t(i * 5) && few.Flags(i) == std::uint8_t(i ^ 0x5A);
    EXPECT_TRUE(bSame);

    const std::size_t nBefore = clsTreeMemory::PooledBytes();
    {
        clsTreeArray<std::uint32_t> gone(std::move(a));
    }
    const std::size_t nPooled = clsTreeMemory::PooledBytes();
    EXPECT_GT(nPooled, nBefore);
    clsTreeArray<std::uint32_t> next;
    next.reserve(1'000'000);  // fits the block given back
    EXPECT_LT(clsTreeMemory::PooledBytes(), nPooled);
    clsTreeMemory::SetPoolLimit(0);
    EXPECT_EQ(clsTreeMemory::PooledBytes(), 0u);
    clsTreeMemory::SetPoolLimit(std::size_t(256) << 20);
}

#ifdef __linux__
// Whether the page holding p is in memory.
bool Resident(const char* p)
{
    const auto nPage = std::uintptr_t(sysconf(_SC_PAGESIZE));
    unsigned char v = 0;
    return mincore(reinterpret_cast<void*>(std::uintptr_t(p) & ~(nPage - 1)), 1, &v) == 0 && (v & 1);
}
#endif

// A node array reserved large has the chunks after the one being filled
// faulted in by the helper thread, which leaves every value as written.
TEST(TreeMemory, LargeArraysAreFaultedInAheadWithTheirValuesKept)
{
    if (std::getenv("ORRINDALE_PREFAULT"))
        GTEST_SKIP() << "ORRINDALE_PREFAULT set: the choice is the environment's";
    EXPECT_FALSE(clsTreeMemory::PrefaultFor(clsTreeMemory::kPrefaultFrom - 1));
    clsTreeNodes nodes;
    nodes.reserve(clsTreeMemory::kPrefaultFrom / clsTreeNodes::kBytesPerNode + 1);
    const std::size_t n = clsTreeNodes::kChunk * 5 + 1;  // into the sixth chunk
    for (std::size_t i = 0; i < n; ++i)
        nodes.push_back({std::uint32_t(i), 7}, std::uint16_t(i), 3, 1);
    bool bSame = true;
    for (std::size_t i = 0; i < n && bSame; ++i)
        bSame = nodes.Body(i).a == i && nodes.Body(i).b == 7 && nodes.Parent(i) == std::uint16_t(i);
    EXPECT_TRUE(bSame);
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    // The end of the second chunk ahead: past the huge page the filling touched.
    const char* pAhead = reinterpret_cast<const char*>(&nodes.Body(n - 1)) + 3 * clsTreeNodes::kChunkBytes - 1;
    bool bAhead = Resident(pAhead);
    for (int i = 0; i < 500 && !bAhead; ++i) {  // the helper runs on its own
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        bAhead = Resident(pAhead);
    }
    EXPECT_TRUE(bAhead);
#endif
}

// The kernel's flags of the mapping holding p ("hg": huge pages asked for,
// "nh": refused), from /proc/self/smaps; empty when not found.
std::string VmFlagsOf(const void* p)
{
    std::ifstream smaps("/proc/self/smaps");
    const auto a = reinterpret_cast<std::uintptr_t>(p);
    bool bInside = false;
    for (std::string line; std::getline(smaps, line);) {
        std::uintptr_t nBegin = 0, nEnd = 0;
        char dash = 0;
        if (std::istringstream(line) >> std::hex >> nBegin >> dash >> nEnd && dash == '-')
            bInside = a >= nBegin && a < nEnd;
        else if (bInside && line.rfind("VmFlags:", 0) == 0)
            return line + " ";
    }
    return {};
}

// Huge pages are asked for only when they are on (they are off by default);
// then a small document keeps ordinary pages, and blocks given out once the
// trees hold kHugePagesFrom ask for huge pages. The count follows every block.
TEST(TreeMemory, HugePagesOnlyOnceTheTreesAreLarge)
{
    const bool bWasOn = clsTreeMemory::HugePages();
    if (!std::getenv("ORRINDALE_HUGEPAGES")) {
        EXPECT_FALSE(bWasOn);  // small pages unless asked for
    }
    clsTreeMemory::SetHugePages(true);
    clsTreeMemory::SetPoolLimit(0);  // fresh mappings, advised as they come
    const std::size_t nBase = clsTreeMemory::BytesInUse();
    ASSERT_LT(nBase + clsTreeMemory::kGranule, clsTreeMemory::kHugePagesFrom);
    clsTreeMemory::Block small = clsTreeMemory::Allocate(100);
    EXPECT_EQ(clsTreeMemory::BytesInUse(), nBase + clsTreeMemory::kGranule);
    const clsTreeMemory::Block large = clsTreeMemory::Allocate(clsTreeMemory::kHugePagesFrom);
    small = clsTreeMemory::Grow(small, 3 * clsTreeMemory::kGranule, 100);
    const clsTreeMemory::Block refused = clsTreeMemory::Allocate(100, false);
    EXPECT_EQ(clsTreeMemory::BytesInUse(), nBase + 4 * clsTreeMemory::kGranule + clsTreeMemory::kHugePagesFrom);
#ifdef __linux__
    EXPECT_NE(VmFlagsOf(small.p).find(" nh "), std::string::npos);
    EXPECT_NE(VmFlagsOf(large.p).find(" hg "), std::string::npos);
    EXPECT_NE(VmFlagsOf(small.p + 2 * clsTreeMemory::kGranule).find(" hg "), std::string::npos);  // grown later
    EXPECT_NE(VmFlagsOf(refused.p).find(" nh "), std::string::npos);
    // Off, a block is in small pages however large the trees are.
    clsTreeMemory::SetHugePages(false);
    const clsTreeMemory::Block later = clsTreeMemory::Allocate(clsTreeMemory::kGranule);
    EXPECT_NE(VmFlagsOf(later.p).find(" nh "), std::string::npos);
    clsTreeMemory::Free(later);
#endif
    clsTreeMemory::Free(refused);
    small = clsTreeMemory::Shrink(small, 1);
    EXPECT_EQ(clsTreeMemory::BytesInUse(), nBase + clsTreeMemory::kGranule + clsTreeMemory::kHugePagesFrom);
    clsTreeMemory::Free(large);
    clsTreeMemory::Free(small);
    EXPECT_EQ(clsTreeMemory::BytesInUse(), nBase);
    clsTreeMemory::SetPoolLimit(std::size_t(256) << 20);
    clsTreeMemory::SetHugePages(bWasOn);
}

}  // namespace
}  // namespace orr
