// clsTreeDNewDEs: element nodes of a new segment, and element values by position.
#include <gtest/gtest.h>

#include "doctree/clsTreeD.h"
#include "doctree/clsTreeDSave.h"
#include "doctree/clsTreeDNewDEs.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

std::string Elements(const TreeNode& nd)
{
    std::string s;
    for (TreeNode c = nd.FirstChild(); c; c = c.Next())
        s += c.Tag() + ":" + c.Image() + ":" + std::string(c.Text()) + " ";
    return s;
}

TEST(NewDEs, ElementNodesAndValuesByPosition)
{
    test::TestEnv env;
    // N1 with elements required M, N (not used), R, O, X and none.
    clsTree schema;
    const NodeId n1 = schema.Add(NodeId{}, Relation::Child, "K00001", "");
    schema.SetTag(n1, "IRN1*N00001*C0*Z0*PM*R1*DName");
    for (const char* sP : {"M", "N", "R", "O", "X", ""})
        schema.SetTag(schema.Add(n1, Relation::Child, "", ""), std::string("IR98*N00002*Z1*P") + sP + "*TID*A1*B2*DE");

    clsTree doc;
    clsTreeD::InstallElementMaterialiser(doc, '*');
    const TreeNode root = doc.Node(doc.Add(NodeId{}, Relation::Child, {.sText = "New", .sTag = "D   *00000"}));
    const TreeNode seg = doc.Node(doc.Add(root.Id(), Relation::Child, {.sText = "N1", .sTag = "SN1 *00000"}));
    seg.SetImage("nullsegment");
    clsTreeDNewDEs des;
    des.AddDEs(doc, seg, schema.Node(n1));
    EXPECT_EQ(Elements(seg), "E01:dde: E03:dde: E04:ddeoptional: E05:ddeoptional: E06:ddeoptional: ");
    EXPECT_EQ(seg.Image() + "/" + seg.ExpandedImage(), "closed/open");

    // Positions count the children in tree order, not the tag digits.
    des.SetDeValue(seg, 1, "ST");
    des.SetDeValue(seg, 2, "QQ");
    for (const std::int16_t n : {std::int16_t(0), std::int16_t(-1), std::int16_t(6)}) {
        des.SetDeValue(seg, n, "nowhere");
        EXPECT_EQ(des.GetDeValue(seg, n), "");
    }
    EXPECT_EQ(des.GetDeValue(TreeNode(), 1), "");
    EXPECT_EQ(Elements(seg), "E01:dde:ST E03:dde:QQ E04:ddeoptional: E05:ddeoptional: E06:ddeoptional: ");

    // A segment read from a file: its elements appear on first access.
    NodeInit init;
    init.sTag = "SN1 *00000";
    init.sPayload = "N1*BT*Bill Here**";
    init.nPayloadHead = 2;
    const TreeNode read = doc.Node(doc.Add(root.Id(), Relation::Child, init));
    EXPECT_EQ(des.GetDeValue(read, 2), "Bill Here");
    des.SetDeValue(read, 4, "92");
    des.AddDEs(doc, read, schema.Node(n1));  // after the children already there
    EXPECT_EQ(read.Children(), 9u);
    clsTreeDSave writer;
    writer.SetDelimiter('|');
    writer.SetSelimiter('~');
    EXPECT_EQ(writer.ToText(root, false), "N1|ST|QQ|||~N1|BT|Bill Here||92|||||~");
}

}  // namespace
}  // namespace orr
