#include "doctree/RecoveryWriter.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace orr {

RecoveryWriter::RecoveryWriter() : mThread([this] { Run(); }) {}

RecoveryWriter::~RecoveryWriter()
{
    {
        const std::lock_guard lock(mMutex);
        mbStop = true;
    }
    mWake.notify_one();
    mThread.join();
}

void RecoveryWriter::Write(const std::string& sPath, std::shared_ptr<const RecoveryEntry> entry)
{
    {
        const std::lock_guard lock(mMutex);
        const auto waiting = std::find_if(mJobs.begin(), mJobs.end(),
                                          [&](const Job& job) { return job.sPath == sPath && job.entry; });
        if (waiting != mJobs.end())
            waiting->entry = std::move(entry);
        else
            mJobs.push_back({sPath, std::move(entry), false});
    }
    mWake.notify_one();
}

void RecoveryWriter::Remove(const std::string& sPath, bool bFolderToo)
{
    {
        const std::lock_guard lock(mMutex);
        std::erase_if(mJobs, [&](const Job& job) { return job.sPath == sPath; });
        mJobs.push_back({sPath, nullptr, bFolderToo});
    }
    mWake.notify_one();
}

void RecoveryWriter::Wait()
{
    std::unique_lock lock(mMutex);
    mIdle.wait(lock, [this] { return mJobs.empty() && !mbBusy; });
}

std::optional<std::string> RecoveryWriter::TakeFailure()
{
    const std::lock_guard lock(mMutex);
    return std::exchange(mFailure, std::nullopt);
}

void RecoveryWriter::Run()
{
    std::unique_lock lock(mMutex);
    while (true) {
        mWake.wait(lock, [this] { return mbStop || !mJobs.empty(); });
        if (mJobs.empty())
            return;  // stopping, and nothing left to do
        const Job job = std::move(mJobs.front());
        mJobs.pop_front();
        mbBusy = true;
        lock.unlock();
        Do(job);
        lock.lock();
        mbBusy = false;
        if (mJobs.empty())
            mIdle.notify_all();
    }
}

void RecoveryWriter::Do(const Job& job)
{
    if (!job.entry) {
        std::error_code ec;
        if (job.bFolderToo)
            RecoveryStore::Discard(job.sPath);
        else
            std::filesystem::remove(job.sPath, ec);
        return;
    }
    std::string sError;
    const bool bOk = RecoveryStore::Write(job.sPath, *job.entry, sError);
    const std::lock_guard lock(mMutex);
    if (!bOk && !mbFailing)
        mFailure = "Unsaved changes could not be kept for recovery: " + sError;
    mbFailing = !bOk;
}

}  // namespace orr
