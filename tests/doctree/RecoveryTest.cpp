#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <fcntl.h>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "app/modGlobals.h"
#include "doctree/RecoveryService.h"
#include "doctree/RecoveryStore.h"
#include "doctree/RecoveryWriter.h"
#include "tests/editing/EditFixture.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::EditDoc;
using test::EditEnv;
using test::TestEnv;
using Clock = DocumentRecovery::Clock;
using LineEnd = clsTreeDSave::LineEnd;

const char* const kBeg03 = "/1/2/2/2/3";

RecoveryEntry SampleEntry()
{
    RecoveryEntry e;
    e.sFile = "/home/a%b/line\nbreak\r.edi";
    e.sType = "850";
    e.nDelimiter = '|';
    e.nSelimiter = 0x2026;
    e.lineEnd = LineEnd::CrLf;
    e.stamp = RecoveryEntry::Stamp{-1234567890123, 4711};
    for (int c = 0; c < 256; ++c)
        e.sText += char(c);
    e.sText += "\ntext=9\n";  // a header line inside the text is text
    return e;
}

std::vector<std::string> FilesIn(const std::string& sDir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(sDir, ec))
        names.push_back(fs::relative(e.path(), sDir).string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(RecoveryStore, EntriesReadBackExactlyAndAnythingCutShortIsRefused)
{
    const RecoveryEntry e = SampleEntry();
    const std::string sBytes = RecoveryStore::Header(e) + e.sText;
    EXPECT_EQ(RecoveryStore::Parse(sBytes), e);
    // Every cut, also inside the header and one byte before the end.
    for (std::size_t n = 0; n < sBytes.size(); ++n)
        ASSERT_FALSE(RecoveryStore::Parse(std::string_view(sBytes).substr(0, n))) << n;
    EXPECT_FALSE(RecoveryStore::Parse(sBytes + "x"));

    RecoveryEntry plain;  // no stamp, no file, no text
    plain.sType = "FreeForm";
    EXPECT_EQ(RecoveryStore::Parse(RecoveryStore::Header(plain)), plain);
    // Keys of later versions are passed over; damaged values are refused.
    const std::string sHeader = RecoveryStore::Header(plain);
    EXPECT_EQ(RecoveryStore::Parse(TestEnv::Replaced(sHeader, "type=", "colour=blue\ntype=")), plain);
    for (const auto& [sOld, sNew] : std::vector<std::pair<std::string, std::string>>{
             {"delimiter=42", "delimiter=x"},
             {"selimiter=126", "selimiter=70000"},
             {"lineend=none", "lineend=cr"},
             {"file=", "file=%4"},
             {"type=FreeForm\n", ""},
             {"Orrindale recovery 1", "Orrindale recovery 2"}})
        EXPECT_FALSE(RecoveryStore::Parse(TestEnv::Replaced(sHeader, sOld, sNew))) << sNew;
    EXPECT_FALSE(RecoveryStore::Parse(RecoveryStore::Header(e) + "stamp=1\n" + e.sText));
}

TEST(RecoveryStore, SessionsOfRunningProgramsAreLeftAloneAndOthersTakenOver)
{
    TestEnv env;
    const std::string sDir = env.Path("Recovery");
    std::string sError;
    std::string sEntry, sSession;
    {
        RecoveryStore running(sDir);
        ASSERT_TRUE(running.OpenSession(sError)) << sError;
        sSession = running.SessionDir();
        EXPECT_EQ(fs::path(sSession).parent_path(), fs::path(sDir));
        sEntry = running.EntryPath("1");
        ASSERT_TRUE(RecoveryStore::Write(sEntry, SampleEntry(), sError)) << sError;
        EXPECT_EQ(RecoveryStore::Read(sEntry), SampleEntry());
        // Another program starting now sees a session in use.
        RecoveryStore other(sDir);
        EXPECT_TRUE(other.TakeLeftBehind().empty());
        EXPECT_TRUE(fs::exists(sEntry));
        // A write cut short and an entry that does not read, for the next start.
        TestEnv::WriteFile(sEntry.substr(0, sEntry.size() - 6) + "2.entry.tmp", "Orrindale rec");
        TestEnv::WriteFile(running.EntryPath("3"), "Orrindale recovery 1\ntext=5\nabc");
    }  // ends without closing its session, as a killed program does

    // An empty session left behind, and one still starting (hidden).
    fs::create_directories(sDir + "/empty");
    fs::create_directories(sDir + "/.starting");
    std::optional<RecoveryStore> next(std::in_place, sDir);
    std::vector<RecoveryStore::Found> found = next->TakeLeftBehind();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].sPath, sEntry);
    EXPECT_EQ(found[0].entry, SampleEntry());
    EXPECT_FALSE(found[0].bDeclined);
    const std::string sName = fs::path(sSession).filename().string();
    EXPECT_EQ(FilesIn(sDir), (std::vector<std::string>{".starting", sName, sName + "/1.entry", sName + "/lock"}));
    // Taken over: no other program gets it while this one decides.
    EXPECT_TRUE(RecoveryStore(sDir).TakeLeftBehind().empty());

    // No once: kept for one more start, marked; No again: deleted with its folder.
    RecoveryStore::Decline(found);
    EXPECT_EQ(FilesIn(sDir), (std::vector<std::string>{".starting", sName, sName + "/1.declined", sName + "/lock"}));
    next.emplace(sDir);
    found = next->TakeLeftBehind();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(found[0].bDeclined);
    RecoveryStore::Decline(found);
    EXPECT_EQ(FilesIn(sDir), std::vector<std::string>{".starting"});

    // A clean end leaves nothing of its session.
    ASSERT_TRUE(next->OpenSession(sError));
    ASSERT_TRUE(RecoveryStore::Write(next->EntryPath("1"), SampleEntry(), sError));
    next->CloseSession();
    EXPECT_EQ(FilesIn(sDir), std::vector<std::string>{".starting"});
}

TEST(RecoveryWriter, AFailedWriteIsSaidOnceUntilOneSucceeds)
{
    TestEnv env;
    RecoveryWriter writer;
    const auto entry = std::make_shared<const RecoveryEntry>(SampleEntry());
    const std::string sMissing = env.Path("gone/1.entry");
    writer.Write(sMissing, entry);
    writer.Wait();
    EXPECT_EQ(writer.TakeFailure(), "Unsaved changes could not be kept for recovery: No such file or directory: " +
                                        sMissing);
    writer.Write(sMissing, entry);
    writer.Wait();
    EXPECT_EQ(writer.TakeFailure(), std::nullopt);
    writer.Write(env.Path("1.entry"), entry);
    writer.Write(sMissing, entry);
    writer.Wait();
    EXPECT_TRUE(writer.TakeFailure());
    // Removing what is written, after it was written.
    writer.Write(env.Path("2.entry"), entry);
    writer.Remove(env.Path("2.entry"));
    writer.Remove(env.Path("1.entry"));
    writer.Wait();
    EXPECT_FALSE(fs::exists(env.Path("1.entry")));
    EXPECT_FALSE(fs::exists(env.Path("2.entry")));
    EXPECT_FALSE(fs::exists(env.Path("2.entry.tmp")));
}

// The file name the window gives a document it opened.
void Named(EditDoc& d, EditEnv& env) { d.doc.SetFileName(env.Path("E1.edi")); }

// A document of E1 open for editing with its recovery kept in the environment.
struct Recovering {
    explicit Recovering(EditEnv& env, const std::string& sText = test::DocumentE1())
        : d(env, sText), service(RecoveryService::Start(env.Path("Recovery"))), recovery(service->Attach(d.doc))
    {
        Named(d, env);
    }
    // The entry on disk after everything asked was done, or nothing.
    std::optional<RecoveryEntry> Entry()
    {
        service->Wait();
        return RecoveryStore::Read(recovery->Path());
    }
    void Edit(const std::string& sBeg03) { d.Select(kBeg03).editor.EditLabel(sBeg03); }

    EditDoc d;
    std::shared_ptr<RecoveryService> service;
    std::unique_ptr<DocumentRecovery> recovery;
};

TEST(DocumentRecovery, EntryFollowsChangesAndGoesWithSaveUndoAndClose)
{
    EditEnv env;
    Recovering r(env);
    const std::string sFile = env.Path("E1.edi");
    const Clock::time_point later = Clock::now() + std::chrono::hours(1);
    const auto interval = std::chrono::seconds(30);
    EXPECT_FALSE(r.recovery->Poll(later, interval));  // nothing changed yet

    r.Edit("PO77");
    EXPECT_FALSE(r.recovery->Poll(Clock::now(), interval));  // too soon after the change
    EXPECT_FALSE(r.Entry());
    ASSERT_TRUE(r.recovery->Poll(later, interval));
    EXPECT_FALSE(r.recovery->Poll(later, interval));  // written: nothing new since
    std::optional<RecoveryEntry> entry = r.Entry();
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->sFile, sFile);
    EXPECT_EQ(entry->sType, "E1");
    EXPECT_EQ(entry->nDelimiter, '*');
    EXPECT_EQ(entry->nSelimiter, '~');
    EXPECT_EQ(entry->lineEnd, LineEnd::Lf);
    ASSERT_TRUE(entry->stamp);
    EXPECT_EQ(entry->stamp->nSize, fs::file_size(sFile));
    // The file's text with the change: what saving would write.
    EXPECT_EQ(entry->sText, TestEnv::Replaced(test::DocumentE1(), "BEG*00**PO1~", "BEG*00**PO77~"));

    // Undone to the saved state: no unsaved changes, no entry; redone: due again.
    r.d.editor.Undo();
    EXPECT_FALSE(r.Entry());
    r.d.editor.Redo();
    ASSERT_TRUE(r.recovery->Poll(later, interval));
    EXPECT_TRUE(r.Entry());
    // Saving removes it, also when an older write was still waiting.
    r.Edit("PO78");
    ASSERT_TRUE(r.recovery->Poll(later, interval));
    env.ui.QueueAnswer(MsgAnswer::No);  // no line breaks added
    ASSERT_TRUE(r.d.doc.SaveTo(sFile));
    EXPECT_FALSE(r.Entry());
    // Closing without saving removes it.
    r.Edit("PO79");
    ASSERT_TRUE(r.recovery->Poll(later, interval));
    ASSERT_TRUE(r.Entry());
    const std::string sPath = r.recovery->Path();
    r.recovery.reset();
    r.service->Wait();
    EXPECT_FALSE(fs::exists(sPath));
    // The clean end removes the session.
    r.service->End();
    EXPECT_TRUE(FilesIn(env.Path("Recovery")).empty());
}

TEST(RecoveryService, PollsDueDocumentsAtTheSettingsInterval)
{
    EditEnv env;
    Recovering r(env);
    r.Edit("PO5");
    env.config->RecoverySeconds = 0;  // kept for recovery: never
    r.service->Poll(Clock::now() + std::chrono::hours(1));
    EXPECT_FALSE(r.Entry());
    env.config->RecoverySeconds = 5;
    r.service->Poll(Clock::now() + std::chrono::seconds(1));
    EXPECT_FALSE(r.Entry());
    r.service->Poll(Clock::now() + std::chrono::seconds(6));
    EXPECT_TRUE(r.Entry());
    EXPECT_EQ(r.service->TakeReport(), std::nullopt);

    // A recovery folder that cannot be made is said once, and editing goes on.
    TestEnv::WriteFile(env.Path("file"), "");
    const auto broken = RecoveryService::Start(env.Path("file/Recovery"));
    const std::optional<std::string> report = broken->TakeReport();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->rfind("Unsaved changes cannot be kept for recovery: Not a directory: ", 0), 0u) << *report;
    EXPECT_EQ(broken->TakeReport(), std::nullopt);
    EditDoc other(env, test::DocumentE1(), "E1");
    auto kept = broken->Attach(other.doc);
    other.Select(kBeg03).editor.EditLabel("PO6");
    broken->Poll(Clock::now() + std::chrono::hours(1));
    EXPECT_EQ(other.At(kBeg03).Text(), "PO6");
}

// Ends the process at once, as a killed program ends: no destructor runs,
// so nothing of it is cleaned up.
[[noreturn]] void DieNow() { ::_exit(::testing::Test::HasFailure() ? 1 : 0); }

// Runs fn in a child process that dies; fn calls DieNow before its own
// locals would clean up after it.
void InAProgramThatDies(const std::function<void()>& fn)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        fn();
        DieNow();
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(RecoveryService, LeftBehindEntriesAreOfferedRestoredOrDeclined)
{
    EditEnv env;
    const std::string sFile = env.Path("E1.edi");
    const std::string sRecovery = env.Path("Recovery");
    // A program that dies with two changed documents, one never saved.
    InAProgramThatDies([&] {
        auto killed = RecoveryService::Start(sRecovery);
        EditDoc d(env, test::DocumentE1());
        Named(d, env);
        auto kept = killed->Attach(d.doc);
        d.Select(kBeg03).editor.EditLabel("PO42");
        EXPECT_TRUE(kept->Poll(Clock::now(), {}));
        RecoveryEntry unsaved = *kept->Snapshot();
        unsaved.sFile.clear();
        unsaved.stamp.reset();
        std::string sError;
        EXPECT_TRUE(RecoveryStore::Write(killed->Store().EntryPath("9"), unsaved, sError));
        killed->Wait();
        DieNow();
    });
    auto service = RecoveryService::Start(sRecovery);
    env.ui.QueueAnswer(MsgAnswer::No);
    EXPECT_TRUE(service->Offer().empty());
    ASSERT_FALSE(env.ui.Messages().empty());
    const std::string sText = env.ui.Messages().back();
    EXPECT_EQ(sText.rfind("Orrindale was not closed normally. Recover the unsaved changes of 2 documents?\r\n\r\n", 0),
              0u)
        << sText;
    EXPECT_NE(sText.find("\r\n" + sFile + " (E1, "), std::string::npos);
    EXPECT_NE(sText.find("\r\nNew document (E1, "), std::string::npos);
    EXPECT_TRUE(sText.ends_with(")\r\n\r\nNo keeps them for one more start; after that they are deleted."));
    EXPECT_EQ(env.ui.Calls().back().buttons, MsgButtons::YesNo);
    service.reset();

    // The next start offers them again; Yes gives them to be opened.
    service = RecoveryService::Start(sRecovery);
    env.ui.QueueAnswer(MsgAnswer::Yes);
    std::vector<RecoveryService::Found> found = service->Offer();
    ASSERT_EQ(found.size(), 2u);
    const auto saved = std::find_if(found.begin(), found.end(), [](const auto& f) { return !f.entry.sFile.empty(); });
    ASSERT_NE(saved, found.end());
    EXPECT_TRUE(saved->bDeclined);

    // Opened (from a work file in the window), then restored: the file's
    // name and state, changed, and its entry the new program's own before
    // the old one goes.
    EditDoc d(env, saved->entry.sText);
    auto kept = service->Attach(d.doc);
    kept->Restore(*saved);
    service->Wait();
    EXPECT_EQ(d.doc.FileName(), sFile);
    EXPECT_EQ(d.doc.Root().Text(), sFile);
    EXPECT_TRUE(d.doc.Modified());
    EXPECT_EQ(d.At(kBeg03).Text(), "PO42");
    ASSERT_TRUE(d.doc.DiskState());
    EXPECT_EQ(d.doc.DiskState()->mtime.time_since_epoch().count(), saved->entry.stamp->nTime);
    EXPECT_FALSE(fs::exists(saved->sPath));
    EXPECT_EQ(RecoveryStore::Read(kept->Path()), saved->entry);
    // The other could not be opened: declined already once, so it goes.
    const auto other = found[saved == found.begin() ? 1 : 0];
    service->NotRecovered(other);
    EXPECT_FALSE(fs::exists(other.sPath));
    EXPECT_FALSE(fs::exists(fs::path(other.sPath).parent_path()));

    // Saving over the file asks when another program changed it since.
    TestEnv::WriteFile(sFile, test::DocumentE1() + "\n");
    env.ui.QueueAnswer(MsgAnswer::No);
    EXPECT_FALSE(d.doc.SaveTo(sFile));
    EXPECT_NE(env.ui.Messages().back().find("has been changed by another program since it was opened."),
              std::string::npos);
}

// The state a child process reached: the document with BEG03 "PO<n>".
std::string StateText(const std::string& sBig, int n)
{
    return TestEnv::Replaced(test::DocumentE1(sBig), "BEG*00**PO1~", "BEG*00**PO" + std::to_string(n) + "~");
}

// Edits and hands over an entry after every edit, reporting each state on
// disk through the pipe, until it is killed.
[[noreturn]] void EditUntilKilled(EditEnv& env, const std::string& sBig, int fdReport)
{
    EditDoc d(env, test::DocumentE1(sBig));
    Named(d, env);
    auto service = RecoveryService::Start(env.Path("Recovery"));
    auto kept = service->Attach(d.doc);
    for (int n = 2;; ++n) {
        d.Select(kBeg03).editor.EditLabel("PO" + std::to_string(n));
        if (!kept->Poll(Clock::now(), {}))
            ::_exit(3);
        service->Wait();
        if (::write(fdReport, &n, sizeof n) != sizeof n)
            ::_exit(4);
    }
}

// Returns once a temporary file shows a write under way (or after five seconds).
void WaitForWriteUnderWay(const std::string& sDir)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < until) {
        const std::vector<std::string> names = FilesIn(sDir);
        if (std::any_of(names.begin(), names.end(), [](const std::string& s) { return s.ends_with(".tmp"); }))
            return;
    }
}

TEST(Recovery, AProgramKilledWhileWritingLeavesTheOldOrTheNewStateNeverATornOne)
{
    EditEnv env;
    // About 2 MB, so that most kills land inside a write.
    const std::string sBig = "BEG*00**PO1~\nNTE*" + std::string(2 << 20, 'x') + "~\nN1*ST~\n";
    std::mt19937 random(20240611);
    int nTorn = 0;
    // Twelve rounds at least; more while no kill has landed inside a write yet
    // (a slow build edits longer between writes).
    for (int nRound = 0; nRound < 12 || (nTorn == 0 && nRound < 60); ++nRound) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            EditUntilKilled(env, sBig, fds[1]);
        }
        ::close(fds[1]);
        // Some states first, then a kill at a random moment.
        int nLast = 1, n = 0;
        const int nWanted = 2 + int(random() % 4);
        while (nLast < nWanted && ::read(fds[0], &n, sizeof n) == sizeof n)
            nLast = n;
        // Every other round waits until a write is under way, so that kills
        // land inside writes however slow or loaded the machine is.
        if (nRound % 2 == 1)
            WaitForWriteUnderWay(env.Path("Recovery"));
        else
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself: " << status;
        while (::read(fds[0], &n, sizeof n) == sizeof n)
            nLast = n;
        ::close(fds[0]);

        RecoveryStore next(env.Path("Recovery"));
        for (const auto& name : FilesIn(env.Path("Recovery")))
            nTorn += name.ends_with(".tmp");
        const std::vector<RecoveryStore::Found> found = next.TakeLeftBehind();
        ASSERT_EQ(found.size(), 1u) << "round " << nRound;
        const RecoveryEntry& entry = found[0].entry;
        EXPECT_EQ(entry.sFile, env.Path("E1.edi"));
        EXPECT_EQ(entry.lineEnd, LineEnd::Lf);
        const bool bOld = entry.sText == StateText(sBig, nLast);
        const bool bNew = entry.sText == StateText(sBig, nLast + 1);
        EXPECT_TRUE(bOld || bNew) << "round " << nRound << ": neither state " << nLast << " nor the next";
        RecoveryStore::Discard(found[0].sPath);
    }
    // The kills did land inside writes (a temporary file left behind).
    EXPECT_GT(nTorn, 0);
}

}  // namespace
}  // namespace orr
