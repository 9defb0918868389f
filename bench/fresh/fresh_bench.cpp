// What the first touch of fresh memory costs on this machine right now: maps
// MiB (64 unless given) of anonymous memory, 2 MiB aligned as the tree
// store's blocks are, and faults it in with MADV_POPULATE_WRITE, in small
// pages from one thread and (in a new mapping) split between two, then
// marked for transparent huge pages from one thread. On our virtual machines
// the small pages take some 30 ms; the huge pages a few milliseconds on
// memory another process has just given back and ten to thirty times the
// small pages' time once the machine has sat idle for a few seconds
// (docs/PERFORMANCE.md), which is why the tree store asks for none by
// default. Linux only.
#include <sys/mman.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t kHuge = std::size_t(2) << 20;

// Milliseconds to fault in nBytes of a new mapping with nThreads threads.
// The mapping stays, so that the next call cannot get its pages.
double Populate(std::size_t nBytes, unsigned nThreads, bool bHuge)
{
    void* raw = ::mmap(nullptr, nBytes + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) {
        std::perror("mmap");
        std::exit(1);
    }
    char* p = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(raw) + kHuge - 1) & ~(kHuge - 1));
    ::madvise(p, nBytes, bHuge ? MADV_HUGEPAGE : MADV_NOHUGEPAGE);
    const auto t0 = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    const std::size_t nPart = nBytes / nThreads / kHuge * kHuge;
    for (unsigned i = 0; i < nThreads; ++i) {
        const std::size_t nFrom = i * nPart, n = i + 1 == nThreads ? nBytes - nFrom : nPart;
        threads.emplace_back([=] { ::madvise(p + nFrom, n, MADV_POPULATE_WRITE); });
    }
    for (std::thread& t : threads)
        t.join();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const std::size_t nMiB = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    const std::size_t nBytes = std::max<std::size_t>(nMiB, 2) << 20;
    const double one = Populate(nBytes, 1, false);
    const double two = Populate(nBytes, 2, false);
    const double huge = Populate(nBytes, 1, true);
    std::printf("fresh_mib=%zu one_thread_ms=%.1f two_threads_ms=%.1f huge_pages_ms=%.1f\n", nBytes >> 20, one, two,
                huge);
    return 0;
}
