#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/modGlobals.h"
#include "doctree/EdiDocument.h"
#include "doctree/clsTreeDValid.h"
#include "doctree/modNodeD.h"
#include "store/modTreeDump.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

using test::Outline;
using test::TestEnv;
using Mode = EdiDocument::OpenMode;

const std::string kNoSegment =
    "I have trouble parsing this file.\r\n\r\nReason: No segment was recognized.\r\nCheck segment separator and Data "
    "Element separator in the Option screen.\r\n\r\nDo you want to select a different delimiters ?";
const std::string kApplyHere =
    "The new separators apply to this document only.\r\n\r\nIf you want to apply these settings to all documents,\r\n"
    "use View/Option Menu to change the editor settings.";

// A document of sType with the given separators, its definition loaded.
struct Document : EdiDocument {
    explicit Document(const std::string& sType = "T1", SepCode nDelimiter = '*', SepCode nSelimiter = '~')
    {
        SetSeparators(nDelimiter, nSelimiter);
        EXPECT_TRUE(LoadDefinition(sType));
    }
    std::string Dump() { return gfDumpTreeText(Tree(), Root().Id()); }
};

std::optional<SeparatorPair> Quote() { return SeparatorPair{'*', '\''}; }

TEST(EdiDocument, OtherSeparatorsApplyToThisDocumentOnly)
{
    test::DocTreeFixture env;
    std::string text = test::kValidT1;
    std::replace(text.begin(), text.end(), '~', '\'');
    // A header of another width: it names no separators of its own.
    text = TestEnv::Replaced(text, "SENDER         ", "SENDER");
    TestEnv::WriteFile(env.Path("quote.edi"), text);

    Document doc;
    env.ui.QueueAnswer(MsgAnswer::Yes);
    int nDialogs = 0;
    EXPECT_TRUE(doc.Open(env.Path("quote.edi"), Mode::NewWindow, [&] {
        ++nDialogs;
        return Quote();
    }));
    EXPECT_EQ(nDialogs, 1);
    EXPECT_EQ(env.ui.Messages(), (std::vector<std::string>{kNoSegment, kApplyHere}));
    EXPECT_EQ(doc.Selimiter(), '\'');
    EXPECT_EQ(env.config->Selimiter, 126);  // the configured pair stays
    EXPECT_FALSE(doc.ReadOnly());
    EXPECT_NE(Outline(doc.Root()).find("Hierarchy [ZHLS]"), std::string::npos);
}

TEST(EdiDocument, FailedOpensLeaveTheDocumentAsItWas)
{
    test::DocTreeFixture env;
    TestEnv::WriteFile(env.Path("junk.edi"), "not an interchange at all");
    TestEnv::WriteFile(env.Path("good.edi"), test::kValidT1);
    Document doc;
    ASSERT_TRUE(doc.Open(env.Path("good.edi"), Mode::NewWindow));
    const std::string before = doc.Dump();

    // Three attempts, then the open ends with its hint.
    for (int i = 0; i < 2; ++i)
        env.ui.QueueAnswer(MsgAnswer::Yes);
    EXPECT_FALSE(doc.Open(env.Path("junk.edi"), Mode::NewWindow, [] { return SeparatorPair{'+', '\n'}; }));
    const auto messages = env.ui.Messages();
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[4].rfind("If you have problem opening a valid EDI file, make sure the\r\n", 0), 0u);
    EXPECT_TRUE(env.ui.AllAnswersUsed());

    // Cancelling the choice or answering No gives up at once; the same-template
    // form says "Reason:" without a blank and keeps the open document.
    env.ui.Clear();
    doc.SetSeparators('*', '~');
    env.ui.QueueAnswer(MsgAnswer::Yes);
    EXPECT_FALSE(doc.Open(env.Path("junk.edi"), Mode::NewWindow, [] { return std::nullopt; }));
    env.ui.QueueAnswer(MsgAnswer::No);
    EXPECT_FALSE(doc.Open(env.Path("junk.edi"), Mode::SameTemplate));
    EXPECT_NE(env.ui.Messages().back().find("Reason:No segment"), std::string::npos);
    EXPECT_EQ(doc.Dump(), before);
    EXPECT_FALSE(doc.Open(env.Path("missing.edi"), Mode::SameTemplate));  // a run-time error
    EXPECT_EQ(doc.Dump(), before);
    EXPECT_FALSE(doc.Busy());
}

TEST(EdiDocument, MatchingFailureOffersFreeFormOrReadOnly)
{
    test::DocTreeFixture env;
    std::string text = test::kValidT1;
    text.replace(text.find("HL*2*1*O"), 8, "HL*2*1*Q");
    TestEnv::WriteFile(env.Path("bad.edi"), text);
    TestEnv::WriteFile(env.Path("good.edi"), test::kValidT1);

    Document readOnly;
    env.ui.QueueAnswer(MsgAnswer::No);
    EXPECT_TRUE(readOnly.Open(env.Path("bad.edi"), Mode::NewWindow));
    EXPECT_TRUE(readOnly.ReadOnly());
    EXPECT_NE(env.ui.Messages()[0].find("Reason: Segment matching failed.\r\nFailed segment:HL*2*1*Q\r\n\r\n"
                                        "Do you want to open this file as a Free Form document ?"),
              std::string::npos);
    EXPECT_EQ(env.ui.Messages()[1], "File is opened for read only.\r\nOpen this file as a Free Form to modify it.");
    EXPECT_NE(Outline(readOnly.Root()).find("HL [SHL ] !"), std::string::npos);

    Document freeForm;
    env.ui.Clear();
    env.ui.QueueAnswer(MsgAnswer::Yes);
    EXPECT_TRUE(freeForm.Open(env.Path("bad.edi"), Mode::NewWindow));
    EXPECT_FALSE(freeForm.ReadOnly());
    EXPECT_TRUE(freeForm.FreeForm());
    EXPECT_EQ(freeForm.SchemaRoot().Tag(), "ISLS*N00000*C0*R99999*DFreeForm");
    EXPECT_EQ(freeForm.Index()[freeForm.Index().Root()].sDescription, "FreeForm");

    // Another file into an open window: no free-form offer, read only; a
    // good file after it makes the document editable again.
    env.ui.Clear();
    EXPECT_TRUE(readOnly.Open(env.Path("bad.edi"), Mode::SameTemplate));
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_NE(env.ui.Messages()[0].find("This document is opened for read only.\r\n"), std::string::npos);
    EXPECT_TRUE(readOnly.Open(env.Path("good.edi"), Mode::SameTemplate));
    EXPECT_FALSE(readOnly.ReadOnly());
}

TEST(EdiDocument, ValidationKeepsTheTreeAndItsHistoryOrIsOneUndoStep)
{
    test::DocTreeFixture env;
    TestEnv::WriteFile(env.Path("good.edi"), test::kValidT1);
    Document doc;
    ASSERT_TRUE(doc.Open(env.Path("good.edi"), Mode::NewWindow));
    doc.SetFileName(env.Path("good.edi"));
    const std::string opened = doc.Dump();
    const NodeId oldRoot = doc.Root().Id();

    // Read back equal: the same tree, no step of its own.
    EXPECT_TRUE(doc.Validate());
    EXPECT_EQ(env.ui.Messages().back(), "Document is valid.");
    EXPECT_EQ(doc.Root().Id(), oldRoot);
    EXPECT_EQ(doc.Dump(), opened);
    EXPECT_FALSE(std::filesystem::exists(env.config->TempFile));
    EXPECT_FALSE(doc.Modified());
    EXPECT_FALSE(doc.CanUndo());

    // An edit the writer keeps as it is: validating leaves it to undo.
    const NodeId ref = doc.Root().FirstChild().Child(1).Child(1).Child(2).Child(1).Id();  // REF02
    TreeEdit value(doc.Tree());
    value.SetText(ref, "039");
    doc.Commit(std::move(value));
    const std::string edited = doc.Dump();
    EXPECT_TRUE(doc.Validate());
    EXPECT_EQ(doc.Root().Id(), oldRoot);
    EXPECT_TRUE(doc.Modified());
    ASSERT_TRUE(doc.CanUndo());

    // Without the required BEG the first segment after the gap fails: the
    // tree read back differs (its marks) and replaces the tree as one step.
    TreeEdit edit(doc.Tree());
    edit.Remove(doc.Root().FirstChild().Child(1).Child(1).Child(1).Id());
    doc.Commit(std::move(edit));
    const std::string removed = doc.Dump();
    EXPECT_TRUE(doc.Validate());
    EXPECT_EQ(doc.BuildErrorText(), "Segment matching failed.\r\nFailed segment:REF*DP*039");
    EXPECT_EQ(env.ui.Messages().back(), "Document failed validation.");
    const std::string validated = doc.Dump();
    EXPECT_NE(Outline(doc.Root()).find("      REF [SREF] !\n"), std::string::npos);
    EXPECT_NE(doc.Root().Id(), oldRoot);  // a new tree, never an old id
    EXPECT_EQ(doc.Root().Text(), env.Path("good.edi"));
    EXPECT_TRUE(doc.Modified());

    // Undo steps back through the validation to the removal and the value;
    // redo comes forward again.
    doc.Undo();
    EXPECT_EQ(doc.Dump(), removed);
    EXPECT_EQ(doc.Root().Id(), oldRoot);
    doc.Undo();
    EXPECT_EQ(doc.Dump(), edited);
    doc.Undo();
    EXPECT_EQ(doc.Dump(), opened);
    EXPECT_FALSE(doc.Modified());
    EXPECT_FALSE(doc.CanUndo());
    doc.Redo();
    doc.Redo();
    doc.Redo();
    EXPECT_EQ(doc.Dump(), validated);
    EXPECT_EQ(doc.Current(), doc.Root().Id());

    // A new edit before the validation drops the redo that holds the read-back tree.
    doc.Undo();
    doc.Undo();
    TreeEdit other(doc.Tree());
    other.SetText(ref, "040");
    doc.Commit(std::move(other));
    EXPECT_FALSE(doc.CanRedo());
    EXPECT_TRUE(doc.Validate());
    EXPECT_EQ(doc.Root().Id(), oldRoot);
    doc.Undo();
    doc.Undo();
    EXPECT_EQ(doc.Dump(), opened);

    // A work file that cannot be written stops the validation: the document stays.
    const std::string kept = doc.Dump();
    env.config->TempFile = env.Path("no-such-folder/work.zyx");
    EXPECT_FALSE(doc.Validate());
    EXPECT_EQ(env.ui.Messages().back(), "Disk IO failed.");
    EXPECT_EQ(doc.Dump(), kept);

    // Clearing the mapping unlinks every loop and segment, not elements.
    env.ui.Clear();
    doc.ClearMapping();
    const TreeNode isa = doc.Root().FirstChild().FirstChild();
    EXPECT_EQ(gfDnodeSchemaKey(isa), "K00000");
    EXPECT_EQ(isa.Tag(), "SISA*00000");
    EXPECT_EQ(doc.Root().FirstChild().Tag(), "X   *00000");
    EXPECT_EQ(isa.FirstChild().Tag(), "E01");
    EXPECT_TRUE(env.ui.Messages().empty());
}

// The rebuild reads the work file it holds open, so the document survives
// the file's removal; with neither an open file nor a file to read again, the
// tree is left empty and the message names where the document was written.
TEST(EdiDocument, ValidationRebuildsFromTheWorkFileItHolds)
{
    test::DocTreeFixture env;
    test::BuiltDocument built;
    test::BuildText(env, built, test::kValidT1);
    const SchemaIndex index(built.schema, built.schema.Child(NodeId{}, 0));
    const std::string before = Outline(built.ndRoot);
    clsTreeDValid validation;
    std::ifstream work;
    ASSERT_TRUE(validation.WriteWork(built.ndRoot, '*', '~', clsTreeDSave::LineEnd::None, work));
    std::filesystem::remove(env.config->TempFile);
    const auto verdict = validation.Rebuild(work, built.doc, built.schema, index, '*', '~');
    ASSERT_TRUE(verdict);
    EXPECT_TRUE(verdict->bValid);
    EXPECT_EQ(Outline(verdict->ndRoot), before);
    EXPECT_EQ(built.doc.ChildCount(NodeId{}), 1u);  // the old nodes are gone, not kept beside

    std::ifstream closed;
    EXPECT_FALSE(validation.Rebuild(closed, built.doc, built.schema, index, '*', '~'));
    EXPECT_EQ(built.doc.ChildCount(NodeId{}), 0u);
    EXPECT_EQ(env.ui.Messages().back(),
              "The document could not be read back. It was kept in " + env.config->TempFile + ".");
}

// Validation compares the work file with the file the document was read
// from, to know when reading it back would only read that file again.
TEST(EdiDocument, TheWorkFileIsComparedWithTheFileByteForByte)
{
    test::DocTreeFixture env;
    test::BuiltDocument built;
    test::BuildText(env, built, test::kValidT1);
    clsTreeDValid validation;
    std::ifstream work;
    ASSERT_TRUE(validation.WriteWork(built.ndRoot, '*', '~', clsTreeDSave::LineEnd::None, work));
    const std::string sWritten = TestEnv::ReadFile(env.config->TempFile);
    ASSERT_GT(sWritten.size(), 10u);
    std::string sOther = sWritten;
    sOther[sOther.size() / 2] ^= 1;
    TestEnv::WriteFile(env.Path("other.edi"), sOther);
    TestEnv::WriteFile(env.Path("longer.edi"), sWritten + "~");
    TestEnv::WriteFile(env.Path("same.edi"), sWritten);
    // A byte apart or a byte more: not the same, and the work file can
    // still be read back from its start.
    EXPECT_FALSE(validation.WorkIs(env.Path("other.edi"), work));
    EXPECT_FALSE(validation.WorkIs(env.Path("longer.edi"), work));
    EXPECT_FALSE(validation.WorkIs(env.Path("no-such.edi"), work));
    const SchemaIndex index(built.schema, built.schema.Child(NodeId{}, 0));
    const std::string before = Outline(built.ndRoot);
    const auto verdict = validation.Rebuild(work, built.doc, built.schema, index, '*', '~');
    ASSERT_TRUE(verdict);
    EXPECT_EQ(Outline(verdict->ndRoot), before);
    // The same bytes: the work file has done its job and is gone.
    std::ifstream again;
    ASSERT_TRUE(validation.WriteWork(verdict->ndRoot, '*', '~', clsTreeDSave::LineEnd::None, again));
    EXPECT_TRUE(validation.WorkIs(env.Path("same.edi"), again));
    EXPECT_FALSE(std::filesystem::exists(env.config->TempFile));
}

// Undo gives back exactly the tree before, redo the tree after, and the
// modified flag is clear exactly when the history stands where it was saved.
TEST(EdiDocument, UndoAndRedoRestoreTheTreeAndTheSavedState)
{
    test::DocTreeFixture env;
    TestEnv::WriteFile(env.Path("good.edi"), test::kValidT1);
    Document doc;
    ASSERT_TRUE(doc.Open(env.Path("good.edi"), Mode::NewWindow));
    const std::string original = doc.Dump();
    const TreeNode t = doc.Root().FirstChild().Child(1).Child(1);
    const TreeNode beg = t.Child(1), names = t.Child(4);

    TreeEdit edit(doc.Tree(), "several");
    edit.SetText(beg.FirstChild().Id(), "05");
    edit.Move(names.Id(), beg.Id(), Relation::Previous);
    NodeInit init;
    init.sText = "NTE";
    init.sTag = "SNTE*00000";
    const NodeId nte = edit.Add(names.Id(), Relation::Child, init);
    edit.Remove(t.Child(3).Id());  // a REF
    edit.SetImages(beg.Id(), "cutclosed", "cutopen");
    edit.SetExpanded(names.Id(), true);
    edit.selectAfter = nte;
    edit.selectBefore = beg.Id();
    doc.Commit(std::move(edit));
    const std::string changed = doc.Dump();
    EXPECT_NE(changed, original);
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.Current(), nte);

    doc.Undo();
    EXPECT_EQ(doc.Dump(), original);
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(doc.Current(), beg.Id());
    doc.Redo();
    EXPECT_EQ(doc.Dump(), changed);
    EXPECT_TRUE(doc.Modified());

    // Saved after the edit: that state is clean, undoing makes it modified.
    env.ui.QueueAnswer(MsgAnswer::No);  // no line breaks
    ASSERT_TRUE(doc.SaveTo(env.Path("saved.edi")));
    EXPECT_FALSE(doc.Modified());
    doc.Undo();
    EXPECT_TRUE(doc.Modified());
    doc.Redo();
    EXPECT_FALSE(doc.Modified());
    doc.Undo();
    // A new edit where the redo was: the saved state cannot come back.
    TreeEdit other(doc.Tree());
    other.SetText(beg.Id(), "BEG");
    doc.Commit(std::move(other));
    doc.Undo();
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.Dump(), original);
    EXPECT_FALSE(doc.CanUndo());
}

// A copy is the document as read: the same nodes, file, verdict and marks,
// segments whose elements nobody looked at still made on demand, nothing
// to undo; its edits leave the original alone. Only a document of the same
// definition is copied.
TEST(EdiDocument, ACopyIsTheDocumentAsRead)
{
    test::DocTreeFixture env;
    TestEnv::WriteFile(env.Path("good.edi"), test::kValidT1);
    Document read, copy;
    ASSERT_TRUE(read.Open(env.Path("good.edi"), Mode::Batch));
    auto beg = [](EdiDocument& d) { return d.Root().FirstChild().Child(1).Child(1).Child(1); };
    ASSERT_TRUE(read.Tree().ChildrenPending(beg(read).Id()));
    read.Tree().SetBackColor(beg(read).Parent().Id(), 0xFF0000);
    read.Tree().SetExpanded(beg(read).Parent().Id(), true);
    ASSERT_TRUE(copy.Open(env.Path("good.edi"), Mode::Batch));
    TreeEdit earlier(copy.Tree());  // copy's own edit, to be forgotten
    earlier.SetText(beg(copy).Id(), "NTE");
    copy.Commit(std::move(earlier));

    ASSERT_TRUE(copy.CopyFrom(read));
    EXPECT_TRUE(copy.Tree().ChildrenPending(beg(copy).Id()));
    EXPECT_EQ(copy.Dump(), read.Dump());
    EXPECT_EQ(beg(copy).Parent().BackColor(), 0xFF0000u);
    EXPECT_TRUE(beg(copy).Parent().Expanded());
    EXPECT_EQ(copy.FileName(), read.FileName());
    EXPECT_EQ(copy.BuildError(), 0);
    EXPECT_FALSE(copy.Modified());
    EXPECT_FALSE(copy.CanUndo());

    const std::string original = read.Dump();
    TreeEdit change(copy.Tree());
    change.SetText(beg(copy).FirstChild().Id(), "05");
    copy.Commit(std::move(change));
    EXPECT_NE(copy.Dump(), original);
    EXPECT_EQ(read.Dump(), original);
    copy.Undo();
    EXPECT_EQ(copy.Dump(), original);
    EXPECT_FALSE(copy.Modified());

    Document other("T2");
    EXPECT_FALSE(other.CopyFrom(read));
    EXPECT_FALSE(other.HasRoot());
}

// Another program wrote the file after it was read: the save asks first,
// and No leaves that program's content in place.
TEST(EdiDocument, AFileChangedOnDiskIsNotOverwrittenUnasked)
{
    test::DocTreeFixture env;
    const std::string sFile = env.Path("po.edi");
    TestEnv::WriteFile(sFile, test::kValidT1);
    Document doc;
    ASSERT_TRUE(doc.Open(sFile, Mode::NewWindow));
    doc.SetModified(true);
    const std::string sOther = "ISA*written by another program~\n";
    TestEnv::WriteFile(sFile, sOther);

    env.ui.QueueAnswer(MsgAnswer::No);  // do not overwrite
    EXPECT_FALSE(doc.SaveTo(sFile));
    EXPECT_EQ(env.ui.Calls().back().sText, "File: " + sFile +
                                               "\r\nhas been changed by another program since it was opened.\r\n\r\n"
                                               "Overwrite it ?");
    EXPECT_EQ(env.ui.Calls().back().buttons, MsgButtons::YesNo);
    EXPECT_EQ(TestEnv::ReadFile(sFile), sOther);
    EXPECT_TRUE(doc.Modified());
    EXPECT_FALSE(std::filesystem::exists(sFile + " Backup"));

    env.ui.QueueAnswer(MsgAnswer::Yes);  // overwrite
    env.ui.QueueAnswer(MsgAnswer::No);   // no line breaks
    ASSERT_TRUE(doc.SaveTo(sFile));
    EXPECT_EQ(TestEnv::ReadFile(sFile + " Backup"), sOther);
    EXPECT_FALSE(doc.Modified());

    // Its own save is no change by another program; another file is not compared.
    env.ui.Clear();
    env.ui.QueueAnswer(MsgAnswer::No);
    env.ui.QueueAnswer(MsgAnswer::No);
    ASSERT_TRUE(doc.SaveTo(sFile));
    TestEnv::WriteFile(env.Path("other.edi"), sOther);
    ASSERT_TRUE(doc.SaveTo(env.Path("other.edi")));
    EXPECT_EQ(env.ui.Calls().size(), 2u);  // the two line-break questions
    EXPECT_TRUE(env.ui.AllAnswersUsed());
}

TEST(EdiDocument, NewDocumentsAndTheCurrentNode)
{
    test::DocTreeFixture env;
    EdiDocument empty;
    ASSERT_TRUE(empty.New("T1", EdiDocument::NewContent::Empty));
    EXPECT_EQ(empty.Type(), "T1");
    EXPECT_EQ(empty.Root().Text(), "New");
    EXPECT_EQ(empty.Root().Children(), 0u);
    Document filled("FreeForm");
    ASSERT_TRUE(filled.New("T1", EdiDocument::NewContent::Skeleton));
    EXPECT_FALSE(filled.FreeForm());  // the rules follow the definition loaded
    EXPECT_EQ(Outline(filled.Root()).rfind("Interchange", 0), 0u);
    EXPECT_FALSE(filled.New("NoSuchType", EdiDocument::NewContent::Skeleton));

    // The current node and the schema nodes it stands for.
    TestEnv::WriteFile(env.Path("good.edi"), test::kValidT1);
    Document doc;
    ASSERT_TRUE(doc.Open(env.Path("good.edi"), Mode::NewWindow));
    const TreeNode beg = doc.Root().FirstChild().Child(1).Child(1).Child(1);
    doc.SetCurrent(beg.FirstChild().Id());
    EXPECT_EQ(doc.Current(), beg.FirstChild().Id());
    EXPECT_EQ(doc.SchemaTree().Text(doc.SchemaNodeOf(doc.Current())).substr(0, 3), "BEG");
    EXPECT_EQ(doc.SchemaTree().Tag(doc.SchemaElementOf(doc.Current())).substr(0, 6), "IRBEG0");
    doc.Tree().Detach(beg.Id());
    doc.SetCurrent(beg.Id());  // out of the tree: no current node
    EXPECT_FALSE(doc.Current());

    // E1's REF defines positions 1, 2 and 4: the fourth element is not the third child.
    TestEnv::WriteFile(env.Path("e1.edi"), test::kValidE1);
    Document e1("E1");
    ASSERT_TRUE(e1.Open(env.Path("e1.edi"), Mode::NewWindow));
    TreeNode ref = e1.Root().FirstChild().Child(1).Child(1).Child(1);
    while (ref && ref.Text().rfind("REF", 0) != 0)
        ref = ref.Next();
    ASSERT_TRUE(ref);
    const auto positionOf = [&e1](const TreeNode& element) {
        const NodeId schema = e1.SchemaElementOf(element.Id());
        return schema ? e1.Index()[e1.Index().Of(schema)].nZ : -1;
    };
    EXPECT_EQ(positionOf(ref.Child(1)), 2);
    EXPECT_EQ(positionOf(ref.Child(3)), 4);
    EXPECT_EQ(positionOf(ref.Child(2)), -1);  // position 3 is not defined
}

}  // namespace
}  // namespace orr
