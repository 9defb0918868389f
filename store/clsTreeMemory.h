#pragma once
// Large blocks of memory for the tree store's per-node arrays and the text
// arena, straight from the operating system.
//
// Why not the C heap: a document of 50 MiB needs some 120 MiB of fresh
// memory while it opens, and on the virtual machines we run on the first
// touch of every 4 KiB page costs more than building the nodes in it. Here
// a block is a multiple of 2 MiB, aligned to 2 MiB; growing a block moves
// its pages instead of copying them, so a growing array never needs twice
// its size; and blocks given back stay in a process-wide pool (up to a
// limit) for the next document, whose pages are then already there.
//
// Blocks are in small pages. Transparent huge pages (one fault per 2 MiB)
// are off unless asked for: a free 2 MiB page on our virtual machines is
// often one the host took back, and then it costs ten times its 512 small
// ones. Asked for, they go only to blocks given out once the trees of the
// process hold kHugePagesFrom, so a small document keeps no partly used
// 2 MiB page per array.
//
// Thread-safe; every call takes the pool's lock, and calls are rare (one per
// 2 MiB at most).
#include <cstddef>

namespace orr {

class clsTreeMemory {
public:
    static constexpr std::size_t kGranule = std::size_t(2) << 20;  // a huge page
    static constexpr std::size_t kHugePagesFrom = std::size_t(8) << 20;

    struct Block {
        char* p = nullptr;
        std::size_t nBytes = 0;  // a multiple of kGranule
    };

    // A block of at least nBytes; its content is undefined. Throws std::bad_alloc.
    // bHugeOk false: never huge pages (a block likely to stay mostly empty).
    static Block Allocate(std::size_t nBytes, bool bHugeOk = true);
    // The block with room for nBytes, its first nKeep bytes kept; it may move.
    static Block Grow(Block b, std::size_t nBytes, std::size_t nKeep);
    // Gives back the pages after the first nBytes (rounded up to kGranule).
    static Block Shrink(Block b, std::size_t nBytes);
    // Into the pool, or back to the system when the pool is full.
    static void Free(Block b);
    // For an array that starts on the C heap (pHeap, from malloc) and moves
    // to a block once large: Grow, or the heap's first nKeep bytes moved into
    // a new block (the heap memory freed); and Free, or free(pHeap) without a block.
    static Block GrowArray(Block b, void* pHeap, std::size_t nBytes, std::size_t nKeep);
    static void FreeArray(Block b, void* pHeap);

    // Transparent huge pages for new blocks (from kHugePagesFrom in use): off
    // unless the environment has ORRINDALE_HUGEPAGES=1 (to measure what they bring).
    static void SetHugePages(bool bOn);
    static bool HugePages();
    // Whether an array that is to grow to nBytes should have its pages
    // faulted in ahead (Prefault): from kPrefaultFrom on. On a virtual
    // machine a fresh page's first touch is slow, and a second core clearing
    // the next pages makes a 50 MiB open 4-15 % faster; a small array would
    // only pay the pages faulted past its end (up to 2 MiB more peak).
    // ORRINDALE_PREFAULT=1 or 0 in the environment: always or never.
    static bool PrefaultFor(std::size_t nBytes);
    static constexpr std::size_t kPrefaultFrom = std::size_t(32) << 20;
    // Asks a helper thread to fault in [p, p + nBytes) of a block ahead of
    // its use, so that the kernel clears fresh pages on another core while
    // this one fills the pages before.
    static void Prefault(char* p, std::size_t nBytes);
    // Faults in the whole pages within [p, p + nBytes) at once, here: for
    // fresh memory about to be filled in full (on our virtual machines a
    // page's first touch costs ten times its share of one such call).
    // Contents stay as they are.
    static void Populate(void* p, std::size_t nBytes);

    // The most the pool keeps (by default kPoolLimit); 0 empties it.
    static constexpr std::size_t kPoolLimit = std::size_t(256) << 20;
    static void SetPoolLimit(std::size_t nBytes);
    static std::size_t PooledBytes();
    // The bytes of the blocks given out and not freed.
    static std::size_t BytesInUse();

private:
    static Block Take(std::size_t n, bool bHugeOk);  // from the pool or the system
};

}  // namespace orr
