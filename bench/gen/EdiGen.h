#pragma once
// Generator of large valid X12 documents for the shipped definitions, for
// the benchmarks (bench/run) and the generator smoke test: 850 purchase
// orders (004010) with N1 and PO1 loops, and 837P professional claims
// (005010X222A1) in two shapes: "837P" with billing provider, subscriber and
// patient HL levels, a few claims each with service lines; "837P-claims"
// with few subscribers of many claims each, every claim and line with long
// runs of NM1 loops (referring, rendering, facility, supervising providers)
// and REF segments. The output is a pure function of type, size and
// seed (its own random generator, no library randomness), valid against
// data/definitions/doc850.def and doc837P_X222A1.def, with correct segment counts
// and control numbers.
//
// Header-only, so that a test can build it without the benchmark targets.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace orr::bench {

struct GenOptions {
    std::string sType = "850";       // "850", "837P" or "837P-claims"
    std::uint64_t nBytes = 1 << 20;  // stop after the transaction set that reaches this size
    std::uint64_t nSeed = 1;
    bool bLineBreaks = false;        // "~" then "\n" after every segment
    int nSetsPerInterchange = 500;   // a new ISA/GS after this many transaction sets
};

struct GenStats {
    std::uint64_t nBytes = 0;
    std::uint64_t nSegments = 0;
    std::uint64_t nSets = 0;
    std::uint64_t nInterchanges = 0;
};

class EdiGen {
public:
    // Output arrives in blocks of about 1 MiB and a last smaller one.
    using Sink = std::function<void(std::string_view)>;

    static bool KnownType(std::string_view sType)
    {
        return sType == "850" || sType == "837P" || sType == "837P-claims";
    }
    // The document definition a generated type follows.
    static std::string DefinitionType(std::string_view sType)
    {
        return sType.starts_with("837P") ? "837P_X222A1" : std::string(sType);
    }

    // Writes a whole document to sink; false for an unknown type.
    static bool Generate(const GenOptions& o, const Sink& sink, GenStats* pStats = nullptr)
    {
        if (!KnownType(o.sType))
            return false;
        EdiGen g(o, sink);
        g.Run();
        if (pStats)
            *pStats = g.mStats;
        return true;
    }

    // The whole document as one text (small sizes: tests).
    static std::string Text(const GenOptions& o)
    {
        std::string s;
        Generate(o, [&](std::string_view b) { s += b; });
        return s;
    }

private:
    EdiGen(const GenOptions& o, const Sink& sink) : mO(o), mSink(sink), mnRand(o.nSeed * 0x9E3779B97F4A7C15ull + 1)
    {
        mOut.reserve(kBlock + 4096);
        mb837 = o.sType.starts_with("837P");
        mbManyClaims = o.sType == "837P-claims";
    }

    static constexpr std::size_t kBlock = 1 << 20;

    // ---- randomness: splitmix64, the same everywhere ---------------------------
    std::uint64_t Next()
    {
        std::uint64_t z = (mnRand += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    unsigned Below(unsigned n) { return unsigned(Next() % n); }
    // lo .. hi
    unsigned Between(unsigned lo, unsigned hi) { return lo + Below(hi - lo + 1); }
    bool Chance(unsigned nPercent) { return Below(100) < nPercent; }
    template <std::size_t N>
    const char* Pick(const char* const (&list)[N])
    {
        return list[Below(unsigned(N))];
    }
    std::string Digits(int n)
    {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += char('0' + Below(10));
        return s;
    }
    static std::string Pad(std::uint64_t n, int nWidth)
    {
        std::string s = std::to_string(n);
        return s.size() < std::size_t(nWidth) ? std::string(std::size_t(nWidth) - s.size(), '0') + s : s;
    }
    std::string Money(unsigned nMinCents, unsigned nMaxCents)
    {
        const unsigned c = Between(nMinCents, nMaxCents);
        std::string s = std::to_string(c / 100);
        if (c % 100)
            s += "." + Pad(c % 100, 2);
        return s;
    }
    std::string Date8(unsigned nYear)
    {
        return std::to_string(nYear) + Pad(Between(1, 12), 2) + Pad(Between(1, 28), 2);
    }

    // ---- output ------------------------------------------------------------------
    // One segment: fields joined by "*", then the terminator.
    void Seg(std::string_view s)
    {
        mOut += s;
        mOut += '~';
        if (mO.bLineBreaks)
            mOut += '\n';
        ++mnSetSegments;
        ++mStats.nSegments;
        if (mOut.size() >= kBlock)
            Flush();
    }
    void Flush()
    {
        if (mOut.empty())
            return;
        mStats.nBytes += mOut.size();
        mSink(mOut);
        mOut.clear();
    }
    std::uint64_t Written() const { return mStats.nBytes + mOut.size(); }

    // ---- document ------------------------------------------------------------------
    void Run()
    {
        while (Written() < mO.nBytes || mStats.nSets == 0) {
            const std::uint64_t nIc = ++mStats.nInterchanges;
            const std::string sIc = Pad(nIc, 9);
            const std::string sDate6 = "24" + Pad(1 + nIc % 12, 2) + Pad(1 + nIc % 28, 2);
            Seg(std::string("ISA*00*          *00*          *ZZ*ORRINDALESEND  *ZZ*ORRINDALERECV  *") + sDate6 +
                "*1030*" + (mb837 ? "^*00501*" : "U*00401*") + sIc + "*0*T*:");
            Seg(std::string("GS*") + (mb837 ? "HC" : "PO") + "*ORRSENDER*ORRRECEIVER*20" + sDate6 + "*1030*" +
                std::to_string(nIc) + "*X*" + (mb837 ? "005010X222A1" : "004010"));
            int nSets = 0;
            while (nSets < mO.nSetsPerInterchange && (Written() < mO.nBytes || nSets == 0)) {
                ++nSets;
                ++mStats.nSets;
                const std::string sCtl = Pad(unsigned(nSets), 4);
                mnSetSegments = 0;
                if (mbManyClaims)
                    ManyClaims(sCtl);
                else if (mb837)
                    Claims(sCtl);
                else
                    Order(sCtl);
                Seg("SE*" + std::to_string(mnSetSegments + 1) + "*" + sCtl);
            }
            Seg("GE*" + std::to_string(nSets) + "*" + std::to_string(nIc));
            Seg("IEA*1*" + sIc);
        }
        Flush();
    }

    static constexpr const char* kCompanies[] = {"ORRINDALE RETAIL INC", "NORTHWIND TRADERS", "BLUE RIVER SUPPLY",
                                                 "HARBOR HOME GOODS", "SUMMIT OUTFITTERS", "GREEN VALLEY FOODS",
                                                 "LAKESIDE HARDWARE", "PIONEER OFFICE"};
    static constexpr const char* kStreets[] = {"MAIN STREET", "INDUSTRIAL PARKWAY", "CORPORATE WAY", "ELM STREET",
                                               "HARBOR ROAD", "COMMERCE DRIVE", "RIVER AVENUE", "OAK LANE"};
    static constexpr const char* kCities[] = {"SPRINGFIELD*IL*627", "COLUMBUS*OH*432", "MADISON*WI*537",
                                              "SALEM*OR*973",       "DOVER*DE*199",    "AUSTIN*TX*787",
                                              "DENVER*CO*802",      "RALEIGH*NC*276"};
    static constexpr const char* kItems[] = {"BLUE WIDGET",         "GADGET, CASE OF 12", "STEEL BRACKET 4 IN",
                                             "COTTON TOWEL WHITE",  "LED BULB 60W EQ",    "COPY PAPER 500 SHEETS",
                                             "CERAMIC MUG 12 OZ",   "GARDEN HOSE 50 FT",  "AA BATTERY 24 PACK",
                                             "STORAGE BIN, LARGE"};
    static constexpr const char* kUnits[] = {"EA", "CA", "BX", "PK", "DZ"};
    static constexpr const char* kLast[] = {"DOE",    "SMITH", "GARCIA", "NGUYEN", "JOHNSON",
                                            "MILLER", "DAVIS", "LOPEZ",  "WILSON", "TAYLOR"};
    static constexpr const char* kFirst[] = {"JANE", "JOHN", "MARIA", "WEI", "AHMED", "LINDA", "CARLOS", "EMMA"};
    static constexpr const char* kDiagnoses[] = {"J029", "R509", "Z0000", "E119", "I10", "M545", "J069", "K219"};
    static constexpr const char* kProcedures[] = {"99213", "99214", "99212", "87880", "36415", "85025", "93000"};

    std::string Address() { return std::to_string(Between(1, 9999)) + " " + Pick(kStreets); }
    std::string CityLine() { return std::string(Pick(kCities)) + Digits(2); }

    void Party(const char* sCode)
    {
        Seg(std::string("N1*") + sCode + "*" + Pick(kCompanies) + "*92*" + Digits(4));
        Seg("N3*" + Address());
        Seg("N4*" + CityLine() + "*US");
    }

    // One 850 purchase order.
    void Order(const std::string& sCtl)
    {
        const unsigned nPo = unsigned(mStats.nSets);
        Seg("ST*850*" + sCtl);
        Seg("BEG*00*SA*PO-" + std::to_string(4500 + nPo) + "**" + Date8(2024));
        if (Chance(50))
            Seg("CUR*BY*USD");
        Seg("REF*DP*" + Digits(3));
        if (Chance(50))
            Seg("REF*IA*" + Digits(6));
        if (Chance(70))
            Seg(std::string("PER*BD*") + Pick(kFirst) + " " + Pick(kLast) + "*TE*555" + Digits(7));
        if (Chance(30))
            Seg("FOB*CC");
        Seg("ITD*01*3*2**10**30");
        Seg("DTM*002*" + Date8(2024));
        if (Chance(60))
            Seg("TD5*O*2*UPSN*M*UPS GROUND");
        Party("ST");
        Party("BT");
        if (Chance(30))
            Party("VN");
        const unsigned nLines = Between(1, 40);
        unsigned nQuantity = 0;
        for (unsigned l = 1; l <= nLines; ++l) {
            const unsigned q = Between(1, 240);
            nQuantity += q;
            Seg("PO1*" + std::to_string(l) + "*" + std::to_string(q) + "*" + Pick(kUnits) + "*" + Money(50, 99999) +
                "**UP*" + Digits(12) + "*VN*SKU-" + Digits(5));
            if (Chance(80))
                Seg(std::string("PID*F****") + Pick(kItems));
            if (Chance(30))
                Seg("PO4*" + std::to_string(Between(1, 48)) + "*" + std::to_string(Between(1, 20)) + "*EA");
            if (Chance(10))
                Seg("REF*PD*" + Digits(8));
            if (Chance(15))
                Seg("DTM*010*" + Date8(2024));
            if (Chance(20))
                Seg("SCH*" + std::to_string(q) + "*EA***002*" + Date8(2024));
        }
        Seg("CTT*" + std::to_string(nLines) + "*" + std::to_string(nQuantity));
    }

    void Person(const char* sEntity, bool bId)
    {
        std::string s = std::string("NM1*") + sEntity + "*1*" + Pick(kLast) + "*" + Pick(kFirst);
        if (bId)
            s += "****MI*" + Digits(9) + "A";
        Seg(s);
        Seg("N3*" + Address());
        Seg("N4*" + CityLine());
        Seg("DMG*D8*" + Date8(Between(1940, 2020)) + "*" + (Chance(50) ? "F" : "M"));
    }

    void Claim()
    {
        const unsigned nLines = Between(1, 6);
        std::string sLines;
        Seg("CLM*CLM-" + Digits(8) + "*" + Money(5000, 250000) + "***11:B:1*Y*A*Y*Y");
        if (Chance(30))
            Seg("DTP*431*D8*" + Date8(2024));
        if (Chance(20))
            Seg("REF*G1*AUTH" + Digits(6));
        std::string sHi = std::string("HI*ABK:") + Pick(kDiagnoses);
        if (Chance(40))
            sHi += std::string("*ABF:") + Pick(kDiagnoses);
        Seg(sHi);
        if (Chance(40)) {
            Seg(std::string("NM1*82*1*") + Pick(kLast) + "*" + Pick(kFirst) + "****XX*1" + Digits(9));
            Seg("PRV*PE*PXC*207Q00000X");
        }
        for (unsigned l = 1; l <= nLines; ++l) {
            Seg("LX*" + std::to_string(l));
            Seg(std::string("SV1*HC:") + Pick(kProcedures) + "*" + Money(2000, 40000) + "*UN*" +
                std::to_string(Between(1, 4)) + "***1");
            Seg("DTP*472*D8*" + Date8(2024));
            if (Chance(40))
                Seg("REF*6R*LINE" + Digits(6));
        }
    }

    // An 837P set's ST, BHT, submitter and receiver.
    void ClaimsHeader(const std::string& sCtl)
    {
        Seg("ST*837*" + sCtl + "*005010X222A1");
        Seg("BHT*0019*00*" + Digits(6) + "*" + Date8(2024) + "*1023*CH");
        Seg("NM1*41*2*ORRINDALE CLINIC*****46*TGJ23");
        Seg("PER*IC*BILLING DEPT*TE*5555552222");
        Seg("NM1*40*2*ORRINDALE HEALTH PLAN*****46*66783JJT");
    }

    // One 837P transaction set: one billing provider, subscribers with claims,
    // some with a patient level.
    void Claims(const std::string& sCtl)
    {
        ClaimsHeader(sCtl);
        unsigned nHl = 1;
        Seg("HL*1**20*1");
        if (Chance(50))
            Seg("PRV*BI*PXC*207Q00000X");
        Seg(std::string("NM1*85*2*") + Pick(kCompanies) + "*****XX*1" + Digits(9));
        Seg("N3*" + Address());
        Seg("N4*" + CityLine());
        Seg("REF*EI*" + Digits(9));
        const unsigned nSubscribers = Between(10, 60);
        for (unsigned s = 0; s < nSubscribers; ++s) {
            const bool bPatient = Chance(20);
            const unsigned nSubscriber = ++nHl;
            Seg("HL*" + std::to_string(nSubscriber) + "*1*22*" + (bPatient ? "1" : "0"));
            Seg(std::string("SBR*P*") + (bPatient ? "" : "18") + "*GRP" + Digits(4) + "******CI");
            Person("IL", true);
            Seg("NM1*PR*2*ORRINDALE HEALTH PLAN*****PI*" + Digits(5));
            if (bPatient) {
                Seg("HL*" + std::to_string(++nHl) + "*" + std::to_string(nSubscriber) + "*23*0");
                Seg("PAT*19");
                Person("QC", false);
            }
            const unsigned nClaims = Between(1, 3);
            for (unsigned c = 0; c < nClaims; ++c)
                Claim();
        }
    }

    // ---- the second 837P shape -------------------------------------------------------
    // A provider's NM1 with its identifier, then nRefs REF segments with
    // qualifiers from the list (in its order, each once unless bRepeat).
    template <std::size_t N>
    void Provider(const char* sEntity, const char* const (&refs)[N], unsigned nRefs, bool bRepeat = false)
    {
        Seg(std::string("NM1*") + sEntity + "*1*" + Pick(kLast) + "*" + Pick(kFirst) + "****XX*1" + Digits(9));
        if (std::string_view(sEntity) == "82")
            Seg("PRV*PE*PXC*207Q00000X");
        for (unsigned k = 0; k < nRefs; ++k) {
            const char* sQualifier = refs[bRepeat ? Below(unsigned(N)) : k % N];
            Seg(std::string("REF*") + sQualifier + "*" + Digits(int(Between(6, 11))));
        }
    }

    void ClaimWithProviders()
    {
        static constexpr const char* kClaimRefs[] = {"9F", "G1", "F8", "D9", "EA"};
        static constexpr const char* kReferringRefs[] = {"0B", "1G", "G2"};
        static constexpr const char* kProviderRefs[] = {"0B", "1G", "G2", "LU"};
        static constexpr const char* kFacilityRefs[] = {"0B", "G2", "LU"};
        Seg("CLM*PCN" + Digits(10) + "*" + Money(5000, 250000) + "***11:B:1*Y*A*Y*Y");
        Seg("DTP*431*D8*" + Date8(2024));
        for (const char* sRef : kClaimRefs)
            if (Chance(70))
                Seg(std::string("REF*") + sRef + "*" + Digits(int(Between(6, 14))));
        Seg(std::string("HI*ABK:") + Pick(kDiagnoses) + "*ABF:" + Pick(kDiagnoses));
        Provider("DN", kReferringRefs, Between(1, 3));
        Provider("82", kProviderRefs, Between(1, 4));
        Seg(std::string("NM1*77*2*") + Pick(kCompanies) + "*****XX*1" + Digits(9));
        Seg("N3*" + Address());
        Seg("N4*" + CityLine());
        for (unsigned k = 0, n = Between(1, 3); k < n; ++k)
            Seg(std::string("REF*") + kFacilityRefs[k] + "*" + Digits(8));
        Provider("DQ", kProviderRefs, Between(1, 4));
        for (unsigned l = 1, nLines = Between(1, 4); l <= nLines; ++l) {
            Seg("LX*" + std::to_string(l));
            Seg(std::string("SV1*HC:") + Pick(kProcedures) + "*" + Money(2000, 40000) + "*UN*" +
                std::to_string(Between(1, 4)) + "***1");
            Seg("DTP*472*D8*" + Date8(2024));
            Seg("REF*G1*" + Digits(8));
            Seg("REF*6R*" + Digits(10));
            Seg("REF*9F*" + Digits(8));
            Provider("82", kProviderRefs, Between(2, 8), true);
            Provider("DN", kReferringRefs, Between(1, 6), true);
        }
    }

    // One 837P transaction set of the second shape: 2-5 subscribers, each
    // the patient, with 20-60 claims.
    void ManyClaims(const std::string& sCtl)
    {
        ClaimsHeader(sCtl);
        Seg("HL*1**20*1");
        Seg(std::string("NM1*85*2*") + Pick(kCompanies) + "*****XX*1" + Digits(9));
        Seg("N3*" + Address());
        Seg("N4*" + CityLine());
        Seg("REF*EI*" + Digits(9));
        for (unsigned s = 0, nSubscribers = Between(2, 5); s < nSubscribers; ++s) {
            Seg("HL*" + std::to_string(s + 2) + "*1*22*0");
            Seg("SBR*P*18*GRP" + Digits(4) + "******CI");
            Person("IL", true);
            Seg("NM1*PR*2*ORRINDALE HEALTH PLAN*****PI*" + Digits(5));
            for (unsigned c = 0, nClaims = Between(20, 60); c < nClaims; ++c)
                ClaimWithProviders();
        }
    }

    GenOptions mO;
    const Sink& mSink;
    std::uint64_t mnRand;
    bool mb837 = false;
    bool mbManyClaims = false;
    std::string mOut;
    GenStats mStats;
    std::uint64_t mnSetSegments = 0;
};

}  // namespace orr::bench
