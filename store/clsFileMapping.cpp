#include "store/clsFileMapping.h"

#include <algorithm>
#include <cstring>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#ifdef __linux__
#include <csignal>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orr {

#ifdef __linux__

// The helper thread that hears of lease breaks. The kernel sends SIGIO to
// it alone (F_OWNER_TID) and it waits for the signal with the signal
// blocked, so no handler runs anywhere and no other thread sees the signal.
// It lives as long as the process.
struct clsFileMapping::Watcher {
    std::mutex lock;  // the list, and every mapping's switch to a copy
    std::vector<clsFileMapping*> live;
    pid_t tid = 0;

    static Watcher& The()
    {
        static Watcher* p = Start();  // never destroyed: its thread runs to the end
        return *p;
    }

    static Watcher* Start()
    {
        auto* w = new Watcher;
        std::promise<pid_t> started;
        std::future<pid_t> tid = started.get_future();
        std::thread([w, started = std::move(started)]() mutable {
            sigset_t set;
            sigemptyset(&set);
            sigaddset(&set, SIGIO);
            pthread_sigmask(SIG_BLOCK, &set, nullptr);
            started.set_value(gettid());
            for (;;) {
                siginfo_t info;
                if (sigwaitinfo(&set, &info) == SIGIO)
                    w->CopyBroken();
            }
        }).detach();
        w->tid = tid.get();
        return w;
    }

    // Signals do not queue: look at every lease, not only the one named.
    void CopyBroken()
    {
        std::lock_guard<std::mutex> guard(lock);
        for (clsFileMapping* m : live)
            if (m->mfd >= 0 && ::fcntl(m->mfd, F_GETLEASE) != F_RDLCK)
                m->TakeCopy();
    }
};

std::unique_ptr<clsFileMapping> clsFileMapping::Open(const std::string& sFile)
{
    Watcher& w = Watcher::The();
    const int fd = ::open(sFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    const f_owner_ex owner{F_OWNER_TID, w.tid};
    struct stat st {};
    if (::fcntl(fd, F_SETOWN_EX, &owner) != 0 || ::fcntl(fd, F_SETLEASE, F_RDLCK) != 0 || ::fstat(fd, &st) != 0 ||
        !S_ISREG(st.st_mode) || st.st_size <= 0) {
        ::close(fd);  // closing gives the lease up
        return nullptr;
    }
    const std::size_t nSize = std::size_t(st.st_size);
    void* p = ::mmap(nullptr, nSize, PROT_READ, MAP_PRIVATE, fd, 0);
    if (p == MAP_FAILED) {
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<clsFileMapping> m(new clsFileMapping(fd, static_cast<char*>(p), nSize));
    std::lock_guard<std::mutex> guard(w.lock);
    w.live.push_back(m.get());
    // A break heard before the mapping was listed went unanswered.
    if (::fcntl(fd, F_GETLEASE) != F_RDLCK)
        m->TakeCopy();
    return m;
}

clsFileMapping::~clsFileMapping()
{
    Watcher& w = Watcher::The();
    {
        std::lock_guard<std::mutex> guard(w.lock);
        std::erase(w.live, this);
    }
    ::munmap(mp, mnSize);
    if (mfd >= 0)
        ::close(mfd);
}

void clsFileMapping::TakeCopy()
{
    // Copied while the writer waits for the lease; moved over the file's
    // pages in one step, so a reader on another thread sees the same bytes
    // before and after.
    void* copy = ::mmap(nullptr, mnSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (copy != MAP_FAILED) {
        std::memcpy(copy, mp, mnSize);
        ::mprotect(copy, mnSize, PROT_READ);
        if (::mremap(copy, mnSize, mnSize, MREMAP_MAYMOVE | MREMAP_FIXED, mp) == MAP_FAILED)
            ::munmap(copy, mnSize);
    }
    // Given up explicitly: a mapping left on the file (no memory for the
    // copy) would keep it until the mapping goes.
    ::fcntl(mfd, F_SETLEASE, F_UNLCK);
    ::close(mfd);
    mfd = -1;
}

namespace {
// The pages that hold a part of [nFrom, nFrom + n), clipped to the text.
std::pair<std::size_t, std::size_t> Pages(std::size_t nSize, std::size_t nFrom, std::size_t n)
{
    static const std::size_t nPage = std::size_t(::sysconf(_SC_PAGESIZE));
    const std::size_t nBegin = std::min(nFrom, nSize) / nPage * nPage;
    const std::size_t nEnd = std::min(nSize, nFrom + n);
    return {nBegin, nEnd > nBegin ? nEnd - nBegin : 0};
}
}  // namespace

void clsFileMapping::Load(std::size_t nFrom, std::size_t n) const
{
#ifdef MADV_POPULATE_READ
    const auto [nBegin, nBytes] = Pages(mnSize, nFrom, n);
    if (nBytes)
        ::madvise(mp + nBegin, nBytes, MADV_POPULATE_READ);
#endif
}

void clsFileMapping::Release(std::size_t nFrom, std::size_t n) const
{
    // Under the lock: on a private copy this would clear the text.
    std::lock_guard<std::mutex> guard(Watcher::The().lock);
    const auto [nBegin, nBytes] = Pages(mnSize, nFrom, n);
    if (mfd >= 0 && nBytes)
        ::madvise(mp + nBegin, nBytes, MADV_DONTNEED);
}

#else  // no leases: always read the file

std::unique_ptr<clsFileMapping> clsFileMapping::Open(const std::string&) { return nullptr; }
clsFileMapping::~clsFileMapping() = default;
void clsFileMapping::TakeCopy() {}
void clsFileMapping::Load(std::size_t, std::size_t) const {}
void clsFileMapping::Release(std::size_t, std::size_t) const {}

#endif

clsFileMapping::clsFileMapping(int fd, char* p, std::size_t nSize) : mfd(fd), mp(p), mnSize(nSize) {}

}  // namespace orr
