// The segment detail panel names a composite's components from the release
// dictionary of the segment's group, with the component values cut at the
// interchange's own separator; a group of a release without a dictionary
// shows the composite alone.
#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>

#include "app/modGlobals.h"
#include "doctree/modNodeD.h"
#include "schema/clsDefFiles.h"
#include "shell/SegmentDetailPanel.h"
#include "shell/frmDocument.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

struct ClaimWindow : test::TestEnv {
    explicit ClaimWindow(const std::string& sText)
    {
        config->DefinitionFile = ORRINDALE_EDIDEF;
        EXPECT_TRUE(files.RefreshBinFile());
        gDefFiles = &files;
        WriteFile(Path("claim.edi"), sText);
        window = new frmDocument(QStringLiteral("Claim"));
        EXPECT_TRUE(window->EdiFileOpen({Path("claim.edi"), '*', '~', "837P_X222A1", EdiDocument::NewContent::Skeleton, QStringLiteral("Claim")}));
        window->resize(1000, 700);
        window->show();
        QApplication::setActiveWindow(window);
    }
    ~ClaimWindow()
    {
        delete window.data();
        gDefFiles = nullptr;
    }
    // Shows the second element of the first HI segment; the panel's rows as "position|element|name|value|usage".
    QStringList HiRows()
    {
        clsTree& tree = window->DocTree();
        const NodeId root = window->RootD().Id();
        NodeId hi;
        for (NodeId n = root; n && !hi; n = gfDnodeNextInOrder(tree, root, n))
            if (tree.Tag(n)[0] == 'S' && tree.Text(n) == "HI")
                hi = n;
        window->NodeClick(tree.Child(hi, 1));
        const QTableWidget* table = window->findChild<SegmentDetailPanel*>()->tblElements;
        QStringList rows;
        for (int r = 0; r < table->rowCount(); ++r) {
            QStringList cells;
            for (int c = SegmentDetailPanel::ColPosition; c <= SegmentDetailPanel::ColUsage; ++c)
                cells << table->item(r, c)->text();
            rows << cells.join(QLatin1Char('|'));
        }
        selected = table->currentRow();
        return rows;
    }

    clsDefFiles files;
    QPointer<frmDocument> window;
    int selected = -1;
};

const std::string& Claim()
{
    static const std::string s =
        test::TestEnv::ReadFile(std::string(ORRINDALE_SOURCE_DIR) + "/examples/837P_X222A1-dependent-with-cob.edi");
    return s;
}

TEST(SegmentDetailPanel, CompositeComponentsWithTheirNames)
{
    ClaimWindow f(Claim());  // HI*ABK:J029*ABF:R509
    const QStringList rows = f.HiRows();
    // Each of the twelve C022 composites is followed by its nine components.
    ASSERT_EQ(rows.size(), 12 * 10);
    EXPECT_EQ(rows[0], QStringLiteral("HI01|C022|Health Care Code Information|ABK:J029|R"));
    EXPECT_EQ(rows[1], QStringLiteral("HI01-01|1270|Code List Qualifier Code|ABK|M"));
    EXPECT_EQ(rows[2], QStringLiteral("HI01-02|1271|Industry Code|J029|M"));
    EXPECT_EQ(rows[3], QStringLiteral("HI01-03|1250|Date Time Period Format Qualifier||O"));
    EXPECT_EQ(rows[10], QStringLiteral("HI02|C022|Health Care Code Information|ABF:R509|S"));
    EXPECT_EQ(rows[12], QStringLiteral("HI02-02|1271|Industry Code|R509|M"));
    EXPECT_EQ(f.selected, 10) << "the element clicked, below the first composite's components";
}

TEST(SegmentDetailPanel, ComponentsFollowTheInterchangeSeparatorAndTheGroupsRelease)
{
    // ">" between components (ISA16).
    std::string sText = Claim();
    std::replace(sText.begin(), sText.end(), ':', '>');
    {
        ClaimWindow f(sText);
        const QStringList rows = f.HiRows();
        ASSERT_GT(rows.size(), 2);
        EXPECT_EQ(rows[2], QStringLiteral("HI01-02|1271|Industry Code|J029|M"));
    }
    // A group of release 004020, which has no dictionary: the composites alone.
    ClaimWindow f(test::TestEnv::Replaced(Claim(), "*X*005010X222A1~", "*X*004020~"));
    const QStringList rows = f.HiRows();
    ASSERT_EQ(rows.size(), 12);
    EXPECT_EQ(rows[1], QStringLiteral("HI02|C022|Health Care Code Information|ABF:R509|S"));
    EXPECT_EQ(f.selected, 1);
}

}  // namespace
}  // namespace orr
