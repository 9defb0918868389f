#include <gtest/gtest.h>

#include "app/clsConfig.h"

namespace orr {
namespace {

TEST(SeparatorNotation, EveryBuiltInCandidateRoundTrips)
{
    clsConfig config("/nowhere", "/nowhere");
    const std::vector<SepCode> expectedS = {10, 13, 126, 39, 64, 21};
    const std::vector<SepCode> expectedD = {42, 43, 126, 124, 123, 125};
    EXPECT_EQ(config.SelimiterCandidates(), expectedS);
    EXPECT_EQ(config.DelimiterCandidates(), expectedD);
    for (SepCode c : expectedS)
        EXPECT_EQ(clsConfig::S2N(config.N2S(c)), c) << config.N2S(c);
    for (SepCode c : expectedD)
        EXPECT_EQ(clsConfig::S2N(config.N2S(c)), c) << config.N2S(c);
}

TEST(SeparatorNotation, NotationOfCodes)
{
    clsConfig config("/nowhere", "/nowhere");
    EXPECT_EQ(config.N2S(13), "CR");
    EXPECT_EQ(config.N2S(10), "LF");
    EXPECT_EQ(config.N2S(126), "~");
    EXPECT_EQ(config.N2S(21), "0x15");
    EXPECT_EQ(config.N2S(42), "*");    // only in the element list
    EXPECT_EQ(config.N2S(0x1D), "0x1D");  // upper-case hex for non-candidates
    EXPECT_EQ(config.N2S(66), "0x42");
    EXPECT_EQ(config.N2S(65), "A");  // "A" occurs in the text "0x0A0x0D~'@0x15"

    // The texts from the settings decide what shows as itself.
    config.DelimiterS = "";
    EXPECT_EQ(config.N2S(42), "0x2A");
}

TEST(SeparatorNotation, ParsingNotations)
{
    EXPECT_EQ(clsConfig::S2N("cr"), 13);
    EXPECT_EQ(clsConfig::S2N("Cr"), 13);
    EXPECT_EQ(clsConfig::S2N("CR"), 13);
    EXPECT_EQ(clsConfig::S2N("lf"), 10);
    EXPECT_EQ(clsConfig::S2N("~"), 126);
    EXPECT_EQ(clsConfig::S2N("xy"), 13);
    EXPECT_EQ(clsConfig::S2N("0x1d"), 0x1D);
    EXPECT_EQ(clsConfig::S2N("0X1D"), 0x1D);
    EXPECT_EQ(clsConfig::S2N("0xZ5"), 5);  // a non-hex digit counts as 0
    EXPECT_EQ(clsConfig::S2N(""), 0);
    EXPECT_EQ(clsConfig::ParseCandidates("0x0a0x0D|"), (std::vector<SepCode>{10, 13, 124}));
}

TEST(SeparatorNotation, CandidateListsAndSelection)
{
    clsConfig config("/nowhere", "/nowhere");
    EXPECT_TRUE(config.IsSelimiter(126));
    EXPECT_TRUE(config.IsDelimiter(126));
    EXPECT_FALSE(config.IsSelimiter(42));
    EXPECT_FALSE(config.IsDelimiter(10));

    config.Selimiter = 126;
    SeparatorChoices s = config.PopulateSelimiter();
    EXPECT_EQ(s.entries, (std::vector<std::string>{"LF", "CR", "~", "'", "@", "0x15"}));
    EXPECT_EQ(s.nSelected, 2);

    config.Selimiter = 33;  // "!" is no candidate
    EXPECT_EQ(config.PopulateSelimiter().nSelected, -1);
    EXPECT_FALSE(config.IsCrLfSelimiter());
    config.Selimiter = 13;
    EXPECT_TRUE(config.IsCrLfSelimiter());

    config.Delimiter = 125;
    SeparatorChoices d = config.PopulateDelimiter();
    EXPECT_EQ(d.entries, (std::vector<std::string>{"*", "+", "~", "|", "{", "}"}));
    EXPECT_EQ(d.nSelected, 5);
}

TEST(SeparatorNotation, ScreenRelativeDefaults)
{
    clsConfig config("/inst", "/data", 19200, 10801);
    EXPECT_EQ(config.DefaultLeft, 1920);
    EXPECT_EQ(config.DefaultTop, 1080);
    EXPECT_EQ(config.DefaultWidth, 15360);
    EXPECT_EQ(config.DefaultHeight, 8641);
    EXPECT_EQ(config.DefinitionFile, "/inst/EdiDef.bin");
    EXPECT_EQ(config.TempFile.rfind("/data/xyzxyz", 0), 0u);
}

}  // namespace
}  // namespace orr
