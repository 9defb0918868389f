#pragma once
// Which document definition fits a file: the transaction set codes (ST01)
// and versions (GS08) it holds, and the type chosen from them.
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "app/clsConfig.h"
#include "edi/modGuessEdi.h"
#include "schema/clsDefFiles.h"  // gfDocTypeOfEntry

namespace orr {

// One kind of transaction set found in a file: ST01, the GS08 of its group
// ("" before any GS), and how many sets of that kind there are.
struct TransactionSetKind {
    std::string sSet;
    std::string sVersion;
    int nCount = 0;
    bool operator==(const TransactionSetKind&) const = default;
};

// The kinds of transaction sets in sPath, in the order they first occur
// (reading stops after nMaxSets sets). A file that cannot be read gives
// none; nothing is shown.
std::vector<TransactionSetKind> gfScanTransactionSets(const std::string& sPath, SepCode nDelimiter,
                                                      SepCode nSelimiter, int nMaxSets = INT_MAX);

// The release of the plain standard-set types ("824"); a type "824_5010"
// stands for release 005010.
inline constexpr const char* kPlainSetRelease = "004010";

// The type of types (document type names, any case) that fits a transaction
// set: with an implementation guide in GS08 ("005010X222A1"), the guide's
// definition (ST01, optional letters, "_" and the guide: 837P_X222A1,
// preferring ST01 + "_" + guide, and a guide that begins the other: X098 for
// X098A1); otherwise, or when no guide definition is there, the standard set
// ST01 of the group's release: of ST01 (004010) and ST01_5010 (005010) the
// latest not after the release in GS08, the earliest for older files and
// files without GS; sFreeForm when none of these is in types.
std::string gfAutoDocType(const TransactionSetKind& kind, const std::vector<std::string>& types,
                          const std::string& sFreeForm);

// The type for a file's kinds of transaction sets: gfAutoDocType of each
// when they all give the same, else (none, or sets of several types)
// sFreeForm.
std::string gfAutoDocType(const std::vector<TransactionSetKind>& kinds, const std::vector<std::string>& types,
                          const std::string& sFreeForm);

// The type that fits sPath read with these separators: gfAutoDocType of its
// transaction sets, or for groups of different types told apart by an
// element of GS, a composed type of theirs ("850+810"); sFreeForm when no
// definition fits. Shows nothing.
std::string gfDocTypeFor(const std::string& sPath, SepCode nDelimiter, SepCode nSelimiter,
                         const std::vector<std::string>& types, const std::string& sFreeForm);

// The type that fits sPath, with the separators detected from its start;
// sFreeForm when they cannot be detected. Shows nothing.
std::string gfGuessDocType(const std::string& sPath, const std::vector<std::string>& types,
                           const std::string& sFreeForm);

// The type of the loaded definitions (gDefFiles) that fits sPath: gfDocTypeFor
// with the separators given, or with those detected from its start; the
// free-form type when none fits. Every chooser of a file's type asks this.
std::string gfTypeThatFits(const std::string& sPath, std::optional<SeparatorPair> separators = std::nullopt);

// The type names of the loaded definitions.
const std::vector<std::string>& gfLoadedDocTypes();

// One functional group of a file: GS01, GS08 and the transaction set codes
// (ST01) of its sets, in order. Sets before any GS form a group of their own
// with empty GS01 and GS08.
struct GroupKind {
    std::string sGs01, sGs08;
    std::vector<std::string> sets;
    bool operator==(const GroupKind&) const = default;
};

// The groups of sPath in file order; none when it cannot be read.
std::vector<GroupKind> gfScanGroups(const std::string& sPath, SepCode nDelimiter, SepCode nSelimiter);

// The type that fits each group (gfAutoDocType of its sets when they agree,
// else sFreeForm), in the order of the groups.
std::vector<std::string> gfGroupTypes(const std::vector<GroupKind>& groups, const std::vector<std::string>& types,
                                      const std::string& sFreeForm);

// The GS element that tells the groups' types apart: 8 (GS08) when each of
// its values belongs to one type, else 1 (GS01) likewise, else 0. Groups
// without sets are left out.
int gfGroupKeyElement(const std::vector<GroupKind>& groups, const std::vector<std::string>& groupTypes);

// The distinct types of the groups that hold sets, in order of first use.
std::vector<std::string> gfDistinctGroupTypes(const std::vector<GroupKind>& groups,
                                              const std::vector<std::string>& groupTypes);

// gfDocTypeFor of a file whose groups and kinds of transaction sets are
// known (gfScanGroups, gfScanTransactionSets, or a build that read them).
std::string gfDocTypeOf(const std::vector<GroupKind>& groups, const std::vector<TransactionSetKind>& kinds,
                        const std::vector<std::string>& types, const std::string& sFreeForm);

// The type names of GetEdiDefFiles entries ("doc850.def*Purchase Order*DD").
std::vector<std::string> gfDocTypes(const std::vector<std::string>& entries);

}  // namespace orr
