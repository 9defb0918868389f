// Choosing a document definition from a file's transaction sets.
#include <gtest/gtest.h>

#include "edi/modDocType.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

using test::TestEnv;

const std::vector<std::string> kTypes = {"270",         "278",         "278R_X094A1", "278_X094A1",  "810",
                                         "837",         "837D_X097A1", "837I_X096A1", "837P_X098A1", "837P_X222A1",
                                         "999_X231A1",  "FreeForm",    "824",         "824_5010",    "997",
                                         "997_5010",    "278_5010",    "832_5010"};

TEST(DocType, GuideFromGs08ThenStandardSetThenFreeForm)
{
    const struct {
        TransactionSetKind kind;
        const char* sType;
    } cases[] = {
        {{"837", "004010X098A1"}, "837P_X098A1"},   // the guide names the claim kind
        {{"837", "005010X222A1"}, "837P_X222A1"},
        {{"837", "004010X098"}, "837P_X098A1"},     // before its addenda
        {{"837", "004010X096A1"}, "837I_X096A1"},
        {{"278", "004010X094A1"}, "278_X094A1"},    // the plain set's guide before 278R
        {{"999", "005010X231A1"}, "999_X231A1"},
        {{"837", "004010"}, "837"},                 // no guide: the standard set
        {{"837", "005010X999"}, "837"},             // a guide without definition, no 005010 set
        {{"824", "005010X186A1"}, "824_5010"},      // the standard set of the group's release
        {{"824", "004010"}, "824"},
        {{"824", "004030"}, "824"},                 // the latest release not after the file's
        {{"824", "003010"}, "824"},                 // older files: the earliest release there is
        {{"824", "006020"}, "824_5010"},            // later files: the latest there is
        {{"824", "X12"}, "824"},                    // no release in GS08
        {{"997", "005010X230"}, "997_5010"},
        {{"278", "005010X217"}, "278_5010"},        // no guide definition, but the 005010 set
        {{"278", "004010X094A1"}, "278_X094A1"},    // a guide before any standard set
        {{"832", "004010"}, "832_5010"},            // only the 005010 set: it fits best
        {{"810", "004010VICS"}, "810"},
        {{"270", ""}, "270"},                       // ST without GS
        {{"940", "004010"}, "FreeForm"},            // no definition at all
        {{"", ""}, "FreeForm"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(gfAutoDocType(c.kind, kTypes, "FreeForm"), c.sType) << c.kind.sSet << " " << c.kind.sVersion;
    EXPECT_EQ(gfAutoDocType(TransactionSetKind{"837", "004010x098a1"}, {"837p_x098a1"}, "FreeForm"), "837p_x098a1");
}

TEST(DocType, ScanListsTheKindsOfTransactionSetsInOrder)
{
    TestEnv env;
    const std::string sFile = env.Path("sets.edi");
    TestEnv::WriteFile(sFile, "ISA|00|          |00|          |ZZ|S              |ZZ|R              |240115|1030|U|"
                              "00401|000000001|0|T|>\nGS|HC|S|R|20240115|1030|1|X|004010X098A1\nST|837|1\nSE|2|1\n"
                              "ST|837|2\nSE|2|2\nGE|2|1\nGS|FA|S|R|20240115|1030|2|X|004010\nST|997|1\nSE|2|1\n"
                              "ST|837|2\nSE|2|2\nGE|2|2\nIEA|2|000000001\n");
    const std::vector<TransactionSetKind> all = {
        {"837", "004010X098A1", 2}, {"997", "004010", 1}, {"837", "004010", 1}};
    EXPECT_EQ(gfScanTransactionSets(sFile, '|', 0), all);
    const TransactionSetKind first = all.front();
    EXPECT_TRUE(gfScanTransactionSets(env.Path("missing.edi"), '|', 0).empty());
    // The fixed-width ISA names its own separators; a file without one read
    // with the wrong separator shows no set.
    EXPECT_EQ(gfScanTransactionSets(sFile, '*', 0), all);
    const std::string sGroup = env.Path("group.edi");
    TestEnv::WriteFile(sGroup, "GS|FA|S|R|20240115|1030|2|X|004010\nST|997|1\nSE|2|1\nGE|1|2\n");
    EXPECT_EQ(gfScanTransactionSets(sGroup, '|', 0).size(), 1u);
    EXPECT_TRUE(gfScanTransactionSets(sGroup, '*', 0).empty()) << "wrong separator: no ST";

    // The file's sets call for 837P_X098A1, 997 (no such type here: FreeForm) and 837; the
    // second group mixes 997 and 837, so it is read free-form beside the guide's group.
    EXPECT_EQ(gfGuessDocType(sFile, kTypes, "FreeForm"), "837P_X098A1+FreeForm");
    EXPECT_EQ(gfAutoDocType(first, kTypes, "FreeForm"), "837P_X098A1");
    EXPECT_EQ(gfAutoDocType({{"837", "004010X098A1", 1}, {"837", "004010X098", 2}}, kTypes, "FreeForm"),
              "837P_X098A1");
    EXPECT_EQ(gfAutoDocType(std::vector<TransactionSetKind>{}, kTypes, "FreeForm"), "FreeForm");
    TestEnv::WriteFile(sFile, "no EDI here at all");
    EXPECT_EQ(gfGuessDocType(sFile, kTypes, "FreeForm"), "FreeForm");
    EXPECT_EQ(gfDocTypeOfEntry("DOC837P_X098A1.DEF"), "837P_X098A1");
    EXPECT_EQ(gfDocTypes({"doc850.def*Purchase Order*DD", "docFreeForm.def"}),
              (std::vector<std::string>{"850", "FreeForm"}));
}

}  // namespace
}  // namespace orr
