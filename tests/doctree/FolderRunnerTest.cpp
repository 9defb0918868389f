// Many files in worker processes: the files paths name, results in the
// order given whatever order the workers finish in, a worker that dies
// taking only its own file, messages kept with their file, and a stop.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <sstream>

#include "app/UiService.h"
#include "doctree/FolderRunner.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using test::TestEnv;

TEST(FolderRunner, PathsFoldersAndStandardInput)
{
    TestEnv env;
    std::filesystem::create_directories(env.Path("d/sub"));
    for (const char* s : {"d/b.edi", "d/a.edi", "d/sub/c.edi", "single.edi"})
        TestEnv::WriteFile(env.Path(s), "x");
    std::istringstream in("from/stdin.edi\r\n\nsecond.edi\n");
    const auto d = env.Path("d");
    EXPECT_EQ(FolderRunner::ExpandPaths({d, "-", env.Path("single.edi")}, false, in),
              (std::vector<std::string>{d + "/a.edi", d + "/b.edi", "from/stdin.edi", "second.edi",
                                        env.Path("single.edi")}));
    std::istringstream none;
    EXPECT_EQ(FolderRunner::ExpandPaths({d}, true, none),
              (std::vector<std::string>{d + "/a.edi", d + "/b.edi", d + "/sub/c.edi"}));
    // A path that is not there stays a file: its job says it cannot be read.
    EXPECT_EQ(FolderRunner::ExpandPaths({env.Path("missing")}, true, none), std::vector<std::string>{env.Path("missing")});
}

TEST(FolderRunner, OrderedResultsFromWorkersAndADeadWorker)
{
    std::vector<std::string> files;
    for (int i = 0; i < 40; ++i)
        files.push_back(std::to_string(i));
    const FolderRunner::Job job = [](const std::string& sFile) {
        const int n = std::stoi(sFile);
        if (n == 17)
            std::abort();  // run with workers only: the worker dies, not the test
        // Early files take longest, so workers finish out of order.
        ::usleep(useconds_t(n < 4 ? 40000 : 500));
        if (n % 10 == 3)
            gfMsgBox("note on " + sFile + "\r\nsecond line");
        return FolderRunner::Result{n % 2, "line " + sFile + "\n", {}};
    };
    for (const unsigned nJobs : {2u, 3u}) {
        std::vector<std::size_t> order;
        std::string sOut, sLog;
        EXPECT_TRUE(FolderRunner::Run(files, nJobs, job, [&](std::size_t i, const FolderRunner::Result& r) {
            order.push_back(i);
            sOut += r.sOut;
            sLog += r.sLog;
            if (i == 17)
                EXPECT_EQ(r.nStatus, FolderRunner::kDied);
            else
                EXPECT_EQ(r.nStatus, int(i % 2));
        }));
        std::vector<std::size_t> expected(files.size());
        std::iota(expected.begin(), expected.end(), 0);
        EXPECT_EQ(order, expected);
        std::string sExpected;
        for (int i = 0; i < 40; ++i)
            sExpected += i == 17 ? "" : "line " + std::to_string(i) + "\n";
        EXPECT_EQ(sOut, sExpected);
        EXPECT_EQ(sLog, "note on 3 second line\nnote on 13 second line\nthe worker checking it ended\n"
                        "note on 23 second line\nnote on 33 second line\n");
    }
}

TEST(FolderRunner, InProcessAndStopped)
{
    std::vector<std::string> files{"a", "b", "c"};
    std::string sSeen;
    const FolderRunner::Job job = [&](const std::string& s) {
        sSeen += s;
        return FolderRunner::Result{0, s, {}};
    };
    std::string sOut;
    const auto deliver = [&](std::size_t, const FolderRunner::Result& r) { sOut += r.sOut; };
    EXPECT_TRUE(FolderRunner::Run(files, 1, job, deliver));
    EXPECT_EQ(sOut, "abc");
    EXPECT_EQ(sSeen, "abc") << "one job runs in this process";
    int nIdle = 0;
    sOut.clear();
    EXPECT_FALSE(FolderRunner::Run(files, 1, job, deliver, [&] { return ++nIdle < 3; }));
    EXPECT_EQ(sOut, "ab");
    sOut.clear();
    EXPECT_FALSE(FolderRunner::Run(files, 2, job, deliver, [] { return false; }));
    EXPECT_EQ(sOut, "");
    EXPECT_GE(FolderRunner::DefaultJobs(), 1u);
}

}  // namespace
}  // namespace orr
