// Finding segments by their text: plain and regular-expression queries,
// with and without regard to case, in document order from the current node
// round past the end, on stored and on changed segment texts.
#include <gtest/gtest.h>

#include "doctree/EdiDocument.h"
#include "doctree/clsTreeDFind.h"
#include "doctree/modNodeD.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

using test::TestEnv;

struct FindFixture : test::DocTreeFixture {
    FindFixture()
    {
        const std::string sFile = Path("po.edi");
        // Two N1 segments; the second party's name holds the only "Bill".
        WriteFile(sFile, Replaced(test::kValidE1, "N1*ST*Ship Here~\n", "N1*ST*Ship Here~\nN1*BT*Bill Here~\n"));
        doc.SetSeparators('*', '~');
        EXPECT_TRUE(doc.LoadDefinition("E1"));
        EXPECT_TRUE(doc.Open(sFile, EdiDocument::OpenMode::Batch));
        find.SetDelimiter('*');
    }
    clsTreeDFind::Hit Next(const std::string& sText, NodeId from, bool bRegex = false, bool bCase = false)
    {
        EXPECT_TRUE(find.SetQuery({sText, bRegex, bCase})) << find.sError();
        return find.FindNext(doc.Tree(), doc.Root().Id(), from);
    }
    std::string TextOf(NodeId node)
    {
        std::string buffer;
        return std::string(gfDnodeSegmentText(doc.Tree(), node, '*', buffer));
    }

    EdiDocument doc;
    clsTreeDFind find;
};

TEST(TreeDFind, PlainTextInDocumentOrderRoundPastTheEnd)
{
    FindFixture f;
    const NodeId root = f.doc.Root().Id();
    const clsTreeDFind::Hit first = f.Next("n1*", root);
    ASSERT_TRUE(first.node);
    EXPECT_FALSE(first.bWrapped);
    EXPECT_EQ(f.TextOf(first.node), "N1*ST*Ship Here");
    const clsTreeDFind::Hit second = f.Next("n1*", first.node);
    EXPECT_EQ(f.TextOf(second.node), "N1*BT*Bill Here");
    EXPECT_FALSE(second.bWrapped);
    // After the last match the search goes round to the first one.
    const clsTreeDFind::Hit again = f.Next("n1*", second.node);
    EXPECT_EQ(again.node, first.node);
    EXPECT_TRUE(again.bWrapped);
    // The only match, searched from itself, is found once round.
    const clsTreeDFind::Hit bill = f.Next("bill", second.node);
    EXPECT_EQ(bill.node, second.node);
    EXPECT_TRUE(bill.bWrapped);
    // An element stands for its segment: the search goes on after it.
    const NodeId element = f.doc.Tree().Child(first.node, 1);
    EXPECT_EQ(f.Next("N1*", element).node, second.node);
    // Case, when asked for, counts; a text found nowhere gives nothing.
    EXPECT_FALSE(f.Next("bill here", root, false, true).node);
    EXPECT_EQ(f.Next("Bill Here", root, false, true).node, second.node);
    EXPECT_FALSE(f.Next("Nowhere", root).node);
    // Elements searched in the stored text are not made.
    EXPECT_TRUE(f.doc.Tree().ChildrenPending(second.node));
}

TEST(TreeDFind, RegularExpressionsAndInvalidQueries)
{
    FindFixture f;
    const NodeId root = f.doc.Root().Id();
    const clsTreeDFind::Hit ref = f.Next("^ref\\*[A-Z]{2}\\*0[0-9]+", root, true);
    ASSERT_TRUE(ref.node);
    EXPECT_EQ(f.TextOf(ref.node), "REF*DP*038**ZZ:1:2");
    EXPECT_FALSE(f.Next("^ref\\*", root, true, true).node);  // case counts
    // Anchors hold per segment, not per document.
    EXPECT_EQ(f.TextOf(f.Next("^SE\\*7\\*0001$", root, true).node), "SE*7*0001");
    EXPECT_FALSE(f.find.SetQuery({"N1*(", true, false}));
    EXPECT_NE(f.find.sError().find("regular expression"), std::string::npos);
    EXPECT_FALSE(f.find.FindNext(f.doc.Tree(), root, root).node);
    EXPECT_FALSE(f.find.SetQuery({"", false, false}));

    // The literal a match must hold, looked for before the expression runs.
    EXPECT_EQ(clsTreeDFind::RequiredLiteral("^REF\\*[A-Z]{2}"), "REF*");
    EXPECT_EQ(clsTreeDFind::RequiredLiteral("N1\\*(ST|BT)"), "N1*");
    EXPECT_EQ(clsTreeDFind::RequiredLiteral("SEx?\\*"), "SE");
    EXPECT_EQ(clsTreeDFind::RequiredLiteral("QTY[(]|REF"), "");
    EXPECT_EQ(clsTreeDFind::RequiredLiteral("(QTY)\\*|REF"), "");
    EXPECT_EQ(clsTreeDFind::RequiredLiteral("\\d+"), "");
    EXPECT_EQ(f.TextOf(f.Next("SEx?\\*7", root, true).node), "SE*7*0001");
    EXPECT_EQ(f.TextOf(f.Next("QTY[(]|^REF", root, true).node), "REF*DP*038**ZZ:1:2");
}

TEST(TreeDFind, ChangedSegmentsAreSearchedAsTheyAreNow)
{
    FindFixture f;
    clsTree& tree = f.doc.Tree();
    const NodeId root = f.doc.Root().Id();
    const NodeId ship = f.Next("Ship Here", root).node;
    ASSERT_TRUE(ship);
    tree.SetText(tree.Child(ship, 1), "Dock 7");
    EXPECT_FALSE(f.Next("Ship Here", root).node);
    EXPECT_EQ(f.Next("N1*ST*Dock 7", root).node, ship);
    EXPECT_EQ(f.TextOf(ship), "N1*ST*Dock 7");
    // A root outside the tree or a start node from elsewhere do no harm.
    EXPECT_FALSE(f.find.FindNext(tree, NodeId{}, root).node);
    EXPECT_EQ(f.find.FindNext(tree, root, NodeId{12345678}).node, ship);
}

}  // namespace
}  // namespace orr
