#include <gtest/gtest.h>

#include "doctree/modNodeD.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

using test::BuildText;
using test::BuiltDocument;
using test::Outline;
using test::TestEnv;

const char* const kValidOutline =
    "Interchange (1 of 99) [X   ]\n"
    "  ISA [SISA]\n"
    "  Group (1 of 99) [F   ]\n"
    "    GS [SGS ]\n"
    "    Transaction (1 of 99) [T   ]\n"
    "      ST [SST ]\n"
    "      BEG [SBEG]\n"
    "      REF [SREF]\n"
    "      REF [SREF]\n"
    "      Names [ZELS]\n"
    "        Ship to (1 of 2) [ZLS ]\n"
    "          N1 [SN1 ]\n"
    "          N3 [SN3 ]\n"
    "        Bill to [ZLS ]\n"
    "          N1 [SN1 ]\n"
    "      Hierarchy [ZHLS]\n"
    "        Shipment [ZLS ]\n"
    "          HL [SHL ]\n"
    "          TD1 [STD1]\n"
    "        Order (1 of 99) [ZLS ]\n"
    "          HL [SHL ]\n"
    "          PRF [SPRF]\n"
    "        Order (2 of 99) [ZLS ]\n"
    "          HL [SHL ]\n"
    "      Dates [ZESS]\n"
    "        DTM [SDTM]\n"
    "        DTM [SDTM]\n"
    "      SE [SSE ]\n"
    "    GE [SGE ]\n"
    "  IEA [SIEA]\n";

TEST(TreeD, MatchesLoopsKeyedLoopsHierarchyAndKeyedSegments)
{
    test::DocTreeFixture env;
    BuiltDocument d;
    BuildText(env, d, test::kValidT1);
    ASSERT_TRUE(d.ndRoot);
    EXPECT_EQ(d.nError, 0) << d.sError;
    EXPECT_EQ(d.ndRoot.Key(), "Root");
    EXPECT_EQ(d.ndRoot.Tag(), "D   *00000");
    EXPECT_EQ(d.ndRoot.Text(), env.Path("doc.edi"));
    EXPECT_EQ(Outline(d.ndRoot), kValidOutline);
    EXPECT_TRUE(env.ui.Messages().empty());

    // Every matched node links to the schema node of its kind.
    const TreeNode x = d.ndRoot.FirstChild();
    const TreeNode isa = x.FirstChild();
    const TreeNode schemaIsa = d.schema.Node(d.schema.FindKey(gfDnodeSchemaKey(isa)));
    ASSERT_TRUE(schemaIsa);
    EXPECT_EQ(schemaIsa.Tag().substr(0, 5), "IRISA");
    const std::string sPath = gfDnodeSchemaPath(isa);
    EXPECT_EQ(sPath.rfind("00000.", 0), 0u);
    EXPECT_EQ(std::count(sPath.begin(), sPath.end(), '.'), 2);

    // Elements appear on first access, with their values kept as read.
    const TreeNode n1 = x.Child(1).Child(1).Child(4).FirstChild().FirstChild();
    ASSERT_EQ(n1.Text(), "N1");
    ASSERT_EQ(n1.Children(), 2u);
    EXPECT_EQ(n1.FirstChild().Text(), "ST:X");
    EXPECT_EQ(n1.FirstChild().Tag(), "E01");
    EXPECT_EQ(n1.LastChild().Text(), "Ship Here");
    EXPECT_EQ(n1.LastChild().Image(), "dde");
    const TreeNode beg = x.Child(1).Child(1).Child(1);
    ASSERT_EQ(beg.Children(), 5u);  // empty elements are nodes too
    EXPECT_EQ(beg.Child(2).Text(), "PO1");
    EXPECT_EQ(beg.Child(3).Text(), "");
    EXPECT_EQ(beg.Child(4).Text(), "20040305");
    EXPECT_EQ(beg.Child(4).Tag(), "E05");
}

TEST(TreeD, DocumentsStartingInsideTheEnvelope)
{
    test::DocTreeFixture env;
    BuiltDocument gs;
    BuildText(env, gs, "GS*PO*A*B*1*2*1*X*004010~ST*850*1~BEG*00~SE*3*1~ST*850*2~BEG*00~SE*3*2~GE*2*1~");
    EXPECT_EQ(gs.nError, 0) << gs.sError;
    EXPECT_EQ(Outline(gs.ndRoot),
              "Group (1 of 99) [F   ]\n  GS [SGS ]\n  Transaction (1 of 99) [T   ]\n    ST [SST ]\n"
              "    BEG [SBEG]\n    SE [SSE ]\n  Transaction (2 of 99) [T   ]\n    ST [SST ]\n    BEG [SBEG]\n"
              "    SE [SSE ]\n  GE [SGE ]\n");

    BuiltDocument st;
    BuildText(env, st, "ST*850*1~BEG*00~SE*3*1~");
    EXPECT_EQ(st.nError, 0) << st.sError;
    EXPECT_EQ(Outline(st.ndRoot), "Transaction (1 of 99) [T   ]\n  ST [SST ]\n  BEG [SBEG]\n  SE [SSE ]\n");

    // ISA is required: a file starting with another segment fails there;
    // before any envelope node the root takes the unmatched segments.
    BuiltDocument other;
    BuildText(env, other, "BEG*00~SE*3*1~");
    EXPECT_EQ(other.nError, 1);
    EXPECT_EQ(other.sError, "Segment matching failed.\r\nFailed segment:BEG*00");
    EXPECT_EQ(Outline(other.ndRoot), "BEG [SBEG] !\nSE [SSE ] !\n");
}

TEST(TreeD, FirstFailureLeavesTheRestUnmatched)
{
    test::DocTreeFixture env;
    std::string text = test::kValidT1;
    // A third REF exceeds R=2: tried against the later nodes, none takes it.
    text.replace(text.find("N1*ST"), 0, "REF*XX*3~\n");
    BuiltDocument d;
    BuildText(env, d, text);
    EXPECT_EQ(d.nError, 1);
    EXPECT_EQ(d.sError, "Segment matching failed.\r\nFailed segment:REF*XX*3");
    const std::string outline = Outline(d.ndRoot);
    EXPECT_NE(outline.find("      REF [SREF]\n      REF [SREF]\n      REF [SREF] !\n      N1 [SN1 ] !\n"),
              std::string::npos)
        << outline;
    // Later segments that would have matched stay unmatched, under the last T.
    EXPECT_NE(outline.find("      SE [SSE ] !\n      GE [SGE ] !\n      IEA [SIEA] !\n"), std::string::npos) << outline;
    const TreeNode t = d.ndRoot.FirstChild().Child(1).Child(1);
    EXPECT_EQ(t.LastChild().Tag(), "SIEA*00000");  // unmatched segments keep no link
    EXPECT_EQ(t.LastChild().Children(), 2u);

    // An HL level code no loop takes fails at that HL.
    text = test::kValidT1;
    text.replace(text.find("HL*2*1*O"), 8, "HL*2*1*Q");
    BuiltDocument hl;
    BuildText(env, hl, text);
    EXPECT_EQ(hl.sError, "Segment matching failed.\r\nFailed segment:HL*2*1*Q");

    // A required segment that never came makes the next foreign one fail.
    BuiltDocument missing;
    BuildText(env, missing, "ISA*1~GS*1~ST*1~REF*1~SE*1~GE*1~IEA*1~");
    EXPECT_EQ(missing.sError, "Segment matching failed.\r\nFailed segment:REF*1");
}

// Keys are cut at the interchange's own component separator (ISA16), and
// from version 00501 at its repetition separator (ISA11) first.
TEST(TreeD, KeysFollowTheInterchangeSeparators)
{
    test::DocTreeFixture env;
    auto build = [&](char cComponent, const std::string& sVersion, char cRepetition, const std::string& sN1) {
        std::string text = test::kValidT1;
        const std::size_t isa = text.find("*U*00401*");
        text.replace(isa, 9, std::string("*") + cRepetition + "*" + sVersion + "*");
        text[text.find(":~")] = cComponent;
        text.replace(text.find("N1*ST:X"), 7, sN1);
        BuiltDocument d;
        BuildText(env, d, text);
        return d.nError;
    };
    for (const char c : {':', '>', '^', '|'})
        EXPECT_EQ(build(c, "00401", 'U', std::string("N1*ST") + c + "X"), 0) << c;
    EXPECT_EQ(build('>', "00401", 'U', "N1*ST:X"), 1);  // ":" is text here
    EXPECT_EQ(build(':', "00501", '^', "N1*ST^SF:X"), 0);
    EXPECT_EQ(build(':', "00401", '^', "N1*ST^SF"), 1);  // no repetitions before 00501

    // A file without an ISA keeps ":".
    BuiltDocument gs;
    BuildText(env, gs, "GS*PO*A*B*1*2*1*X*004010~ST*850*1~BEG*00~N1*BT:1~SE*3*1~GE*1*1~");
    EXPECT_EQ(gs.nError, 0) << gs.sError;
}

TEST(TreeD, NoSegmentRecognised)
{
    test::DocTreeFixture env;
    BuiltDocument d;
    BuildText(env, d, "ISA*00*1*2~GS*1~", "T1", '*', '\'');  // terminator never found
    EXPECT_EQ(d.nError, 2);
    EXPECT_EQ(d.sError,
              "No segment was recognized.\r\nCheck segment separator and Data Element separator in the Option "
              "screen.");
    // Nothing was cut, but the text is kept, as text after the last terminator.
    ASSERT_EQ(d.ndRoot.Children(), 1u);
    EXPECT_EQ(d.ndRoot.FirstChild().Image(), "trailing");
    EXPECT_EQ(d.doc.Payload(d.ndRoot.FirstChild().Id()), "ISA*00*1*2~GS*1~");

    BuiltDocument empty;
    BuildText(env, empty, "");
    EXPECT_EQ(empty.nError, 2);

    clsTreeD reader;
    clsTree tree;
    EXPECT_FALSE(reader.Build(tree, env.Path("missing.edi"), empty.schema));
    ASSERT_FALSE(env.ui.Messages().empty());
    EXPECT_EQ(env.ui.Messages().back().rfind("Error:No such file or directory", 0), 0u);
    EXPECT_EQ(tree.NodeCount(), 0u);
}

TEST(NodeD, TagsAndCounts)
{
    EXPECT_EQ(gfDnodeNewTag("S", "N1", "0"), "SN1 *00000");
    EXPECT_EQ(gfDnodeNewTag("D", "", "0"), "D   *00000");
    EXPECT_EQ(gfDnodeNewTag("Z", "ABCD", "12"), "ZABC*00012");
    EXPECT_EQ(gfDnodeNewTag("S", "N1", "1234567"), "SN1 *34567");
    EXPECT_EQ(gfDnodeLinkedTag("S", "N1", "00000.00002"), "SN1 *00000.00002");
    EXPECT_EQ(gfDnodeLinkedTag("X", "", "00000.00001"), "X   *00000.00001");
    EXPECT_EQ(gfDnodeElementTag(7), "E07");
    EXPECT_EQ(gfDnodeElementTag(123), "E23");
    EXPECT_EQ(gfDnodeTagWithLink("SREF*00000*extra", "00000.00002"), "SREF*00000.00002*extra");

    test::DocTreeFixture env;
    BuiltDocument d;
    BuildText(env, d, test::kValidT1);
    const TreeNode t = d.ndRoot.FirstChild().Child(1).Child(1);
    const TreeNode ref1 = t.Child(2);
    EXPECT_EQ(gfDnodeSegType(ref1), "REF");
    EXPECT_EQ(gfDnodeType(ref1), 'S');
    EXPECT_EQ(gfDnodeRunCount(ref1), 2);
    EXPECT_EQ(gfDnodeRunCount(t.Child(1)), 1);
    EXPECT_TRUE(gfDnodeIsEnvelope(t.FirstChild()));
    EXPECT_FALSE(gfDnodeIsEnvelope(ref1));
    const TreeNode hier = t.Child(5);
    EXPECT_EQ(gfDnodeSegType(hier), "HLS");
    EXPECT_EQ(gfDnodeSiblingCount(hier), 0);
    EXPECT_EQ(gfDnodeSiblingCount(hier.Child(1)), 2);  // two Order loops, one Shipment
    EXPECT_EQ(gfDnodeSiblingCount(t), 1);

    EXPECT_EQ(gfDnodeSchemaKey(ref1.FirstChild()), "K00000");
    EXPECT_EQ(env.ui.Messages(), (std::vector<std::string>{"Illogic."}));
    env.ui.Clear();
    gfDnodeSiblingCount(ref1);
    EXPECT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_NE(env.ui.Messages()[0].find("Should not count this node-S"), std::string::npos);
}

}  // namespace
}  // namespace orr
