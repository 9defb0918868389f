#pragma once
// Keeps one document's recovery entry while it has unsaved changes: a change
// makes an entry due once the interval has passed without another change;
// the entry is made here (the writer's text of the document, on the caller's
// thread, so the tree is never read while it changes) and handed to the
// service's writer thread for the disk. Saving, undoing back to the saved
// state and the document going away (closed without saving, or at the
// program's end) remove the entry.
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "doctree/EdiDocument.h"
#include "doctree/RecoveryStore.h"

namespace orr {

class RecoveryService;

class DocumentRecovery final : private DocumentListener {
public:
    using Clock = std::chrono::steady_clock;

    DocumentRecovery(EdiDocument& doc, std::shared_ptr<RecoveryService> service, std::string sPath);
    ~DocumentRecovery() override;
    DocumentRecovery(const DocumentRecovery&) = delete;
    DocumentRecovery& operator=(const DocumentRecovery&) = delete;

    const std::string& Path() const { return msPath; }
    // Hands the entry to the writer when the document changed, is still
    // changed and nothing changed during the last interval. True when it did.
    bool Poll(Clock::time_point now, Clock::duration interval);
    // Makes the document what a found entry holds (read into it already):
    // its file's name and state, changed; the entry is written as this
    // document's at once and the found one deleted after it.
    void Restore(const RecoveryStore::Found& found);

    // The entry as it would be written now.
    std::optional<RecoveryEntry> Snapshot();  // none when the writer refuses (a value holds a separator)

private:
    void ContentChanged() override;
    void StateChanged() override;
    void HandOver();

    EdiDocument& mDoc;
    std::shared_ptr<RecoveryService> mService;
    std::string msPath;
    std::optional<Clock::time_point> mChanged;  // not yet written since
    bool mbWritten = false;
};

}  // namespace orr
