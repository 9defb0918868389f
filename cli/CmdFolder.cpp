// check and find: many files at once, in worker processes, the results in
// the order the files were given.
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <iostream>

#include "cli/CliCommands.h"
#include "doctree/FolderCheck.h"
#include "doctree/FolderFind.h"
#include "doctree/FolderRunner.h"

namespace orr {
namespace {

enum Status : int { kValid = 0, kInvalid = 1, kUnreadable = 2 };

void RequirePaths(const CliArgs& args, const std::set<std::string>& allowed)
{
    if (args.positional.size() < 2)
        throw UsageError(args.positional[0] + " needs at least one PATH");
    args.Require(args.positional.size(), allowed);
}

unsigned Jobs(const CliArgs& args)
{
    const std::string s = args.Option("--jobs");
    if (s.empty())
        return FolderRunner::DefaultJobs();
    unsigned n = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), n);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || n == 0 || n > 1024)
        throw UsageError("--jobs needs a number from 1 to 1024");
    return n;
}

std::vector<std::string> Files(const CliArgs& args)
{
    return FolderRunner::ExpandPaths({args.positional.begin() + 1, args.positional.end()}, args.Flag("--recursive"),
                                     std::cin);
}

// What the files said, and on a terminal how far the run is, on stderr.
class Progress {
public:
    explicit Progress(std::size_t nTotal) : mnTotal(nTotal), mbTerminal(::isatty(STDERR_FILENO)) {}
    void Deliver(const std::string& sFile, const FolderRunner::Result& r)
    {
        Clear();
        std::fwrite(r.sOut.data(), 1, r.sOut.size(), stdout);
        std::fflush(stdout);
        for (std::size_t i = 0, j; i < r.sLog.size(); i = j + 1) {
            j = r.sLog.find('\n', i);
            std::fprintf(stderr, "%s: %s\n", sFile.c_str(), r.sLog.substr(i, j - i).c_str());
        }
        if (mbTerminal)
            std::fprintf(stderr, "\r%zu of %zu files", ++mnDone, mnTotal);
    }
    void Clear()
    {
        if (mbTerminal && mnDone)
            std::fprintf(stderr, "\r\033[K");
    }

private:
    std::size_t mnTotal, mnDone = 0;
    bool mbTerminal;
};

std::string CheckLine(const std::string& sFile, const FolderCheck::FileResult& r, bool bJson)
{
    return bJson ? FolderCheck::JsonLine(sFile, r) : FolderCheck::TextLine(sFile, r);
}

}  // namespace

int gfCmdCheck(const CliArgs& args)
{
    RequirePaths(args, {"--type", "--jobs", "--recursive", "--format"});
    const std::string sFormat = args.Option("--format").empty() ? "text" : args.Option("--format");
    if (sFormat != "text" && sFormat != "jsonl")
        throw UsageError("check needs --format text|jsonl");
    const unsigned nJobs = Jobs(args);
    CliSession session(args);
    if (!session.Start())
        return kUnreadable;
    const std::vector<std::string> files = Files(args);
    FolderCheck check(args.Option("--type").empty() ? "auto" : args.Option("--type"));
    const FolderRunner::Job job = [&](const std::string& sFile) {
        const FolderCheck::FileResult r = check.Check(sFile);
        return FolderRunner::Result{!r.bRead ? kUnreadable : r.verdict.bValid ? kValid : kInvalid,
                                    CheckLine(sFile, r, sFormat == "jsonl"), {}};
    };
    std::size_t nCount[3] = {};
    Progress progress(files.size());
    FolderRunner::Run(files, nJobs, job, [&](std::size_t i, const FolderRunner::Result& r) {
        if (r.nStatus == FolderRunner::kDied) {
            FolderRunner::Result dead = r;
            dead.sOut = CheckLine(files[i], {}, sFormat == "jsonl");
            dead.nStatus = kUnreadable;
            return progress.Deliver(files[i], dead), void(++nCount[kUnreadable]);
        }
        progress.Deliver(files[i], r);
        ++nCount[r.nStatus];
    });
    progress.Clear();
    std::fprintf(stderr, "%zu files: %zu valid, %zu invalid, %zu unreadable\n", files.size(), nCount[kValid],
                 nCount[kInvalid], nCount[kUnreadable]);
    if (nCount[kUnreadable] == files.size())
        return 2;
    return nCount[kValid] == files.size() ? 0 : 1;
}

int gfCmdFind(const CliArgs& args)
{
    RequirePaths(args, {"--text", "--regex", "--segment", "--element", "--jobs", "--recursive"});
    FolderFind find;
    if (!find.SetQuery({args.Option("--text"), args.Flag("--regex"), args.Option("--segment"),
                        args.Option("--element")}))
        throw UsageError(find.sError());
    const unsigned nJobs = Jobs(args);
    CliSession session(args);
    if (!session.Start())
        return 2;
    const std::vector<std::string> files = Files(args);
    const FolderRunner::Job job = [&](const std::string& sFile) {
        FolderRunner::Result r;
        if (const std::optional<std::vector<FolderFind::Hit>> hits = find.Search(sFile))
            r.sOut = FolderFind::Lines(sFile, *hits);
        r.nStatus = r.sOut.empty() ? 1 : 0;
        return r;
    };
    bool bFound = false;
    Progress progress(files.size());
    FolderRunner::Run(files, nJobs, job, [&](std::size_t i, const FolderRunner::Result& r) {
        progress.Deliver(files[i], r);
        bFound = bFound || r.nStatus == 0;
    });
    progress.Clear();
    return bFound ? 0 : 1;
}

}  // namespace orr
