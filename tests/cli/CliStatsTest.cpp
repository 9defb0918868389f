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

}  // namespace
}  // namespace orr
