// The Edit commands of a document with its schema: the permission set,
// label editing, and undo and redo of every command back to the saved state.
#include <gtest/gtest.h>

#include "tests/editing/EditFixture.h"

namespace orr {
namespace {

using test::EditDoc;
using test::EditEnv;

TEST(DocumentEditor, PermissionsOfTheSchemaRules)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1());
    EXPECT_EQ(d.editor.Permissions(), EditPermissions{});  // nothing selected
    EXPECT_EQ(d.Select("/").editor.Permissions(), (EditPermissions{.bInsertChild = true, .bShowNull = true}));
    EXPECT_EQ(d.Select("/1/2/2").editor.Permissions(),
              (EditPermissions{.bInsertSibling = true, .bCutCopy = true, .bDelete = true, .bShowNull = true}));
    // REF repeats up to three times; moving is for free-form documents only.
    EXPECT_EQ(d.Select("/1/2/2/3").editor.Permissions(), (EditPermissions{.bInsertSibling = true, .bDelete = true}));
    EXPECT_EQ(d.editor.CanMove().bDown, true);
    EXPECT_EQ(d.Select("/1/2/2/2").editor.Permissions(), EditPermissions{});  // BEG: once, required
    EXPECT_EQ(d.Select("/1/2/2/2/3").editor.Permissions(), (EditPermissions{.bDelete = true, .bEdit = true}));
    EXPECT_EQ(d.Select("/1/2/2/6").editor.Permissions(),
              (EditPermissions{.bInsertChild = true, .bInsertSibling = true, .bDelete = true, .bShowNull = true}));
    EXPECT_EQ(d.Select("/1/2/2/9").editor.Permissions(), EditPermissions{.bInsertChild = true});

    // A read-only document allows nothing, but its labels stay editable.
    const std::string sFile = env.Path("bad.edi");
    std::string sText = test::DocumentE1();
    sText.replace(sText.find("HL*2*1*O"), 8, "HL*2*1*Q");
    test::TestEnv::WriteFile(sFile, sText);
    EdiDocument readOnly;
    ASSERT_TRUE(readOnly.LoadDefinition("E1"));
    env.ui.QueueAnswer(MsgAnswer::No);
    ASSERT_TRUE(readOnly.Open(sFile, EdiDocument::OpenMode::NewWindow));
    DocumentEditor editor(readOnly);
    readOnly.SetCurrent(readOnly.Root().Child(0).Child(1).Child(1).Child(1).Child(0).Id());  // BEG01
    EXPECT_EQ(editor.Permissions(), EditPermissions{});
    editor.EditLabel("01");
    EXPECT_TRUE(readOnly.Modified());
}

TEST(DocumentEditor, LabelEditing)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1());
    for (const char* sPath : {"/", "/1/2/2/2"}) {
        d.Select(sPath).editor.EditLabel("X");
        EXPECT_EQ(env.Last(), "You can not edit this node.");
    }
    d.Select("/1/2/2/2/1").editor.EditLabel("01");
    EXPECT_EQ(d.At("/1/2/2/2/1").Text(), "01");
    EXPECT_TRUE(d.doc.Modified());
    env.ui.QueueAnswer(MsgAnswer::No);
    d.editor.EditLabel("");
    EXPECT_EQ(env.Last(), "Set value to empty string ?");
    EXPECT_EQ(env.ui.Calls().back().buttons, MsgButtons::YesNo);
    EXPECT_EQ(d.At("/1/2/2/2/1").Text(), "01");
    env.ui.QueueAnswer(MsgAnswer::Yes);
    d.editor.EditLabel("");
    EXPECT_EQ(d.At("/1/2/2/2/1").Text(), "");
    env.ui.Clear();
    d.editor.EditLabel("");  // already empty: nothing to ask
    EXPECT_TRUE(env.ui.Calls().empty());
    d.editor.Undo();
    d.editor.Undo();
    EXPECT_EQ(d.At("/1/2/2/2/1").Text(), "00");
    EXPECT_FALSE(d.doc.Modified());
}

TEST(DocumentEditor, UndoRedoAndTheSavedState)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1());
    const std::string sOpened = d.Dump();
    // Clipboard marks and the empty-node folder never modify the document.
    d.Select("/1/2/2").editor.Copy();
    d.Select("/1/2/3").editor.ToggleEmptyFolder();
    EXPECT_FALSE(d.doc.Modified());
    EXPECT_TRUE(d.doc.CanUndo());
    d.editor.Undo();  // also empties the clipboard
    EXPECT_EQ(d.Dump(), sOpened);

    d.Select("/1/2/2/3/2").editor.EditLabel("039");
    d.Select("/1/2/2/4").editor.Delete();
    const std::string sEdited = d.Dump();
    env.ui.QueueAnswer(MsgAnswer::No);  // no line breaks
    ASSERT_TRUE(d.doc.SaveTo(env.Path("saved.edi")));
    EXPECT_FALSE(d.doc.Modified());
    d.Select("/1/2/3").editor.ToggleEmptyFolder();
    d.editor.Undo();
    EXPECT_FALSE(d.doc.Modified());
    d.editor.Undo();
    EXPECT_TRUE(d.doc.Modified());
    d.editor.Undo();
    EXPECT_EQ(d.Dump(), sOpened);
    d.editor.Redo();
    d.editor.Redo();
    EXPECT_EQ(d.Dump(), sEdited);
    EXPECT_FALSE(d.doc.Modified());
    d.editor.Redo();  // the placeholders again, still as saved
    EXPECT_EQ(d.Children("/1/2/3"), "ST|BEG|REF|NTE|Party|Hierarchy|Names|Dates|SE");
    EXPECT_FALSE(d.doc.Modified());
}

// A document read without an error and left as read is not read again to
// validate it; anything that touched its tree since, the empty-node folder
// too, is read back as before.
TEST(DocumentEditor, ValidationReadsBackATreeTouchedSinceItWasRead)
{
    EditEnv env;
    EditDoc d(env, test::DocumentE1());
    d.doc.SetFileName(env.Path("E1.edi"), false);
    const std::string sOpened = d.Dump();
    EXPECT_TRUE(d.doc.Validate());
    EXPECT_EQ(env.Last(), "Document is valid.");
    EXPECT_EQ(d.Dump(), sOpened);
    EXPECT_FALSE(d.doc.CanUndo());

    // The placeholders are no part of the file: reading it back drops them,
    // a step of its own.
    d.Select("/1/2/3").editor.ToggleEmptyFolder();
    const std::string sFolder = d.Children("/1/2/3");
    ASSERT_NE(d.Dump(), sOpened);
    EXPECT_TRUE(d.doc.Validate());
    EXPECT_EQ(env.Last(), "Document is valid.");
    EXPECT_EQ(d.Dump(), sOpened);
    d.editor.Undo();
    EXPECT_EQ(d.Children("/1/2/3"), sFolder);

    // Undone back to the reading, it is read again all the same.
    d.editor.Undo();
    EXPECT_EQ(d.Dump(), sOpened);
    d.Select("/1/2/2/3/2").editor.EditLabel("ZZZ");
    d.editor.Undo();
    EXPECT_TRUE(d.doc.Validate());
    EXPECT_EQ(d.Dump(), sOpened);
}

}  // namespace
}  // namespace orr
