#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "store/TreeNode.h"
#include "store/clsTree.h"
#include "store/modTreeDump.h"

namespace orr {
namespace {

// Records every notification; the "about to" half also notes the child count
// it saw, so tests can check that it came before the change.
class Recorder final : public TreeObserver {
public:
    explicit Recorder(clsTree& tree) : mTree(tree) { tree.AddObserver(this); }
    ~Recorder() override { mTree.RemoveObserver(this); }

    void AboutToInsert(NodeId p, std::uint32_t a, std::uint32_t b) override { Log("+?", p, a, b); }
    void Inserted(NodeId p, std::uint32_t a, std::uint32_t b) override { Log("+", p, a, b); }
    void AboutToRemove(NodeId p, std::uint32_t a, std::uint32_t b) override { Log("-?", p, a, b); }
    void Removed(NodeId p, std::uint32_t a, std::uint32_t b) override { Log("-", p, a, b); }
    void AboutToReset() override { events.push_back("reset?"); }
    void Reset() override { events.push_back("reset"); }
    void Changed(NodeId n, unsigned what) override
    {
        events.push_back("changed " + std::string(mTree.Key(n)) + " " + std::to_string(what));
    }
    void ScrollRequested(NodeId n) override { events.push_back("scroll " + std::string(mTree.Key(n))); }
    void AboutToMove(NodeId from, std::uint32_t r, NodeId to, std::uint32_t d) override { Log2("m?", from, r, to, d); }
    void Moved(NodeId from, std::uint32_t r, NodeId to, std::uint32_t d) override { Log2("m", from, r, to, d); }

    std::vector<std::string> events;

private:
    void Log(const char* what, NodeId p, std::uint32_t a, std::uint32_t b)
    {
        const std::string name = p ? std::string(mTree.Key(p)) : std::string("top");
        events.push_back(std::string(what) + " " + name + " " + std::to_string(a) + "-" + std::to_string(b) +
                         " n=" + std::to_string(mTree.ChildCount(p)));
    }
    void Log2(const char* what, NodeId from, std::uint32_t r, NodeId to, std::uint32_t d)
    {
        events.push_back(std::string(what) + " " + std::string(mTree.Key(from)) + ":" + std::to_string(r) + " " +
                         std::string(mTree.Key(to)) + ":" + std::to_string(d) +
                         " n=" + std::to_string(mTree.ChildCount(from)));
    }
    clsTree& mTree;
};

NodeId AddKey(clsTree& t, NodeId rel, Relation r, const std::string& key)
{
    return t.Add(rel, r, key, "text " + key, "closed", "open");
}

// Every child's row and parent agree with the parent's child list.
void ExpectConsistent(const clsTree& t, NodeId parent)
{
    for (std::uint32_t r = 0; r < t.ChildCount(parent); ++r) {
        const NodeId c = t.Child(parent, r);
        ASSERT_EQ(t.Row(c), r);
        ASSERT_EQ(t.Parent(c), parent);
        ASSERT_EQ(t.Previous(c), r == 0 ? NodeId{} : t.Child(parent, r - 1));
        ASSERT_EQ(t.Next(c), t.Child(parent, r + 1));
        ExpectConsistent(t, c);
    }
}

std::vector<std::string> ChildKeys(const clsTree& t, NodeId parent)
{
    std::vector<std::string> keys;
    for (std::uint32_t r = 0; r < t.ChildCount(parent); ++r)
        keys.emplace_back(t.Key(t.Child(parent, r)));
    return keys;
}

TEST(TreeStore, NavigationAndNodeData)
{
    clsTree t;
    const NodeId root = AddKey(t, {}, Relation::Child, "Root");
    const NodeId a = AddKey(t, root, Relation::Child, "a");
    const NodeId c = AddKey(t, root, Relation::Child, "c");
    const NodeId b = AddKey(t, c, Relation::Previous, "b");
    const NodeId a1 = AddKey(t, a, Relation::Child, "a1");
    const NodeId other = AddKey(t, {}, Relation::Child, "Other");

    EXPECT_EQ(ChildKeys(t, root), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(ChildKeys(t, {}), (std::vector<std::string>{"Root", "Other"}));
    EXPECT_EQ(t.Parent(root), NodeId{});
    EXPECT_EQ(t.Parent(a1), a);
    EXPECT_EQ(t.FirstChild(root), a);
    EXPECT_EQ(t.LastChild(root), c);
    EXPECT_EQ(t.FirstChild(c), NodeId{});
    EXPECT_EQ(t.Next(a), b);
    EXPECT_EQ(t.Previous(a), NodeId{});
    EXPECT_EQ(t.FirstSibling(c), a);
    EXPECT_EQ(t.LastSibling(a), c);
    EXPECT_EQ(t.FirstSibling(other), root);  // top-level nodes are siblings
    EXPECT_EQ(t.Root(a1), root);
    EXPECT_EQ(t.Root(root), root);
    EXPECT_EQ(t.Row(c), 2u);
    EXPECT_EQ(t.FindKey("b"), b);
    EXPECT_EQ(t.FindKey("zz"), NodeId{});

    EXPECT_EQ(t.Text(b), "text b");
    EXPECT_EQ(t.Image(b), "closed");
    EXPECT_EQ(t.ExpandedImage(b), "open");
    EXPECT_EQ(t.ImageOf(a), t.ImageOf(b));  // interned
    EXPECT_EQ(t.BackColor(b), kWhite);
    t.SetTag(a, "SX *00000");
    t.SetTag(b, "SX *00000");
    EXPECT_EQ(t.TagIdOf(a), t.TagIdOf(b));
    t.SetTag(b, "SX *00001");
    EXPECT_EQ(t.Tag(a), "SX *00000");
    EXPECT_EQ(t.Tag(b), "SX *00001");
    t.SetBackColor(b, 0x00FF00);
    EXPECT_EQ(t.BackColor(b), 0x00FF00u);
    EXPECT_EQ(t.BackColorIndex(a), 0);

    // The handle view of the same tree.
    TreeNode nb = t.Node(b);
    EXPECT_EQ(nb.Parent().Key(), "Root");
    EXPECT_EQ(nb.Next().Key(), "c");
    EXPECT_FALSE(nb.Parent().Parent());
    EXPECT_EQ(nb.Parent().Children(), 3u);
    EXPECT_EQ(TreeNode().Children(), 0u);
    EXPECT_EQ(TreeNode().Tag(), "");

    EXPECT_THROW(AddKey(t, root, Relation::Child, "a"), TreeError);  // key taken
    EXPECT_THROW(AddKey(t, {}, Relation::Next, "x"), TreeError);
    EXPECT_EQ(t.NodeCount(), 6u);
    ExpectConsistent(t, {});
}

TEST(TreeStore, RowsStayRightThroughInsertsAndRemovals)
{
    clsTree t;
    const NodeId p = AddKey(t, {}, Relation::Child, "p");
    std::vector<NodeId> kids;
    for (int i = 0; i < 6; ++i)
        kids.push_back(AddKey(t, p, Relation::Child, "k" + std::to_string(i)));
    AddKey(t, kids[3], Relation::Previous, "before3");
    AddKey(t, kids[0], Relation::Next, "after0");
    AddKey(t, kids[5], Relation::Next, "after5");
    EXPECT_EQ(ChildKeys(t, p),
              (std::vector<std::string>{"k0", "after0", "k1", "k2", "before3", "k3", "k4", "k5", "after5"}));
    EXPECT_EQ(t.Row(kids[3]), 5u);
    ExpectConsistent(t, {});

    AddKey(t, kids[2], Relation::Child, "k2child");
    t.Remove(kids[2]);  // with its subtree
    t.RemoveChildren(p, 0, 2);
    EXPECT_EQ(ChildKeys(t, p), (std::vector<std::string>{"k1", "before3", "k3", "k4", "k5", "after5"}));
    EXPECT_EQ(t.Row(kids[5]), 4u);
    EXPECT_FALSE(t.IsValid(kids[2]));
    EXPECT_EQ(t.FindKey("k2child"), NodeId{});
    EXPECT_EQ(t.Text(kids[2]), "");
    EXPECT_THROW(t.SetText(kids[2], "x"), TreeError);
    ExpectConsistent(t, {});

    // A freed key can be used again, by a node with a new id.
    const NodeId again = AddKey(t, p, Relation::Child, "k2");
    EXPECT_NE(again, kids[2]);
    EXPECT_EQ(t.FindKey("k2"), again);

    // RemoveAll: ids handed out before never come back.
    const NodeId lastBefore = again;
    t.RemoveAll();
    EXPECT_EQ(t.NodeCount(), 0u);
    EXPECT_FALSE(t.IsValid(lastBefore));
    const NodeId fresh = AddKey(t, {}, Relation::Child, "p");
    EXPECT_GT(fresh.value, lastBefore.value);
    EXPECT_FALSE(t.IsValid(p));
}

TEST(TreeStore, NotificationsComeInPairsAroundTheChange)
{
    clsTree t;
    const NodeId root = AddKey(t, {}, Relation::Child, "R");
    const NodeId a = AddKey(t, root, Relation::Child, "a");
    Recorder rec(t);

    const NodeId b = AddKey(t, a, Relation::Next, "b");
    AddKey(t, b, Relation::Child, "b1");
    t.SetText(b, "new");
    t.SetText(b, "new");  // data changes are reported every time they are made
    t.SetExpanded(b, true);
    t.SetExpanded(b, true);  // unchanged: nothing
    t.SetImage(b, "open");
    t.SetBackColor(b, 0xFFFF00);
    t.ScrollIntoView(b);
    t.Move(b, a, Relation::Previous);  // one move, in Qt's terms: row 1 to before row 0
    t.Move(b, a, Relation::Previous);  // already there: nothing
    t.Move(b, a, Relation::Child);     // into a sibling
    t.Remove(b);  // one pair for the subtree
    EXPECT_EQ(rec.events, (std::vector<std::string>{
                              "+? R 1-1 n=1", "+ R 1-1 n=2",      // about-to sees the old count
                              "+? b 0-0 n=0", "+ b 0-0 n=1",
                              "changed b 1", "changed b 1", "changed b 8", "changed b 4", "changed b 16",
                              "scroll b", "m? R:1 R:0 n=2", "m R:1 R:0 n=2", "m? R:0 a:0 n=2", "m R:0 a:0 n=1",
                              "-? a 0-0 n=1", "- a 0-0 n=0",
                          }));
    EXPECT_THROW(t.Move(a, a, Relation::Child), TreeError);  // below itself

    rec.events.clear();
    t.BeginBulk();
    for (int i = 0; i < 3; ++i)
        AddKey(t, root, Relation::Child, "bulk" + std::to_string(i));
    t.SetText(a, "quiet");
    t.EndBulk();
    t.RemoveAll();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"reset?", "reset", "reset?", "reset"}));

    // A subtree built detached arrives with one pair, for its top node.
    rec.events.clear();
    const NodeId top = AddKey(t, {}, Relation::Child, "T");
    rec.events.clear();
    NodeInit init;
    init.sKey = "loop";
    const NodeId loop = t.AddDetached(init);
    for (int i = 0; i < 3; ++i)
        AddKey(t, loop, Relation::Child, "seg" + std::to_string(i));
    t.SetText(t.FirstChild(loop), "silent");
    EXPECT_TRUE(rec.events.empty());
    EXPECT_EQ(t.Parent(loop), NodeId{});
    t.Attach(loop, top, Relation::Child);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"+? T 0-0 n=0", "+ T 0-0 n=1"}));
    EXPECT_EQ(t.Root(t.LastChild(loop)), top);
    EXPECT_THROW(t.Attach(loop, top, Relation::Child), TreeError);  // no longer detached

    // Detach is Remove for the observers, but the subtree keeps its ids
    // and Attach puts it back, anywhere.
    const NodeId seg1 = t.Child(loop, 1);
    rec.events.clear();
    t.Detach(loop);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"-? T 0-0 n=1", "- T 0-0 n=0"}));
    EXPECT_TRUE(t.IsValid(seg1));
    EXPECT_EQ(t.Parent(seg1), loop);
    t.SetText(seg1, "quiet while out");
    EXPECT_EQ(rec.events.size(), 2u);
    t.Attach(loop, {}, Relation::Child);
    EXPECT_EQ(t.Text(seg1), "quiet while out");
    EXPECT_EQ(t.Row(loop), 1u);
    EXPECT_THROW(t.Detach(t.AddDetached({})), TreeError);
    ExpectConsistent(t, {});
}

TEST(TreeStore, SwappedContentsKeepObserversAndNeverReuseIds)
{
    clsTree live, scratch;
    const NodeId oldRoot = AddKey(live, {}, Relation::Child, "Root");
    AddKey(live, oldRoot, Relation::Child, "old");
    Recorder rec(live);
    scratch.StartIdsAfter(live);
    const NodeId newRoot = AddKey(scratch, {}, Relation::Child, "Root");
    const NodeId fresh = AddKey(scratch, newRoot, Relation::Child, "new");
    EXPECT_GT(newRoot.value, oldRoot.value);

    live.SwapContents(scratch);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"reset?", "reset"}));
    EXPECT_FALSE(live.IsValid(oldRoot));  // an old id fails, never names a new node
    EXPECT_EQ(live.FindKey("new"), fresh);
    EXPECT_EQ(live.Text(fresh), "text new");
    EXPECT_EQ(live.Image(fresh), "closed");
    EXPECT_EQ(scratch.FindKey("old").IsNull(), false);
    EXPECT_THROW(live.StartIdsAfter(scratch), TreeError);  // not empty
}


// Segment text "ID*e1*e2": elements split at '*', tags E01, E02, ...
void SplitElements(clsTree& t, NodeId seg, std::string_view s)
{
    const ImageId image = t.InternImage("dde");
    std::size_t start = s.find('*');
    for (int n = 1; start != std::string_view::npos; ++n) {
        const std::size_t end = s.find('*', start + 1);
        const std::size_t len = (end == std::string_view::npos ? s.size() : end) - start - 1;
        const std::string tag = (n < 10 ? "E0" : "E") + std::to_string(n);
        t.AddPayloadChild(seg, start + 1, len, tag, image);
        start = end;
    }
}

TEST(TreeStore, ElementChildrenAreMadeOnFirstAccess)
{
    clsTree t;
    int calls = 0;
    t.SetMaterialiser([&](clsTree& tree, NodeId seg, std::string_view payload) {
        ++calls;
        SplitElements(tree, seg, payload);
    }, '*');
    const NodeId root = AddKey(t, {}, Relation::Child, "Root");
    NodeInit init;
    init.sTag = "SN1 *00000";
    init.sPayload = "N1*BT*Acme**92";
    init.nPayloadHead = 2;
    const NodeId seg = t.Add(root, Relation::Child, init);
    Recorder rec(t);

    EXPECT_EQ(t.Text(seg), "N1");
    EXPECT_TRUE(t.ChildrenPending(seg));
    EXPECT_TRUE(t.HasChildren(seg));
    EXPECT_EQ(t.PeekChildCount(seg), 4u);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(t.NodeCount(), 2u);

    EXPECT_EQ(t.ChildCount(seg), 4u);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(rec.events.empty());  // they always existed, as far as anyone knows
    const NodeId e2 = t.Child(seg, 1);
    EXPECT_EQ(t.Text(e2), "Acme");
    EXPECT_EQ(t.Tag(e2), "E02");
    EXPECT_EQ(t.Text(t.Next(e2)), "");
    EXPECT_EQ(t.Text(t.LastChild(seg)), "92");
    EXPECT_EQ(t.Row(t.LastChild(seg)), 3u);
    EXPECT_EQ(t.Payload(seg), std::optional<std::string_view>("N1*BT*Acme**92"));
    EXPECT_EQ(gfDumpTreeText(t, seg), "0\t\tSN1 *00000\tN1\t\t\n1\t\tE01\tBT\tdde\t\n1\t\tE02\tAcme\tdde\t\n"
                                      "1\t\tE03\t\tdde\t\n1\t\tE04\t92\tdde\t\n");

    // Changing an element: the payload is no longer the truth; the text stays.
    t.SetText(e2, "Zenith");
    EXPECT_EQ(t.Payload(seg), std::nullopt);
    EXPECT_EQ(t.Text(seg), "N1");
    EXPECT_EQ(t.Text(t.Child(seg, 0)), "BT");
    EXPECT_EQ(calls, 1);

    // Any first access works: a new last child goes after the made ones; a
    // pending segment can be removed untouched.
    init.sPayload = "REF*ZZ*1";
    init.nPayloadHead = 3;
    const NodeId ref = t.Add(root, Relation::Child, init);
    NodeInit extra;
    extra.sTag = "E03";
    t.Add(ref, Relation::Child, extra);
    EXPECT_EQ(t.ChildCount(ref), 3u);
    EXPECT_EQ(t.Tag(t.LastChild(ref)), "E03");
    EXPECT_EQ(t.Payload(ref), std::nullopt);
    init.sPayload = "DTM*1";
    const NodeId dtm = t.Add(root, Relation::Child, init);
    t.Remove(dtm);
    EXPECT_EQ(calls, 2);
    // A segment of nothing but its identifier has no children, made or not.
    init.sPayload = "IEA";
    const NodeId bare = t.Add(root, Relation::Child, init);
    EXPECT_FALSE(t.HasChildren(bare));
    t.SetAllExpanded(true);
    EXPECT_FALSE(t.Expanded(bare));
    EXPECT_TRUE(t.Expanded(seg));
    EXPECT_EQ(calls, 2);  // expanding everything makes nothing
    EXPECT_THROW(t.AddPayloadChild(root, 0, 1, "E01", {}), TreeError);
    ExpectConsistent(t, {});
}

// A document as the builder makes it (loops of segments in a bulk update):
// children made one after another are runs and take no child-id entry; a
// segment whose elements are made keeps its id, text and payload; inserts
// before a run's first child and in its middle keep every row right, and
// compaction turns the stretches back into runs.
TEST(TreeStore, BulkBuiltRunsAndLeavesStayOrdinaryNodes)
{
    clsTree t;
    t.SetMaterialiser([](clsTree& tree, NodeId seg, std::string_view payload) { SplitElements(tree, seg, payload); },
                      '*');
    const NodeId root = AddKey(t, {}, Relation::Child, "Root");
    std::vector<NodeId> loops, segments;
    {
        clsTree::BulkUpdate bulk(t);
        for (int l = 0; l < 300; ++l) {
            const std::string sText = "Loop (" + std::to_string(l % 3) + ")";
            NodeInit loop;
            loop.sText = sText;
            loop.sTag = "ZLS";
            loops.push_back(t.Add(root, Relation::Child, loop));
            for (int k = 0; k < 3; ++k) {
                NodeInit seg;
                seg.sTag = "SN1";
                const std::string payload = "N" + std::to_string(k) + "*a" + std::to_string(l) + "*b";
                seg.sPayload = payload;
                seg.nPayloadHead = 2;
                segments.push_back(t.Add(loops.back(), Relation::Child, seg));
            }
        }
    }
    // Only the top's stretch of loops takes child-id entries.
    EXPECT_LT(t.NodeBytes(), (t.NodeCount() + 1) * clsTree::kBytesPerNode + 300 * sizeof(std::uint32_t) + 1024);
    ExpectConsistent(t, {});
    const std::size_t nBytes = t.NodeBytes();
    EXPECT_EQ(t.Text(loops[4]), "Loop (1)");
    EXPECT_EQ(t.Text(segments[7]), "N1");
    EXPECT_EQ(t.TagIdOf(loops[1]), t.TagIdOf(loops[2]));

    // Elements: the segment keeps its id and text, its payload stays the truth.
    const NodeId seg = segments[4];
    EXPECT_EQ(t.ChildCount(seg), 2u);
    EXPECT_EQ(t.Text(t.Child(seg, 0)), "a1");
    EXPECT_EQ(t.Parent(t.Child(seg, 1)), seg);
    EXPECT_EQ(t.Row(t.Child(seg, 1)), 1u);
    EXPECT_EQ(t.Text(seg), "N1");
    EXPECT_EQ(t.Payload(seg), std::optional<std::string_view>("N1*a1*b"));
    // Out and back in, as an undo does: same place, same texts.
    const NodeId loop = loops[1];
    t.Detach(seg);
    EXPECT_EQ(t.ChildCount(loop), 2u);
    t.Attach(seg, t.Child(loop, 1), Relation::Previous);
    EXPECT_EQ(t.Row(seg), 1u);
    EXPECT_EQ(t.Text(t.Child(seg, 1)), "b");
    // An element moved to another segment: both payloads give way.
    t.Move(t.Child(seg, 0), segments[5], Relation::Child);
    EXPECT_EQ(t.Payload(seg), std::nullopt);
    EXPECT_EQ(t.Payload(segments[5]), std::nullopt);
    EXPECT_EQ(t.ChildCount(segments[5]), 3u);
    EXPECT_EQ(t.Text(t.LastChild(segments[5])), "a1");
    EXPECT_EQ(t.Text(segments[5]), "N2");

    // Before a run's first child, in its middle, after its last.
    const NodeId first = AddKey(t, t.Child(loops[9], 0), Relation::Previous, "first");
    const NodeId middle = AddKey(t, t.Child(loops[9], 2), Relation::Previous, "middle");
    const NodeId last = AddKey(t, loops[9], Relation::Child, "last");
    EXPECT_EQ(t.Row(first), 0u);
    EXPECT_EQ(t.Row(middle), 2u);
    EXPECT_EQ(t.Row(last), 5u);
    EXPECT_EQ(t.Row(t.Child(loops[9], 4)), 4u);
    t.Remove(middle);
    t.Remove(first);
    t.Remove(last);
    ExpectConsistent(t, {});
    t.Compact();
    ExpectConsistent(t, {});
    EXPECT_LE(t.NodeBytes(), nBytes + 256);  // 7 nodes more; the stretches are runs again
}

// A bulk update over several chunks of the node arrays, with runs, gaps,
// parents tens of thousands of nodes back and kinds shared through AddLike,
// settles to the same tree as the same adds one by one.
TEST(TreeStore, BulkBuildAcrossChunksSettlesLikeSingleAdds)
{
    const auto build = [](clsTree& t) {
        std::mt19937 rng(11);
        const NodeId root = AddKey(t, {}, Relation::Child, "root");
        NodeInit seg;
        seg.sTag = "SN1";
        seg.sPayload = "N1*first";
        seg.nPayloadHead = 2;
        const NodeId kind = t.Add(root, Relation::Child, seg);
        std::vector<NodeId> path{root};
        for (int i = 0; i < 200000; ++i) {
            const auto r = rng() % 100;
            if (r < 8 && path.size() < 40) {
                path.push_back(AddKey(t, path.back(), Relation::Child, "loop " + std::to_string(i)));
            } else if (r < 16 && path.size() > 1) {
                path.pop_back();
            } else {
                // Now and then under the top or a loop far back: the loop's children get a gap.
                const NodeId parent = r < 18 ? path.front() : r < 20 ? path[path.size() / 2] : path.back();
                const std::string payload = "S" + std::to_string(i % 7) + "*" + std::to_string(i);
                t.AddLike(parent, kind, payload, 2);
            }
        }
    };
    clsTree single, bulk;
    build(single);
    {
        clsTree::BulkUpdate update(bulk);
        build(bulk);
    }
    ASSERT_GT(bulk.NodeCount(), 2u * 65536u);  // three chunks
    ExpectConsistent(bulk, {});
    std::vector<std::pair<NodeId, NodeId>> todo{{NodeId{}, NodeId{}}};
    while (!todo.empty()) {
        const auto [a, b] = todo.back();
        todo.pop_back();
        ASSERT_EQ(single.ChildCount(a), bulk.ChildCount(b)) << single.Text(a);
        for (std::uint32_t r = 0; r < single.ChildCount(a); ++r) {
            const NodeId ca = single.Child(a, r), cb = bulk.Child(b, r);
            ASSERT_EQ(single.Text(ca), bulk.Text(cb));
            ASSERT_EQ(single.Payload(ca), bulk.Payload(cb));
            if (single.ChildCount(ca) && !single.Payload(ca))
                todo.emplace_back(ca, cb);
        }
    }
}

// Tens of thousands of distinct tags and texts on branches (more classes
// than fit the id) and parents tens of thousands of nodes before their
// children: the side tables hold them, invisibly.
TEST(TreeStore, ManyKindsOfNodesAndFarParents)
{
    clsTree t;
    const NodeId root = AddKey(t, {}, Relation::Child, "Root");
    const NodeId early = AddKey(t, root, Relation::Child, "early");
    std::vector<NodeId> nodes;
    for (int i = 0; i < 70000; ++i) {
        NodeInit init;
        const std::string text = "text " + std::to_string(i), tag = "tag " + std::to_string(i);
        init.sText = text;
        init.sTag = tag;
        nodes.push_back(t.Add(root, Relation::Child, init));
    }
    const NodeId late = AddKey(t, early, Relation::Child, "late");
    EXPECT_EQ(t.Parent(late), early);
    EXPECT_EQ(t.Row(late), 0u);
    EXPECT_THROW(t.Move(early, late, Relation::Previous), TreeError);  // below itself
    t.Move(late, nodes.back(), Relation::Child);
    EXPECT_EQ(t.Parent(late), nodes.back());
    for (int i : {0, 65533, 65534, 69999}) {
        EXPECT_EQ(t.Text(nodes[std::size_t(i)]), "text " + std::to_string(i));
        EXPECT_EQ(t.Tag(nodes[std::size_t(i)]), "tag " + std::to_string(i));
    }
    // A node of the kind of another takes its tag, images and text, also
    // from a node whose class is its own, and keeps them when that one changes.
    NodeInit like;
    like.image = t.InternImage("open");
    like.kindOf = nodes[5];
    const NodeId copy5 = t.Add(root, Relation::Child, like);
    like.kindOf = nodes[69999];
    const NodeId copyOwn = t.Add(root, Relation::Child, like);
    {
        clsTree::BulkUpdate bulk(t);
        const NodeId likeOwn = t.AddLike(early, nodes[69999]), like5 = t.AddLike(early, nodes[5]);
        EXPECT_EQ(t.Tag(likeOwn), "tag 69999");
        EXPECT_EQ(t.Text(like5), "text 5");
        EXPECT_EQ(t.Parent(like5), early);
        t.Remove(likeOwn);
        t.Remove(like5);
    }
    EXPECT_EQ(t.Text(copy5), "text 5");
    EXPECT_EQ(t.Tag(copy5), "tag 5");
    EXPECT_EQ(t.Image(copy5), "");
    EXPECT_EQ(t.Tag(copyOwn), "tag 69999");
    t.SetText(nodes[5], "changed");
    EXPECT_EQ(t.Text(copy5), "text 5");
    t.Remove(copy5);
    t.Remove(copyOwn);
    t.SetText(nodes[5], "text 5");
    t.SetTag(nodes[69999], "tag 0");
    t.SetBackColor(nodes[69999], 0x123456);
    EXPECT_EQ(t.Tag(nodes[69999]), "tag 0");
    EXPECT_EQ(t.BackColor(nodes[69999]), 0x123456u);
    EXPECT_EQ(t.BackColor(nodes[0]), kWhite);
    t.RemoveChildren(root, 1, 35000);
    const NodeId again = AddKey(t, root, Relation::Child, "again");
    t.SetText(again, "text 69998");
    EXPECT_EQ(t.Text(again), "text 69998");
    EXPECT_EQ(t.Text(nodes[69998]), "text 69998");
    EXPECT_EQ(t.Tag(nodes[69998]), "tag 69998");
    EXPECT_EQ(t.ChildCount(root), 70002u - 35000u);
}

// Random edits against a plain vector-of-vectors model: runs, stretches in
// and out of order, relocations and compaction keep the same structure.
// Every other stretch runs as a bulk update (children appended there become
// runs or made-to-measure stretches at the end, which later inserts must
// grow), and a compaction in the middle turns stretches back into runs.
// Half the nodes are leaves (a payload, no materialiser): children added,
// moved or attached under them promote them, and their texts stay.
TEST(TreeStore, RandomEditsMatchASimpleModel)
{
    clsTree t;
    std::mt19937 rng(7);
    std::vector<NodeId> live;
    std::map<std::uint32_t, std::vector<std::uint32_t>> model;  // parent id -> children ids
    std::map<std::uint32_t, std::uint32_t> parentOf;
    std::map<std::uint32_t, std::string> textOf;
    auto pick = [&]() { return live[rng() % live.size()]; };
    auto make = [&](NodeId rel, Relation r) {
        const std::string text = "n" + std::to_string(rng() % 1000);
        NodeInit init;
        const std::string payload = text + "/payload";
        if (rng() % 2) {
            init.sPayload = payload;
            init.nPayloadHead = text.size();
        } else {
            init.sText = text;
        }
        // A payload child of a random node's kind takes the builder's short way
        // (or falls back to Add: no bulk update, a payload or detached parent).
        const bool bLike = r == Relation::Child && !init.sPayload.empty() && !live.empty() && rng() % 2;
        const NodeId n = bLike ? t.AddLike(rel, pick(), payload, text.size()) : t.Add(rel, r, init);
        textOf[n.value] = text;
        live.push_back(n);
        return n;
    };
    for (int step = 0; step < 60000; ++step) {
        if (step % 3000 == 0)
            (step / 3000) % 2 ? t.BeginBulk() : t.EndBulk();
        if (step == 40000)
            t.Compact();
        // Grow first, then churn: removals leave spare room behind, and the
        // store compacts its child-id array on the way.
        const auto op = live.empty() ? 0 : step < 33000 ? rng() % 10 : rng() % 12;
        if (op < 4) {  // a few children of a random node one after another (a run), or top-level nodes
            const NodeId p = live.empty() || rng() % 50 == 0 ? NodeId{} : pick();
            for (unsigned k = rng() % 4; k < 4; ++k) {
                const NodeId n = make(p, Relation::Child);
                model[p.value].push_back(n.value);
                parentOf[n.value] = p.value;
            }
        } else if (op < 8) {  // sibling before or after
            const NodeId s = pick();
            const bool before = op < 6;
            const NodeId n = make(s, before ? Relation::Previous : Relation::Next);
            auto& sib = model[parentOf[s.value]];
            auto at = std::find(sib.begin(), sib.end(), s.value);
            sib.insert(before ? at : at + 1, n.value);
            parentOf[n.value] = parentOf[s.value];
        } else if (op >= 10 || rng() % 4 == 0) {  // remove a subtree
            const NodeId victim = pick();
            auto& sib = model[parentOf[victim.value]];
            sib.erase(std::find(sib.begin(), sib.end(), victim.value));
            std::vector<std::uint32_t> stack{victim.value};
            while (!stack.empty()) {
                const std::uint32_t v = stack.back();
                stack.pop_back();
                for (std::uint32_t c : model[v])
                    stack.push_back(c);
                model.erase(v);
                parentOf.erase(v);
            }
            t.Remove(victim);
            live.erase(std::remove_if(live.begin(), live.end(), [&](NodeId n) { return !t.IsValid(n); }),
                       live.end());
        } else if (rng() % 2 == 0) {  // move a subtree, or take it out and put it back
            const NodeId n = pick(), to = pick();
            bool below = false;
            for (NodeId up = to; up && !below; up = t.Parent(up))
                below = up == n;
            if (below) {
                EXPECT_THROW(t.Move(n, to, Relation::Child), TreeError);
                continue;
            }
            auto& from = model[parentOf[n.value]];
            from.erase(std::find(from.begin(), from.end(), n.value));
            const bool asSibling = to != n && rng() % 2 == 0;
            const std::uint32_t newParent = asSibling ? parentOf[to.value] : to.value;
            auto& dest = model[newParent];
            if (asSibling)
                dest.insert(std::find(dest.begin(), dest.end(), to.value), n.value);
            else
                dest.push_back(n.value);
            parentOf[n.value] = newParent;
            if (rng() % 2) {
                t.Move(n, to, asSibling ? Relation::Previous : Relation::Child);
            } else {
                t.Detach(n);
                EXPECT_TRUE(t.IsDetached(n));
                t.Attach(n, to, asSibling ? Relation::Previous : Relation::Child);
            }
        }
    }
    t.EndBulk();
    ASSERT_GT(t.NodeCount(), 1000u);
    EXPECT_EQ(t.NodeCount(), live.size());
    auto expectModel = [&]() {
        for (const auto& [p, kids] : model) {
            if (p != 0 && !t.IsValid(NodeId{p}))
                continue;
            ASSERT_EQ(t.ChildCount(NodeId{p}), kids.size());
            for (std::uint32_t r = 0; r < kids.size(); ++r) {
                ASSERT_EQ(t.Child(NodeId{p}, r).value, kids[r]);
                ASSERT_EQ(t.Row(NodeId{kids[r]}), r);
                ASSERT_EQ(t.Parent(NodeId{kids[r]}).value, p);
            }
        }
        for (const NodeId n : live)
            ASSERT_EQ(t.Text(n), textOf[n.value]);
    };
    expectModel();
    t.Compact();
    expectModel();
    ExpectConsistent(t, {});
    EXPECT_LT(t.NodeBytes() / t.NodeCount(), 200u);  // removed nodes included
}

}  // namespace
}  // namespace orr
