#include <gtest/gtest.h>

#include <functional>

#include "schema/TagFields.h"
#include "schema/modNodeS.h"
#include "store/TreeNode.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using test::ProgramEnded;
using test::RecordingIllogicHost;
using test::TestEnv;

const std::string kInvalid = "Invalid Schema input line:\r\n\r\n";

TEST(SchemaTags, AttributeLookup)
{
    const std::string tag = "IRN1*N00004*C0*Z0*PO*R1*D*K*Kdup*Xx";
    EXPECT_EQ(gfTagGetAttr(tag, 'I'), "RN1");
    EXPECT_EQ(gfTagGetAttr(tag, 'D'), "");  // the letter alone
    EXPECT_EQ(gfTagGetAttr(tag, 'K'), "");  // the first of two counts
    EXPECT_EQ(gfTagGetAttr(tag, 'Q'), "");  // absent
    EXPECT_EQ(gfTagGetAttr("ISLS*N00000*C0*R99999*D", 'D'), "");
    EXPECT_EQ(gfTagGetAttr("", 'I'), "");
    EXPECT_EQ(gfTagGetAttr("I???", 'I'), "???");
    // Cut once, read the same way; a value to set needs seven fields and its letter.
    const TagFields fields(tag);
    for (const char c : {'I', 'D', 'K', 'Q', 'X', 'N', 'a', '*'})
        EXPECT_EQ(fields[c], gfTagGetAttr(tag, c)) << c;
    EXPECT_TRUE(fields.CanSet('C'));
    EXPECT_FALSE(TagFields("IRN1*N00004*C0*Z0*PO*R1").CanSet('C'));  // six fields
    EXPECT_FALSE(TagFields("IRN1*N1*Z0*PO*R1*D*K").CanSet('C'));     // no C field

    EXPECT_TRUE(gfIsNumeric(" 00 "));
    EXPECT_TRUE(gfIsNumeric("-1.5"));
    EXPECT_FALSE(gfIsNumeric(""));
    EXPECT_FALSE(gfIsNumeric("M"));
    EXPECT_FALSE(gfIsNumeric("1.2.3"));
    EXPECT_FALSE(gfIsNumeric("."));
    EXPECT_EQ(gfNumericValue("2.5"), 2);  // halves to even
    EXPECT_EQ(gfNumericValue("3.5"), 4);
    EXPECT_EQ(gfNumericValue("0.4"), 0);
    EXPECT_EQ(gfNumericValue("99999999999"), std::nullopt);
    EXPECT_EQ(gfSnodeNumberText(42), "00042");
    EXPECT_EQ(gfSnodeNumberText(99999), "99999");
}

TEST(SchemaTags, ParseLineBuildsEachKind)
{
    TestEnv env;
    EXPECT_EQ(gfSnodeParseLine("A??*LS*2000*>1*HL,N1*Name", "00007"), "ISLS*N00007*C0*R>1*KHL,N1*DName*L2000");
    EXPECT_EQ(gfSnodeParseLine("A??*HLS*1*3*Levels", "00001"), "ISHLS*N00001*C0*X1*Y3*DLevels");
    EXPECT_EQ(gfSnodeParseLine("A??*ESS*1*Refs", "00001"), "ISESS*N00001*C0*Y1*DRefs");
    EXPECT_EQ(gfSnodeParseLine("A??*ELS*0*1", "00001"), "ISELS*N00001*C0*X0*Y1");
    EXPECT_EQ(gfSnodeParseLine("A??*ELS*0*1*Parties*more", "00001"), "ISELS*N00001*C0*X0*Y1*DParties");
    EXPECT_EQ(gfSnodeParseLine("N1*0*O*2*Name*BT,ST*ignored", "00002"), "IRN1*N00002*C0*Z0*PO*R2*DName*KBT,ST");
    EXPECT_EQ(gfSnodeParseLine("N1*00*O*2*Name", "00002"), "IRN1*N00002*C0*Z00*PO*R2*DName");
    // An element's eighth field is its code list; an empty one and further fields are dropped.
    EXPECT_EQ(gfSnodeParseLine("98*1*M*ID*2*3*Entity*BT,ST*x", "00003"), "IR98*N00003*Z1*PM*TID*A2*B3*DEntity*VBT,ST");
    EXPECT_EQ(gfSnodeParseLine("98*1*M*ID*2*3*Entity**x", "00003"), "IR98*N00003*Z1*PM*TID*A2*B3*DEntity");
    // A position "0" makes an element line a segment.
    EXPECT_EQ(gfSnodeParseLine("98*0*M*ID*2*3*Entity", "00003"), "IR98*N00003*C0*Z0*PM*RID*D2*K3");
    EXPECT_EQ(gfSnodeParseLine("A??*XLS*a*b", "00001"), "I???");
    EXPECT_TRUE(env.ui.Messages().empty());

    for (const char* bad : {"A??*LS*2000*1*K", "A??*LS*2000*1*K*D*extra", "A??*HLS*1*3", "A??*ESS*1", "A??*ELS*1",
                            "N1*X*O*1*Name", "N1", "N1*0*O*1", "98*1*M*ID*2*3"}) {
        env.ui.Clear();
        EXPECT_EQ(gfSnodeParseLine(bad, "00001"), "I???") << bad;
        EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{kInvalid + bad}) << bad;
        EXPECT_EQ(env.ui.Calls().at(0).icon, MsgIcon::Critical);
    }
}

TEST(SchemaTags, DisplayTexts)
{
    EXPECT_EQ(gfTagDisplay("ISLS*N00001*C0*R>1*K*DName*L2000"), "Loop 2000 Name R=>1");
    EXPECT_EQ(gfTagDisplay("ISLS*N00001*C0*R5*KN1*DName*L2000"), "Loop 2000 Name R=5 K=N1");
    EXPECT_EQ(gfTagDisplay("ISHLS*N00001*C0*X1*Y3*DLevels"), "HL Levels KS=1 KD=3");
    EXPECT_EQ(gfTagDisplay("ISELS*N00001*C0*X0*Y1"), "E Loops KS=0 KD=1");
    EXPECT_EQ(gfTagDisplay("ISELS*N00001*C0*X0*Y1*DParties"), "E Loops KS=0 KD=1 Parties");
    EXPECT_EQ(gfTagDisplay("ISESS*N00001*C0*Y1*DRefs"), "E Segments Refs KD=1");
    EXPECT_EQ(gfTagDisplay("IRN1*N00002*C0*Z0*PO*R2*DName"), "N1  O R=2 Name");  // padded to three
    EXPECT_EQ(gfTagDisplay("IRN1*N00002*C0*Z00*PO*R2*DName*KBT"), "N1  O R=2 Name K=BT");
    EXPECT_EQ(gfTagDisplay("IRLONG*N00002*C0*Z0*PO*R2*DName"), "LON O R=2 Name");
    EXPECT_EQ(gfTagDisplay("IR98*N00003*Z1*PM*TID*A2*B3*DEntity"), "1 M ID 2 3 Entity");
    for (const char* whole : {"I???", "IR98*N1*Zx*PM", "IR98*N1*PM", "IQX*N1", "ISXYZ*N1", ""})
        EXPECT_EQ(gfTagDisplay(whole), whole);
}

// A small schema: root > loop(LS, R5) > [N1 segment > 2 elements, HL loop > HL segment]
struct Schema {
    clsTree tree;
    TreeNode root, loop, n1, e1, e2, hl, hlSeg;
    Schema()
    {
        auto add = [&](TreeNode parent, const std::string& tag) {
            return tree.Node(
                tree.Add(parent.Id(), Relation::Child, {.sKey = "K" + gfTagGetAttr(tag, 'N'), .sTag = tag}));
        };
        root = tree.Node(tree.Add({}, Relation::Child, {.sKey = "K00000", .sTag = "ISLS*N00000*C0*R99999*D850"}));
        loop = add(root, "ISLS*N00001*C0*R5*KN1*DParty*L2000");
        n1 = add(loop, "IRN1*N00002*C0*Z0*PO*R1*DName*KBT");
        e1 = add(n1, "IR98*N00003*Z1*PM*TID*A2*B3*DEntity");
        e2 = add(n1, "IR93*N00004*Z2*PX*TAN*A1*B60*DName");
        hl = add(loop, "ISHLS*N00005*C0*X1*Y3*DLevels");
        hlSeg = add(hl, "IRHL*N00006*C0*Z0*PM*R1*DLevel");
    }
};

TEST(SchemaTags, NodeAttributesAndTheSevenFieldRule)
{
    TestEnv env;
    Schema s;
    std::string type, sub;
    gfSnodeType(s.hl, type, sub);
    EXPECT_EQ(type + "|" + sub, "S|HLS");
    gfSnodeType(TreeNode(), type, sub);
    EXPECT_EQ(type + "|" + sub, "|");
    EXPECT_EQ(gfSnodeGetNumber(s.e2), "00004");
    EXPECT_EQ(gfSnodeGetKey(s.n1), "BT");
    std::int16_t x = -1, y = -1;
    gfSnodeGetKeyPositions(s.hl, x, y);
    EXPECT_EQ(x * 10 + y, 13);
    gfSnodeGetKeyPositions(s.n1, x, y);
    EXPECT_EQ(x * 10 + y, 0);
    EXPECT_EQ(gfSnodeFQN(s.hlSeg), "00000.00001.00005.00006");
    EXPECT_EQ(gfSnodeFQN(s.root), "00000");
    EXPECT_EQ(gfSnodeDisplay(s.e1), "1 M ID 2 3 Entity");

    gfSnodeSetAttr(s.hl, 'C', "7");  // six fields: unchanged
    EXPECT_EQ(s.hl.Tag(), "ISHLS*N00005*C0*X1*Y3*DLevels");
    gfSnodeSetAttr(s.root, 'D', "x");  // five fields
    EXPECT_EQ(s.root.Tag(), "ISLS*N00000*C0*R99999*D850");
    gfSnodeSetAttr(s.e1, 'C', "1");  // no C field
    EXPECT_EQ(s.e1.Tag(), "IR98*N00003*Z1*PM*TID*A2*B3*DEntity");
    gfSnodeSetAttr(s.n1, 'K', "ST");
    EXPECT_EQ(s.n1.Tag(), "IRN1*N00002*C0*Z0*PO*R1*DName*KST");
    s.n1.SetTag("IRN1*N00002*C0*Z0*PO*R1*Dx*Da*Db");
    gfSnodeSetAttr(s.n1, 'D', "y");  // the first of two
    EXPECT_EQ(s.n1.Tag(), "IRN1*N00002*C0*Z0*PO*R1*Dy*Da*Db");

    EXPECT_EQ(gfSnodeGetAttrNum(s.loop, 'R'), 5);
    EXPECT_EQ(gfSnodeGetAttrNum(s.loop, 'K'), 0);
    EXPECT_EQ(gfSnodeGetAttrNum(s.loop, 'Q'), 0);  // absent: no message
    EXPECT_EQ(env.ui.Messages(), std::vector<std::string>{"Expecting nuneric data."});
    EXPECT_EQ(env.ui.Calls().back().icon, MsgIcon::Critical);
}

TEST(SchemaTags, Required)
{
    TestEnv env;
    Schema s;
    EXPECT_FALSE(gfSnodeRequired(s.loop));  // its first child is N1 with P "O"
    EXPECT_TRUE(gfSnodeRequired(s.hl));
    EXPECT_TRUE(gfSnodeRequired(s.e1));
    EXPECT_FALSE(gfSnodeRequired(s.e2));  // "X"
    EXPECT_TRUE(env.ui.Messages().empty());
}

TEST(SchemaTags, MissingNodesEndTheProgram)
{
    Schema s;
    std::int16_t x, y;
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"gfSnodeDisplay", [] { gfSnodeDisplay({}); }},
        {"gfSnodeRequired", [] { gfSnodeRequired({}); }},
        {"gfSnodeGetKeyPositions", [&] { gfSnodeGetKeyPositions({}, x, y); }},
        {"gfSnodeGetKey", [] { gfSnodeGetKey({}); }},
        {"gfSnodeFQN", [] { gfSnodeFQN({}); }},
        // A system loop without children: its first child is missing.
        {"gfSnodeRequired",
         [&] {
             s.tree.Remove(s.hlSeg.Id());
             gfSnodeRequired(s.hl);
         }},
    };
    for (const auto& [name, call] : cases) {
        TestEnv env;
        RecordingIllogicHost host;
        EXPECT_THROW(call(), ProgramEnded) << name;
        EXPECT_EQ(env.ui.Messages().at(0), "System illogic.\r\n\r\n" + name + ", nd is nothing");
    }
    TestEnv env;
    RecordingIllogicHost host;
    EXPECT_THROW(gfSnodeNumberText(100000), ProgramEnded);
    EXPECT_EQ(env.ui.Messages().at(0), "System illogic.\r\n\r\nnID too large. nId = 100000");
}

}  // namespace
}  // namespace orr
