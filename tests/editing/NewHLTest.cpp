// New HL and element loops: ids with a chosen parent, level codes, keys and
// repeat limits counted by key.
#include <gtest/gtest.h>

#include "tests/editing/EditFixture.h"

namespace orr {
namespace {

using test::EditDoc;
using test::EditEnv;
using test::IllogicDetail;

// HL01 to HL04 of the HL segment of a loop.
std::string Ids(EditDoc& d, const std::string& sLoop) { return d.Children(sLoop + "/1"); }

TEST(NewHL, IdsWithAChosenParent)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1());  // HL 1, 2 and 5
    d.Select("/1/2/2/7");
    env.ui.Clear();
    env.ui.QueueChoice(1);  // Order
    env.ui.QueueChoice(2);  // below HL 2
    d.editor.NewChild();
    const test::UiCall& parents = env.ui.Calls()[1];
    EXPECT_EQ(parents.sTitle + "/" + parents.sText, "Select Parent HL/Select Parent HL");
    EXPECT_EQ(parents.items, (std::vector<std::string>{"No parent. (Top level HL)", "HL 1 Shipment",
                                                       "HL 2 Order (1 of 99)", "HL 5 Order (2 of 99)"}));
    EXPECT_EQ(d.At("/1/2/2/7/4").Text(), "Order (New)");
    EXPECT_EQ(Ids(d, "/1/2/2/7/4"), "6|2|O|0");
    for (int nChoice : {1, 0})  // top level
        env.ui.QueueChoice(nChoice);
    d.editor.NewChild();
    EXPECT_EQ(Ids(d, "/1/2/2/7/5"), "7||O|0");
    // The last line is a parent like any other; a list of level codes gives the first.
    for (int nChoice : {2, 5})
        env.ui.QueueChoice(nChoice);
    d.editor.NewChild();
    EXPECT_EQ(Ids(d, "/1/2/2/7/6"), "8|7|1|0");
    const std::string sBefore = d.Dump();
    for (int nChoice : {1, -1})
        env.ui.QueueChoice(nChoice);
    d.editor.NewChild();
    EXPECT_EQ(env.Last(), "You did not select a parent for the new HL.");
    for (int nChoice : {0, 0})  // Shipment: once per container
        env.ui.QueueChoice(nChoice);
    d.editor.NewChild();
    EXPECT_EQ(env.Last(), "The maximum repeat count for this segment has reached.");
    // A sibling of an HL loop goes to the end.
    env.ui.QueueAnswer(MsgAnswer::Yes);
    env.ui.QueueChoice(0);
    d.Select("/1/2/2/7/2").editor.NewSibling(true);
    EXPECT_EQ(env.Last(), "The new HL loop will be added as the LAST HL");
    EXPECT_EQ(Ids(d, "/1/2/2/7/7"), "9||O|0");
    EXPECT_TRUE(env.ui.AllAnswersUsed());
    d.editor.Undo();
    EXPECT_EQ(d.Dump(), sBefore);
}

TEST(NewHL, FirstLoopsOfEmptyContainersAndElementLoops)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1());
    d.Select("/1/2/3").editor.NewChild();  // placeholders: Hierarchy at 6, Names at 7
    env.ui.Clear();
    env.ui.QueueChoice(0);
    d.Select("/1/2/3/6").editor.NewChild();
    EXPECT_EQ(env.ui.Calls().size(), 1u);  // no parent to choose
    EXPECT_EQ(Ids(d, "/1/2/3/6/1"), "1||S|0");
    EXPECT_EQ(d.At("/1/2/3/6").Image(), "closeddata");
    // Ship to: key "ST,SF" writes ST; two at most, counted by key.
    for (int i = 0; i < 3; ++i) {
        env.ui.QueueChoice(0);
        d.Select("/1/2/3/7").editor.NewChild();
    }
    EXPECT_EQ(d.Children("/1/2/3/7/1/1") + " " + d.Children("/1/2/3/7/2/1"), "ST ST");
    EXPECT_EQ(env.Last(), "The maximum repeat count for this segment has reached.");
    EXPECT_EQ(d.At("/1/2/3/7").Children(), 2u);
}

TEST(NewHL, KeySegmentMustComeFirst)
{
    EditEnv env;
    EditDoc d(
        env,
        "ISA*00*          *00*          *ZZ*S              *ZZ*R              *040305*0907*U*00401*000000001*0*T*:~"
        "GS*PO*S*R*20040305*0907*1*X*004010~ST*850*0001~SE*2*0001~GE*1*1~IEA*1*000000001~",
        "E2");
    d.Select("/1/2/2").editor.NewChild();  // ST|Hierarchy|Names|SE
    env.ui.QueueChoice(0);
    d.Select("/1/2/2/2").editor.NewChild();
    EXPECT_EQ(IllogicDetail(env.ui.Messages()[0]), "Key segment must be 1. nSeg = 2");
    EXPECT_EQ(Ids(d, "/1/2/2/2/1"), "1");
    env.ui.QueueChoice(0);
    d.Select("/1/2/2/3").editor.NewChild();
    EXPECT_EQ(IllogicDetail(env.Last()), "key segment must be one. nSegment:2");
    EXPECT_EQ(d.Children("/1/2/2/3/1/1"), "");  // no key written
}

}  // namespace
}  // namespace orr
