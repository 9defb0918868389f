// Free-form editing: segments move, are inserted, cut and pasted within
// their transaction set; data elements come and go freely.
#include <gtest/gtest.h>

#include "tests/editing/EditFixture.h"

namespace orr {
namespace {

using test::EditDoc;
using test::EditEnv;

struct FreeFormDoc : EditDoc {
    explicit FreeFormDoc(EditEnv& env) : EditDoc(env, test::DocumentE1(), "FreeForm") {}
};

TEST(FreeForm, ButtonsFollowTheNode)
{
    EditEnv env;
    FreeFormDoc d(env);  // ST BEG REF REF NTE N1 N3 HL HL HL NM1 DTM SE
    EXPECT_EQ(d.Select("/1/2/2/2").editor.Permissions(), (EditPermissions{.bMoveDown = true,
                                                                          .bInsertChild = true,
                                                                          .bInsertSibling = true,
                                                                          .bCutCopy = true,
                                                                          .bDelete = true,
                                                                          .bEdit = true}));
    EXPECT_TRUE(d.Select("/1/2/2/12").editor.Permissions().bMoveUp);
    EXPECT_FALSE(d.editor.Permissions().bMoveDown);                           // SE follows
    EXPECT_EQ(d.Select("/1/2/2/1").editor.Permissions(), EditPermissions{});  // ST
    EXPECT_EQ(d.Select("/1/2/2/1/1").editor.Permissions(), EditPermissions{.bEdit = true});
    EXPECT_EQ(d.Select("/1/2/2/2/1").editor.Permissions(),
              (EditPermissions{.bInsertSibling = true, .bDelete = true, .bEdit = true}));
    EXPECT_EQ(d.Select("/1/2").editor.Permissions(),
              (EditPermissions{.bInsertSibling = true, .bCutCopy = true, .bDelete = true}));
    EXPECT_EQ(d.Select("/").editor.Permissions(), EditPermissions{.bInsertChild = true});
    // The document window's own state: nothing selected, read only.
    d.doc.SetCurrent({});
    EXPECT_EQ(d.editor.Permissions(), EditPermissions{});
}

TEST(FreeForm, SegmentsMoveAndRepeat)
{
    EditEnv env;
    FreeFormDoc d(env);
    const std::string sBefore = d.Dump();
    d.Select("/1/2/2/5").editor.MoveUp();
    EXPECT_EQ(d.Children("/1/2/2").substr(0, 22), "ST|BEG|REF|NTE|REF|N1|");
    EXPECT_EQ(d.doc.Current(), d.At("/1/2/2/4").Id());
    d.editor.MoveDown();
    EXPECT_EQ(d.Dump(), sBefore);
    d.Select("/1/2/2/2").editor.NewSibling(true);
    EXPECT_EQ(d.Children("/1/2/2").substr(0, 14), "ST|BEG|BEG|REF");
    EXPECT_EQ(d.At("/1/2/2/2").Tag(), d.At("/1/2/2/3").Tag());
    EXPECT_EQ(d.At("/1/2/2/2").Image(), "closed");
    EXPECT_TRUE(d.Select("/1/2/2/2").editor.Permissions().bDelete);
    d.Select("/1/2/2/1").editor.Delete();  // ST; the body segments are all of one definition
    EXPECT_EQ(env.Last(), "You can not delete the last segment.");
    d.Select("/1/3/2").editor.Delete();
    EXPECT_EQ(env.Last(), "You can not delete the last system loop.");
    d.Select("/1/2/3").editor.Delete();
    EXPECT_EQ(d.Children("/1/2"), "GS|Transaction (1 of 99)|GE");
}

TEST(FreeForm, ElementsComeAndGo)
{
    EditEnv env;
    FreeFormDoc d(env);
    d.Select("/1/2/2/2").editor.NewChild();  // BEG: 00, "", PO1, ""
    EXPECT_EQ(d.Tags("/1/2/2/2"), "E01|E02|E03|E04");
    EXPECT_EQ(d.At("/1/2/2/2/4").Image(), "ddeoptional");
    d.Select("/1/2/2/2/3").editor.NewSibling(true);
    EXPECT_EQ(d.Children("/1/2/2/2"), "00|||PO1|");
    d.Select("/1/2/2/2/2").editor.Delete();
    EXPECT_EQ(d.Tags("/1/2/2/2"), "E01|E02|E03|E04");
    EXPECT_EQ(d.Children("/1/2/2/2"), "00||PO1|");
    // The last element gone, the segment is an empty placeholder.
    d.Select("/1/2/2/3/1").editor.Delete();
    d.Select("/1/2/2/3/1").editor.Delete();
    EXPECT_EQ(d.At("/1/2/2/3").Image(), "nullsegment");
}

TEST(FreeForm, SegmentsAreCutAndPastedWithTheirIdentifier)
{
    EditEnv env;
    FreeFormDoc d(env);
    d.Select("/1/2/2/12").editor.Paste();
    EXPECT_EQ(env.Last(), "Nothing to paste.");
    d.Select("/1/2/2/5").editor.Cut();
    EXPECT_EQ(d.At("/1/2/2/5").Image(), "cutclosed");
    EXPECT_FALSE(d.Select("/1/3/2/2/1").editor.Permissions().bPaste);  // an element
    EXPECT_TRUE(d.Select("/1/3/2/2").editor.Permissions().bPaste);     // another transaction's segment
    d.Select("/1/2/2/12").editor.Paste();
    EXPECT_EQ(d.Children("/1/2/2").substr(d.Children("/1/2/2").size() - 15), "|NM1|DTM|NTE|SE");
    EXPECT_EQ(d.At("/1/2/2/12").Image(), "closed");
    EXPECT_EQ(d.Children("/1/2/2/12"), "hello");
}

}  // namespace
}  // namespace orr
