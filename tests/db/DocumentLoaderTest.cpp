// The loader against real databases: an SQLite file in every run, and a
// PostgreSQL database on the server the test fixture starts (skipped with
// the reason where it could not start). Counts are checked against the
// files' own bytes, not against the program's reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "db/DatabaseSettings.h"
#include "db/DocumentLoader.h"
#include "db/ReadDocument.h"
#include "tests/db/DbTestSupport.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::DbKind;
using test::DbTest;
using test::FileFacts;
using test::Scalar;
using test::TestEnv;

class Loader : public DbTest {};

// The public samples, the files a reader of X12 meets in the wild.
std::vector<std::string> PublicSamples()
{
    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(std::string(ORRINDALE_SOURCE_DIR) + "/tests/data/public"))
        if (e.is_regular_file() && e.path().extension() != ".md" &&
            !e.path().filename().string().starts_with("LICENSE"))
            files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::string Example(const std::string& sName) { return std::string(ORRINDALE_SOURCE_DIR) + "/examples/" + sName; }

// Each segment rebuilt from its identifier and its element rows: pieces
// joined by the interchange's separators in the order of position,
// repetition, component.
std::vector<std::string> SegmentsFromElements(Database& db, std::int64_t nFile)
{
    const DbValue file[] = {nFile};
    const auto seps = db.Query(
        "SELECT element_separator, component_separator, repetition_separator "
        "FROM interchanges WHERE file_id = ? ORDER BY interchange_no",
        file);
    std::vector<std::string> segments;
    std::vector<const DbRow*> segmentSeps;
    for (const DbRow& r : db.Query("SELECT identifier, interchange_no FROM segments WHERE file_id = ? "
                                   "ORDER BY segment_no",
                                   file)) {
        segments.push_back(*r[0]);
        segmentSeps.push_back(&seps.at(std::stoul(*r[1]) - 1));
    }
    std::size_t nLastPos = 0, nLastRep = 0;
    for (const DbRow& r : db.Query("SELECT segment_no, position, repetition, value FROM elements "
                                   "WHERE file_id = ? ORDER BY segment_no, position, repetition, component",
                                   file)) {
        const std::size_t nSegment = std::stoul(*r[0]) - 1, nPos = std::stoul(*r[1]), nRep = std::stoul(*r[2]);
        const DbRow& sep = *segmentSeps.at(nSegment);
        std::string& s = segments.at(nSegment);
        if (s.find((*sep[0])[0]) == std::string::npos)
            nLastPos = 0;  // the segment's first element
        if (nPos != nLastPos)
            s += std::string(nPos - nLastPos, (*sep[0])[0]);
        else
            s += nRep != nLastRep ? (*sep[2])[0] : (*sep[1])[0];
        s += *r[3];
        nLastPos = nPos;
        nLastRep = nRep;
    }
    return segments;
}

TEST_P(Loader, PublicSamplesGiveTheFilesOwnCountsAndTexts)
{
    const auto db = Open();
    DocumentLoader loader(*db);
    std::size_t nLoaded = 0;
    for (const std::string& sFile : PublicSamples()) {
        SCOPED_TRACE(sFile);
        const FileFacts facts = test::CountFile(sFile);
        EdiDocument doc;
        std::string sError;
        const bool bRead = gfReadDocument(doc, sFile, "auto", sError);
        // A file that does not begin with its interchange is refused, not guessed at.
        EXPECT_EQ(bRead, facts.bRead) << sError;
        if (!bRead)
            continue;
        const LoadCounts c = loader.Load(doc, sFile);
        ++nLoaded;
        EXPECT_EQ(c.nSegments, facts.segments.size());
        EXPECT_EQ(c.nInterchanges, facts.nInterchanges);
        EXPECT_EQ(c.nGroups, facts.nGroups);
        EXPECT_EQ(c.nTransactions, facts.Transactions());

        const std::string sPath = fs::absolute(sFile).lexically_normal().string();
        const std::int64_t nFile = std::stoll(Scalar(*db, "SELECT id FROM files WHERE path = ?", {sPath}));
        const DbValue file[] = {nFile};
        std::vector<std::string> texts;
        for (const DbRow& r : db->Query("SELECT text FROM segments WHERE file_id = ? ORDER BY segment_no", file))
            texts.push_back(*r[0]);
        EXPECT_EQ(texts, facts.segments);
        EXPECT_EQ(SegmentsFromElements(*db, nFile), facts.segments);
        for (const auto& [sTable, nCount] : std::map<std::string, std::size_t>{{"interchanges", facts.nInterchanges},
                                                                               {"groups", facts.nGroups},
                                                                               {"transactions", facts.Transactions()}})
            EXPECT_EQ(Scalar(*db, "SELECT COUNT(*) FROM " + sTable + " WHERE file_id = ?", {nFile}),
                      std::to_string(nCount))
                << sTable;
        std::vector<std::size_t> setSegments;
        for (const DbRow& r :
             db->Query("SELECT segment_count FROM transactions WHERE file_id = ? ORDER BY transaction_no", file))
            setSegments.push_back(std::stoul(*r[0]));
        EXPECT_EQ(setSegments, facts.setSegments);
    }
    EXPECT_GE(nLoaded, 30u);
    EXPECT_EQ(Scalar(*db, "SELECT COUNT(*) FROM files"), std::to_string(nLoaded));
}

TEST_P(Loader, EnvelopesLoopPathsAndElementNames)
{
    const auto db = Open();
    DocumentLoader loader(*db);
    EdiDocument doc;
    ASSERT_TRUE(Read(doc, Example("837P_X222A1-professional-claim.edi")));
    const LoadCounts c = loader.Load(doc, Example("837P_X222A1-professional-claim.edi"));
    EXPECT_EQ(c.Rows(), 1 + 1 + 1 + 1 + 27 + c.nElements);

    const auto x = db->Query(
        "SELECT sender_qualifier, sender_id, receiver_id, date, time, control_number, version, "
        "element_separator, component_separator, repetition_separator, segment_terminator "
        "FROM interchanges");
    ASSERT_EQ(x.size(), 1u);
    EXPECT_EQ(x[0], (DbRow{"ZZ", "ORRINDALESEND", "ORRINDALERECV", "240115", "1030", "000000208", "00501", "*", ":",
                           "^", "~"}));
    EXPECT_EQ(db->Query("SELECT functional_id, sender_code, receiver_code, date, control_number, version FROM groups"),
              (std::vector<DbRow>{{"HC", "ORRSENDER", "ORRRECEIVER", "20240115", "208", "005010X222A1"}}));
    EXPECT_EQ(db->Query("SELECT set_id, control_number, doc_type, loop_count, segment_count FROM transactions"),
              (std::vector<DbRow>{{"837", "0001", "837P_X222A1", "9", "23"}}));
    // Loops as the definition names them, outermost first; envelopes have none.
    EXPECT_EQ(db->Query("SELECT identifier, loop_path FROM segments WHERE segment_no IN (2, 15, 23) "
                        "ORDER BY segment_no"),
              (std::vector<DbRow>{{"GS", ""}, {"NM1", "2000B/2010BA"}, {"SV1", "2000B/2300/2400"}}));
    // A composite is cut into its components, each with the element's name.
    EXPECT_EQ(db->Query("SELECT e.component, e.value, e.name FROM elements e JOIN segments s ON s.file_id = "
                        "e.file_id AND s.segment_no = e.segment_no WHERE s.identifier = 'SV1' AND e.position = 1 "
                        "ORDER BY e.component"),
              (std::vector<DbRow>{{"1", "HC", "Composite Medical Procedure Identifier"},
                                  {"2", "99213", "Composite Medical Procedure Identifier"}}));
    // The usual question: claims over an amount, by the element's position.
    EXPECT_EQ(
        db->Query("SELECT s.text FROM segments s JOIN elements e ON e.file_id = s.file_id AND e.segment_no = "
                  "s.segment_no WHERE s.identifier = 'CLM' AND e.position = 2 AND CAST(e.value AS NUMERIC) >= 100"),
        (std::vector<DbRow>{{"CLM*CLM-0001*100***11:B:1*Y*A*Y*Y"}}));
    // The ISA keeps its separators as elements, uncut.
    EXPECT_EQ(Scalar(*db, "SELECT value FROM elements WHERE segment_no = 1 AND position = 16"), ":");
    EXPECT_EQ(Scalar(*db, "SELECT COUNT(*) FROM elements WHERE segment_no = 1"), "16");
}

TEST_P(Loader, LoadingAgainReplacesTheFilesRowsOnly)
{
    const std::string sFirst = env.Path("orders.edi"), sSecond = Example("810-invoice.edi");
    fs::copy_file(Example("850-two-orders.edi"), sFirst);
    const auto db = Open();
    DocumentLoader loader(*db);
    auto load = [&](const std::string& sFile) {
        EdiDocument doc;
        EXPECT_TRUE(Read(doc, sFile));
        return loader.Load(doc, sFile);
    };
    auto counts = [&] {
        std::string s;
        for (const char* sTable : {"files", "interchanges", "groups", "transactions", "segments", "elements"})
            s += Scalar(*db, std::string("SELECT COUNT(*) FROM ") + sTable) + " ";
        return s;
    };
    const LoadCounts first = load(sFirst);
    load(sSecond);
    const std::string sOnce = counts();
    const std::string sHash = Scalar(*db, "SELECT content_hash FROM files WHERE path = ?", {sFirst});
    EXPECT_EQ(sHash.size(), 64u);
    EXPECT_EQ(load(sFirst).Rows(), first.Rows());
    EXPECT_EQ(counts(), sOnce);
    EXPECT_EQ(Scalar(*db, "SELECT content_hash FROM files WHERE path = ?", {sFirst}), sHash);

    // The file changed: its rows are the new content's, the other file's stay.
    std::string sText = TestEnv::ReadFile(sFirst);
    const auto nSecondSet = sText.find("ST*850*0002");
    ASSERT_NE(nSecondSet, std::string::npos);
    const auto nEnd = sText.find("SE*", nSecondSet);
    sText.erase(nSecondSet, sText.find('~', nEnd) + 1 - nSecondSet);
    sText = TestEnv::Replaced(sText, "GE*2*", "GE*1*");
    TestEnv::WriteFile(sFirst, sText);
    const LoadCounts changed = load(sFirst);
    EXPECT_EQ(changed.nTransactions, 1u);
    EXPECT_EQ(
        Scalar(*db, "SELECT COUNT(*) FROM transactions t JOIN files f ON f.id = t.file_id WHERE f.path = ?", {sFirst}),
        "1");
    EXPECT_NE(Scalar(*db, "SELECT content_hash FROM files WHERE path = ?", {sFirst}), sHash);
    EXPECT_EQ(Scalar(*db, "SELECT COUNT(*) FROM files"), "2");
    EXPECT_EQ(Scalar(*db, "SELECT COUNT(*) FROM segments"),
              std::to_string(changed.nSegments + test::CountFile(sSecond).segments.size()));
}

// The real database with a fault: the element row numbered nFailAt is refused.
class RefusingDatabase : public Database {
public:
    RefusingDatabase(Database& db, std::size_t nFailAt) : mDb(db), mnFailAt(nFailAt) {}
    Kind GetKind() const override { return mDb.GetKind(); }
    std::string Describe() const override { return mDb.Describe(); }
    void ExecScript(std::string_view s) override { mDb.ExecScript(s); }
    std::vector<DbRow> Query(std::string_view s, std::span<const DbValue> p) override { return mDb.Query(s, p); }
    std::int64_t Execute(std::string_view s, std::span<const DbValue> p) override { return mDb.Execute(s, p); }
    void Begin() override { mDb.Begin(); }
    void Commit() override { mDb.Commit(); }
    void Rollback() override { mDb.Rollback(); }
    void LockKey(std::string_view s) override { mDb.LockKey(s); }
    std::unique_ptr<RowWriter> OpenRows(std::string_view sTable, std::span<const std::string_view> columns) override
    {
        auto rows = mDb.OpenRows(sTable, columns);
        if (sTable != "elements")
            return rows;
        return std::make_unique<Refusing>(std::move(rows), mnFailAt);
    }

private:
    struct Refusing : RowWriter {
        Refusing(std::unique_ptr<RowWriter> w, std::size_t n) : rows(std::move(w)), nLeft(n) {}
        void Add(std::span<const DbValue> row) override
        {
            if (--nLeft == 0)
                throw DatabaseError("refused");
            rows->Add(row);
        }
        void Finish() override { rows->Finish(); }
        std::unique_ptr<RowWriter> rows;
        std::size_t nLeft;
    };
    Database& mDb;
    std::size_t mnFailAt;
};

TEST_P(Loader, AFailedLoadLeavesNoRowsAndKeepsTheEarlierOnes)
{
    const auto db = Open();
    const std::string sFile = Example("856-ship-notice.edi");
    EdiDocument doc;
    ASSERT_TRUE(Read(doc, sFile));
    const std::size_t nFailAt = 60;
    {
        RefusingDatabase refusing(*db, nFailAt);
        DocumentLoader loader(refusing);
        EXPECT_THROW(loader.Load(doc, sFile), DatabaseError);
    }
    for (const char* sTable : {"files", "interchanges", "groups", "transactions", "segments", "elements"})
        EXPECT_EQ(Scalar(*db, std::string("SELECT COUNT(*) FROM ") + sTable), "0") << sTable;

    DocumentLoader loader(*db);
    const LoadCounts c = loader.Load(doc, sFile);
    ASSERT_GT(c.nElements, nFailAt);
    RefusingDatabase refusing(*db, nFailAt);
    EXPECT_THROW(DocumentLoader(refusing).Load(doc, sFile), DatabaseError);
    EXPECT_EQ(Scalar(*db, "SELECT COUNT(*) FROM elements"), std::to_string(c.nElements));
    EXPECT_EQ(Scalar(*db, "SELECT COUNT(*) FROM segments"), std::to_string(c.nSegments));
    // The connection is usable after the failure.
    EXPECT_EQ(loader.Load(doc, sFile).Rows(), c.Rows());
}

TEST_P(Loader, TheLayoutIsMadeOnceAndANewerOneIsRefused)
{
    {
        const auto db = Open();
        DocumentLoader first(*db);
        DocumentLoader second(*db);
        EXPECT_EQ(Scalar(*db, "SELECT COUNT(*) FROM orrindale_schema"), "1");
        EXPECT_EQ(Scalar(*db, "SELECT version FROM orrindale_schema"), std::to_string(DocumentLoader::kSchemaVersion));
        db->Execute("UPDATE orrindale_schema SET version = version + 1");
    }
    const auto db = Open();
    try {
        DocumentLoader loader(*db);
        ADD_FAILURE() << "a newer layout was accepted";
    } catch (const DatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("newer version of Orrindale"), std::string::npos) << e.what();
    }
}

TEST_P(Loader, TextsBeyondAsciiAndControlCharactersRoundTrip)
{
    // Latin-1 letters, a tab and a backslash inside values.
    const std::string sOrder = TestEnv::ReadFile(Example("850-purchase-order.edi"));
    const std::string sFile = env.Path("latin1.edi");
    const auto nN1 = sOrder.find("N1*ST*");
    ASSERT_NE(nN1, std::string::npos);
    std::string sText = sOrder;
    sText.insert(nN1 + 6, "Caf\xE9 M\xFCller\tA\\B ");
    TestEnv::WriteFile(sFile, sText);
    const auto db = Open();
    DocumentLoader loader(*db);
    EdiDocument doc;
    ASSERT_TRUE(Read(doc, sFile));
    loader.Load(doc, sFile);
    const std::string sSegment = Scalar(*db, "SELECT text FROM segments WHERE text LIKE 'N1*ST*%'");
    EXPECT_TRUE(sSegment.starts_with("N1*ST*Caf\xE9 M\xFCller\tA\\B ")) << sSegment;
    EXPECT_EQ(Scalar(*db, "SELECT COUNT(*) FROM elements WHERE value LIKE ?", {"Caf\xE9 M\xFC%"}), "1");
}

INSTANTIATE_TEST_SUITE_P(Databases, Loader, ::testing::Values(DbKind::Sqlite, DbKind::Postgres), test::DbKindName);

}  // namespace
}  // namespace orr
