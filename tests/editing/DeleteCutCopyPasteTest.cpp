// Deleting with the schema's rules, and transactions, groups and
// interchanges moved or duplicated through the clipboard.
#include <gtest/gtest.h>

#include "tests/editing/EditFixture.h"

namespace orr {
namespace {

using test::EditDoc;
using test::EditEnv;

bool CanDelete(EditDoc& d, const std::string& sPath) { return d.Select(sPath).editor.Permissions().bDelete; }

TEST(DeleteCutCopyPaste, CopyAndCutTransactions)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1());
    const std::string sBefore = d.Dump();
    for (const char* sPath : {"/1/2/2/2", "/1/2/2/6", "/1/2/2/2/1"})
        EXPECT_FALSE(d.Select(sPath).editor.Permissions().bCutCopy) << sPath;
    EXPECT_TRUE(d.Select("/1/2/2").editor.Permissions().bCutCopy);
    d.editor.Copy();
    EXPECT_EQ(d.At("/1/2/2").Image() + " " + d.At("/1/2/2").ExpandedImage(), "copcloseddata copopendata");
    EXPECT_FALSE(d.doc.Modified());
    EXPECT_FALSE(d.doc.CanUndo());
    // Only after another instance of its definition, within the same parent definition.
    EXPECT_FALSE(d.Select("/1/2/4").editor.Permissions().bPaste);
    d.Select("/1/2/2/2").editor.Paste();
    EXPECT_EQ(env.Last(), "Nodes have different parent nodes.");
    EXPECT_TRUE(d.Select("/1/3/2").editor.Permissions().bPaste);
    d.editor.Paste();
    EXPECT_EQ(d.At("/1/3/3").Text(), "Transaction (Paste)");
    EXPECT_EQ(d.At("/1/3/3").Tag(), d.At("/1/2/2").Tag());
    EXPECT_EQ(d.Children("/1/3/3"), d.Children("/1/2/2"));
    EXPECT_EQ(d.At("/1/2/2").Image(), "closeddata");
    EXPECT_TRUE(d.doc.Modified());
    d.editor.Paste();
    EXPECT_EQ(env.Last(), "Nothing to paste.");
    d.editor.Undo();

    // Cut: the transaction leaves its group when it is pasted, where a
    // delete could take it: never the last of its group, which would not
    // read back without one.
    d.Select("/1/3/2").editor.Cut();
    EXPECT_EQ(d.At("/1/3/2").Image(), "cutcloseddata");
    EXPECT_FALSE(d.Select("/1/2/3").editor.Permissions().bPaste);
    d.editor.Paste();
    EXPECT_EQ(env.Last(), "You can not delete the last system loop.");
    EXPECT_EQ(d.Children("/1/3"), "GS|Transaction (1 of 99)|GE");
    d.Select("/1/2/2").editor.Cut();
    EXPECT_TRUE(d.Select("/1/3/2").editor.Permissions().bPaste);
    d.editor.Paste();
    EXPECT_EQ(d.Children("/1/2"), "GS|Transaction (2 of 99)|GE");
    EXPECT_EQ(d.Children("/1/3"), "GS|Transaction (1 of 99)|Transaction (Paste)|GE");
    d.editor.Undo();
    EXPECT_EQ(d.Dump(), sBefore);

    d.Select("/1/2").editor.Copy();
    d.Select("/1/3").editor.Paste();
    EXPECT_EQ(env.Last(), "Max repeat count reached. Current=2 Max=2");
}

TEST(DeleteCutCopyPaste, WhatMayBeDeleted)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1());
    EXPECT_FALSE(CanDelete(d, "/"));
    EXPECT_FALSE(CanDelete(d, "/1/2/2/1"));    // ST
    EXPECT_TRUE(CanDelete(d, "/1/2/2/3"));     // REF, optional
    EXPECT_FALSE(CanDelete(d, "/1/2/2/2"));    // BEG, required, once
    EXPECT_FALSE(CanDelete(d, "/1/2/2/6/1"));  // N1 begins its loop
    EXPECT_TRUE(CanDelete(d, "/1/2/2/6/2"));
    EXPECT_FALSE(CanDelete(d, "/1/2/2/7"));  // an HL container with loops
    EXPECT_TRUE(CanDelete(d, "/1/2/2/7/2"));
    EXPECT_TRUE(CanDelete(d, "/1/2/2"));       // two transactions of a required definition
    EXPECT_FALSE(CanDelete(d, "/1/3/2"));      // the only one
    EXPECT_FALSE(CanDelete(d, "/1/2/2/3/1"));  // REF01 is required
    EXPECT_TRUE(CanDelete(d, "/1/2/2/3/2"));
    // A required segment: not alone, either one of two repetitions.
    EXPECT_FALSE(CanDelete(d, "/1/2/2/5"));
    d.editor.NewSibling(false);
    EXPECT_TRUE(CanDelete(d, "/1/2/2/5"));
    EXPECT_TRUE(CanDelete(d, "/1/2/2/6"));
}

TEST(DeleteCutCopyPaste, DeletingRenumbersAndSelectsTheNextNode)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1());
    d.Select("/1/2/2/2/2").editor.Delete();  // BEG02 is not used, so not required
    EXPECT_EQ(d.Tags("/1/2/2/2"), "E01|E02");
    EXPECT_EQ(d.Children("/1/2/2/2"), "00|PO1");
    EXPECT_EQ(d.doc.Current(), d.At("/1/2/2/2/2").Id());
    d.Select("/1/2/2/3").editor.Delete();
    EXPECT_EQ(d.doc.Current(), d.At("/1/2/2/3").Id());  // the other REF
    EXPECT_EQ(d.Children("/1/2/2/3"), "PS");
    d.Select("/1/2/2/8/1").editor.Delete();  // the last date: its container is empty
    EXPECT_EQ(d.doc.Current(), d.At("/1/2/2/8").Id());
    EXPECT_EQ(d.At("/1/2/2/8").Image(), "closednull");
    EXPECT_TRUE(d.editor.Permissions().bDelete);
    d.editor.Delete();
    EXPECT_EQ(d.At("/1/2/2/8").Text(), "SE");
    for (int i = 0; i < 4; ++i)
        d.editor.Undo();
    EXPECT_EQ(d.Dump(), EditDoc(env, test::DocumentE1()).Dump());
}

}  // namespace
}  // namespace orr
