#include "db/DocumentLoader.h"

#include <openssl/evp.h>

#include <array>
#include <cctype>
#include <filesystem>
#include <memory>
#include <unordered_map>
#include <vector>

#include "app/modText.h"
#include "db/SchemaScripts.inc"
#include "doctree/EdiDocument.h"
#include "doctree/modNodeD.h"

namespace orr {
namespace {

using Columns = std::span<const std::string_view>;
constexpr std::array<std::string_view, 15> kInterchangeColumns = {"file_id",
                                                                  "interchange_no",
                                                                  "sender_qualifier",
                                                                  "sender_id",
                                                                  "receiver_qualifier",
                                                                  "receiver_id",
                                                                  "date",
                                                                  "time",
                                                                  "control_number",
                                                                  "version",
                                                                  "usage_indicator",
                                                                  "element_separator",
                                                                  "component_separator",
                                                                  "repetition_separator",
                                                                  "segment_terminator"};
constexpr std::array<std::string_view, 11> kGroupColumns = {
    "file_id", "group_no", "interchange_no", "functional_id", "sender_code", "receiver_code",
    "date",    "time",     "control_number", "agency",        "version"};
constexpr std::array<std::string_view, 9> kTransactionColumns = {"file_id",  "transaction_no", "interchange_no",
                                                                 "group_no", "set_id",         "control_number",
                                                                 "doc_type", "loop_count",     "segment_count"};
constexpr std::array<std::string_view, 8> kSegmentColumns = {
    "file_id", "segment_no", "interchange_no", "group_no", "transaction_no", "identifier", "loop_path", "text"};
constexpr std::array<std::string_view, 7> kElementColumns = {"file_id",   "segment_no", "position", "repetition",
                                                             "component", "value",      "name"};
// Deleted from, in this order, when a path is loaded again.
constexpr std::array<std::string_view, 5> kFileTables = {"elements", "segments", "transactions", "groups",
                                                         "interchanges"};

// Calls fn(n, part) for every part of s between the separators c, n from 1;
// a zero separator leaves s whole, and the last part allowed takes the rest.
template <class Fn>
void ForEachPart(std::string_view s, char c, Fn&& fn, std::size_t nMaxParts = std::string_view::npos)
{
    std::size_t n = 1;
    for (std::size_t nStart = 0;; ++n) {
        const std::size_t nEnd = c && n < nMaxParts ? s.find(c, nStart) : std::string_view::npos;
        fn(n, s.substr(nStart, nEnd == std::string_view::npos ? std::string_view::npos : nEnd - nStart));
        if (nEnd == std::string_view::npos)
            return;
        nStart = nEnd + 1;
    }
}

// NULL for a number not yet given (a segment outside any transaction set).
DbValue Number(std::size_t n) { return n ? DbValue(n) : DbValue(); }

// SHA-256 of the segment texts, each ended by a line feed: the content of
// the document whatever its terminators and line breaks.
class ContentHash {
public:
    ContentHash() : mCtx(EVP_MD_CTX_new(), &EVP_MD_CTX_free)
    {
        if (!mCtx || !EVP_DigestInit_ex(mCtx.get(), EVP_sha256(), nullptr))
            throw DatabaseError("no SHA-256 digest");
    }
    void Add(std::string_view s)
    {
        EVP_DigestUpdate(mCtx.get(), s.data(), s.size());
        EVP_DigestUpdate(mCtx.get(), "\n", 1);
    }
    std::string Hex()
    {
        std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
        unsigned int n = 0;
        EVP_DigestFinal_ex(mCtx.get(), digest.data(), &n);
        std::string s;
        for (unsigned int i = 0; i < n; ++i) {
            s += "0123456789abcdef"[digest[i] >> 4];
            s += "0123456789abcdef"[digest[i] & 15];
        }
        return s;
    }

private:
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> mCtx;
};

// One pass over the document tree in document order, writing every row
// but the file's. Envelope loops open an interchange, group or set; its row
// is written when the loop closes, with what its header segment said and
// what was counted inside.
class TreeWalk {
public:
    TreeWalk(Database& db, EdiDocument& doc, std::int64_t nFileId, const DocumentLoader::Progress& fnProgress)
        : mDoc(doc), mTree(doc.Tree()), mIndex(doc.Index()), mnFileId(nFileId), mfnProgress(fnProgress),
          mInterchanges(db.OpenRows("interchanges", Columns(kInterchangeColumns))),
          mGroups(db.OpenRows("groups", Columns(kGroupColumns))),
          mTransactions(db.OpenRows("transactions", Columns(kTransactionColumns))),
          mSegments(db.OpenRows("segments", Columns(kSegmentColumns))),
          mElements(db.OpenRows("elements", Columns(kElementColumns))), mcDelimiter(char(doc.Delimiter()))
    {
    }

    // The counts, and the content hash of what was written.
    LoadCounts Run(std::string& sHash)
    {
        Walk(mDoc.Root().Id());
        for (RowWriter* w : {mInterchanges.get(), mGroups.get(), mTransactions.get(), mSegments.get(), mElements.get()})
            w->Finish();
        sHash = mHash.Hex();
        return mCounts;
    }

private:
    // What a segment's definition names: its elements by position.
    struct SegmentKind {
        std::vector<std::string_view> names;  // [position]; empty: not known
    };
    struct Envelope {
        Envelope() = default;
        explicit Envelope(std::size_t n) : nNo(n) {}
        std::size_t nNo = 0;
        std::vector<std::string> elements;  // the header segment's (ISA, GS or ST), identifier first
        std::size_t nLoops = 0, nSegments = 0;
        // A view of the stored element: it lives as long as the envelope.
        std::string_view Element(std::size_t n) const
        {
            return n < elements.size() ? std::string_view(elements[n]) : std::string_view();
        }
    };

    void Walk(NodeId root)
    {
        struct Level {
            NodeId node;
            std::uint32_t nRow, nCount;
        };
        std::vector<Level> stack{{root, 0, mTree.ChildCount(root)}};
        while (!stack.empty()) {
            Level& level = stack.back();
            if (level.nRow == level.nCount) {
                Close(level.node);
                stack.pop_back();
                continue;
            }
            const TreeNode nd = mTree.Node(mTree.Child(level.node, level.nRow++));
            if (gfDnodeType(nd) == 'S') {
                Segment(nd);
            } else {
                Open(nd);
                stack.push_back({nd.Id(), 0, mTree.ChildCount(nd.Id())});
            }
        }
    }

    void Open(const TreeNode& nd)
    {
        switch (gfDnodeType(nd)) {
        case 'X': mInterchange = Envelope(++mCounts.nInterchanges); break;
        case 'F': mGroup = Envelope(++mCounts.nGroups); break;
        case 'T': mTransaction = Envelope(++mCounts.nTransactions); break;
        case 'Z':
            // An empty-node placeholder is no loop of the document.
            if (mTransaction.nNo && nd.Image() != "closednull" && !LoopName(nd.Id()).empty())
                ++mTransaction.nLoops;
            break;
        default: break;
        }
    }

    void Close(NodeId node)
    {
        if (!node)
            return;
        const TreeNode nd = mTree.Node(node);
        switch (gfDnodeType(nd)) {
        case 'X':
            WriteInterchange();
            mInterchange = {};
            break;
        case 'F':
            WriteGroup();
            mGroup = {};
            break;
        case 'T':
            WriteTransaction();
            mTransaction = {};
            break;
        default: break;
        }
    }

    void WriteInterchange()
    {
        const Envelope& x = mInterchange;
        const SepCode nSelimiter = mDoc.Selimiter();
        // Line ends terminate segments when no terminator was found.
        const char cTerminator = nSelimiter ? char(nSelimiter) : '\n';
        const auto separator = [](const char& c) { return c ? DbValue(std::string_view(&c, 1)) : DbValue(); };
        const DbValue row[] = {mnFileId,
                               x.nNo,
                               gfTrimSpaces(x.Element(5)),
                               gfTrimSpaces(x.Element(6)),
                               gfTrimSpaces(x.Element(7)),
                               gfTrimSpaces(x.Element(8)),
                               x.Element(9),
                               x.Element(10),
                               x.Element(13),
                               x.Element(12),
                               x.Element(15),
                               separator(mcDelimiter),
                               separator(mcComponent),
                               separator(mcRepetition),
                               separator(cTerminator)};
        mInterchanges->Add(row);
    }

    void WriteGroup()
    {
        const Envelope& g = mGroup;
        const DbValue row[] = {mnFileId,     g.nNo,        Number(mInterchange.nNo),
                               g.Element(1), g.Element(2), g.Element(3),
                               g.Element(4), g.Element(5), g.Element(6),
                               g.Element(7), g.Element(8)};
        mGroups->Add(row);
    }

    void WriteTransaction()
    {
        const Envelope& t = mTransaction;
        const DbValue row[] = {mnFileId,           t.nNo,        Number(mInterchange.nNo),
                               Number(mGroup.nNo), t.Element(1), t.Element(2),
                               mDoc.Type(),        t.nLoops,     t.nSegments};
        mTransactions->Add(row);
    }

    // From version 00501 ISA11 is the repetition separator; before, a code. 0: none.
    static char RepetitionSeparator(const Envelope& x)
    {
        const std::string_view s11 = x.Element(11);
        const bool bSeparator = x.Element(12) >= "00501" && s11.size() == 1 &&
                                !std::isalnum(static_cast<unsigned char>(s11[0])) && s11[0] != ' ';
        return bSeparator ? s11[0] : '\0';
    }

    void Segment(const TreeNode& nd)
    {
        // Placeholders of empty nodes are shown, never written; text after the
        // last terminator is kept in the document but is no segment.
        if ((nd.Image().ends_with("nullsegment") && !mTree.HasChildren(nd.Id())) || nd.Image() == kTrailingImage)
            return;
        const std::string_view sText = gfDnodeSegmentText(mTree, nd.Id(), mcDelimiter, mBuffer);
        mHash.Add(sText);
        const std::string_view sId = sText.substr(0, sText.find(mcDelimiter));
        if (sId == "ISA" || sId == "GS" || sId == "ST") {
            Envelope& e = sId == "ISA" ? mInterchange : sId == "GS" ? mGroup : mTransaction;
            e.elements.clear();
            ForEachPart(sText, mcDelimiter, [&e](std::size_t, std::string_view s) { e.elements.emplace_back(s); });
            if (sId == "ISA") {
                mcComponent = e.Element(16).empty() ? '\0' : e.Element(16)[0];
                mcRepetition = RepetitionSeparator(e);
            }
        }
        if (mTransaction.nNo)
            ++mTransaction.nSegments;
        const std::size_t nSegment = ++mCounts.nSegments;
        const std::string& sPath = LoopPath(mTree.Parent(nd.Id()));
        const DbValue row[] = {
            mnFileId, nSegment, Number(mInterchange.nNo), Number(mGroup.nNo), Number(mTransaction.nNo), sId,
            sPath,    sText};
        mSegments->Add(row);
        WriteElements(nd, nSegment, sId, sText);
        if (mfnProgress && nSegment % 4096 == 0)
            mfnProgress(nSegment, mDoc.BuildSegments());
    }

    void WriteElements(const TreeNode& nd, std::size_t nSegment, std::string_view sId, std::string_view sText)
    {
        const std::vector<std::string_view>& names = KindOf(nd).names;
        // The ISA holds the separators themselves, and binary data (the last
        // element of BIN and BDS) is taken as it stands, separators and all.
        const bool bWhole = sId == "ISA" || sId == "BIN" || sId == "BDS";
        const std::size_t nMaxParts = sId == "BIN" ? 3 : sId == "BDS" ? 4 : std::string_view::npos;
        const char cRepetition = bWhole ? '\0' : mcRepetition, cComponent = bWhole ? '\0' : mcComponent;
        ForEachPart(
            sText.substr(sId.size()), mcDelimiter,
            [&](std::size_t nPart, std::string_view sValue) {
                if (nPart == 1)
                    return;  // before the first separator: the identifier was cut off
                const std::size_t nPos = nPart - 1;
                const DbValue name = nPos < names.size() && !names[nPos].empty() ? DbValue(names[nPos]) : DbValue();
                ForEachPart(sValue, cRepetition, [&](std::size_t r, std::string_view sRepeat) {
                    ForEachPart(sRepeat, cComponent, [&](std::size_t c, std::string_view sPiece) {
                        const DbValue row[] = {mnFileId, nSegment, nPos, r, c, sPiece, name};
                        mElements->Add(row);
                        ++mCounts.nElements;
                    });
                });
            },
            nMaxParts);
    }

    // The schema entry a node is matched to (none for an unlinked one); one
    // look-up per kind of node, since nodes of a kind share their tag.
    SchemaIx EntryOf(NodeId node)
    {
        const TagId tag = mTree.TagIdOf(node);
        const auto it = mEntries.find(tag.value);
        if (it != mEntries.end())
            return it->second;
        return mEntries[tag.value] = mIndex.Of(mDoc.SchemaNodeOf(node));
    }

    const SegmentKind& KindOf(const TreeNode& nd)
    {
        const SchemaIx ix = EntryOf(nd.Id());
        SegmentKind& kind = mKinds[ix.value];
        if (ix && kind.names.empty() && mIndex[ix].IsSegment()) {
            kind.names.emplace_back();  // position 0 is the identifier
            for (SchemaIx e = mIndex[ix].first; e; e = mIndex[e].next)
                if (const std::int32_t nZ = mIndex[e].nZ; nZ > 0) {
                    kind.names.resize(std::max(kind.names.size(), std::size_t(nZ) + 1));
                    kind.names[std::size_t(nZ)] = mIndex[e].sDescription;
                }
        }
        return kind;
    }

    // A loop's name in its definition (1000A, 2300, N1); empty for envelope
    // loops and the system nodes that group loops.
    std::string_view LoopName(NodeId node)
    {
        const SchemaIx ix = EntryOf(node);
        if (!ix || mIndex[ix].cEnvelope || mIndex[ix].system != SystemKind::Ls)
            return {};
        return mIndex[ix].sLevel;
    }

    // The names of the loops around a segment, outermost first, joined by "/".
    const std::string& LoopPath(NodeId parent)
    {
        if (parent == mPathOf)
            return msPath;
        std::vector<std::string_view> names;
        for (NodeId node = parent; node && gfDnodeType(mTree.Node(node)) == 'Z'; node = mTree.Parent(node))
            if (const std::string_view sName = LoopName(node); !sName.empty())
                names.push_back(sName);
        msPath.clear();
        for (auto it = names.rbegin(); it != names.rend(); ++it)
            msPath.append(msPath.empty() ? "" : "/").append(*it);
        mPathOf = parent;
        return msPath;
    }

    EdiDocument& mDoc;
    clsTree& mTree;
    const SchemaIndex& mIndex;
    const std::int64_t mnFileId;
    const DocumentLoader::Progress& mfnProgress;
    std::unique_ptr<RowWriter> mInterchanges, mGroups, mTransactions, mSegments, mElements;
    const char mcDelimiter;
    char mcComponent = 0, mcRepetition = 0;  // of the interchange being read; 0: none
    Envelope mInterchange, mGroup, mTransaction;
    LoadCounts mCounts;
    ContentHash mHash;
    std::string mBuffer;
    std::unordered_map<std::uint32_t, SchemaIx> mEntries;   // by tag
    std::unordered_map<std::uint32_t, SegmentKind> mKinds;  // by schema entry
    NodeId mPathOf;
    std::string msPath;
};

}  // namespace

DocumentLoader::DocumentLoader(Database& db) : mDb(db) { ApplySchema(); }

void DocumentLoader::ApplySchema()
{
    mDb.Begin();
    try {
        // Two programs meeting an empty database must not both create the tables.
        mDb.LockKey("orrindale schema");
        mDb.ExecScript("CREATE TABLE IF NOT EXISTS orrindale_schema (version INTEGER NOT NULL)");
        const std::vector<DbRow> rows = mDb.Query("SELECT MAX(version) FROM orrindale_schema");
        const int nVersion = rows.empty() || !rows[0][0] ? 0 : std::stoi(*rows[0][0]);
        if (nVersion > kSchemaVersion)
            throw DatabaseError("the tables were made by a newer version of Orrindale (layout " +
                                std::to_string(nVersion) + ", this one writes " + std::to_string(kSchemaVersion) + ")");
        if (nVersion == 0) {
            mDb.ExecScript(mDb.GetKind() == Database::Kind::Sqlite ? kSchemaSqlite : kSchemaPostgres);
            const DbValue params[] = {kSchemaVersion};
            mDb.Execute("INSERT INTO orrindale_schema (version) VALUES (?)", params);
        }
        mDb.Commit();
    } catch (...) {
        mDb.Rollback();
        throw;
    }
}

LoadCounts DocumentLoader::Load(EdiDocument& doc, const std::string& sPath, const Progress& fnProgress)
{
    std::error_code ec;
    const std::string sAbsolute = std::filesystem::absolute(sPath, ec).lexically_normal().string();
    const auto nBytes = std::filesystem::file_size(sAbsolute, ec);
    mDb.Begin();
    try {
        mDb.LockKey(sAbsolute);
        const DbValue path[] = {sAbsolute};
        for (const DbRow& old : mDb.Query("SELECT id FROM files WHERE path = ?", path)) {
            const DbValue id[] = {std::int64_t(std::stoll(*old[0]))};
            for (const std::string_view sTable : kFileTables)
                mDb.Execute("DELETE FROM " + std::string(sTable) + " WHERE file_id = ?", id);
            mDb.Execute("DELETE FROM files WHERE id = ?", id);
        }
        // The hash is known once every segment is written: the row is made first and completed last.
        const DbValue file[] = {sAbsolute, ec ? std::int64_t(0) : std::int64_t(nBytes), doc.Type()};
        const std::vector<DbRow> ids = mDb.Query(
            "INSERT INTO files (path, content_hash, bytes, doc_type, loaded_at) "
            "VALUES (?, '', ?, ?, CURRENT_TIMESTAMP) RETURNING id",
            file);
        const std::int64_t nFileId = std::stoll(*ids.at(0).at(0));
        std::string sHash;
        const LoadCounts counts = TreeWalk(mDb, doc, nFileId, fnProgress).Run(sHash);
        const DbValue hash[] = {sHash, nFileId};
        mDb.Execute("UPDATE files SET content_hash = ? WHERE id = ?", hash);
        mDb.Commit();
        return counts;
    } catch (...) {
        mDb.Rollback();
        throw;
    }
}

}  // namespace orr
