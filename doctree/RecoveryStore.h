#pragma once
// The recovery folder: what each running program keeps of its changed,
// unsaved documents, so that nothing is lost when the program or the machine
// dies. Each program has its own session folder, held by a lock on its
// "lock" file for as long as the program lives (the system lets go of it
// when the process ends in any way), and in it one entry file per document.
// An entry is written to a temporary file, flushed to disk and renamed into
// place, so the file under the entry's name is always whole: the previous
// state or the new one. Session folders whose lock nobody holds were left
// behind by a program that did not end normally; the next program takes
// them over, offers their entries and deletes them.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/clsConfig.h"
#include "doctree/clsTreeDSave.h"

namespace orr {

// One document's unsaved state.
struct RecoveryEntry {
    std::string sFile;  // the document's file; "" for one never saved
    std::string sType;  // its definition
    SepCode nDelimiter = '*', nSelimiter = '~';
    clsTreeDSave::LineEnd lineEnd = clsTreeDSave::LineEnd::None;
    // The file as the document last read or wrote it, to notice at the next
    // save that another program changed it since.
    struct Stamp {
        std::int64_t nTime = 0;  // file clock ticks
        std::uintmax_t nSize = 0;

        bool operator==(const Stamp&) const = default;
    };
    std::optional<Stamp> stamp;
    std::string sText;  // the document as the writer saves it

    bool operator==(const RecoveryEntry&) const = default;
};

class RecoveryStore {
public:
    static constexpr const char* kEntrySuffix = ".entry";
    // An entry the user declined once: offered at one more start only.
    static constexpr const char* kDeclinedSuffix = ".declined";

    // An entry left behind by an earlier program.
    struct Found {
        std::string sPath;
        RecoveryEntry entry;
        bool bDeclined = false;
        std::filesystem::file_time_type written;
    };

    explicit RecoveryStore(std::string sDir);
    ~RecoveryStore();  // lets go of the locks held; the folders stay
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    const std::string& Dir() const { return msDir; }
    // Makes and locks this program's session folder; false with sError when
    // it cannot be made.
    bool OpenSession(std::string& sError);
    // The session folder ("" before OpenSession).
    const std::string& SessionDir() const { return msSession; }
    // The path of an entry of this session.
    std::string EntryPath(const std::string& sName) const;
    // The clean end: the session folder and everything in it deleted.
    void CloseSession();

    // Takes over the session folders nobody holds (their locks kept until
    // this store goes) and gives their entries, oldest first. Empty
    // folders, interrupted writes and entries that do not read are deleted.
    std::vector<Found> TakeLeftBehind();
    // The user said No: entries offered before are deleted, the others kept
    // for one more start.
    static void Decline(const std::vector<Found>& found);
    // Deletes an entry, and its session folder when nothing else is left in it.
    static void Discard(const std::string& sPath);

    // Writes an entry whole or not at all; false with the reason in sError.
    static bool Write(const std::string& sPath, const RecoveryEntry& entry, std::string& sError);
    static std::optional<RecoveryEntry> Read(const std::string& sPath);
    // The entry file's bytes: a header of "key=value" lines, then the text.
    static std::string Header(const RecoveryEntry& entry);
    static std::optional<RecoveryEntry> Parse(std::string_view sBytes);

private:
    // Locks a session folder's lock file (made when missing); the open
    // descriptor, or -1 when another program holds it.
    static int Lock(const std::filesystem::path& folder);

    std::string msDir;
    std::string msSession;
    std::vector<int> mLocks;  // this session's first, then the ones taken over
};

}  // namespace orr
