// New children and siblings by the kind of the current node: refusals,
// confirmations, the chooser, default content and empty-node folders.
#include <gtest/gtest.h>

#include "doctree/modNodeD.h"
#include "tests/editing/EditFixture.h"

namespace orr {
namespace {

using test::EditDoc;
using test::EditEnv;
using test::IllogicDetail;

TEST(Insertion, RefusalsChangeNothing)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1());
    const std::string sBefore = d.Dump();
    for (const char* sPath : {"/1/1", "/1/2/1", "/1/2/2/1", "/1/2/2/10", "/1/2/4", "/1/4"}) {
        d.Select(sPath).editor.NewSibling(false);
        EXPECT_EQ(env.Last(), "You can not insert before or after this segment:" + std::string(d.At(sPath).Text()));
    }
    d.Select("/").editor.NewSibling(true);
    EXPECT_EQ(env.Last(), "Can not do it.");
    d.Select("/1/2/2/2/1").editor.NewChild();
    EXPECT_EQ(env.Last(), "You are not allowed to insert a new child to 00");
    d.editor.NewSibling(true);
    EXPECT_EQ(IllogicDetail(env.Last()), "You are not allowed to insert a new sibling to 00");
    // A segment that has its elements: nothing happens, nothing is said.
    env.ui.Clear();
    d.Select("/1/2/2/2").editor.NewChild();
    EXPECT_TRUE(env.ui.Messages().empty());
    d.doc.SetCurrent({});
    d.editor.NewChild();
    EXPECT_EQ(IllogicDetail(env.Last()), "No anchor to insert the new child node");
    d.editor.NewSibling(false);
    const auto messages = env.ui.Messages();
    EXPECT_EQ(IllogicDetail(messages[messages.size() - 2]), "No anchor to insert a new Sibling.");
    EXPECT_EQ(IllogicDetail(messages.back()), "No active node.");
    EXPECT_EQ(d.Dump(), sBefore);
    EXPECT_FALSE(d.doc.Modified());
    EXPECT_FALSE(d.doc.CanUndo());
}

TEST(Insertion, NewLoopsAreConfirmedAndGetTheirDefaultContent)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1());
    const std::string sBefore = d.Dump();
    const std::string sTag = d.At("/1/2/2").Tag();
    env.ui.QueueAnswer(MsgAnswer::No);
    d.Select("/1/2/2").editor.NewSibling(true);
    EXPECT_EQ(env.Last(), "You are about to insert a new Transaction BEFORE the active node.\r\n\r\nContinue ?");
    EXPECT_EQ(d.Dump(), sBefore);
    env.ui.QueueAnswer(MsgAnswer::Yes);
    d.editor.NewSibling(true);
    EXPECT_EQ(d.At("/1/2/2").Text(), "Transation New");
    EXPECT_EQ(d.At("/1/2/2").Tag(), sTag);
    // Optional segments are placeholders, optional loops left out, system loops empty folders.
    EXPECT_EQ(d.Children("/1/2/2"), "ST|BEG|REF|NTE|Hierarchy|Names|Dates|SE");
    EXPECT_EQ(d.At("/1/2/2/3").Image(), "nullsegment");
    EXPECT_EQ(d.At("/1/2/2/5").Image(), "closednull");
    EXPECT_EQ(d.At("/1/2/3").Image(), "closeddata");  // the anchor, now after it
    EXPECT_TRUE(d.doc.Modified());
    d.editor.Undo();
    EXPECT_EQ(d.Dump(), sBefore);
    EXPECT_FALSE(d.doc.Modified());

    // A plain loop gets its own link and a first segment with elements.
    env.ui.QueueAnswer(MsgAnswer::Yes);
    d.Select("/1/2/2/6").editor.NewSibling(false);
    EXPECT_EQ(env.Last(), "You are about to insert a new Party AFTER the active node.\r\n\r\nContinue ?");
    EXPECT_EQ(d.At("/1/2/2/7").Text(), "Party (New)");
    EXPECT_EQ(gfDnodeSchemaPath(d.At("/1/2/2/7")), gfDnodeSchemaPath(d.At("/1/2/2/6")));
    EXPECT_EQ(d.Tags("/1/2/2/7/1"), "E01");
    EXPECT_EQ(d.At("/1/2/2/7/1").Tag().substr(0, 5), "SN1 *");
    EXPECT_EQ(d.At("/1/2/2/7/2").Image(), "nullsegment");

    // Another HL container is not for inserting.
    env.ui.QueueAnswer(MsgAnswer::Yes);
    d.Select("/1/2/2/8").editor.NewSibling(false);
    EXPECT_EQ(IllogicDetail(env.Last()), "Illogic:DoIt s1=S s2=HLS");
}

TEST(Insertion, NewChildOfLoopsShowsOrBuildsTheirContent)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1());
    // With children: the empty-node folder, to pick the optional children from.
    d.Select("/1/2/3").editor.NewChild();
    EXPECT_EQ(d.Children("/1/2/3"), "ST|BEG|REF|NTE|Party|Hierarchy|Names|Dates|SE");
    EXPECT_TRUE(d.doc.Modified());
    // An optional segment picked from there gets its elements.
    d.Select("/1/2/3/3").editor.NewChild();
    EXPECT_EQ(d.Tags("/1/2/3/3"), "E01|E02");
    EXPECT_EQ(d.At("/1/2/3/3/1").Image() + " " + d.At("/1/2/3/3/2").Image(), "dde ddeoptional");
    EXPECT_EQ(d.At("/1/2/3/3").Image(), "closed");
    // An empty loop gets its default content.
    d.Select("/1/2/3/5").editor.NewChild();
    EXPECT_EQ(d.Children("/1/2/3/5"), "N1|N3");
    EXPECT_EQ(d.At("/1/2/3/5").Image() + " " + d.At("/1/2/3/5").ExpandedImage(), "closeddata opendata");
    EXPECT_TRUE(d.At("/1/2/3/5").Expanded());
    for (int i = 0; i < 3; ++i)
        d.editor.Undo();
    EXPECT_EQ(d.Children("/1/2/3"), "ST|BEG|NTE|SE");
    EXPECT_FALSE(d.doc.Modified());
}

TEST(Insertion, SegmentRepetitionsWithinTheirLimit)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1());
    d.Select("/1/2/2/2").editor.NewSibling(false);
    EXPECT_EQ(env.Last(), "The maximum repeat count reached for this segment.");
    d.Select("/1/2/2/3").editor.NewSibling(false);  // REF: the third of three
    EXPECT_EQ(d.Children("/1/2/2").substr(0, 22), "ST|BEG|REF|REF|REF|NTE");
    EXPECT_EQ(d.At("/1/2/2/4").Tag(), d.At("/1/2/2/3").Tag());
    EXPECT_EQ(d.Tags("/1/2/2/4"), "E01|E02");
    d.Select("/1/2/2/5").editor.NewSibling(true);
    EXPECT_EQ(env.Last(), "The maximum repeat count 3 reached for this segment.");
    // A repetition apart from the others is a run of its own.
    d.Select("/1/2/2/5").editor.MoveDown();
    EXPECT_EQ(d.Children("/1/2/2").substr(0, 22), "ST|BEG|REF|REF|NTE|REF");
    d.Select("/1/2/2/3").editor.NewSibling(false);
    EXPECT_EQ(d.Children("/1/2/2").substr(0, 26), "ST|BEG|REF|REF|REF|NTE|REF");
}

TEST(Insertion, ElementSegmentsByTheirKey)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1());
    d.Select("/1/2/2/9");
    env.ui.Clear();
    env.ui.QueueChoice(-1);
    d.editor.NewChild();
    const test::UiCall& chooser = env.ui.Calls()[0];
    EXPECT_EQ(chooser.sTitle, "Select a New Segment or Loop");
    EXPECT_EQ(chooser.sText, "Select loop or segment to add :");
    EXPECT_EQ(chooser.items, (std::vector<std::string>{"Ship date", "Delivery date"}));
    EXPECT_EQ(env.Last(), "You did not select an item to insert.");

    // Ship date (key 011) repeats twice: one more beside the one there, then no more.
    d.Select("/1/2/2/9/1").editor.NewSibling(true);
    EXPECT_EQ(d.Children("/1/2/2/9/1") + " " + d.Children("/1/2/2/9/2"), "011| 011|20040305");
    env.ui.QueueChoice(0);
    d.Select("/1/2/2/9").editor.NewChild();
    EXPECT_EQ(env.Last(), "The maximum repeat count for this segment has reached.");
    for (int i = 0; i < 2; ++i) {  // Delivery date (002) once; other keys do not count
        env.ui.QueueChoice(1);
        d.editor.NewChild();
    }
    EXPECT_EQ(d.Children("/1/2/2/9/3"), "002");
    EXPECT_EQ(d.At("/1/2/2/9").Children(), 3u);
    EXPECT_TRUE(env.ui.AllAnswersUsed());
}

TEST(Insertion, NewDocumentTree)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1());
    EXPECT_TRUE(d.doc.New("E1", EdiDocument::NewContent::Empty));
    EXPECT_EQ(d.doc.Tree().NodeCount(), 1u);
    EXPECT_EQ(d.doc.Root().Text(), "New");
    EXPECT_EQ(d.doc.Root().Tag(), "D   *00000");
}

}  // namespace
}  // namespace orr
