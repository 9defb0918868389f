#include "store/clsTreeMemory.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace orr {
namespace {

std::size_t Round(std::size_t n)
{
    return (std::max<std::size_t>(n, 1) + clsTreeMemory::kGranule - 1) & ~(clsTreeMemory::kGranule - 1);
}

// ORRINDALE_HUGEPAGES=1 measures what huge pages bring.
bool FromEnvironment(const char* sName, bool bDefault)
{
    const char* s = std::getenv(sName);
    return s && *s ? std::strcmp(s, "0") != 0 : bDefault;
}

std::atomic<bool> gbHugePages{FromEnvironment("ORRINDALE_HUGEPAGES", false)};
std::atomic<std::size_t> gnInUse{0};

// Faulting pages in ahead (PrefaultFor): -1 for large arrays only, 1 always,
// 0 never (ORRINDALE_PREFAULT=1 or 0 in the environment, to measure it).
int PrefaultSetting()
{
#ifdef MADV_POPULATE_WRITE
    const char* s = std::getenv("ORRINDALE_PREFAULT");
    return s && *s ? int(std::strcmp(s, "0") != 0) : -1;
#else
    return 0;
#endif
}

const int gnPrefault = PrefaultSetting();

// The helper thread of Prefault: ranges to fault in, oldest first. It
// lives as long as the process (detached), started by the first request.
struct Prefaulter {
    std::mutex lock;
    std::condition_variable wake;
    std::deque<clsTreeMemory::Block> queue;
    std::atomic<bool> bStarted{false};  // read without the lock by Forget

    void Push(clsTreeMemory::Block b)
    {
        {
            std::lock_guard<std::mutex> guard(lock);
            queue.push_back(b);
            if (!bStarted) {
                bStarted = true;
                std::thread([this] { Run(); }).detach();
            }
        }
        wake.notify_one();
    }
    // A block given back is not faulted in any more.
    void Forget(clsTreeMemory::Block b)
    {
        if (!bStarted)
            return;  // nothing was ever asked for
        std::lock_guard<std::mutex> guard(lock);
        std::erase_if(queue, [&](const clsTreeMemory::Block& q) { return q.p >= b.p && q.p < b.p + b.nBytes; });
    }
    void Run()
    {
        for (;;) {
            clsTreeMemory::Block b;
            {
                std::unique_lock<std::mutex> guard(lock);
                wake.wait(guard, [this] { return !queue.empty(); });
                b = queue.front();
                queue.pop_front();
            }
            // A range unmapped meanwhile fails harmlessly.
            clsTreeMemory::Populate(b.p, b.nBytes);
        }
    }
};

Prefaulter& ThePrefaulter()
{
    static Prefaulter* p = new Prefaulter;  // never destroyed: its thread runs to the end
    return *p;
}

struct Pool {
    std::mutex lock;
    std::vector<clsTreeMemory::Block> blocks;
    std::size_t nBytes = 0;
    std::size_t nLimit = clsTreeMemory::kPoolLimit;
};

Pool& ThePool()
{
    static Pool* p = new Pool;  // never destroyed: trees may outlive static destruction
    return *p;
}

#ifdef __linux__

void Advise(char* p, std::size_t n, bool bHugeOk = true)
{
    const bool bHuge = bHugeOk && gbHugePages && gnInUse >= clsTreeMemory::kHugePagesFrom;
    ::madvise(p, n, bHuge ? MADV_HUGEPAGE : MADV_NOHUGEPAGE);
}

// n bytes (a multiple of the granule) at an address aligned to the granule:
// map one granule more and cut the ends off.
clsTreeMemory::Block Map(std::size_t n, bool bHugeOk = true)
{
    const std::size_t nMap = n + clsTreeMemory::kGranule;
    void* raw = ::mmap(nullptr, nMap, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (raw == MAP_FAILED)
        throw std::bad_alloc();
    char* const base = static_cast<char*>(raw);
    const std::uintptr_t a = reinterpret_cast<std::uintptr_t>(base);
    const std::size_t nLead =
        (clsTreeMemory::kGranule - (a & (clsTreeMemory::kGranule - 1))) & (clsTreeMemory::kGranule - 1);
    if (nLead)
        ::munmap(base, nLead);
    if (nMap - nLead > n)
        ::munmap(base + nLead + n, nMap - nLead - n);
    Advise(base + nLead, n, bHugeOk);
    return {base + nLead, n};
}

void Unmap(clsTreeMemory::Block b) { ::munmap(b.p, b.nBytes); }

clsTreeMemory::Block GrowMapping(clsTreeMemory::Block b, std::size_t n, std::size_t)
{
    // In place when the address space after the block is free; else a new
    // aligned range, into which the old pages move (no copy).
    if (::mremap(b.p, b.nBytes, n, 0) != MAP_FAILED) {
        Advise(b.p + b.nBytes, n - b.nBytes);
        return {b.p, n};
    }
    const clsTreeMemory::Block to = Map(n);
    if (::mremap(b.p, b.nBytes, b.nBytes, MREMAP_MAYMOVE | MREMAP_FIXED, to.p) == MAP_FAILED) {
        Unmap(to);
        throw std::bad_alloc();
    }
    return to;
}

void Release(clsTreeMemory::Block b) { ::madvise(b.p, b.nBytes, MADV_FREE); }

clsTreeMemory::Block ShrinkMapping(clsTreeMemory::Block b, std::size_t n)
{
    ::munmap(b.p + n, b.nBytes - n);
    return {b.p, n};
}

#else  // other systems: the C heap, aligned

clsTreeMemory::Block Map(std::size_t n, bool = true)
{
    void* p = std::aligned_alloc(clsTreeMemory::kGranule, n);
    if (!p)
        throw std::bad_alloc();
    return {static_cast<char*>(p), n};
}

void Unmap(clsTreeMemory::Block b) { std::free(b.p); }

void Advise(char*, std::size_t, bool = true) {}

clsTreeMemory::Block GrowMapping(clsTreeMemory::Block b, std::size_t n, std::size_t nKeep)
{
    const clsTreeMemory::Block to = Map(n);
    std::memcpy(to.p, b.p, nKeep);
    Unmap(b);
    return to;
}

void Release(clsTreeMemory::Block) {}

clsTreeMemory::Block ShrinkMapping(clsTreeMemory::Block b, std::size_t) { return b; }

#endif

}  // namespace

clsTreeMemory::Block clsTreeMemory::Allocate(std::size_t nBytes, bool bHugeOk)
{
    const std::size_t n = Round(nBytes);
    gnInUse += n;  // first, so that the advice counts this block
    Block b;
    try {
        b = Take(n, bHugeOk);
    } catch (...) {
        gnInUse -= n;
        throw;
    }
    gnInUse += b.nBytes - n;  // a pooled block may be larger
    return b;
}

clsTreeMemory::Block clsTreeMemory::Take(std::size_t n, bool bHugeOk)
{
    Pool& pool = ThePool();
    {
        std::lock_guard<std::mutex> guard(pool.lock);
        // The smallest pooled block that is large enough.
        auto best = pool.blocks.end();
        for (auto it = pool.blocks.begin(); it != pool.blocks.end(); ++it)
            if (it->nBytes >= n && (best == pool.blocks.end() || it->nBytes < best->nBytes))
                best = it;
        if (best != pool.blocks.end()) {
            const Block b = *best;
            pool.blocks.erase(best);
            pool.nBytes -= b.nBytes;
            Advise(b.p, b.nBytes, bHugeOk);  // as asked now
            return b;
        }
    }
    return Map(n, bHugeOk);
}

clsTreeMemory::Block clsTreeMemory::Grow(Block b, std::size_t nBytes, std::size_t nKeep)
{
    if (!b.p)
        return Allocate(nBytes);
    const std::size_t n = Round(nBytes);
    if (n <= b.nBytes)
        return b;
    gnInUse += n - b.nBytes;
    Block to;
    try {
        to = GrowMapping(b, n, nKeep);
    } catch (...) {
        gnInUse -= n - b.nBytes;
        throw;
    }
    if (to.p != b.p)
        ThePrefaulter().Forget(b);
    return to;
}

clsTreeMemory::Block clsTreeMemory::Shrink(Block b, std::size_t nBytes)
{
    const std::size_t n = Round(nBytes);
    if (!b.p || n >= b.nBytes)
        return b;
    gnInUse -= b.nBytes - n;
    return ShrinkMapping(b, n);
}

void clsTreeMemory::Free(Block b)
{
    if (!b.p)
        return;
    gnInUse -= b.nBytes;
    ThePrefaulter().Forget(b);
    Pool& pool = ThePool();
    {
        std::lock_guard<std::mutex> guard(pool.lock);
        if (pool.nBytes + b.nBytes <= pool.nLimit) {
            Release(b);  // the kernel may take the pages back under pressure
            pool.blocks.push_back(b);
            pool.nBytes += b.nBytes;
            return;
        }
    }
    Unmap(b);
}

clsTreeMemory::Block clsTreeMemory::GrowArray(Block b, void* pHeap, std::size_t nBytes, std::size_t nKeep)
{
    if (b.p)
        return Grow(b, nBytes, nKeep);
    const Block to = Allocate(nBytes);
    if (nKeep)
        std::memcpy(to.p, pHeap, nKeep);
    std::free(pHeap);
    return to;
}

void clsTreeMemory::FreeArray(Block b, void* pHeap)
{
    if (b.p)
        Free(b);
    else
        std::free(pHeap);
}

bool clsTreeMemory::PrefaultFor(std::size_t nBytes)
{
    return gnPrefault > 0 || (gnPrefault < 0 && nBytes >= kPrefaultFrom);
}

void clsTreeMemory::Prefault(char* p, std::size_t nBytes)
{
    if (gnPrefault != 0 && p && nBytes)
        ThePrefaulter().Push({p, nBytes});
}

void clsTreeMemory::Populate(void* p, std::size_t nBytes)
{
#ifdef MADV_POPULATE_WRITE
    // Whole pages only: the pages at either end may belong to a neighbour.
    const auto nPage = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    const auto nAt = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t nFrom = (nAt + nPage - 1) & ~(nPage - 1);
    const std::uintptr_t nTo = (nAt + nBytes) & ~(nPage - 1);
    if (nFrom < nTo)
        ::madvise(reinterpret_cast<void*>(nFrom), nTo - nFrom, MADV_POPULATE_WRITE);
#else
    (void)p;
    (void)nBytes;
#endif
}

void clsTreeMemory::SetHugePages(bool bOn) { gbHugePages = bOn; }

bool clsTreeMemory::HugePages() { return gbHugePages; }

void clsTreeMemory::SetPoolLimit(std::size_t nBytes)
{
    Pool& pool = ThePool();
    std::vector<Block> drop;
    {
        std::lock_guard<std::mutex> guard(pool.lock);
        pool.nLimit = nBytes;
        while (pool.nBytes > pool.nLimit) {
            drop.push_back(pool.blocks.back());
            pool.nBytes -= pool.blocks.back().nBytes;
            pool.blocks.pop_back();
        }
    }
    for (const Block& b : drop)
        Unmap(b);
}

std::size_t clsTreeMemory::BytesInUse() { return gnInUse; }

std::size_t clsTreeMemory::PooledBytes()
{
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> guard(pool.lock);
    return pool.nBytes;
}

}  // namespace orr
