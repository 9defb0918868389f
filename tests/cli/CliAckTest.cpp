#include <gtest/gtest.h>

#include <filesystem>

#include "tests/cli/CliRun.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using test::RunCli;
using test::TestEnv;

// Two interchanges on one line, from two buyers to one seller.
const std::string kTwo =
    "ISA*00*          *00*          *ZZ*BUYER          *ZZ*SELLER         *040301*0907*U*00401*000000101*0*P*>~"
    "GS*PO*BUYERAPP*SELLERAPP*20040301*0907*31*X*004010~ST*850*0001~BEG*00*SA*PO1**20040301~SE*3*0001~GE*1*31~"
    "IEA*1*000000101~"
    "ISA*00*          *00*          *ZZ*BUYER2         *ZZ*SELLER         *040302*1000*U*00401*000000102*0*P*>~"
    "GS*PO*BUYER2APP*SELLERAPP*20040302*1000*32*X*004010~ST*850*0001~BEG*00*SA*PO2**20040302~SE*3*0001~GE*1*32~"
    "IEA*1*000000102~";

// True when every text is found in s, each after the one before.
bool InOrder(const std::string& s, std::initializer_list<std::string> texts)
{
    std::size_t nAt = 0;
    for (const std::string& t : texts) {
        nAt = s.find(t, nAt);
        if (nAt == std::string::npos)
            return false;
        nAt += t.size();
    }
    return true;
}

TEST(CliAck, OneAcknowledgementPerInterchangeInOrder)
{
    TestEnv env;
    const std::string home = test::MakeCliHome(env.Path("home"));
    const std::string in = env.Path("in.edi"), out = env.Path("out.ack");
    TestEnv::WriteFile(in, kTwo);
    const std::string cmd = "--home " + home + " ack " + in + " -o " + out;

    auto r = RunCli(cmd);
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    std::string s = TestEnv::ReadFile(out);
    EXPECT_TRUE(InOrder(s, {"ISA*00*          *00*          *ZZ*SELLER         *ZZ*BUYER          *",
                            "\r\nGS*FA*SELLERAPP*BUYERAPP*", "\r\nST*997*0001~\r\nAK1*PO*31~\r\nAK9*A*1*1*1~\r\n",
                            "\r\nIEA*1*", "ISA*00*          *00*          *ZZ*SELLER         *ZZ*BUYER2         *",
                            "\r\nGS*FA*SELLERAPP*BUYER2APP*", "\r\nAK1*PO*32~", "\r\nIEA*1*"}))
        << s;

    // The file exists: declined without --yes, and left as it was.
    r = RunCli(cmd + " --ta1 --delimiter '|'");
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.sErr.find("question: File " + out + "exists. Overwrite ? -> no"), std::string::npos);
    EXPECT_EQ(TestEnv::ReadFile(out), s);
    r = RunCli(cmd + " --ta1 --delimiter '|' --yes");
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    s = TestEnv::ReadFile(out);
    EXPECT_TRUE(InOrder(s, {"|ZZ|BUYER          |", "\r\nTA1|000000101|040301|0907|A|000~\r\nIEA|0|",
                            "|ZZ|BUYER2         |", "\r\nTA1|000000102|040302|1000|A|000~\r\nIEA|0|"}))
        << s;

    r = RunCli(cmd + " --errors --yes");
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_TRUE(InOrder(TestEnv::ReadFile(out), {"AK1*PO*31~\r\nAK2*850*0001~", "AK1*PO*32~\r\nAK2*850*0001~"}));

    // A 999 of a 5010 claim, read against its guide.
    r = RunCli("--home " + home + " ack " + std::string(ORRINDALE_SOURCE_DIR) +
               "/examples/837P_X222A1-professional-claim.edi -o " + out + " --999 --yes");
    ASSERT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_TRUE(InOrder(TestEnv::ReadFile(out), {"*^*00501*", "*005010X231A1~\r\nST*999*0001*005010X231A1~\r\n",
                                                 "AK1*HC*", "*005010X222A1~\r\nAK2*837*"}));
}

TEST(CliAck, NothingWrittenWhenNothingCanBe)
{
    TestEnv env;
    const std::string home = test::MakeCliHome(env.Path("home"));
    const std::string in = env.Path("in.edi"), out = env.Path("out.ack");
    const std::string cmd = "--home " + home + " ack " + in + " -o " + out + " --yes";
    TestEnv::WriteFile(out, "kept");

    TestEnv::WriteFile(in, TestEnv::Replaced(kTwo, "GE*1*32~", "REF*X~GE*1*32~"));
    auto r = RunCli(cmd);
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.sErr.find("Could not generate 997: Invalid Functional Group."), std::string::npos) << r.sErr;
    EXPECT_NE(r.sErr.find("Interchange 2: Segment REF is outside a transaction set."), std::string::npos) << r.sErr;
    EXPECT_EQ(TestEnv::ReadFile(out), "kept");

    TestEnv::WriteFile(in, "");
    EXPECT_EQ(RunCli(cmd + " --ta1").nExit, 1);
    EXPECT_EQ(TestEnv::ReadFile(out), "kept");
    EXPECT_FALSE(std::filesystem::exists(out + ".part"));

    // One kind at a time; the contract is in the help the manual page is made from.
    EXPECT_EQ(RunCli(cmd + " --errors --ta1").nExit, 2);
    EXPECT_EQ(RunCli(cmd + " --999 --errors").nExit, 2);
    EXPECT_NE(RunCli("--help").sOut.find("  ack IN -o OUT [--errors | --999 | --ta1] [--yes] [--delimiter X]\n"),
              std::string::npos);
}

}  // namespace
}  // namespace orr
