#pragma once
// Envelope segments (ISA, GS, ST, SE, GE, IEA) for documents the program
// creates, with the counters and control numbers their trailers need. One
// object describes one interchange.
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "app/clsConfig.h"

namespace orr {

class clsEdiDoc {
public:
    using LocalClock = std::function<std::tm()>;

    // The clock defaults to the local time of day; tests fix it.
    explicit clsEdiDoc(LocalClock clock = {});

    std::int32_t IsaControlNumber = 0;
    // When not empty, these replace the configured ISA11 (standards identifier or
    // repetition separator), ISA12 (version) and GS08 (version and guide).
    std::string sIsaStandards, sIsaVersion, sGsVersion;
    void SetDelimiter(SepCode nDelimiter) { mDelimiter = nDelimiter; }
    // Where the group control numbers start (1 by default).
    void SetGroupControlNumber(std::int32_t nNumber) { mGroupControl = nNumber; }

    std::string ISA() const;
    std::string GS(const std::string& sGsType) const;
    // ST03 (the implementation guide) is written when sConvention is not empty.
    std::string ST(const std::string& sStType, const std::string& sConvention = {}) const;
    std::string SE();
    std::string GE();
    std::string IEA() const;
    void IncrementSegCount() { ++mSegCount; }

    // "000000042" for 42; the last nine digits of longer numbers.
    static std::string NineDigits(std::int64_t nNumber);
    // GS01 for a document type: "INV" -> "IN", "PO", "ASN" -> "AS", "FA"; else "".
    static std::string FunctionalId(const std::string& sGsType);

private:
    std::string Join(std::initializer_list<std::string> elements) const;
    std::tm Now() const;

    LocalClock mClock;
    SepCode mDelimiter;
    std::int32_t mGroupControl = 1;
    std::int32_t mGroupCount = 0;
    std::int32_t mTransactionControl = 1;
    std::int32_t mTransactionCount = 0;
    std::int32_t mSegCount = 0;
};

}  // namespace orr
