#include "edi/clsEdiDoc.h"

#include <algorithm>
#include <cstdio>

#include "app/modGlobals.h"
#include "app/modText.h"

namespace orr {
namespace {

std::string Format(const char* sFormat, const std::tm& t)
{
    char buf[16];
    std::strftime(buf, sizeof buf, sFormat, &t);
    return buf;
}

std::string LastChars(const std::string& s, std::size_t n) { return s.size() > n ? s.substr(s.size() - n) : s; }

}  // namespace

clsEdiDoc::clsEdiDoc(LocalClock clock)
    : mClock(std::move(clock)), mDelimiter(gConfig ? gConfig->Delimiter : SepCode('*'))
{
}

std::tm clsEdiDoc::Now() const
{
    if (mClock)
        return mClock();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

std::string clsEdiDoc::Join(std::initializer_list<std::string> elements) const
{
    std::string s;
    bool bFirst = true;
    for (const std::string& e : elements) {
        if (!bFirst)
            s += char(mDelimiter);
        s += e;
        bFirst = false;
    }
    return s;
}

std::string clsEdiDoc::NineDigits(std::int64_t nNumber) { return LastChars("000000000" + std::to_string(nNumber), 9); }

std::string clsEdiDoc::FunctionalId(const std::string& sGsType)
{
    const std::string s = gfUpper(sGsType);
    if (s == "INV") return "IN";
    if (s == "PO") return "PO";
    if (s == "ASN") return "AS";
    if (s == "FA") return "FA";
    return {};
}

std::string clsEdiDoc::ISA() const
{
    const clsConfig& c = *gConfig;
    const std::tm now = Now();
    const std::string& sStandards = sIsaStandards.empty() ? c.IsaIcId : sIsaStandards;
    const std::string& sVersion = sIsaVersion.empty() ? c.IsaIcVersion : sIsaVersion;
    return Join({"ISA", "00", "", "00", "", c.HerAddrQualifier, c.HerAddr, c.MyAddrQualifier, c.MyAddr,
                 Format("%y%m%d", now), Format("%H%M", now), sStandards, LastChars("00000" + sVersion, 5),
                 NineDigits(IsaControlNumber), c.IsaAckRequired ? "1" : "0", c.IsaTest ? "T" : "P", ":"});
}

std::string clsEdiDoc::GS(const std::string& sGsType) const
{
    const clsConfig& c = *gConfig;
    const std::tm now = Now();
    return Join({"GS", FunctionalId(sGsType), c.MyAddr, c.HerAddr, Format("%Y%m%d", now), Format("%H%M", now),
                 std::to_string(mGroupControl), c.GsAgencyCode, sGsVersion.empty() ? c.GsReleaseID : sGsVersion});
}

std::string clsEdiDoc::ST(const std::string& sStType, const std::string& sConvention) const
{
    const std::string s = Join({"ST", sStType, std::to_string(mTransactionControl)});
    return sConvention.empty() ? s : s + char(mDelimiter) + sConvention;
}

std::string clsEdiDoc::SE()
{
    const std::string s = Join({"SE", std::to_string(mSegCount + 1), std::to_string(mTransactionControl)});
    ++mTransactionControl;
    ++mTransactionCount;
    mSegCount = 0;
    return s;
}

std::string clsEdiDoc::GE()
{
    const std::string s = Join({"GE", std::to_string(mTransactionCount), std::to_string(mGroupControl)});
    ++mGroupControl;
    ++mGroupCount;
    mTransactionCount = 0;
    return s;
}

std::string clsEdiDoc::IEA() const { return Join({"IEA", std::to_string(mGroupCount), NineDigits(IsaControlNumber)}); }

}  // namespace orr
