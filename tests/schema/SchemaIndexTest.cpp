#include <gtest/gtest.h>

#include <random>

#include "schema/SchemaCounters.h"
#include "schema/SchemaIndex.h"
#include "schema/clsTreeS.h"
#include "schema/modNodeS.h"
#include "tests/support/DocTreeFixture.h"

namespace orr {
namespace {

// The child of nd whose display text starts with sText.
SchemaIx ChildNamed(const SchemaIndex& ix, SchemaIx parent, const std::string& sText)
{
    for (SchemaIx c = ix[parent].first; c; c = ix[c].next)
        if (ix[c].sDescription == sText || ix[c].sCode == sText)
            return c;
    return {};
}

TEST(SchemaIndex, CompilesTheFactsOfEveryTag)
{
    test::DocTreeFixture env;
    clsTree tree;
    clsTreeS builder;
    const NodeId root = builder.Build(tree, "T1");
    ASSERT_TRUE(root);
    SchemaIndex built(tree, root);
    const SchemaIndex ix = std::move(built);  // documents move theirs: the texts go with it

    ASSERT_EQ(ix.Root(), SchemaIx{1});
    EXPECT_EQ(ix[ix.Root()].nEnd, ix.Size());  // the root's subtree is everything
    EXPECT_EQ(ix[ix.Root()].sDescription, "T1");
    const SchemaIx interchange = ix[ix.Root()].first;
    const SchemaIx group = ix.Child(interchange, 1);
    const SchemaIx transaction = ix.Child(group, 1);
    EXPECT_EQ(ix[interchange].sLevel, "0001");
    EXPECT_EQ(ix[transaction].system, SystemKind::Ls);
    EXPECT_EQ(ix[transaction].nRepeat, 99);

    const SchemaIx names = ChildNamed(ix, transaction, "Names");
    EXPECT_EQ(ix[names].system, SystemKind::Els);
    EXPECT_EQ(ix[names].nY, 1);
    const SchemaIx shipTo = ix[names].first;
    EXPECT_EQ(ix[shipTo].keys, (std::vector<std::string>{"ST", "SF"}));
    EXPECT_TRUE(ix.KeyMatches(shipTo, "sf"));
    EXPECT_FALSE(ix.KeyMatches(shipTo, "S"));
    // The reader caches keys by their folded code: letters fold, nothing else does.
    EXPECT_EQ(SchemaIndex::PackCode("sF", true), SchemaIndex::PackCode("sf"));
    EXPECT_EQ(SchemaIndex::PackCode("@[1z", true), SchemaIndex::PackCode("@[1z"));
    EXPECT_NE(SchemaIndex::PackCode("SF"), SchemaIndex::PackCode("sf"));
    EXPECT_EQ(SchemaIndex::PackCode("ABCDEFGH", true), SchemaIndex::kLongCode);
    EXPECT_EQ(ix[shipTo].nRequired, 1);  // its first segment N1 is "M"
    const SchemaIx n1 = ix[shipTo].first;
    EXPECT_EQ(ix.Link(n1), gfSnodeFQN(tree.Node(ix.Node(n1))));
    // The numbers from the root down, dotted.
    EXPECT_EQ(ix.Link(ix.Root()), ix[ix.Root()].sNumber);
    EXPECT_EQ(ix.Link(n1), ix.Link(ix[n1].parent) + "." + std::string(ix[n1].sNumber));

    const SchemaIx beg = ChildNamed(ix, transaction, "BEG");
    EXPECT_TRUE(ix[beg].IsSegment());
    const SchemaIx beg01 = ix[beg].first;
    EXPECT_TRUE(ix[beg01].IsElement());
    EXPECT_EQ(ix[beg01].sDataType, "ID");
    EXPECT_EQ(ix[beg01].nMinLength * 10 + ix[beg01].nMaxLength, 22);
    EXPECT_FALSE(ix[beg01].bCounted);  // elements have no use counter
    EXPECT_EQ(ix[beg01].resetBarrier, beg);

    // Every entry and node find each other; pre-order ranges nest.
    for (std::uint32_t i = 1; i < ix.Size(); ++i) {
        const SchemaIx e{i};
        ASSERT_EQ(ix.Of(ix.Node(e)), e);
        if (ix[e].parent) {
            ASSERT_TRUE(ix[e].parent.value < i && i < ix[ix[e].parent].nEnd);
        }
    }
    EXPECT_FALSE(ix.Of(NodeId{root.value + 100000}));
    EXPECT_TRUE(SchemaIndex().Empty());
}

// The rules of the use counters told on the tags themselves: a count adds
// one to C; a reset sets C to "0" on every node below a system node, going
// down through system nodes only.
void IncOnTag(TreeNode nd) { gfSnodeSetAttr(nd, 'C', std::to_string(std::int64_t(gfSnodeGetAttrNum(nd, 'C')) + 1)); }

void ResetOnTags(TreeNode nd)
{
    std::string sType, sSub;
    gfSnodeType(nd, sType, sSub);
    if (sType != "S")
        return;
    for (TreeNode c = nd.FirstChild(); c; c = c.Next()) {
        if (!gfSnodeGetAttr(c, 'C').empty())
            gfSnodeSetAttr(c, 'C', "0");
        ResetOnTags(c);
    }
}

// The counters follow the same rules as the tag operations: after any
// sequence of counts and resets, the written-back tags equal the tags that
// IncOnTag and ResetOnTags make. A counted node below
// a segment is reached by no reset from above that segment.
TEST(SchemaIndex, CountersKeepTheRulesOfTheTagOperations)
{
    test::DocTreeFixture env;
    clsTree a, b;
    clsTreeS builderA, builderB;
    const NodeId rootA = builderA.Build(a, "T1"), rootB = builderB.Build(b, "T1");
    ASSERT_TRUE(rootA && rootB);
    // A loop of 5 000 segments: counters over many words, reset from the
    // loop and from the interchange above it.
    NodeId bigA;
    for (clsTree* t : {&a, &b}) {
        const NodeId isaLoop = t->Child(t->Child(NodeId{}, 0), 0);
        const NodeId seg = t->Child(isaLoop, 0);  // ISA
        NodeInit init;
        init.sKey = "K09998";
        init.sTag = "IRXYZ*N09998*C0*Z0*PO*R5*DBehind a segment";
        t->Add(seg, Relation::Child, init);
        init.sKey = "K09999";
        init.sTag = "ISLS*N09999*C0*R99*DBig loop*L1000*Z0";
        const NodeId big = t->Add(isaLoop, Relation::Child, init);
        if (t == &a)
            bigA = big;
        for (int i = 0; i < 5000; ++i) {
            const std::string sKey = "K1" + std::to_string(10000 + i);
            const std::string sTag =
                "IRS" + std::to_string(i) + "*N1" + std::to_string(10000 + i) + "*C0*Z0*PO*R5*DSeg";
            init.sKey = sKey;
            init.sTag = sTag;
            t->Add(big, Relation::Child, init);
        }
    }
    const SchemaIndex ix(a, rootA);
    SchemaCounters counters(ix);
    std::mt19937 rng(11);
    for (int step = 0; step < 4000; ++step) {
        SchemaIx e{1 + std::uint32_t(rng() % (ix.Size() - 1))};
        if (step % 40 == 39)
            e = step % 80 == 79 ? ix.Of(bigA) : ix[ix.Of(bigA)].parent;  // reset below one of them
        const bool bReset = step % 40 == 39 || rng() % 5 == 0;
        const TreeNode nb = b.Node(b.FindKey(std::string(a.Key(ix.Node(e)))));
        if (bReset) {
            counters.ResetBelow(e);
            ResetOnTags(nb);
        } else {
            counters.Inc(e);
            IncOnTag(nb);
        }
        if (step % 97 == 0 || step == 3999) {
            counters.WriteBack(a);
            for (std::uint32_t i = 1; i < ix.Size(); ++i) {
                const NodeId na = ix.Node(SchemaIx{i});
                ASSERT_EQ(a.Tag(na), b.Tag(b.FindKey(std::string(a.Key(na))))) << step;
            }
        }
    }
    EXPECT_TRUE(env.ui.Messages().empty());
}

}  // namespace
}  // namespace orr
