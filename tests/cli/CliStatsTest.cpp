#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "bench/gen/EdiGen.h"
#include "tests/cli/CliRun.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using test::RunCli;
using test::TestEnv;

// The figures of a generated document against what the generator wrote:
// the names in their order, the counts, and a mismatch that stops the
// matching (its segment still counts, nError says so).
TEST(CliStats, FiguresOfAGeneratedDocument)
{
    TestEnv env;
    const std::string home = test::MakeCliHome(env.Path("home"));
    bench::GenOptions o;
    o.sType = "837P";
    o.nBytes = 100 << 10;
    o.nSetsPerInterchange = 3;
    bench::GenStats gen;
    std::string text;
    bench::EdiGen::Generate(o, [&](std::string_view b) { text += b; }, &gen);
    const std::string file = env.Path("claims.edi");
    TestEnv::WriteFile(file, text);

    auto stats = [&](const std::string& sFile) {
        const auto r = RunCli("--home " + home + " stats " + sFile + " --type 837P_X222A1");
        EXPECT_EQ(r.nExit, 0) << r.sErr;
        std::vector<std::string> names;
        std::map<std::string, double> values;
        std::istringstream lines(r.sOut);
        for (std::string name, value; std::getline(lines, name, '\t') && std::getline(lines, value);) {
            names.push_back(name);
            values[name] = std::stod(value);
        }
        EXPECT_EQ(names, (std::vector<std::string>{"bytes", "segments", "interchanges", "groups", "transactions",
                                                   "nodes", "nError", "open_seconds", "peak_rss_bytes"}));
        return values;
    };
    auto v = stats(file);
    EXPECT_EQ(v["bytes"], double(text.size()));
    EXPECT_EQ(v["segments"], double(gen.nSegments));
    EXPECT_EQ(v["interchanges"], double(gen.nInterchanges));
    EXPECT_GT(gen.nInterchanges, 1u);
    EXPECT_EQ(v["groups"], double(gen.nInterchanges));
    EXPECT_EQ(v["transactions"], double(gen.nSets));
    EXPECT_GT(v["nodes"], v["segments"]);
    EXPECT_EQ(v["nError"], 0);
    EXPECT_GT(v["open_seconds"], 0);
    EXPECT_GT(v["peak_rss_bytes"], v["bytes"]);

    const std::string bad = env.Path("bad.edi");
    TestEnv::WriteFile(bad, text.substr(0, text.find("~CLM*") + 1) + "ZZZ*1~" + text.substr(text.find("~CLM*") + 1));
    v = stats(bad);
    EXPECT_EQ(v["nError"], 1);
    EXPECT_EQ(v["segments"], double(gen.nSegments + 1));
    EXPECT_EQ(RunCli("--home " + home + " stats " + file).nExit, 2);  // no type
}

// The command line keeps each schema it builds in the home's cache folder
// and reads it back: the document made from the kept schema is the one made
// from the built one.
TEST(CliStats, TheSecondOpenReadsTheKeptSchema)
{
    TestEnv env;
    const std::string home = test::MakeCliHome(env.Path("home"));
    const std::string file = std::string(ORRINDALE_SOURCE_DIR) + "/examples/837P_X222A1-professional-claim.edi";
    const std::string kept = home + "/cache/schema-837P_X222A1-orrindale-cli.bin";
    const auto built = RunCli("--home " + home + " tree " + file + " --type auto");
    ASSERT_EQ(built.nExit, 0) << built.sErr;
    ASSERT_TRUE(std::filesystem::exists(kept));
    const auto time = std::filesystem::last_write_time(kept);
    const auto read = RunCli("--home " + home + " tree " + file + " --type auto");
    EXPECT_EQ(read.nExit, 0) << read.sErr;
    EXPECT_EQ(read.sOut, built.sOut);
    EXPECT_EQ(std::filesystem::last_write_time(kept), time);  // read, not built and written again
}

}  // namespace
}  // namespace orr
