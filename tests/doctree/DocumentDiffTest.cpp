// Comparing two documents along their trees: changed values (whole elements
// and components), inserted and deleted segments with the counts that follow
// them, separators and line ends that do not count, the envelope's stamps
// left out on request, and repeated segments aligned by content.
#include <gtest/gtest.h>

#include <algorithm>

#include "doctree/BatchOpen.h"
#include "doctree/DocumentDiff.h"
#include "doctree/EdiDocument.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

using test::TestEnv;

struct DiffFixture : test::DocTreeFixture {
    // The differences between two texts read against T1, one line each.
    std::vector<std::string> Diff(const std::string& sA, const std::string& sB, bool bIgnoreEnvelope = false)
    {
        WriteFile(Path("a.edi"), sA);
        WriteFile(Path("b.edi"), sB);
        EdiDocument a, b;
        EXPECT_TRUE(BatchOpen::Open(a, Path("a.edi"), "T1"));
        EXPECT_TRUE(BatchOpen::Open(b, Path("b.edi"), "T1"));
        EXPECT_EQ(a.BuildError(), 0) << a.BuildErrorText();
        EXPECT_EQ(b.BuildError(), 0) << b.BuildErrorText();
        DocumentDiff diff;
        diff.SetIgnoreEnvelope(bIgnoreEnvelope);
        std::vector<std::string> lines;
        for (const DiffEntry& e : diff.Compare(a, b)) {
            const auto n = [](std::uint32_t x) { return x ? std::to_string(x) : std::string("-"); };
            if (e.kind == DiffEntry::Kind::Changed)
                lines.push_back("changed " + n(e.nSegmentA) + " " + n(e.nSegmentB) + " " + e.sSegmentId + " " +
                                e.sPosition + " " + e.sOld + " " + e.sNew);
            else
                lines.push_back(std::string(e.kind == DiffEntry::Kind::Added ? "added " : "removed ") +
                                n(e.nSegmentA) + " " + n(e.nSegmentB) + " " + e.sOld + e.sNew);
            EXPECT_EQ(bool(e.nodeA), e.nSegmentA != 0);
            EXPECT_EQ(bool(e.nodeB), e.nSegmentB != 0);
        }
        return lines;
    }
    const std::string base = test::kValidT1;
};

using Lines = std::vector<std::string>;

TEST(DocumentDiff, ChangedValuesWholeAndByComponent)
{
    DiffFixture f;
    EXPECT_EQ(f.Diff(f.base, f.base), Lines{});
    EXPECT_EQ(f.Diff(f.base, TestEnv::Replaced(f.base, "BEG*00*SA*PO1*", "BEG*00*SA*PO2*")),
              Lines{"changed 4 4 BEG 03 PO1 PO2"});
    // A composite: the component that changed, numbered from 1; one that
    // gained a component shows the new one.
    EXPECT_EQ(f.Diff(f.base, TestEnv::Replaced(f.base, "N1*ST:X*", "N1*ST:Y*")), Lines{"changed 7 7 N1 01-2 X Y"});
    EXPECT_EQ(f.Diff(f.base, TestEnv::Replaced(f.base, "N1*ST:X*", "N1*ST:X:Z*")), Lines{"changed 7 7 N1 01-3  Z"});
    // An element emptied, and one added past the last.
    EXPECT_EQ(f.Diff(f.base, TestEnv::Replaced(f.base, "TD1*CTN*1~", "TD1*CTN**7~")),
              (Lines{"changed 11 11 TD1 02 1 ", "changed 11 11 TD1 03  7"}));
    // Trailing empty elements are no value.
    EXPECT_EQ(f.Diff(f.base, TestEnv::Replaced(f.base, "TD1*CTN*1~", "TD1*CTN*1**~")), Lines{});
}

TEST(DocumentDiff, InsertedAndDeletedSegmentsWithTheirCount)
{
    DiffFixture f;
    const std::string inserted =
        TestEnv::Replaced(TestEnv::Replaced(f.base, "N3*1 Main St~\n", "N3*1 Main St~\nN3*Suite 2~\n"), "SE*16*",
                          "SE*17*");
    EXPECT_EQ(f.Diff(f.base, inserted), (Lines{"added - 9 N3*Suite 2", "changed 17 18 SE 01 16 17"}));
    const std::string deleted =
        TestEnv::Replaced(TestEnv::Replaced(f.base, "REF*DP*038~\n", ""), "SE*16*", "SE*15*");
    EXPECT_EQ(f.Diff(f.base, deleted), (Lines{"removed 5 - REF*DP*038", "changed 17 16 SE 01 16 15"}));
    // Of two like segments the one whose values differ is the one removed,
    // though the first would align by order alone.
    const std::string secondGone = TestEnv::Replaced(f.base, "REF*PS*R~\n", "");
    EXPECT_EQ(f.Diff(f.base, secondGone), (Lines{"removed 6 - REF*PS*R"}));
    // A whole loop, every segment of it, in document order.
    const std::string loopGone = TestEnv::Replaced(f.base, "HL*3*1*o~\nDTM*011*20040305~\nDTM*002*20040310~\n", "");
    EXPECT_EQ(f.Diff(f.base, loopGone),
              (Lines{"removed 14 - HL*3*1*o", "removed 15 - DTM*011*20040305", "removed 16 - DTM*002*20040310"}));
}

TEST(DocumentDiff, SeparatorsAndLineEndsDoNotCount)
{
    DiffFixture f;
    // Other element, component and segment separators, no line ends: ISA16
    // declares the component separator, so it differs as a value but never counts.
    std::string other;
    for (const char c : f.base)
        other += c == '*'    ? std::string("|")
                 : c == ':'  ? std::string(">")
                 : c == '~'  ? std::string("\x15")
                 : c == '\n' ? std::string()
                             : std::string(1, c);
    EXPECT_EQ(f.Diff(f.base, other), Lines{});
    EXPECT_EQ(f.Diff(other, TestEnv::Replaced(other, "N1|ST>X", "N1|ST>W")), Lines{"changed 7 7 N1 01-2 X W"});
}

TEST(DocumentDiff, EnvelopeStampsLeftOutOnRequest)
{
    DiffFixture f;
    std::string other = TestEnv::Replaced(f.base, "*040305*0907*U*00401*000000001*", "*050101*1200*U*00401*000000042*");
    other = TestEnv::Replaced(other, "GS*PO*SENDER*RECEIVER*20040305*0907*1*", "GS*PO*SENDER*RECEIVER*20050101*1200*9*");
    other = TestEnv::Replaced(other, "ST*850*0001~", "ST*850*0042~");
    other = TestEnv::Replaced(other, "SE*16*0001~", "SE*16*0042~");
    other = TestEnv::Replaced(other, "GE*1*1~", "GE*1*9~");
    other = TestEnv::Replaced(other, "IEA*1*000000001~", "IEA*1*000000042~");
    EXPECT_EQ(f.Diff(f.base, other, true), Lines{});
    const Lines all = f.Diff(f.base, other);
    EXPECT_EQ(all.size(), 10u);
    EXPECT_EQ(all.front(), "changed 1 1 ISA 09 040305 050101");
    EXPECT_EQ(all.back(), "changed 19 19 IEA 02 000000001 000000042");
    // A real change still shows with the stamps left out.
    EXPECT_EQ(f.Diff(f.base, TestEnv::Replaced(other, "ST*850*", "ST*855*"), true), Lines{"changed 3 3 ST 01 850 855"});
}

TEST(DocumentDiff, EnvelopeStampPositions)
{
    for (const auto& [sId, n] : std::vector<std::pair<std::string, std::size_t>>{
             {"ISA", 9}, {"ISA", 10}, {"ISA", 13}, {"GS", 4}, {"GS", 5}, {"GS", 6}, {"ST", 2}, {"SE", 2}, {"GE", 2},
             {"IEA", 2}})
        EXPECT_TRUE(DocumentDiff::IsEnvelopeStamp(sId, n)) << sId << n;
    for (const auto& [sId, n] : std::vector<std::pair<std::string, std::size_t>>{
             {"ISA", 12}, {"GS", 3}, {"GS", 7}, {"ST", 1}, {"SE", 1}, {"GE", 1}, {"IEA", 1}, {"BEG", 2}})
        EXPECT_FALSE(DocumentDiff::IsEnvelopeStamp(sId, n)) << sId << n;
}

}  // namespace
}  // namespace orr
