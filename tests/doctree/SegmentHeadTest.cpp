#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doctree/SegmentHead.h"
#include "schema/SchemaIndex.h"

namespace orr {
namespace {

// Where each element of s ends, as a plain split finds it.
std::vector<std::size_t> Ends(std::string_view s, char d)
{
    std::vector<std::size_t> ends;
    for (std::size_t p = s.find(d); p != std::string_view::npos; p = s.find(d, p + 1))
        ends.push_back(p);
    ends.push_back(s.size());
    return ends;
}

// The head's cuts are the plain split's first ends, whatever the segment's
// shape; what it cannot hold (past 65 535 characters) it leaves uncut.
TEST(SegmentHead, CutsAsAPlainSplitDoes)
{
    const std::string sLong(70000, 'x');
    const std::vector<std::string> texts = {
        "NM1*85*2*CLINIC*****XX*123",
        "HL*1**20*1",
        "SE*5",
        "N4",
        "",
        "**",
        "REF*",
        "LX*1*",
        "BIN*" + sLong,                        // the second element ends out of reach
        sLong + "*A",                          // so does the first
        "NM1*85*2*" + sLong.substr(0, 65600),  // so does the fourth
    };
    for (const std::string& s : texts) {
        SCOPED_TRACE(s.substr(0, 30));
        const SegmentHead h = SegmentHead::Cut(s, '*');
        const std::vector<std::size_t> ends = Ends(s, '*');
        std::size_t nExpected = 0;
        while (nExpected < SegmentHead::kCuts && nExpected < ends.size() && ends[nExpected] <= 65535)
            ++nExpected;
        ASSERT_EQ(h.nCut, nExpected);
        for (std::size_t i = 0; i < h.nCut; ++i) {
            EXPECT_EQ(h.ends[i], ends[i]);
            EXPECT_EQ(h.Element(i),
                      std::string_view(s).substr(i ? ends[i - 1] + 1 : 0, ends[i] - (i ? ends[i - 1] + 1 : 0)));
        }
        EXPECT_EQ(h.bAll, h.nCut == ends.size());
        EXPECT_EQ(h.RestAt(), h.bAll ? std::string_view::npos : h.nCut ? ends[h.nCut - 1] + 1 : 0);
        EXPECT_EQ(h.nId,
                  h.nCut ? SchemaIndex::PackCode(std::string_view(s).substr(0, ends[0])) : SchemaIndex::kLongCode);
    }
}

TEST(SegmentHead, TrimsBlanksAndHonoursSeparatorsThatNeverSplit)
{
    const SegmentHead h = SegmentHead::Cut("  REF*EA*1  ", '*');
    EXPECT_EQ(h.sText, "REF*EA*1");
    EXPECT_EQ(h.nId, SchemaIndex::PackCode("REF"));
    for (const SepCode nNone : {SepCode(0), SepCode(300)}) {
        const SegmentHead w = SegmentHead::Cut("REF*EA", nNone);
        EXPECT_EQ(w.nCut, 1);
        EXPECT_EQ(w.ends[0], 6);
        EXPECT_TRUE(w.bAll);
        EXPECT_EQ(w.nId, SchemaIndex::PackCode("REF*EA"));  // the whole text is the identifier
    }
    EXPECT_EQ(SegmentHead::Cut("    ", '*').sText, "");
}

}  // namespace
}  // namespace orr
