// Default document trees (clsTreeDNewTree) and empty-node folders (clsTreeDNullFolder).
#include <gtest/gtest.h>

#include "app/modGlobals.h"
#include "doctree/clsTreeDNewTree.h"
#include "doctree/clsTreeDNullFolder.h"
#include "doctree/clsTreeDSave.h"
#include "doctree/modNodeD.h"
#include "schema/clsDefFiles.h"
#include "schema/modNodeS.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

using test::BuiltDocument;
using test::TestEnv;

// A transaction: an optional loop first, BEG (an element marked N), optional
// CUR and REF, a required N1 loop, an optional PO1 loop, HLS, ESS and ELS.
const char* const kDocN1 = R"(A??*LS*0001*99*ISA*Interchange
ISA*0*M*1*I
A??*LS*0002*99*GS*Group
GS*0*M*1*G
A??*LS*0003*99*ST*Transaction
ST*0*M*1*S
A??*LS*NTE*10*NTE*Notes
NTE*0*O*1*Note
A??*LE
BEG*0*M*1*Beginning
353*1*M*ID*2*2*Purpose
324*2*N*AN*1*22*Not used
373*3*X*DT*8*8*Date
CUR*0*O*1*Currency
REF*0*O*12*Reference
A??*LS*N1*200*N1*Name loop
N1*0*M*1*Name
98*1*M*ID*2*3*Entity
N3*0*O*2*Address
N4*0*M*1*Location
19*1*O*AN*2*30*City
A??*LE
A??*LS*PO1*100*PO1*Item loop
PO1*0*O*1*Item
330*1*M*R*1*15*Quantity
PID*0*O*1*Description
A??*LE
A??*HLS*1*3*Hierarchy
A??*LS*HLS*1*S*Shipment
HL*0*M*1*Level
A??*LE
A??*HLE
A??*ESS*1*Dates
DTM*0*O*1*Ship date*011
A??*ESE
A??*ELS*1*1*Parties
A??*LS*N9A*2*AA*Reference A
N9*0*M*1*Reference
A??*LE
A??*ELE
SE*0*M*1*E
A??*LE
GE*0*M*1*E
A??*LE
IEA*0*M*1*E
A??*LE
)";

void LoadN1(TestEnv& env)
{
    TestEnv::WriteContainer(env.config->DefinitionFile, {{"docN1.def", kDocN1}});
    static clsDefFiles files;
    ASSERT_TRUE(files.RefreshBinFile());
    gDefFiles = &files;
}

std::tm FixedClock()  // 5 March 2004, 09:07
{
    std::tm t{};
    t.tm_min = 7, t.tm_hour = 9, t.tm_mday = 5, t.tm_mon = 2, t.tm_year = 104;
    return t;
}

// Text, tag kind and code, image; elements left out and never made.
std::string Outline(const TreeNode& nd, int nDepth = 0)
{
    std::string s;
    for (TreeNode c = nd.FirstChild(); c; c = c.Next()) {
        if (c.Tag()[0] == 'E')
            continue;
        s += std::string(std::size_t(nDepth) * 2, ' ') + std::string(c.Text()) + " [" + c.Tag().substr(0, 4) + "] " +
             c.Image() + "\n";
        if (c.Tag()[0] != 'S')
            s += Outline(c, nDepth + 1);
    }
    return s;
}

std::vector<std::string> Illogic(const TestEnv& env)
{
    std::vector<std::string> details;
    for (const std::string& m : env.ui.Messages())
        if (const auto begin = m.find("condition.\r\n"); begin != std::string::npos)
            details.push_back(m.substr(begin + 12, m.find("\r\n", begin + 12) - begin - 12));
    return details;
}

TreeNode SchemaOf(clsTree& schema, const TreeNode& nd) { return schema.Node(schema.FindKey(gfDnodeSchemaKey(nd))); }

TEST(NewTree, DefaultDocumentAndItsReadBack)
{
    TestEnv env;
    LoadN1(env);
    clsConfig& c = *env.config;
    c.HerAddrQualifier = "ZZ", c.HerAddr = "PARTNER", c.MyAddrQualifier = "01", c.MyAddr = "ME";
    c.IsaIcId = "U", c.IsaIcVersion = "401", c.IsaAckRequired = true, c.GsAgencyCode = "X", c.GsReleaseID = "004010";
    c.IsaIcNumber = 77;  // the configured control numbers number new documents
    c.GsControlNumber = 5;
    BuiltDocument d;
    test::BuildText(env, d, "ST*850*1~BEG*00~SE*3*1~", "N1");  // for the schema tree
    clsTree doc;
    const TreeNode root = doc.Node(doc.Add(NodeId{}, Relation::Child, {.sText = "New", .sTag = "D   *00000"}));
    ASSERT_TRUE(clsTreeDNewTree(FixedClock).Build(doc, root, d.schema.Node(d.schema.FindKey("K00000"))));
    EXPECT_EQ(Outline(root), "Interchange [X   ] closeddata\n  ISA [SISA] closed\n  Group [F   ] closeddata\n"
                             "    GS [SGS ] closed\n    Transaction [T   ] closeddata\n      ST [SST ] closed\n"
                             "      BEG [SBEG] closed\n      CUR [SCUR] nullsegment\n      REF [SREF] nullsegment\n"
                             "      Name loop [ZLS ] closeddata\n        N1 [SN1 ] closed\n"
                             "        N3 [SN3 ] nullsegment\n        N4 [SN4 ] closed\n"
                             "      Hierarchy [ZHLS] closednull\n      Dates [ZESS] closednull\n"
                             "      Parties [ZELS] closednull\n      SE [SSE ] closed\n    GE [SGE ] closed\n"
                             "  IEA [SIEA] closed\n");
    const TreeNode t = root.FirstChild().Child(1).Child(1);
    for (std::uint32_t i = 0; i < t.Children(); ++i)  // every node linked; nothing for the optional loop
        EXPECT_EQ(gfSnodeFQN(SchemaOf(d.schema, t.Child(i))), gfDnodeSchemaPath(t.Child(i)));
    EXPECT_EQ(gfSnodeGetAttr(SchemaOf(d.schema, t.Child(1)), 'D'), "Beginning");
    EXPECT_EQ(t.Child(1).Child(1).Tag() + t.Child(1).Child(1).Image(), "E03ddeoptional");
    EXPECT_TRUE(env.ui.Messages().empty());

    clsTreeDSave writer;
    writer.SetDelimiter('*');
    writer.SetSelimiter('~');
    EXPECT_EQ(writer.ToText(root, false), "ISA*00**00**ZZ*PARTNER*01*ME*040305*0907*U*00401*000000077*1*P*:~"
                                          "GS**ME*PARTNER*20040305*0907*5*X*004010~ST**1~BEG**~N1*~N4*~SE*1*1~"
                                          "GE*0*5~IEA*0*000000077~");
    BuiltDocument back;
    test::BuildText(env, back, writer.ToText(root, false), "N1");
    EXPECT_EQ(back.nError, 0) << back.sError;
}

TEST(NewTree, NewLoopsAndUnknownSchemaNodes)
{
    TestEnv env;
    LoadN1(env);
    BuiltDocument d;
    test::BuildText(env, d, "ST*850*1~BEG*00~SE*3*1~", "N1");
    // A new optional loop: BuildTree leaves PO1 a placeholder, Build gives it elements.
    clsTreeDNewTree builder;
    const TreeNode ndItem = SchemaOf(d.schema, d.ndRoot.FirstChild()).Child(6);
    ASSERT_EQ(gfSnodeGetAttr(ndItem, 'D'), "Item loop");
    TreeNode z[2];
    for (TreeNode& n : z)
        n = d.doc.Node(d.doc.Add(d.ndRoot.Id(), Relation::Child, {.sText = "Item", .sTag = "ZLS *00000"}));
    ASSERT_TRUE(builder.BuildTree(d.doc, z[0], ndItem));
    ASSERT_TRUE(builder.Build(d.doc, z[1], ndItem));
    EXPECT_EQ(Outline(z[0]), "PO1 [SPO1] nullsegment\nPID [SPID] nullsegment\n");
    EXPECT_EQ(Outline(z[1]), "PO1 [SPO1] closed\nPID [SPID] nullsegment\n");
    EXPECT_EQ(z[1].FirstChild().FirstChild().Tag(), "E01");

    // Unknown kinds stop the build with a warning; what was made stays.
    clsTree schema;
    const NodeId root = schema.Add(NodeId{}, Relation::Child, "K00000", "");
    schema.SetTag(root, "ISLS*N00000*C0*R99999*DX");
    for (const char* sTag : {"IRAAA*N00001*C0*Z0*PM*R1*DA", "ISFOO*N00002*C0*DB", "IRBBB*N00003*C0*Z0*PM*R1*DC"})
        schema.SetTag(schema.Add(root, Relation::Child, "", ""), sTag);
    const NodeId other = schema.Add(NodeId{}, Relation::Child, "K00004", "");
    schema.SetTag(other, "ISLS*N00004*C0*R99999*DY");
    schema.SetTag(schema.Add(other, Relation::Child, "", ""), "I???");
    env.ui.Clear();
    EXPECT_FALSE(builder.Build(d.doc, z[0].FirstChild(), schema.Node(root)));
    EXPECT_EQ(Outline(z[0].FirstChild()), "AAA [SAAA] closed\n");
    EXPECT_EQ(gfDnodeSchemaPath(z[0].FirstChild().FirstChild()), "00000.00001");
    EXPECT_FALSE(builder.Build(d.doc, z[0].LastChild(), schema.Node(other)));
    EXPECT_EQ(Illogic(env), (std::vector<std::string>{"Unknown schema node subtype:FOO", "Unknown schema node:?",
                                                      "clsTreeDNewTree.Build ndRootD.child is nothing"}));
}

TEST(NullFolder, PlaceholdersInSchemaOrderAndToggledAway)
{
    TestEnv env;
    LoadN1(env);
    BuiltDocument d;
    test::BuildText(env, d, "ST*850*1~BEG*00~REF*A~REF*B~REF*C~N1*ST~N4*Town~SE*9*1~", "N1");
    ASSERT_EQ(d.nError, 0) << d.sError;
    const TreeNode t = d.ndRoot.FirstChild();
    const std::string sRead = Outline(t);
    clsTreeDNullFolder folder;
    ASSERT_TRUE(folder.CanExpandNull(t));
    ASSERT_TRUE(folder.ToggleNullFolder(d.doc, d.schema, t, SchemaOf(d.schema, t)));
    // Repetitions are one position; segments read keep their elements unmade.
    EXPECT_EQ(Outline(t), "ST [SST ] closed\nNotes [ZLS ] closednull\nBEG [SBEG] closed\nCUR [SCUR] nullsegment\n"
                          "REF [SREF] closed\nREF [SREF] closed\nREF [SREF] closed\n"
                          "Name loop (1 of 200) [ZLS ] closeddata\n  N1 [SN1 ] closed\n  N4 [SN4 ] closed\n"
                          "Item loop [ZLS ] closednull\nHierarchy [ZHLS] closednull\nDates [ZESS] closednull\n"
                          "Parties [ZELS] closednull\nSE [SSE ] closed\n");
    EXPECT_EQ(SchemaOf(d.schema, t.Child(3)), SchemaOf(d.schema, t).Child(3));
    EXPECT_TRUE(d.doc.ChildrenPending(t.Child(2).Id()));
    const TreeNode name = t.Child(7);
    folder.ShowNullFolder(d.doc, d.schema, name, SchemaOf(d.schema, name));
    EXPECT_EQ(Outline(name), "N1 [SN1 ] closed\nN3 [SN3 ] nullsegment\nN4 [SN4 ] closed\n");
    ASSERT_TRUE(folder.ToggleNullFolder(d.doc, d.schema, t, SchemaOf(d.schema, t)));
    folder.HideNullFolder(d.doc, name);
    EXPECT_EQ(Outline(t), sRead);  // back to the state before the first toggle
    EXPECT_TRUE(env.ui.Messages().empty());

    // A segment without elements is an empty node: the first toggle removes it.
    BuiltDocument d2;
    test::BuildText(env, d2, "ST*850*1~BEG*00~CUR~N1*ST~N4*Town~SE*9*1~", "N1");
    const TreeNode t2 = d2.ndRoot.FirstChild();
    ASSERT_TRUE(folder.ToggleNullFolder(d2.doc, d2.schema, t2, SchemaOf(d2.schema, t2)));
    EXPECT_EQ(Outline(t2), sRead.substr(0, sRead.find("REF")) + sRead.substr(sRead.find("Name")));
}

TEST(NullFolder, RulesForKindsAndFailures)
{
    test::DocTreeFixture env;
    BuiltDocument d;
    test::BuildText(env, d, test::kValidT1);
    const TreeNode t = d.ndRoot.FirstChild().Child(1).Child(1);
    clsTreeDNullFolder folder;
    EXPECT_TRUE(folder.CanExpandNull(d.ndRoot) && folder.CanExpandNull(t.Child(4).FirstChild()));  // D, loop
    for (const TreeNode& nd : {t.Child(4), t.Child(5), t.Child(6), t.Child(1), t.Child(1).FirstChild(), TreeNode()})
        EXPECT_FALSE(folder.CanExpandNull(nd));  // ELS, HLS, ESS, segment, element, none
    env.ui.Clear();
    EXPECT_FALSE(folder.ToggleNullFolder(d.doc, d.schema, t, TreeNode()));
    EXPECT_EQ(env.ui.Messages(), (std::vector<std::string>{"You must select a folder first."}));
    EXPECT_EQ(env.ui.Calls().back().icon, MsgIcon::Information);

    // Odd children: an unknown Z code warns and stays, a childless X goes.
    env.ui.Clear();
    clsTree doc;
    const TreeNode p = doc.Node(doc.Add(NodeId{}, Relation::Child, {.sText = "T", .sTag = "T   *00000"}));
    for (const char* sTag : {"ZQQ *00000", "X   *00000", "Q   *00000"})
        doc.Add(p.Id(), Relation::Child, {.sText = sTag, .sTag = sTag});
    EXPECT_FALSE(folder.CanExpandNull(p.FirstChild()) || folder.CanExpandNull(p.LastChild()));
    folder.HideNullFolder(doc, p);
    EXPECT_EQ(Outline(p), "ZQQ *00000 [ZQQ ] \nQ   *00000 [Q   ] \n");
    // A child the schema does not hold here: placeholders up to the end of the schema, then a warning.
    const TreeNode z = doc.Node(doc.Add(NodeId{}, Relation::Child, {.sText = "Ship", .sTag = "ZLS *00000"}));
    const TreeNode ref = doc.Node(doc.Add(z.Id(), Relation::Child, {.sText = "REF", .sTag = "SREF*00000"}));
    doc.Add(ref.Id(), Relation::Child, {.sText = "DP", .sTag = "E01"});
    gfDnodeLinkSchema(ref, SchemaOf(d.schema, t.Child(2)));
    folder.ShowNullFolder(doc, d.schema, z, SchemaOf(d.schema, t.Child(4).FirstChild()));
    EXPECT_EQ(Outline(z), "N1 [SN1 ] nullsegment\nN3 [SN3 ] nullsegment\nREF [SREF] \n");
    ref.SetTag("SREF*00000.99999");  // a schema node that does not exist
    folder.HideNullFolder(doc, z);
    folder.ShowNullFolder(doc, d.schema, z, SchemaOf(d.schema, t.Child(4).FirstChild()));
    EXPECT_EQ(z.Children(), 3u);
    folder.ShowNullFolder(doc, d.schema, TreeNode(), TreeNode());
    EXPECT_EQ(Illogic(env), (std::vector<std::string>{"unknown node:Z seg=QQ", "unknown node:Q", "Unknown node:QQ",
                                                      "Unknow node s1= s2= ", "Unknow node s1= s2= ",
                                                      "Kill me."}));
}

}  // namespace
}  // namespace orr
