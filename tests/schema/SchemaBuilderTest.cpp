#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "schema/clsDefFiles.h"
#include "schema/clsTreeS.h"
#include "store/modTreeDump.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::ProgramEnded;
using test::RecordingIllogicHost;
using test::TestEnv;
using Lines = std::vector<std::string>;

// The hand-written definition set the tests build from.
const std::map<std::string, std::string> kDefinitions = {
    // Numbering, nesting, images, and an element line after a nested loop's end.
    {"docT1.def",
     "???*DESCRIPTION*Test one\r\n"
     "; a comment\r\n"
     "\r\n"
     "A??*LS*0001*99*ISA*Interchange\r\n"
     "ISA*0*M*1*Header\r\n"
     "I01*1*M*ID*2*2*Qualifier\r\n"
     "   ; indented comment\r\n"
     "A??*LS*2000*5**Party\r\n"
     "N1*0*O*1*Name*BT\r\n"
     "98*1*R*ID*2*3*Entity\r\n"
     "93*2*S*AN*1*60*Name\r\n"
     "A??*LE\r\n"
     "I02*2*O*AN*10*10*Info\r\n"
     "I03*3*N*ID*2*2*Unused\r\n"
     "I04*4*X*AN*1*1*Rel\r\n"
     "I05*5*Q*ID*1*1*Odd\r\n"
     "A??*HLE\r\n"},
    // Loops never closed.
    {"docT2.def", "A??*LS*0001*1**Outer\nAA*0*M*1*First\nA??*HLS*1*3*Inner\nBB*0*M*1*Second\n"},
    // A loop end at the root's level ends the build.
    {"docT3.def", "AA*0*M*1*First\nA??*LE\nBB*0*M*1*Never read\n"},
    // Lines the builder cannot use.
    {"docT4.def",
     "01*1*M*AN*1*2*Too early\n"
     "A??*XX*1\n"
     "AA*0*M*1*Seg\n"
     "A??\n"
     "BB*0*M\n"
     "01*1*M*AN*1*2*Fine\n"
     "A??*LS*L1*1**Loop\n"
     "02*1*M*AN*1*1*No segment in this loop yet\n"
     "A??*LE\n"
     "A??*LS*bad\n"
     "CC*0*O*1*Under the bad loop\n"},
    // Segment references.
    {"docT5.def",
     "???*PREFIX*850\n"
     "A??*LS*0001*1**Env\n"
     "N1*O*2*Name*BT,ST\n"
     "REF*M*1*Reference\n"
     "DTM*O*1*Date\n"
     "PER*O*1*Contact\n"
     "A??*LE\n"},
    {"N1.def",
     "N1*Name\n98*1*ID*2*3*Entity Identifier Code\n93*2*AN*1*60*Name\n66*3*ID*1*2*Id Code Qualifier\n"},
    {"850-N1.def", "N1*0\n98*1*M\n; comment\n93*2*O\n"},
    {"REF.def", "REF*Reference\n128*1*ID*2*3*Qualifier\n"},
    {"850-REF.def", "REF*0\n"},
    {"DTM.def", "DTM*Date\n"},
    {"850-DTM.def", "DTM*0\n374*1*M\n"},
    // Directives.
    {"docT6.def",
     "???*OFF\n"
     "AA*0*M*1*Dropped\n"
     "???*FILE*inc.def\n"
     "DD*0*M*1*Still off\n"
     "???*ON\n"
     "BB*0*M*1*Kept\n"
     "???*BOGUS*x\n"
     "???*FILE*missing.def\n"
     "???*DESCRIPTION*whatever\n"},
    {"inc.def", "CC*0*M*1*Included\n   ; indented comment\n01*1*M*AN*1*1*Elem\n???*ON\n"},
    {"docOffAtEnd.def", "AA*0*M*1*x\n???*OFF\n"},
    {"docSingle.def", "AA*0*M*1*x\nJUSTONE\nBB*0*M*1*y\n"},
};

class SchemaBuilder : public ::testing::Test {
protected:
    SchemaBuilder()
    {
        TestEnv::WriteContainer(env.config->DefinitionFile, kDefinitions);
        gDefFiles = &files;
        EXPECT_TRUE(files.RefreshBinFile());
    }

    // "key text" per node, indented two blanks per level.
    std::string Outline(NodeId root) { return Outline(tree, root); }
    static std::string Outline(const clsTree& t, NodeId root)
    {
        std::istringstream dump(gfDumpTreeText(t, root));
        std::string line, out;
        while (std::getline(dump, line)) {
            std::vector<std::string> f;
            std::istringstream fields(line);
            for (std::string s; std::getline(fields, s, '\t');)
                f.push_back(s);
            out += std::string(2 * std::stoul(f[0]), ' ') + f[1] + " " + f[3] + "\n";
        }
        return out;
    }

    TestEnv env;
    clsDefFiles files;
    clsTree tree;
    clsTreeS builder;
};

TEST_F(SchemaBuilder, NumbersImagesAndNesting)
{
    const NodeId root = builder.Build(tree, "T1");
    ASSERT_TRUE(root);
    EXPECT_TRUE(tree.Expanded(root));
    EXPECT_EQ(gfDumpTreeText(tree),
              "0\tK00000\tISLS*N00000*C0*R99999*DT1\tT1\tclosed\topen\n"
              "1\tK00001\tISLS*N00001*C0*R99*KISA*DInterchange*L0001\tLoop 0001 Interchange R=99 K=ISA\t"
              "closedschema\topenschema\n"
              "2\tK00002\tIRISA*N00002*C0*Z0*PM*R1*DHeader\tISA M R=1 Header\tclosed\topen\n"
              "3\tK00003\tIRI01*N00003*Z1*PM*TID*A2*B2*DQualifier\t1 M ID 2 2 Qualifier\tde\t\n"
              "3\tK00009\tIRI02*N00009*Z2*PO*TAN*A10*B10*DInfo\t2 O AN 10 10 Info\tdeoptional\t\n"
              "3\tK00010\tIRI03*N00010*Z3*PN*TID*A2*B2*DUnused\t3 N ID 2 2 Unused\tdenotused\t\n"
              "3\tK00011\tIRI04*N00011*Z4*PX*TAN*A1*B1*DRel\t4 X AN 1 1 Rel\tderelational\t\n"
              "3\tK00012\tIRI05*N00012*Z5*PQ*TID*A1*B1*DOdd\t5 Q ID 1 1 Odd\tdeunknown\t\n"
              "2\tK00004\tISLS*N00004*C0*R5*K*DParty*L2000\tLoop 2000 Party R=5\tclosedschema\topenschema\n"
              "3\tK00005\tIRN1*N00005*C0*Z0*PO*R1*DName*KBT\tN1  O R=1 Name K=BT\tclosed\topen\n"
              "4\tK00006\tIR98*N00006*Z1*PR*TID*A2*B3*DEntity\t1 R ID 2 3 Entity\tde\t\n"
              "4\tK00007\tIR93*N00007*Z2*PS*TAN*A1*B60*DName\t2 S AN 1 60 Name\tdeoptional\t\n");
    EXPECT_EQ(builder.NodeCounter(), 13);  // the two loop ends used 8 and 13
    EXPECT_EQ(tree.FindKey("K00008"), NodeId{});
    EXPECT_TRUE(env.ui.Messages().empty());
    ASSERT_FALSE(env.ui.Calls().empty());
    EXPECT_EQ(env.ui.Calls().front().sText, "Building schema tree...");

    // The same object numbers on; a second root in the same tree is refused.
    clsTree second;
    const NodeId root2 = builder.Build(second, "T3");
    EXPECT_EQ(Outline(second, root2), "K00000 T3\n  K00014 AA  M R=1 First\n");
    EXPECT_FALSE(builder.Build(tree, "T3"));
    EXPECT_EQ(env.ui.Messages(), Lines{"Error:Key is not unique in collection\r\n\r\nError Code:0"});
}

TEST_F(SchemaBuilder, LoopsCloseAtTheEndOfTheFile)
{
    EXPECT_EQ(Outline(builder.Build(tree, "T2")),
              "K00000 T2\n"
              "  K00001 Loop 0001 Outer R=1\n"
              "    K00002 AA  M R=1 First\n"
              "    K00003 HL Inner KS=1 KD=3\n"
              "      K00004 BB  M R=1 Second\n");
    clsTree t3;
    clsTreeS other;
    const NodeId root3 = other.Build(t3, "T3");
    EXPECT_EQ(Outline(t3, root3), "K00000 T3\n  K00001 AA  M R=1 First\n");
}

TEST_F(SchemaBuilder, UnusableLinesGiveMessagesAndUseNumbers)
{
    EXPECT_EQ(Outline(builder.Build(tree, "T4")),
              "K00000 T4\n"
              "  K00003 AA  M R=1 Seg\n"
              "    K00006 1 M AN 1 2 Fine\n"
              "  K00007 Loop L1 Loop R=1\n"
              "  K00010 I???\n"
              "    K00011 CC  O R=1 Under the bad loop\n");
    EXPECT_EQ(env.ui.Messages(), (Lines{
                                     "Data element without a segment:\r\n\r\n01*1*M*AN*1*2*Too early",
                                     "Unknown segment:A??*XX*1",
                                     "Unknown segment:A??",
                                     "Invalid Schema input line:\r\n\r\nBB*0*M",
                                     "Unknown EDI segment:\r\n\r\nBB*0*M",
                                     "Data element without a segment:\r\n\r\n02*1*M*AN*1*1*No segment in this loop yet",
                                     "Invalid Schema input line:\r\n\r\nA??*LS*bad",
                                 }));
    for (const auto& call : env.ui.Calls()) {
        if (call.kind == test::UiCall::Message) {
            EXPECT_EQ(call.icon, MsgIcon::Critical);
        }
    }
}

TEST_F(SchemaBuilder, SegmentReferencesExpand)
{
    EXPECT_EQ(builder.Flatten("docT5.def"), (Lines{
                                                "A??*LS*0001*1**Env",
                                                "N1*00*O*2*Name*BT,ST",
                                                "98*1*M*ID*2*3*Entity Identifier Code",
                                                "93*2*O*AN*1*60*Name",
                                                "REF*00*M*1*Reference",
                                                "A??*LE",
                                            }));
    EXPECT_EQ(env.ui.Messages(), (Lines{
                                     "Invalid standard file or document definition file.\r\n\r\n"
                                     "Standard definition=DTM.def\r\nDocument definition=850-DTM.def\r\n",
                                     "Could not find template file:PER.def",
                                     "Could not open PER.def",
                                 }));
    EXPECT_EQ(builder.Prefix(), "850");
    env.ui.Clear();
    EXPECT_EQ(Outline(builder.Build(tree, "T5")),
              "K00000 T5\n"
              "  K00001 Loop 0001 Env R=1\n"
              "    K00002 N1  O R=2 Name K=BT,ST\n"
              "      K00003 1 M ID 2 3 Entity Identifier Code\n"
              "      K00004 2 O AN 1 60 Name\n"
              "    K00005 REF M R=1 Reference\n");
    EXPECT_EQ(tree.Tag(tree.FindKey("K00002")), "IRN1*N00002*C0*Z00*PO*R2*DName*KBT,ST");
    EXPECT_EQ(env.ui.Messages().size(), 3u);
}

TEST_F(SchemaBuilder, DirectivesAndInclusion)
{
    EXPECT_EQ(builder.Flatten("docT6.def"), (Lines{"CC*0*M*1*Included", "01*1*M*AN*1*1*Elem", "BB*0*M*1*Kept"}));
    EXPECT_EQ(env.ui.Messages(), (Lines{
                                     "Unknown directive in DEF file.",
                                     "Could not find template file:missing.def",
                                     "Could not open definition file:missing.def",
                                     // The included "???*ON" was copied, not obeyed, and then
                                     // read as a segment reference.
                                     "Could not find template file:???.def",
                                     "Could not open ???.def",
                                 }));

    // The switch belongs to the object: off at the end of one file, off for the next.
    EXPECT_EQ(builder.Flatten("docOffAtEnd.def"), Lines{"AA*0*M*1*x"});
    EXPECT_TRUE(builder.SwitchOff());
    EXPECT_EQ(builder.Flatten("docT2.def"), Lines{});
    clsTreeS fresh;
    EXPECT_EQ(fresh.Flatten("docT2.def")->size(), 4u);

    // A line of one field: reported, and the rest goes on.
    env.ui.Clear();
    EXPECT_EQ(fresh.Flatten("docSingle.def"), (Lines{"AA*0*M*1*x", "BB*0*M*1*y"}));
    EXPECT_EQ(env.ui.Messages(), Lines{"Error:Subscript out of range\r\n\r\nError Code:9"});
}

TEST_F(SchemaBuilder, MissingDefinitionBuildsNothing)
{
    EXPECT_FALSE(builder.Build(tree, "ZZ"));
    EXPECT_EQ(tree.NodeCount(), 0u);
    EXPECT_EQ(env.ui.Messages(),
              (Lines{"Could not find template file:docZZ.def", "Could not open definition file:docZZ.def"}));
    gDefFiles = nullptr;  // no definition store at all
    EXPECT_FALSE(builder.Build(tree, "T1"));
}

TEST_F(SchemaBuilder, TraceKeepsTheFlatteningFiles)
{
    builder.Build(tree, "T5");
    EXPECT_FALSE(fs::exists(env.Path(kFirstPassFile)));
    EXPECT_FALSE(fs::exists(env.Path(kFlattenedFile)));
    env.config->bTrace = true;
    {
        clsTreeS traced;
        clsTree t;
        traced.Build(t, "T5");
    }
    EXPECT_EQ(TestEnv::ReadFile(env.Path(kFirstPassFile)),
              "A??*LS*0001*1**Env\r\nN1*O*2*Name*BT,ST\r\nREF*M*1*Reference\r\nDTM*O*1*Date\r\n"
              "PER*O*1*Contact\r\nA??*LE\r\n");
    EXPECT_EQ(TestEnv::ReadFile(env.Path(kFlattenedFile)).substr(0, 42),
              "A??*LS*0001*1**Env\r\nN1*00*O*2*Name*BT,ST\r\n");
}

TEST_F(SchemaBuilder, TooManyNodesEndTheProgram)
{
    std::string def;
    for (int i = 0; i < 100000; ++i)
        def += "AA*0*M*1*x\n";
    TestEnv::WriteContainer(env.config->DefinitionFile, {{"docBig.def", def}});
    files.RefreshBinFile();
    RecordingIllogicHost host;
    EXPECT_THROW(builder.Build(tree, "Big"), ProgramEnded);
    EXPECT_EQ(env.ui.Messages().at(0), "System illogic.\r\n\r\nToo many nodes. nID=100000");
    EXPECT_EQ(tree.FindKey("K99999") ? 1 : 0, 1);
}

}  // namespace
}  // namespace orr
