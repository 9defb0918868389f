#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "doctree/clsTreeDSave.h"
#include "doctree/clsTreeDValid.h"
#include "doctree/modNodeD.h"
#include "doctree/modTree.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

using test::BuildText;
using test::BuiltDocument;
using test::Outline;
using test::TestEnv;

std::string Without(std::string s, char c)
{
    s.erase(std::remove(s.begin(), s.end(), c), s.end());
    return s;
}

std::string ReplacedAll(std::string s, const std::string& sOld, const std::string& sNew)
{
    for (std::size_t p = 0; (p = s.find(sOld, p)) != std::string::npos; p += sNew.size())
        s.replace(p, sOld.size(), sNew);
    return s;
}

TEST(TreeDSave, LineBreakQuestionAndTerminators)
{
    test::DocTreeFixture env;
    BuiltDocument d;
    BuildText(env, d, test::kValidT1);
    ASSERT_EQ(d.nError, 0);
    const std::string sOut = env.Path("out.edi");
    clsTreeDSave writer;
    writer.SetDelimiter('*');
    writer.SetSelimiter('~');

    bool bSilent = false;
    env.ui.QueueAnswer(MsgAnswer::No);
    ASSERT_TRUE(writer.SaveAs(sOut, d.ndRoot, bSilent));
    EXPECT_EQ(TestEnv::ReadFile(sOut), Without(test::kValidT1, '\n'));
    ASSERT_EQ(env.ui.Messages(), (std::vector<std::string>{"Do you want to add a CR and LF at the end of each segment ?"}));
    const auto question = std::find_if(env.ui.Calls().begin(), env.ui.Calls().end(),
                                       [](const test::UiCall& c) { return c.kind == test::UiCall::Message; });
    EXPECT_EQ(question->sTitle, "Save EDI File");
    EXPECT_EQ(question->buttons, MsgButtons::YesNo);

    env.ui.QueueAnswer(MsgAnswer::Yes);
    ASSERT_TRUE(writer.SaveAs(sOut, d.ndRoot, bSilent));
    std::string crlf = test::kValidT1;
    for (std::size_t p = 0; (p = crlf.find('\n', p)) != std::string::npos; p += 2)
        crlf.insert(p, "\r");
    EXPECT_EQ(TestEnv::ReadFile(sOut), crlf);

    // A line-end terminator: no question; LF or CR alone.
    env.config->Selimiter = 10;
    writer.SetSelimiter(10);
    writer.SetDelimiter('|');  // untouched segments change separators too
    ASSERT_TRUE(writer.SaveAs(sOut, d.ndRoot, bSilent));
    std::string lf = test::kValidT1;
    std::replace(lf.begin(), lf.end(), '*', '|');
    EXPECT_EQ(TestEnv::ReadFile(sOut), Without(lf, '~'));
    writer.SetSelimiter(13);
    ASSERT_TRUE(writer.SaveAs(sOut, d.ndRoot, bSilent));
    const std::string cr = TestEnv::ReadFile(sOut);
    EXPECT_EQ(cr.substr(0, 4), "ISA|");
    EXPECT_EQ(std::count(cr.begin(), cr.end(), '\r'), 19);
    EXPECT_EQ(cr.find('\n'), std::string::npos);
    EXPECT_TRUE(env.ui.AllAnswersUsed());

    EXPECT_FALSE(writer.SaveAs(env.Path("no/such/dir/x.edi"), d.ndRoot, bSilent));
    EXPECT_EQ(env.ui.Messages().back().rfind("Error:No such file or directory", 0), 0u);
    EXPECT_FALSE(writer.sError().empty());
}

// Segments read in place are written as the runs of file text they lie in,
// as long as the file has the end the writer writes between them; an edited
// segment, other separators or other line ends split the runs.
TEST(TreeDSave, UntouchedSegmentsWrittenAsTheFileTheyWereReadFrom)
{
    test::DocTreeFixture env;
    const std::string sCrLf = ReplacedAll(test::kValidT1, "~\n", "~\r\n");
    const std::string sBare = Without(test::kValidT1, '\n');
    for (const std::string& sFile : {sBare, sCrLf}) {
        BuiltDocument d;
        BuildText(env, d, sFile);
        ASSERT_EQ(d.nError, 0);
        clsTreeDSave writer;
        writer.SetDelimiter('*');
        writer.SetSelimiter('~');
        EXPECT_EQ(writer.ToText(d.ndRoot, clsTreeDSave::LineEnd::None), sBare);
        EXPECT_EQ(writer.ToText(d.ndRoot, clsTreeDSave::LineEnd::CrLf), sCrLf);
        const std::string sOut = env.Path("out.edi");
        ASSERT_TRUE(writer.WriteX12(sOut, d.ndRoot, clsTreeDSave::LineEnd::None));
        EXPECT_EQ(TestEnv::ReadFile(sOut), sBare);
        writer.SetSelimiter('\'');
        EXPECT_EQ(writer.ToText(d.ndRoot, clsTreeDSave::LineEnd::None), ReplacedAll(sBare, "~", "'"));
        writer.SetSelimiter('~');

        // The first, a middle and the last segment edited.
        const TreeNode ref = d.ndRoot.FirstChild().Child(1).Child(1).Child(2);  // REF*DP*038
        ref.Child(1).SetText("039");
        d.ndRoot.FirstChild().FirstChild().Child(10).SetText("X");  // ISA11
        d.ndRoot.FirstChild().LastChild().Child(1).SetText("000000002");
        std::string sEdited = TestEnv::Replaced(sCrLf, "REF*DP*038", "REF*DP*039");
        sEdited = TestEnv::Replaced(sEdited, "*0907*U*", "*0907*X*");
        sEdited = TestEnv::Replaced(sEdited, "IEA*1*000000001", "IEA*1*000000002");
        EXPECT_EQ(writer.ToText(d.ndRoot, clsTreeDSave::LineEnd::CrLf), sEdited);
        ASSERT_TRUE(writer.WriteX12(sOut, d.ndRoot, clsTreeDSave::LineEnd::None));
        EXPECT_EQ(TestEnv::ReadFile(sOut), Without(Without(sEdited, '\n'), '\r'));
    }
}

TEST(TreeDSave, EditedElementsAndTextExport)
{
    test::DocTreeFixture env;
    BuiltDocument d;
    BuildText(env, d, test::kValidT1);
    const TreeNode t = d.ndRoot.FirstChild().Child(1).Child(1);
    const TreeNode ref = t.Child(2);  // REF*DP*038
    ref.FirstChild().SetText("ZZ");
    // Move the second element in front of the first, then renumber.
    clsTree& tree = d.doc;
    const TreeNode second = ref.Child(1);
    const std::string sValue(second.Text());
    tree.Remove(second.Id());
    NodeInit init;
    init.sText = sValue;
    init.sTag = "E02";
    tree.Add(ref.FirstChild().Id(), Relation::Previous, init);
    gfRenumberDEs(ref);
    EXPECT_EQ(ref.Child(0).Tag(), "E01");
    EXPECT_EQ(ref.Child(1).Tag(), "E02");
    gfRenumberDEs(t);
    EXPECT_EQ(env.ui.Messages().back(), "gfRenumberDEs:Unknown root node:T");

    // An empty placeholder is not written; a segment without elements,
    // read or made, is written as its identifier.
    NodeInit empty;
    empty.sText = "NTE";
    empty.sTag = "SNTE*00000";
    empty.image = empty.expandedImage = tree.InternImage("nullsegment");
    tree.Add(ref.Id(), Relation::Next, empty);
    NodeInit bare;
    bare.sText = "MSG";
    bare.sTag = "SMSG*00000";
    tree.Add(t.Child(1).Id(), Relation::Next, bare);
    NodeInit read;
    read.sPayload = "LIN";
    read.nPayloadHead = 3;
    read.sTag = "SLIN*00000";
    tree.Add(t.Child(2).Id(), Relation::Next, read);

    clsTreeDSave writer;
    writer.SetDelimiter('*');
    writer.SetSelimiter('~');
    const std::string text = writer.ToText(d.ndRoot, false);
    EXPECT_NE(text.find("~BEG*00*SA*PO1**20040305~MSG~LIN~REF*038*ZZ~REF*PS*R~N1*"), std::string::npos) << text;
    EXPECT_EQ(text.find("NTE"), std::string::npos);

    ASSERT_TRUE(writer.SaveAsText(env.Path("out.txt"), d.ndRoot, ",;"));
    const std::string csv = TestEnv::ReadFile(env.Path("out.txt"));
    EXPECT_EQ(csv.substr(0, csv.find("\r\n", csv.find("\r\n") + 2)),
              "ISA,00,          ,00,          ,ZZ,SENDER         ,ZZ,RECEIVER       ,040305,0907,U,00401,000000001,0,T,:"
              "\r\nGS,PO,SENDER,RECEIVER,20040305,0907,1,X,004010");
    EXPECT_NE(csv.find("\r\nBEG,00,SA,PO1,,20040305\r\n"), std::string::npos);
}

TEST(TreeUtilities, CopyRemoveAndExpand)
{
    test::DocTreeFixture env;
    BuiltDocument d;
    BuildText(env, d, test::kValidT1);
    const TreeNode t = d.ndRoot.FirstChild().Child(1).Child(1);
    const TreeNode names = t.Child(4);
    NodeInit init;
    init.sText = "placeholder";
    const TreeNode target = d.doc.Node(d.doc.Add(names.Id(), Relation::Next, init));
    gfCopySubtree(names, target);
    EXPECT_EQ(Outline(target), Outline(names));
    EXPECT_EQ(target.Text(), "Names");
    EXPECT_EQ(target.Tag(), names.Tag());
    EXPECT_EQ(target.FirstChild().FirstChild().Child(1).Text(), "Ship Here");

    gfRemoveSubtree(target, false);
    EXPECT_EQ(target.Children(), 0u);
    gfRemoveSubtree(target, true);
    EXPECT_FALSE(target);

    env.config->OpenDocument = true;
    env.config->OpenISA = true;
    env.config->OpenGS = false;
    env.config->OpenST = true;
    const TreeNode schemaRoot = d.schema.Node(d.schema.Child(NodeId{}, 0));
    gfExpandLevels(d.ndRoot, schemaRoot);
    EXPECT_TRUE(d.ndRoot.Expanded());
    EXPECT_TRUE(d.ndRoot.FirstChild().Expanded());             // X, one level down
    EXPECT_FALSE(d.ndRoot.FirstChild().FirstChild().Expanded());  // ISA is a segment
    EXPECT_FALSE(d.ndRoot.FirstChild().Child(1).Expanded());   // F, two levels down: off
    EXPECT_TRUE(t.Expanded());                                 // T, three levels down
    EXPECT_TRUE(schemaRoot.Expanded());
    EXPECT_TRUE(schemaRoot.FirstChild().Expanded());

    gfExpandCollapseAll(d.doc, false);
    EXPECT_FALSE(d.ndRoot.Expanded());
    EXPECT_FALSE(t.Expanded());
}

}  // namespace
}  // namespace orr
