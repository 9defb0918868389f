// The HL structure editor: the tree from HL01 and HL02, its checks and
// repairs, drops with their refusals, and Save as one undo step.
#include <gtest/gtest.h>

#include "editing/HLStructureEditor.h"
#include "tests/editing/EditFixture.h"

namespace orr {
namespace {

using test::EditDoc;
using test::EditEnv;
using Result = HLStructureEditor::SaveResult;

// The first transaction's HL loops (E1: Shipment S, Order O, other level 1, 2 or X).
std::string Body(const std::string& sHLs) { return "BEG*00~\nNTE*x~\n" + sHLs; }
// HL01 to HL04 of the n-th HL loop of the first transaction.
std::string Ids(EditDoc& d, int n) { return d.Children("/1/2/2/4/" + std::to_string(n) + "/1"); }

TEST(HLStructure, DuplicateIdsRepairedOnlyWhenTheUserAgrees)
{
    EditEnv env;
    const std::string sDoc = test::DocumentE1(Body("HL*1**S*1~\nHL*3*1*O*1~\nHL*5*3*X*0~\nHL*3*1*O*0~\n"));
    {
        EditDoc d(env, sDoc);
        env.ui.QueueAnswer(MsgAnswer::No);
        HLStructureEditor hl(d.doc);
        EXPECT_FALSE(hl.Load());
        EXPECT_EQ(env.ui.Messages(),
                  (std::vector<std::string>{"Duplicate HL id #:3\r\nDo You want me to fix it automatically ?",
                                            "You must fix all the HL segments to ensure that \r\n"
                                            "every HL segment has a unique id."}));
        EXPECT_TRUE(hl.Records().empty());
        EXPECT_EQ(hl.Save(), Result::Failed);
        EXPECT_FALSE(d.doc.Modified());
    }
    env.ui.Clear();
    EditDoc d(env, sDoc);
    env.ui.QueueAnswer(MsgAnswer::Yes);
    HLStructureEditor hl(d.doc);
    ASSERT_TRUE(hl.Load());
    EXPECT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(hl.Caption(), "Hierarchical Level Structure (Changed)");
    EXPECT_EQ(hl.Outline(),
              "0\tHierarchical Level\t\n"
              "1\t() Shipment\t1**S*1\n"
              "2\t() Order (1 of 99)\t3*1*O*1\n"
              "3\t() Other level (1 of 99)\t5*3*X*0\n"
              "2\t() Order (2 of 99)\t6*1*O*0\n");
    const std::string sBefore = d.Dump();
    EXPECT_EQ(hl.Save(), Result::Written);
    EXPECT_EQ(Ids(d, 4), "6|1|O|0");
    EXPECT_TRUE(d.doc.Modified());
    d.editor.Undo();
    EXPECT_EQ(d.Dump(), sBefore);
}

TEST(HLStructure, OrphansGoToTheTopWithTheirOwnChildren)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1(Body("HL*1**S*1~\nHL*2*9*O*1~\nHL*3*2*X*0~\nHL*4*8*O*0~\n")));
    HLStructureEditor hl(d.doc);
    ASSERT_TRUE(hl.Load());
    EXPECT_EQ(env.ui.Messages(), (std::vector<std::string>{"There are node(s) with unknown parent.\r\n"
                                                           "These node(s) are saved as the top level HL nodes."}));
    EXPECT_EQ(hl.Outline(),
              "0\tHierarchical Level\t\n"
              "1\t() Shipment\t1**S*1\n"
              "1\t() Order (1 of 99)\t2**O*1\n"
              "2\t() Other level (1 of 99)\t3*2*X*0\n"
              "1\t() Order (2 of 99)\t4**O*0\n");
    EXPECT_EQ(hl.Save(), Result::Written);
    // Shipment keeps the child code it was read with only if it has children: it has none.
    EXPECT_EQ(Ids(d, 1) + " " + Ids(d, 2) + " " + Ids(d, 3) + " " + Ids(d, 4), "1||S|0 2||O|1 3|2|X|0 4||O|0");
}

TEST(HLStructure, ChildCodesAreWrittenAsTheTreeHasThem)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1(Body("HL*1**S*2~\nHL*2*1*O*~\nHL*3*1*O*7~\n")));
    HLStructureEditor hl(d.doc);
    ASSERT_TRUE(hl.Load());
    EXPECT_EQ(hl.Caption(), "Hierarchical Level Structure");
    EXPECT_EQ(hl.Outline(),
              "0\tHierarchical Level\t\n"
              "1\t() Shipment\t1**S*1\n"
              "2\t() Order (1 of 99)\t2*1*O*0\n"
              "2\t() Order (2 of 99)\t3*1*O*1\n");
    const std::string sBefore = d.Dump();
    EXPECT_EQ(hl.Save(), Result::Unchanged);  // nothing changed: nothing written
    EXPECT_EQ(d.Dump(), sBefore);
    EXPECT_TRUE(hl.Drop(hl.FindId("2"), hl.FindId("3")));
    EXPECT_EQ(d.Dump(), sBefore);  // the document changes only on Save
    EXPECT_EQ(hl.Save(), Result::Written);
    // HL 3 now precedes its child 2 in the document.
    EXPECT_EQ(Ids(d, 1) + " " + Ids(d, 2) + " " + Ids(d, 3), "1||S|1 3|1|O|1 2|3|O|0");
}

TEST(HLStructure, DropsAndTheirRefusals)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1(Body("HL*1**S*1~\nHL*2*1*O*1~\nHL*3*2*X*0~\nHL*4*1*O*0~\n")));
    HLStructureEditor hl(d.doc);
    ASSERT_TRUE(hl.Load());
    const std::string sTree = hl.Outline();
    EXPECT_FALSE(hl.Drop(hl.Root(), hl.FindId("2")));
    EXPECT_FALSE(hl.Drop(hl.FindId("2"), hl.FindId("2")));
    EXPECT_FALSE(hl.Drop(hl.FindId("1"), hl.FindId("3")));  // a grandchild
    EXPECT_FALSE(hl.Drop(hl.FindId("2"), NodeId{}));        // dropped on no node
    EXPECT_EQ(env.ui.Messages(),
              (std::vector<std::string>{"You can not move the Root Node (Hierarchical Level).",
                                        "You can not drag a node to itself.",
                                        "You can not demote a node: moving a node to its child or grand child."}));
    EXPECT_EQ(hl.Outline(), sTree);
    EXPECT_FALSE(hl.Changed());
    // 3 was 2's only child; the root takes 2 with its subtree.
    EXPECT_TRUE(hl.Drop(hl.FindId("3"), hl.FindId("4")));
    EXPECT_TRUE(hl.Drop(hl.FindId("4"), hl.Root()));
    EXPECT_EQ(hl.Outline(),
              "0\tHierarchical Level\t\n"
              "1\t() Shipment\t1**S*1\n"
              "2\t() Order (1 of 99)\t2*1*O*0\n"
              "1\t() Order (2 of 99)\t4**O*1\n"
              "2\t() Other level (1 of 99)\t3*4*X*0\n");
    EXPECT_EQ(hl.Caption(), "Hierarchical Level Structure (Changed)");
    const std::string sBefore = d.Dump();
    EXPECT_EQ(hl.Save(), Result::Written);
    EXPECT_EQ(Ids(d, 1) + " " + Ids(d, 2) + " " + Ids(d, 3) + " " + Ids(d, 4), "1||S|1 2|1|O|0 4||O|1 3|4|X|0");
    // One undo step takes the ids and the order back.
    d.editor.Undo();
    EXPECT_EQ(d.Dump(), sBefore);
    d.editor.Redo();
    EXPECT_EQ(Ids(d, 4), "3|4|X|0");
}

TEST(HLStructure, BrokenStructuresOnlyAllowCancel)
{
    EditEnv env;
    auto loadFails = [&](EditDoc& d) {
        HLStructureEditor hl(d.doc);
        const bool bLoaded = hl.Load();
        const Result saved = hl.Save();
        return !bLoaded && hl.LoadFailed() && saved == Result::Failed && hl.Outline().empty();
    };
    EditDoc none(env, test::DocumentE1(Body("")));
    EXPECT_TRUE(loadFails(none));
    EXPECT_EQ(env.Last(), "No HL found in this document.");
    EditDoc shortHL(env, test::DocumentE1(Body("HL*1**S*1~\nHL*2*1*O~\n")));
    EXPECT_TRUE(loadFails(shortHL));
    EXPECT_EQ(env.Last(),
              "Invalid HL structure.\r\nHL segment must have 4 data elements.\r\n\r\n"
              "Invalid HL found:" +
                  std::string(shortHL.At("/1/2/2/4/2/1").Text()));
    // A loop that does not start with its HL segment.
    EditDoc moved(env, test::DocumentE1(Body("HL*1**S*1~\nHL*2*1*O*0~\n")));
    const TreeNode ndNote = moved.At("/1/2/2/3");
    moved.doc.Tree().Move(ndNote.Id(), moved.At("/1/2/2/4/2/1").Id(), Relation::Previous);
    EXPECT_TRUE(loadFails(moved));
    EXPECT_EQ(env.Last(), "Invalid HL structure.\r\n\r\nExpecting HL segment.  Found:" + std::string(ndNote.Text()));
    EXPECT_FALSE(none.doc.Modified() || shortHL.doc.Modified());
}

TEST(HLStructure, SaveStopsAtARecordWithoutItsSegment)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1(Body("HL*1**S*0~\nHL*3*1*O*0~\nHL*2*7*O*0~\nHL*4*2*X*5~\n")));
    HLStructureEditor hl(d.doc);
    ASSERT_TRUE(hl.Load());
    d.doc.Tree().Remove(d.At("/1/2/2/4/3/1").Id());
    EXPECT_EQ(hl.Save(), Result::Failed);
    EXPECT_EQ(env.Last(), "Invalid node found:() Order (2 of 99)");
    // The records before it are written, the ones after it are not.
    EXPECT_EQ(Ids(d, 1) + " " + Ids(d, 4), "1||S|1 4|2|X|5");
}

}  // namespace
}  // namespace orr
