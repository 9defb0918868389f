#include "edi/modDocType.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>

#include "app/modGlobals.h"
#include "edi/clsEdiAsyncParser.h"
#include "edi/modGuessEdi.h"
#include "schema/MixedDefinition.h"

namespace orr {
namespace {

std::string Upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}

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
        TransactionSetKind kind{Element(sSegment, mnDelimiter, 1), msVersion, 1};
        for (TransactionSetKind& k : kinds)
            if (k.sSet == kind.sSet && k.sVersion == kind.sVersion) {
                ++k.nCount;
                return;
            }
        kinds.push_back(kind);
    }

    std::vector<TransactionSetKind> kinds;

private:
    SepCode mnDelimiter;
    std::string msVersion;
};

// The guide of a GS08 version: what follows the six-digit version ("X222A1").
std::string Guide(const std::string& sVersion) { return sVersion.size() > 6 ? Upper(sVersion.substr(6)) : ""; }

// A guide type of set sSet: sSet, optional letters, "_" and a guide; the guide or "".
std::string GuideOfType(const std::string& sType, const std::string& sSet)
{
    const std::string t = Upper(sType);
    if (t.compare(0, sSet.size(), sSet) != 0)
        return {};
    std::size_t i = sSet.size();
    while (i < t.size() && std::isalpha(static_cast<unsigned char>(t[i])))
        ++i;
    return i < t.size() && t[i] == '_' ? t.substr(i + 1) : std::string();
}

// How well type sType fits set sSet of guide sGuide, best first: 4 the guide
// under the plain set (278_X094A1), 3 the guide (837P_X222A1), 2 a guide one
// name begins the other (X098 and X098A1), 1 the standard set; 0 not at all.
int Fit(const std::string& sType, const std::string& sSet, const std::string& sGuide)
{
    const std::string g = sGuide.empty() ? std::string() : GuideOfType(sType, sSet);
    if (!g.empty() && g == sGuide)
        return Upper(sType) == sSet + "_" + sGuide ? 4 : 3;
    if (!g.empty() && (g.rfind(sGuide, 0) == 0 || sGuide.rfind(g, 0) == 0))
        return 2;
    return Upper(sType) == sSet ? 1 : 0;
}

}  // namespace

std::vector<TransactionSetKind> gfScanTransactionSets(const std::string& sPath, SepCode nDelimiter,
                                                      SepCode nSelimiter)
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
    char piece[65536];
    while (in.read(piece, sizeof piece).gcount() > 0)
        parser.ParseData(std::string_view(piece, std::size_t(in.gcount())));
    parser.EndData();
    return collector.kinds;
}

std::string gfAutoDocType(const TransactionSetKind& kind, const std::vector<std::string>& types,
                          const std::string& sFreeForm)
{
    const std::string sSet = Upper(kind.sSet), sGuide = Guide(kind.sVersion);
    const std::string* best = nullptr;
    int nBest = 0;
    for (const std::string& sType : types) {
        const int nScore = sSet.empty() ? 0 : Fit(sType, sSet, sGuide);
        if (nScore > nBest || (nScore == nBest && nScore > 0 && sType < *best)) {
            best = &sType;
            nBest = nScore;
        }
    }
    return best ? *best : sFreeForm;
}

std::string gfAutoDocType(const std::vector<TransactionSetKind>& kinds, const std::vector<std::string>& types,
                          const std::string& sFreeForm)
{
    if (kinds.empty())
        return sFreeForm;
    const std::string sType = gfAutoDocType(kinds.front(), types, sFreeForm);
    for (const TransactionSetKind& k : kinds)
        if (gfAutoDocType(k, types, sFreeForm) != sType)
            return sFreeForm;
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
    // Groups of different types are read each against its own definition,
    // when an element of GS tells them apart.
    const std::vector<GroupKind> groups = gfScanGroups(sPath, nDelimiter, nSelimiter);
    const std::vector<std::string> groupTypes = gfGroupTypes(groups, types, sFreeForm);
    const std::vector<std::string> distinct = gfDistinctGroupTypes(groups, groupTypes);
    if (distinct.size() > 1)
        return gfGroupKeyElement(groups, groupTypes) ? gfMixedTypeName(distinct) : sFreeForm;
    return gfAutoDocType(gfScanTransactionSets(sPath, nDelimiter, nSelimiter), types, sFreeForm);
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

std::string gfDocTypeOfEntry(const std::string& sEntryName)
{
    return sEntryName.size() > 7 ? sEntryName.substr(3, sEntryName.size() - 7) : std::string();
}

std::vector<std::string> gfDocTypes(const std::vector<std::string>& entries)
{
    std::vector<std::string> types;
    for (const std::string& sEntry : entries)
        types.push_back(gfDocTypeOfEntry(sEntry.substr(0, sEntry.find('*'))));
    return types;
}

}  // namespace orr
