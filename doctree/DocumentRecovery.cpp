#include "doctree/DocumentRecovery.h"

#include <algorithm>

#include "doctree/RecoveryService.h"
#include "doctree/clsTreeDSave.h"

namespace orr {

DocumentRecovery::DocumentRecovery(EdiDocument& doc, std::shared_ptr<RecoveryService> service, std::string sPath)
    : mDoc(doc), mService(std::move(service)), msPath(std::move(sPath))
{
    mDoc.AddListener(this);
    mService->mDocuments.push_back(this);
}

DocumentRecovery::~DocumentRecovery()
{
    mDoc.RemoveListener(this);
    std::erase(mService->mDocuments, this);
    if (mbWritten)
        mService->Remove(msPath);
}

void DocumentRecovery::ContentChanged() { mChanged = Clock::now(); }

void DocumentRecovery::StateChanged()
{
    if (mDoc.Modified())
        return;
    mChanged.reset();
    if (mbWritten) {
        mService->Remove(msPath);
        mbWritten = false;
    }
}

bool DocumentRecovery::Poll(Clock::time_point now, Clock::duration interval)
{
    // Nothing is read from a tree a build is replacing.
    if (!mChanged || now - *mChanged < interval || !mDoc.Modified() || mDoc.Busy() || !mDoc.HasRoot())
        return false;
    HandOver();
    return true;
}

void DocumentRecovery::Restore(const RecoveryStore::Found& found)
{
    const RecoveryEntry& entry = found.entry;
    mDoc.SetFileName(entry.sFile);
    std::optional<EdiDocument::DiskStamp> stamp;
    if (entry.stamp && !entry.sFile.empty())
        stamp = EdiDocument::DiskStamp{entry.sFile,
                                       std::filesystem::file_time_type(std::filesystem::file_time_type::duration(
                                           entry.stamp->nTime)),
                                       entry.stamp->nSize};
    mDoc.SetDiskState(std::move(stamp));
    mDoc.MarkChanged();
    // This document's entry is on disk before the one found goes.
    HandOver();
    mService->Remove(found.sPath, true);
}

std::optional<RecoveryEntry> DocumentRecovery::Snapshot()
{
    RecoveryEntry entry;
    entry.sFile = mDoc.FileName();
    entry.sType = mDoc.Type();
    entry.nDelimiter = mDoc.Delimiter();
    entry.nSelimiter = mDoc.Selimiter();
    entry.lineEnd = mDoc.LineEndRead();
    if (const auto& stamp = mDoc.DiskState(); stamp && stamp->sFile == entry.sFile)
        entry.stamp = RecoveryEntry::Stamp{stamp->mtime.time_since_epoch().count(), stamp->nSize};
    clsTreeDSave writer;
    writer.SetDelimiter(entry.nDelimiter);
    writer.SetSelimiter(entry.nSelimiter);
    entry.sText = writer.ToText(mDoc.Root(), entry.lineEnd);
    if (writer.Refused())
        return std::nullopt;
    return entry;
}

void DocumentRecovery::HandOver()
{
    std::optional<RecoveryEntry> entry = Snapshot();
    if (!entry)
        return;  // a value holds a separator: the entry before stays, and a save says why
    mService->Write(msPath, std::make_shared<const RecoveryEntry>(std::move(*entry)));
    mChanged.reset();
    mbWritten = true;
}

}  // namespace orr
