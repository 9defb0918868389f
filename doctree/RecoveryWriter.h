#pragma once
// Writes and removes recovery entries on a thread of its own, in the order
// asked, so that editing never waits for the disk. A write still waiting is
// replaced by a newer one of the same entry and dropped by its removal; a
// removal waits for a write of its entry that is under way.
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "doctree/RecoveryStore.h"

namespace orr {

class RecoveryWriter {
public:
    RecoveryWriter();
    // Does what was asked, then ends the thread.
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    void Write(const std::string& sPath, std::shared_ptr<const RecoveryEntry> entry);
    // Deletes an entry; bFolderToo: one left behind by another program,
    // whose folder goes with its last entry (RecoveryStore::Discard).
    void Remove(const std::string& sPath, bool bFolderToo = false);
    // Returns once everything asked so far is done.
    void Wait();
    // The reason of a failed write, once for a run of failures: nothing
    // more is said until a write succeeds again.
    std::optional<std::string> TakeFailure();

private:
    struct Job {
        std::string sPath;
        std::shared_ptr<const RecoveryEntry> entry;  // null: remove
        bool bFolderToo = false;
    };
    void Run();
    void Do(const Job& job);

    std::mutex mMutex;
    std::condition_variable mWake, mIdle;
    std::deque<Job> mJobs;
    bool mbBusy = false, mbStop = false;
    bool mbFailing = false;
    std::optional<std::string> mFailure;
    std::thread mThread;  // last: starts once the rest is made
};

}  // namespace orr
