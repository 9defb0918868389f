#include "doctree/RecoveryService.h"

#include <algorithm>
#include <ctime>
#include <utility>

#include "app/UiService.h"
#include "app/modGlobals.h"

namespace orr {
namespace {

// When an entry was last written, in local time.
std::string WrittenAt(std::filesystem::file_time_type written)
{
    const std::time_t t =
        std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written));
    std::tm local{};
    localtime_r(&t, &local);
    char buf[32];
    return std::string(buf, std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", &local));
}

}  // namespace

RecoveryService::RecoveryService(const std::string& sDir) : mStore(sDir) {}

std::shared_ptr<RecoveryService> RecoveryService::Start(const std::string& sDir)
{
    std::shared_ptr<RecoveryService> service(new RecoveryService(sDir));
    std::string sError;
    if (!service->mStore.OpenSession(sError))
        service->mReport = "Unsaved changes cannot be kept for recovery: " + sError;
    return service;
}

RecoveryService::~RecoveryService() { End(); }

std::unique_ptr<DocumentRecovery> RecoveryService::Attach(EdiDocument& doc)
{
    return std::make_unique<DocumentRecovery>(doc, shared_from_this(),
                                              mStore.EntryPath(std::to_string(++mnEntries)));
}

void RecoveryService::Poll(Clock::time_point now)
{
    const int nSeconds = gConfig ? gConfig->RecoverySeconds : kDefaultRecoverySeconds;
    if (nSeconds <= 0 || !Keeping())
        return;
    for (DocumentRecovery* document : std::vector<DocumentRecovery*>(mDocuments))
        document->Poll(now, std::chrono::seconds(nSeconds));
}

std::optional<std::string> RecoveryService::TakeReport()
{
    if (mReport)
        return std::exchange(mReport, std::nullopt);
    return mWriter.TakeFailure();
}

std::string RecoveryService::OfferText(const std::vector<Found>& found)
{
    const char* const kCrLf = "\r\n";
    const std::size_t n = found.size();
    std::string s = "Orrindale was not closed normally. Recover the unsaved changes of " + std::to_string(n) +
                    (n == 1 ? " document?" : " documents?") + kCrLf;
    for (const Found& f : found)
        s += std::string(kCrLf) + (f.entry.sFile.empty() ? "New document" : f.entry.sFile) + " (" + f.entry.sType +
             ", " + WrittenAt(f.written) + ")";
    return s + kCrLf + kCrLf + "No keeps them for one more start; after that they are deleted.";
}

std::vector<RecoveryService::Found> RecoveryService::Offer()
{
    std::vector<Found> found = mStore.TakeLeftBehind();
    if (found.empty())
        return found;
    if (gfMsgBox(OfferText(found), MsgIcon::Question, MsgButtons::YesNo, gConfig ? gConfig->AppTitle : "Orrindale") ==
        MsgAnswer::Yes)
        return found;
    RecoveryStore::Decline(found);
    return {};
}

void RecoveryService::NotRecovered(const Found& found) { RecoveryStore::Decline({found}); }

void RecoveryService::End()
{
    if (mbEnded)
        return;
    mbEnded = true;
    mWriter.Wait();
    mStore.CloseSession();
}

void RecoveryService::Write(const std::string& sPath, std::shared_ptr<const RecoveryEntry> entry)
{
    if (Keeping())
        mWriter.Write(sPath, std::move(entry));
}

void RecoveryService::Remove(const std::string& sPath, bool bFolderToo)
{
    if (Keeping())
        mWriter.Remove(sPath, bFolderToo);
}

}  // namespace orr
