#include "edi/modDocType.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <iterator>
#include <utility>

#include "app/modGlobals.h"
#include "app/modText.h"
#include "edi/clsEdiAsyncParser.h"
#include "edi/modGuessEdi.h"
#include "schema/MixedDefinition.h"
#include "schema/clsDefFiles.h"

namespace orr {
namespace {

// Element n of a segment (0 the identifier), "" when it has fewer.
std::string Element(std::string_view sSegment, SepCode nDelimiter, std::size_t n)
{
    if (nDelimiter > 255)
        return n == 0 ? std::string(sSegment) : std::string();
    for (; n > 0; --n) {
        const std::size_t p = sSegment.find(char(nDelimiter));
        if (p == std::string_view::npos)
            return {};
        sSegment.remove_prefix(p + 1);
    }
    return std::string(sSegment.substr(0, sSegment.find(char(nDelimiter))));
}

class SetCollector : public EdiParserListener {
public:
    explicit SetCollector(SepCode nDelimiter) : mnDelimiter(nDelimiter) {}

    void TriggerGs(bool bBegin, std::string_view sSegment) override
    {
        if (bBegin)
            msVersion = Element(sSegment, mnDelimiter, 8);
    }

    void TriggerSt(bool bBegin, std::string_view sSegment) override
    {
        if (!bBegin)
            return;
        ++nSets;
        TransactionSetKind kind{Element(sSegment, mnDelimiter, 1), msVersion, 1};
        for (TransactionSetKind& k : kinds)
            if (k.sSet == kind.sSet && k.sVersion == kind.sVersion) {
                ++k.nCount;
                return;
            }
        kinds.push_back(kind);
    }

    std::vector<TransactionSetKind> kinds;
    int nSets = 0;

private:
    SepCode mnDelimiter;
    std::string msVersion;
};

// The guide of a GS08 version: what follows the six-digit version ("X222A1").
std::string Guide(const std::string& sVersion) { return sVersion.size() > 6 ? gfUpper(sVersion.substr(6)) : ""; }

bool AllDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

// The release of a GS08 version ("005010" of "005010X222A1"); "" when it does not start with six digits.
std::string Release(const std::string& sVersion)
{
    const std::string s = sVersion.substr(0, 6);
    return s.size() == 6 && AllDigits(s) ? s : std::string();
}

// A guide type of set sSet: sSet, optional letters, "_" and a guide; the guide or "".
// A release suffix (824_5010) is no guide.
std::string GuideOfType(const std::string& sType, const std::string& sSet)
{
    const std::string t = gfUpper(sType);
    if (t.compare(0, sSet.size(), sSet) != 0)
        return {};
    std::size_t i = sSet.size();
    while (i < t.size() && std::isalpha(static_cast<unsigned char>(t[i])))
        ++i;
    if (i >= t.size() || t[i] != '_' || AllDigits(std::string_view(t).substr(i + 1)))
        return {};
    return t.substr(i + 1);
}

// The release a standard-set type of sSet stands for: "004010" for the plain
// set, "00" + the digits for sSet_5010; "" when sType is none of sSet's.
std::string ReleaseOfType(const std::string& sType, const std::string& sSet)
{
    const std::string t = gfUpper(sType);
    if (t == sSet)
        return kPlainSetRelease;
    if (t.size() == sSet.size() + 5 && t.compare(0, sSet.size(), sSet) == 0 && t[sSet.size()] == '_' &&
        AllDigits(std::string_view(t).substr(sSet.size() + 1)))
        return "00" + t.substr(sSet.size() + 1);
    return {};
}

// How well guide type sType fits set sSet of guide sGuide, best first: 3 the
// guide under the plain set (278_X094A1), 2 the guide (837P_X222A1), 1 a
// guide one name begins the other (X098 and X098A1); 0 not at all.
int GuideFit(const std::string& sType, const std::string& sSet, const std::string& sGuide)
{
    const std::string g = sGuide.empty() ? std::string() : GuideOfType(sType, sSet);
    if (g.empty())
        return 0;
    if (g == sGuide)
        return gfUpper(sType) == sSet + "_" + sGuide ? 3 : 2;
    return g.rfind(sGuide, 0) == 0 || sGuide.rfind(g, 0) == 0 ? 1 : 0;
}

// The standard-set type of sSet for a file of release sRelease: the latest
// release not after it, else (an older file, or none) the earliest; null when
// types has none of sSet's.
const std::string* StandardSet(const std::vector<std::string>& types, const std::string& sSet,
                               const std::string& sRelease)
{
    std::vector<std::pair<std::string, const std::string*>> sets;  // (release, type)
    for (const std::string& sType : types)
        if (std::string r = ReleaseOfType(sType, sSet); !r.empty())
            sets.emplace_back(std::move(r), &sType);
    if (sets.empty())
        return nullptr;
    std::sort(sets.begin(), sets.end());
    const auto after = std::upper_bound(sets.begin(), sets.end(), sRelease,
                                        [](const std::string& s, const auto& e) { return s < e.first; });
    return sRelease.empty() || after == sets.begin() ? sets.front().second : std::prev(after)->second;
}

}  // namespace

std::vector<TransactionSetKind> gfScanTransactionSets(const std::string& sPath, SepCode nDelimiter,
                                                      SepCode nSelimiter, int nMaxSets)
{
    std::ifstream in(sPath, std::ios::binary);
    if (!in)
        return {};
    clsEdiAsyncParser parser;
    SetCollector collector(nDelimiter);
    parser.SetListener(&collector);
    parser.SetDelimiter(nDelimiter);
    parser.SetSelimiter(nSelimiter);
    parser.bGsTrigger = parser.bStTrigger = true;
    parser.bIsaSeparators = true;
    // Small pieces while few sets are asked for: the first set is near the start.
    std::vector<char> piece(nMaxSets < INT_MAX ? 4096 : 65536);
    while (collector.nSets < nMaxSets && in.read(piece.data(), std::streamsize(piece.size())).gcount() > 0)
        parser.ParseData(std::string_view(piece.data(), std::size_t(in.gcount())));
    if (collector.nSets < nMaxSets)
        parser.EndData();
    return collector.kinds;
}

std::string gfAutoDocType(const TransactionSetKind& kind, const std::vector<std::string>& types,
                          const std::string& sFreeForm)
{
    const std::string sSet = gfUpper(kind.sSet), sGuide = Guide(kind.sVersion);
    if (sSet.empty())
        return sFreeForm;
    const std::string* best = nullptr;
    int nBest = 0;
    for (const std::string& sType : types) {
        const int nScore = GuideFit(sType, sSet, sGuide);
        if (nScore > nBest || (nScore == nBest && nScore > 0 && sType < *best)) {
            best = &sType;
            nBest = nScore;
        }
    }
    if (!best)
        best = StandardSet(types, sSet, Release(kind.sVersion));
    return best ? *best : sFreeForm;
}

std::string gfAutoDocType(const std::vector<TransactionSetKind>& kinds, const std::vector<std::string>& types,
                          const std::string& sFreeForm)
{
    if (kinds.empty())
        return sFreeForm;
    const std::string sType = gfAutoDocType(kinds.front(), types, sFreeForm);
    // A file's sets are mostly of one kind: a kind like the one before it
    // has its type already.
    const TransactionSetKind* previous = &kinds.front();
    for (const TransactionSetKind& k : kinds) {
        if (k.sSet == previous->sSet && k.sVersion == previous->sVersion)
            continue;
        if (gfAutoDocType(k, types, sFreeForm) != sType)
            return sFreeForm;
        previous = &k;
    }
    return sType;
}

std::string gfGuessDocType(const std::string& sPath, const std::vector<std::string>& types,
                           const std::string& sFreeForm)
{
    std::ifstream in(sPath, std::ios::binary);
    std::string sHead(kGuessLength, '\0');
    sHead.resize(std::size_t(in.read(sHead.data(), std::streamsize(sHead.size())).gcount()));
    static const clsConfig builtIn("", "");
    const GuessResult guess = gfGuessText(sHead, sPath, gConfig ? *gConfig : builtIn);
    if (!guess.bFound)
        return sFreeForm;
    return gfDocTypeFor(sPath, guess.nDelimiter, guess.nSelimiter, types, sFreeForm);
}

std::string gfDocTypeFor(const std::string& sPath, SepCode nDelimiter, SepCode nSelimiter,
                         const std::vector<std::string>& types, const std::string& sFreeForm)
{
    return gfDocTypeOf(gfScanGroups(sPath, nDelimiter, nSelimiter),
                       gfScanTransactionSets(sPath, nDelimiter, nSelimiter), types, sFreeForm);
}

std::string gfDocTypeOf(const std::vector<GroupKind>& groups, const std::vector<TransactionSetKind>& kinds,
                        const std::vector<std::string>& types, const std::string& sFreeForm)
{
    // Groups of different types are read each against its own definition,
    // when an element of GS tells them apart.
    const std::vector<std::string> groupTypes = gfGroupTypes(groups, types, sFreeForm);
    const std::vector<std::string> distinct = gfDistinctGroupTypes(groups, groupTypes);
    if (distinct.size() > 1)
        return gfGroupKeyElement(groups, groupTypes) ? gfMixedTypeName(distinct) : sFreeForm;
    return gfAutoDocType(kinds, types, sFreeForm);
}

namespace {

class GroupCollector : public EdiParserListener {
public:
    explicit GroupCollector(SepCode nDelimiter) : mnDelimiter(nDelimiter) {}

    void TriggerGs(bool bBegin, std::string_view sSegment) override
    {
        if (bBegin)
            groups.push_back({Element(sSegment, mnDelimiter, 1), Element(sSegment, mnDelimiter, 8), {}});
        mbOpen = bBegin;
    }

    void TriggerSt(bool bBegin, std::string_view sSegment) override
    {
        if (!bBegin)
            return;
        if (!mbOpen && (groups.empty() || !groups.back().sGs01.empty()))
            groups.push_back({});  // sets without a group
        groups.back().sets.push_back(Element(sSegment, mnDelimiter, 1));
    }

    std::vector<GroupKind> groups;

private:
    SepCode mnDelimiter;
    bool mbOpen = false;
};

}  // namespace

std::vector<GroupKind> gfScanGroups(const std::string& sPath, SepCode nDelimiter, SepCode nSelimiter)
{
    std::ifstream in(sPath, std::ios::binary);
    if (!in)
        return {};
    GroupCollector collector(nDelimiter);
    clsEdiAsyncParser parser(&collector);
    parser.SetDelimiter(nDelimiter);
    parser.SetSelimiter(nSelimiter);
    parser.bGsTrigger = parser.bStTrigger = true;
    parser.bIsaSeparators = parser.bReportTrailing = true;
    char piece[65536];
    while (in.read(piece, sizeof piece).gcount() > 0)
        parser.ParseData(std::string_view(piece, std::size_t(in.gcount())));
    parser.EndData();
    return collector.groups;
}

std::vector<std::string> gfGroupTypes(const std::vector<GroupKind>& groups, const std::vector<std::string>& types,
                                      const std::string& sFreeForm)
{
    std::vector<std::string> out;
    for (const GroupKind& g : groups) {
        std::vector<TransactionSetKind> kinds;
        for (const std::string& sSet : g.sets)
            kinds.push_back({sSet, g.sGs08, 1});
        out.push_back(gfAutoDocType(kinds, types, sFreeForm));
    }
    return out;
}

int gfGroupKeyElement(const std::vector<GroupKind>& groups, const std::vector<std::string>& groupTypes)
{
    const auto tellsApart = [&](std::string GroupKind::*value) {
        std::map<std::string, std::string> typeOf;
        for (std::size_t i = 0; i < groups.size(); ++i) {
            if (groups[i].sets.empty())
                continue;
            const auto [it, bNew] = typeOf.emplace(groups[i].*value, groupTypes[i]);
            if (!bNew && it->second != groupTypes[i])
                return false;
        }
        return true;
    };
    return tellsApart(&GroupKind::sGs08) ? 8 : tellsApart(&GroupKind::sGs01) ? 1 : 0;
}

std::vector<std::string> gfDistinctGroupTypes(const std::vector<GroupKind>& groups,
                                              const std::vector<std::string>& groupTypes)
{
    std::vector<std::string> distinct;
    for (std::size_t i = 0; i < groups.size(); ++i)
        if (!groups[i].sets.empty() &&
            std::find(distinct.begin(), distinct.end(), groupTypes[i]) == distinct.end())
            distinct.push_back(groupTypes[i]);
    return distinct;
}

const std::vector<std::string>& gfLoadedDocTypes()
{
    static const std::vector<std::string> kNone;
    return gDefFiles ? gDefFiles->DocTypes() : kNone;
}

std::string gfTypeThatFits(const std::string& sPath, std::optional<SeparatorPair> separators)
{
    const std::string& sFreeForm = gConfig->FreeFormDocType;
    if (!separators)
        return gfGuessDocType(sPath, gfLoadedDocTypes(), sFreeForm);
    return gfDocTypeFor(sPath, separators->nDelimiter, separators->nSelimiter, gfLoadedDocTypes(), sFreeForm);
}

std::vector<std::string> gfDocTypes(const std::vector<std::string>& entries)
{
    std::vector<std::string> types;
    for (const std::string& sEntry : entries)
        types.push_back(gfDocTypeOfEntry(sEntry.substr(0, sEntry.find('*'))));
    return types;
}

}  // namespace orr
