#pragma once
// Recovery of unsaved changes for one running program: its session in the
// recovery folder, the writer thread, and the documents whose entries it
// keeps (DocumentRecovery). At the start it offers what programs that did
// not end normally left behind; at a clean end its session is deleted.
// Shared by the frame and every document it keeps, so whichever goes last
// ends it.
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "doctree/DocumentRecovery.h"
#include "doctree/RecoveryStore.h"
#include "doctree/RecoveryWriter.h"

namespace orr {

class EdiDocument;

class RecoveryService : public std::enable_shared_from_this<RecoveryService> {
public:
    using Clock = DocumentRecovery::Clock;
    using Found = RecoveryStore::Found;

    // Opens this program's session in sDir; when that fails nothing is
    // kept, and TakeReport says so once.
    static std::shared_ptr<RecoveryService> Start(const std::string& sDir);
    ~RecoveryService();
    RecoveryService(const RecoveryService&) = delete;
    RecoveryService& operator=(const RecoveryService&) = delete;

    // Keeps the document's entry from now on, until the result goes.
    std::unique_ptr<DocumentRecovery> Attach(EdiDocument& doc);
    // Hands over every entry that is due. The interval is the settings'
    // (RecoverySeconds; 0: no entries are kept).
    void Poll(Clock::time_point now);
    // What the status bar should say, once: the session could not be
    // opened, or a write failed.
    std::optional<std::string> TakeReport();

    // Asks whether to recover the entries earlier programs left behind.
    // Yes: they are given to be opened (each then Restored into its document
    // or given back with NotRecovered); No: they are kept for one more start.
    std::vector<Found> Offer();
    // The question for the entries found.
    static std::string OfferText(const std::vector<Found>& found);
    // An entry whose document could not be opened: as if declined.
    void NotRecovered(const Found& found);

    // The clean end: waits for the writes asked, deletes the session;
    // nothing is written after it.
    void End();
    // Returns once every write and removal asked so far is done.
    void Wait() { mWriter.Wait(); }
    const RecoveryStore& Store() const { return mStore; }

private:
    friend class DocumentRecovery;
    explicit RecoveryService(const std::string& sDir);
    bool Keeping() const { return !mbEnded && !mStore.SessionDir().empty(); }
    void Write(const std::string& sPath, std::shared_ptr<const RecoveryEntry> entry);
    void Remove(const std::string& sPath, bool bFolderToo = false);

    RecoveryStore mStore;
    RecoveryWriter mWriter;
    std::vector<DocumentRecovery*> mDocuments;
    std::uint32_t mnEntries = 0;
    std::optional<std::string> mReport;
    bool mbEnded = false;
};

}  // namespace orr
