// orrindale-cli check and find over a folder: the exact lines in the order
// given, the same with one worker and with two, file names from standard
// input, exit statuses, and check's verdict agreeing with validate --elements.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>

#include "tests/cli/CliRun.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::RunCli;
using test::TestEnv;

struct Folder {
    Folder()
    {
        pre = "--home " + test::MakeCliHome(env.Path("home")) + " ";
        fs::create_directories(dir + "/more");
        for (const char* s : {"850-purchase-order.edi", "810-invoice.edi", "856-ship-notice.edi"})
            fs::copy_file(fs::path(ORRINDALE_SOURCE_DIR) / "examples" / s, dir + "/" + s);
        fs::copy_file(ORRINDALE_SOURCE_DIR "/tests/data/invalid/850-missing-beg.edi", dir + "/850-missing-beg.edi");
        fs::copy_file(ORRINDALE_SOURCE_DIR "/examples/997-functional-ack.edi", dir + "/more/997.edi");
        TestEnv::WriteFile(dir + "/notes.txt", "not an EDI file, but long enough to be looked at.");
    }
    TestEnv env;
    std::string dir = env.Path("folder");
    std::string pre;
};

TEST(CliFolder, CheckLinesVerdictsAndWorkers)
{
    Folder f;
    auto r = RunCli(f.pre + "check " + f.dir + " --jobs 1");
    EXPECT_EQ(r.nExit, 1) << r.sErr;
    const std::string d = f.dir + "/";
    EXPECT_EQ(r.sOut, d + "810-invoice.edi\t810\tvalid\t0\t0\n" +
                          d + "850-missing-beg.edi\t850\tinvalid\t1\t0\n" +
                          d + "850-purchase-order.edi\t850\tvalid\t0\t0\n" +
                          d + "856-ship-notice.edi\t856\tvalid\t0\t0\n" +
                          d + "notes.txt\t-\tunreadable\t0\t0\n");
    EXPECT_NE(r.sErr.find("5 files: 3 valid, 1 invalid, 1 unreadable\n"), std::string::npos) << r.sErr;
    EXPECT_NE(r.sErr.find(d + "notes.txt: "), std::string::npos) << "the reason, named by its file";
    EXPECT_EQ(RunCli(f.pre + "check " + f.dir + " --jobs 2").sOut, r.sOut);

    // JSON lines, subfolders, the same with two workers.
    r = RunCli(f.pre + "check " + f.dir + " --recursive --format jsonl --jobs 1");
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(RunCli(f.pre + "check " + f.dir + " --recursive --format jsonl --jobs 2").sOut, r.sOut);
    std::vector<std::string> lines;
    for (std::size_t i = 0, j; (j = r.sOut.find('\n', i)) != std::string::npos; i = j + 1)
        lines.push_back(r.sOut.substr(i, j - i));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1], R"({"file":")" + d + R"(850-missing-beg.edi","type":"850","nError":1,"errors":1,"warnings":0,"valid":false})");
    EXPECT_EQ(lines[4], R"({"file":")" + d + R"(notes.txt","type":null,"nError":null,"errors":0,"warnings":0,"valid":false})");
    const nlohmann::json last = nlohmann::json::parse(lines[5]);
    EXPECT_EQ(last["file"], d + "more/997.edi");
    EXPECT_TRUE(last["valid"]);

    // File names from standard input; every file valid, none readable.
    TestEnv::WriteFile(f.env.Path("list"), d + "810-invoice.edi\n" + d + "850-purchase-order.edi\n");
    r = RunCli(f.pre + "check - --type auto --jobs 2", f.env.Path("list"));
    EXPECT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sOut, d + "810-invoice.edi\t810\tvalid\t0\t0\n" + d + "850-purchase-order.edi\t850\tvalid\t0\t0\n");
    EXPECT_EQ(RunCli(f.pre + "check " + d + "notes.txt " + d + "missing.edi").nExit, 2);
    // A type given is used for every file.
    r = RunCli(f.pre + "check " + d + "810-invoice.edi --type 850");
    EXPECT_EQ(r.nExit, 1);
    EXPECT_TRUE(r.sOut.starts_with(d + "810-invoice.edi\t850\tinvalid\t")) << r.sOut;
    EXPECT_EQ(RunCli(f.pre + "check").nExit, 2);
    EXPECT_EQ(RunCli(f.pre + "check " + f.dir + " --jobs 0").nExit, 2);
    EXPECT_EQ(RunCli(f.pre + "check " + f.dir + " --format json").nExit, 2);

    // The verdict is validate --elements' verdict.
    for (const char* s : {"810-invoice.edi", "850-missing-beg.edi", "856-ship-notice.edi"}) {
        const bool bValid = RunCli(f.pre + "check " + d + s).nExit == 0;
        EXPECT_EQ(RunCli(f.pre + "validate " + d + s + " --type auto --elements").nExit == 0, bValid) << s;
    }
}

TEST(CliFolder, FindTextExpressionsSegmentsAndElements)
{
    Folder f;
    const std::string d = f.dir + "/";
    auto r = RunCli(f.pre + "find " + f.dir + " --text po-4501 --jobs 1");
    EXPECT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sOut, d + "810-invoice.edi\t4\tBIG*20240120*INV-9001*20240115*PO-4501\n" + d +
                          "850-purchase-order.edi\t4\tBEG*00*SA*PO-4501**20240115\n" + d +
                          "856-ship-notice.edi\t16\tPRF*PO-4501***20240115\n");
    EXPECT_EQ(RunCli(f.pre + "find " + f.dir + " --text po-4501 --jobs 2").sOut, r.sOut);
    // Every N1 of every file with a Ship To qualifier, by expression, in file order.
    r = RunCli(f.pre + "find " + f.dir + " --recursive --regex --text '^N1\\*ST\\*' --jobs 2");
    EXPECT_EQ(r.nExit, 0);
    EXPECT_EQ(RunCli(f.pre + "find " + f.dir + " --recursive --regex --text '^N1\\*ST\\*' --jobs 1").sOut, r.sOut);
    EXPECT_NE(r.sOut.find(d + "850-purchase-order.edi\t12\tN1*ST*ORRINDALE DISTRIBUTION CENTER*92*DC01\n"),
              std::string::npos)
        << r.sOut;
    // One element's value: BEG03 holds 4501; BEG02 does not.
    r = RunCli(f.pre + "find " + f.dir + " --segment BEG --element 03 --text 4501");
    EXPECT_EQ(r.sOut, d + "850-purchase-order.edi\t4\tBEG*00*SA*PO-4501**20240115\n");
    EXPECT_EQ(RunCli(f.pre + "find " + f.dir + " --segment BEG --element 02 --text 4501").nExit, 1);
    EXPECT_EQ(RunCli(f.pre + "find " + f.dir + " --segment REF --text 4501").nExit, 1);
    EXPECT_EQ(RunCli(f.pre + "find " + f.dir + " --text nowhere-at-all").nExit, 1);
    EXPECT_EQ(RunCli(f.pre + "find " + f.dir).nExit, 2);
    EXPECT_EQ(RunCli(f.pre + "find " + f.dir + " --text x --element 0").nExit, 2);
    EXPECT_EQ(RunCli(f.pre + "find " + f.dir + " --regex --text '('").nExit, 2);
}

}  // namespace
}  // namespace orr
