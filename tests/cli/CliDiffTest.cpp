// orrindale-cli diff: the exact lines and exit statuses other tools read.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/cli/CliRun.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using test::RunCli;
using test::TestEnv;

TEST(CliDiff, LinesFormatsAndExitStatus)
{
    TestEnv env;
    const std::string pre = "--home " + test::MakeCliHome(env.Path("home")) + " diff ";
    const std::string sBase = TestEnv::ReadFile(ORRINDALE_SOURCE_DIR "/examples/850-purchase-order.edi");
    const std::string a = env.Path("a.edi"), b = env.Path("b.edi"), crlf = env.Path("crlf.edi");
    TestEnv::WriteFile(a, sBase);
    // Another PO number, one line item's quantity gone with its count, and
    // CR LF line ends: only the values show.
    std::string sOther = TestEnv::Replaced(sBase, "BEG*00*SA*PO-4501*", "BEG*00*SA*PO-4502*");
    sOther = TestEnv::Replaced(sOther, "SCH*10*CA***002*20240205~\n", "");
    sOther = TestEnv::Replaced(sOther, "SE*22*0001~", "SE*21*0001~");
    std::string sCrLf;
    for (const char c : sOther)
        sCrLf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    TestEnv::WriteFile(b, sCrLf);

    auto r = RunCli(pre + a + " " + b);
    EXPECT_EQ(r.nExit, 1) << r.sErr;
    EXPECT_EQ(r.sOut, "changed\t4\t4\tBEG\t03\tPO-4501\tPO-4502\n"
                      "removed\t22\t-\tSCH*10*CA***002*20240205\n"
                      "changed\t24\t23\tSE\t01\t22\t21\n");
    r = RunCli(pre + b + " " + a + " --type 850");
    EXPECT_EQ(r.nExit, 1) << r.sErr;
    EXPECT_NE(r.sOut.find("added\t-\t22\tSCH*10*CA***002*20240205\n"), std::string::npos) << r.sOut;

    r = RunCli(pre + a + " " + b + " --format json");
    EXPECT_EQ(r.nExit, 1) << r.sErr;
    const nlohmann::json j = nlohmann::json::parse(r.sOut);
    EXPECT_FALSE(j["equal"]);
    ASSERT_EQ(j["differences"].size(), 3u);
    EXPECT_EQ(j["differences"][0]["position"], "03");
    EXPECT_EQ(j["differences"][0]["new"], "PO-4502");
    EXPECT_EQ(j["differences"][1]["kind"], "removed");
    EXPECT_TRUE(j["differences"][1]["segmentB"].is_null());

    // The same document with other line ends is equal; so is a copy with
    // new control numbers when the envelope's stamps are left out.
    std::string sBaseCrLf;
    for (const char c : sBase)
        sBaseCrLf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    TestEnv::WriteFile(crlf, sBaseCrLf);
    r = RunCli(pre + a + " " + crlf);
    EXPECT_EQ(r.nExit, 0) << r.sOut << r.sErr;
    std::string sStamped = TestEnv::Replaced(sBase, "*000000101*0*T", "*000000102*0*T");
    sStamped = TestEnv::Replaced(sStamped, "IEA*1*000000101", "IEA*1*000000102");
    TestEnv::WriteFile(b, sStamped);
    r = RunCli(pre + a + " " + b + " --ignore-envelope");
    EXPECT_EQ(r.nExit, 0) << r.sOut;
    EXPECT_EQ(r.sOut, "");
    r = RunCli(pre + a + " " + b);
    EXPECT_EQ(r.sOut, "changed\t1\t1\tISA\t13\t000000101\t000000102\nchanged\t26\t26\tIEA\t02\t000000101\t000000102\n");

    // A file that cannot be read, and arguments that are not a comparison.
    TestEnv::WriteFile(b, "not EDI at all");
    EXPECT_EQ(RunCli(pre + a + " " + b).nExit, 2);
    EXPECT_EQ(RunCli(pre + a + " " + env.Path("missing.edi")).nExit, 2);
    EXPECT_EQ(RunCli(pre + a).nExit, 2);
    EXPECT_EQ(RunCli(pre + a + " " + a + " --format xml").nExit, 2);
}

}  // namespace
}  // namespace orr
