#include <gtest/gtest.h>

#include <filesystem>

#include "tests/cli/CliRun.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::RunCli;
using test::TestEnv;

TEST(CliSchema, PrintsTheTreeInPreOrder)
{
    TestEnv env;
    fs::create_directories(env.Path("defs"));
    fs::create_directories(env.Path("home"));
    TestEnv::WriteFile(env.Path("defs/docT1.def"),
                       "???*DESCRIPTION*Test\r\nA??*LS*0001*2**Env\r\nST*0*M*1*Header\r\n"
                       "143*1*M*ID*3*3*Code\tA\r\nA??*ZZ\r\nA??*LE\r\nSE*0*M*1*Trailer\r\n");
    ASSERT_EQ(RunCli("pack " + env.Path("defs") + " -o " + env.Path("home/EdiDef.bin")).nExit, 0);

    auto r = RunCli("--home " + env.Path("home") + " schema T1");
    EXPECT_EQ(r.nExit, 0) << r.sErr;
    EXPECT_EQ(r.sOut,
              "0\tK00000\tISLS*N00000*C0*R99999*DT1\tT1\tclosed\topen\n"
              "1\tK00001\tISLS*N00001*C0*R2*K*DEnv*L0001\tLoop 0001 Env R=2\tclosedschema\topenschema\n"
              "2\tK00002\tIRST*N00002*C0*Z0*PM*R1*DHeader\tST  M R=1 Header\tclosed\topen\n"
              "3\tK00003\tIR143*N00003*Z1*PM*TID*A3*B3*DCode\\tA\t1 M ID 3 3 Code\\tA\tde\t\n"
              "1\tK00006\tIRSE*N00006*C0*Z0*PM*R1*DTrailer\tSE  M R=1 Trailer\tclosed\topen\n");
    EXPECT_EQ(r.sErr, "error: Unknown segment:A??*ZZ\n");

    r = RunCli("--home " + env.Path("home") + " schema ZZ");
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.sOut, "");
    EXPECT_EQ(r.sErr, "error: Could not find template file:docZZ.def\nerror: Could not open definition file:docZZ.def\n");

    EXPECT_EQ(RunCli("--home " + env.Path("home") + " schema").nExit, 2);
}

}  // namespace
}  // namespace orr
