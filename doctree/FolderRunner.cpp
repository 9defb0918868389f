#include "doctree/FolderRunner.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <filesystem>
#include <istream>
#include <map>
#include <stdexcept>
#include <thread>

#include "doctree/MessageLog.h"

namespace orr {
namespace {

namespace fs = std::filesystem;

void AddFolder(const fs::path& dir, bool bRecursive, std::vector<std::string>& out)
{
    std::vector<fs::path> files, folders;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(dir, ec)) {
        if (e.is_directory(ec))
            folders.push_back(e.path());
        else
            files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    std::sort(folders.begin(), folders.end());
    for (const fs::path& f : files)
        out.push_back(f.string());
    if (bRecursive)
        for (const fs::path& f : folders)
            AddFolder(f, true, out);
}

FolderRunner::Result RunLogged(const FolderRunner::Job& job, const std::string& sFile)
{
    MessageLog log;
    FolderRunner::Result r;
    try {
        r = job(sFile);
    } catch (const std::exception& e) {
        r.nStatus = FolderRunner::kDied;
        gfMsgBox(e.what());
    }
    r.sLog += log.Text();
    return r;
}

// ---- the pipes between the runner and its workers: whole frames, retried on EINTR ----

bool WriteAll(int fd, const void* p, std::size_t n)
{
    const char* c = static_cast<const char*>(p);
    while (n > 0) {
        const ssize_t w = ::write(fd, c, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        c += w;
        n -= std::size_t(w);
    }
    return true;
}

bool ReadAll(int fd, void* p, std::size_t n)
{
    char* c = static_cast<char*>(p);
    while (n > 0) {
        const ssize_t r = ::read(fd, c, n);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        c += r;
        n -= std::size_t(r);
    }
    return true;
}

bool WriteString(int fd, const std::string& s)
{
    const auto n = std::uint64_t(s.size());
    return WriteAll(fd, &n, sizeof n) && WriteAll(fd, s.data(), s.size());
}

bool ReadString(int fd, std::string& s)
{
    std::uint64_t n = 0;
    if (!ReadAll(fd, &n, sizeof n))
        return false;
    s.resize(std::size_t(n));
    return ReadAll(fd, s.data(), s.size());
}

struct Worker {
    pid_t pid = -1;
    int toWorker = -1, fromWorker = -1;
    std::size_t nFile = 0;  // the file it works on
    bool bBusy = false;
};

[[noreturn]] void WorkerLoop(int in, int out, const std::vector<std::string>& files, const FolderRunner::Job& job)
{
    std::uint64_t nIndex = 0;
    while (ReadAll(in, &nIndex, sizeof nIndex)) {
        const FolderRunner::Result r = RunLogged(job, files[std::size_t(nIndex)]);
        const auto nStatus = std::int64_t(r.nStatus);
        if (!WriteAll(out, &nStatus, sizeof nStatus) || !WriteString(out, r.sOut) || !WriteString(out, r.sLog))
            break;
    }
    // No destructors, no buffered output of the parent's flushed twice.
    ::_exit(0);
}

Worker StartWorker(const std::vector<std::string>& files, const FolderRunner::Job& job,
                   const std::vector<Worker>& others)
{
    int down[2], up[2];
    if (::pipe(down) != 0)
        throw std::runtime_error(std::string("cannot start a worker: ") + std::strerror(errno));
    if (::pipe(up) != 0) {
        ::close(down[0]);
        ::close(down[1]);
        throw std::runtime_error(std::string("cannot start a worker: ") + std::strerror(errno));
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(down[1]);
        ::close(up[0]);
        for (const Worker& w : others)
            if (w.pid > 0) {
                ::close(w.toWorker);
                ::close(w.fromWorker);
            }
        WorkerLoop(down[0], up[1], files, job);
    }
    ::close(down[0]);
    ::close(up[1]);
    if (pid < 0) {
        ::close(down[1]);
        ::close(up[0]);
        throw std::runtime_error(std::string("cannot start a worker: ") + std::strerror(errno));
    }
    return Worker{pid, down[1], up[0]};
}

void StopWorker(Worker& w)
{
    if (w.pid <= 0)
        return;
    ::close(w.toWorker);
    ::close(w.fromWorker);
    int status = 0;
    while (::waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
    }
    w.pid = -1;
}

class Pool {
public:
    Pool(const std::vector<std::string>& files, unsigned nJobs, const FolderRunner::Job& job,
         const FolderRunner::Deliver& deliver, const FolderRunner::Idle& idle)
        : mFiles(files), mJob(job), mDeliver(deliver), mIdle(idle)
    {
        // A worker that dies must not end this process through its pipe.
        ::signal(SIGPIPE, SIG_IGN);
        mWorkers.resize(std::min<std::size_t>(nJobs, files.size()));
    }
    ~Pool()
    {
        for (Worker& w : mWorkers)
            StopWorker(w);
    }
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;

    bool Run()
    {
        for (Worker& w : mWorkers)
            Assign(w);
        while (mnDelivered < mFiles.size()) {
            if (mIdle && !mIdle())
                return false;
            std::vector<pollfd> fds;
            for (const Worker& w : mWorkers)
                if (w.bBusy)
                    fds.push_back({w.fromWorker, POLLIN, 0});
            if (::poll(fds.data(), nfds_t(fds.size()), mIdle ? 50 : -1) < 0 && errno != EINTR)
                throw std::runtime_error(std::string("poll: ") + std::strerror(errno));
            for (const pollfd& p : fds) {
                const auto w = std::find_if(mWorkers.begin(), mWorkers.end(),
                                            [&](const Worker& x) { return x.bBusy && x.fromWorker == p.fd; });
                if (p.revents && w != mWorkers.end())
                    Collect(*w);
            }
        }
        return true;
    }

private:
    void Assign(Worker& w)
    {
        if (mnNext >= mFiles.size())
            return StopWorker(w);
        if (w.pid <= 0)
            w = StartWorker(mFiles, mJob, mWorkers);
        w.nFile = mnNext++;
        w.bBusy = true;
        const auto nIndex = std::uint64_t(w.nFile);
        if (!WriteAll(w.toWorker, &nIndex, sizeof nIndex))
            Died(w);
    }

    void Collect(Worker& w)
    {
        std::int64_t nStatus = 0;
        FolderRunner::Result r;
        if (!ReadAll(w.fromWorker, &nStatus, sizeof nStatus) || !ReadString(w.fromWorker, r.sOut) ||
            !ReadString(w.fromWorker, r.sLog))
            return Died(w);
        r.nStatus = int(nStatus);
        Done(w, std::move(r));
    }

    void Died(Worker& w)
    {
        StopWorker(w);
        FolderRunner::Result r;
        r.nStatus = FolderRunner::kDied;
        r.sLog = "the worker checking it ended\n";
        Done(w, std::move(r));
    }

    void Done(Worker& w, FolderRunner::Result r)
    {
        w.bBusy = false;
        mWaiting.emplace(w.nFile, std::move(r));
        for (auto it = mWaiting.begin(); it != mWaiting.end() && it->first == mnDelivered; it = mWaiting.erase(it))
            mDeliver(mnDelivered++, it->second);
        Assign(w);
    }

    const std::vector<std::string>& mFiles;
    const FolderRunner::Job& mJob;
    const FolderRunner::Deliver& mDeliver;
    const FolderRunner::Idle& mIdle;
    std::vector<Worker> mWorkers;
    std::map<std::size_t, FolderRunner::Result> mWaiting;  // done before an earlier file
    std::size_t mnNext = 0, mnDelivered = 0;
};

}  // namespace

std::vector<std::string> FolderRunner::ExpandPaths(const std::vector<std::string>& paths, bool bRecursive,
                                                   std::istream& in)
{
    std::vector<std::string> out;
    for (const std::string& p : paths) {
        std::error_code ec;
        if (p == "-") {
            for (std::string sLine; std::getline(in, sLine);) {
                if (!sLine.empty() && sLine.back() == '\r')
                    sLine.pop_back();
                if (!sLine.empty())
                    out.push_back(sLine);
            }
        } else if (fs::is_directory(p, ec)) {
            AddFolder(p, bRecursive, out);
        } else {
            out.push_back(p);
        }
    }
    return out;
}

bool FolderRunner::Run(const std::vector<std::string>& files, unsigned nJobs, const Job& job,
                       const Deliver& deliver, const Idle& idle)
{
    if (nJobs <= 1 || files.size() <= 1) {
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (idle && !idle())
                return false;
            deliver(i, RunLogged(job, files[i]));
        }
        return true;
    }
    return Pool(files, nJobs, job, deliver, idle).Run();
}

unsigned FolderRunner::DefaultJobs() { return std::max(1u, std::thread::hardware_concurrency()); }

}  // namespace orr
