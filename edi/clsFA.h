#pragma once
// Writes a minimal 997 functional acknowledgement for a received EDI file:
// one AK1 per received functional group, envelope structure checked only.
// Given a checker, it answers every transaction set and group from the
// findings of the received file (AK2 to AK5, AK9), and it writes the 999
// implementation acknowledgement (005010X231A1) that way.
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/clsConfig.h"
#include "edi/EdiFinding.h"
#include "edi/clsAckResponse.h"
#include "edi/clsEdiDoc.h"

namespace orr {

class clsFA {
public:
    // Checks a received file: its findings, or nothing (reason shown) when
    // it could not be read against a definition.
    using Checker = std::function<std::optional<EdiFindings>(const std::string& sFile)>;
    static constexpr const char* k999Guide = "005010X231A1";

    explicit clsFA(clsEdiDoc::LocalClock clock = {});
    ~clsFA();

    void SetDelimiter(SepCode nDelimiter) { mDelimiter = nDelimiter; }
    void SetSelimiter(SepCode nSelimiter) { mSelimiter = nSelimiter; }

    // A 999 always answers from findings: it needs a checker.
    void SetKind(AckKind kind) { mKind = kind; }
    void SetChecker(Checker fnCheck) { mfnCheck = std::move(fnCheck); }

    // True when a complete acknowledgement was written.
    bool CreateFA(const std::string& sInput, const std::string& sOutput);

    // The OK button of the acknowledgement dialog: trims both names (written
    // back), checks them, runs the generator. True when the dialog closes.
    static bool DialogOk(std::string& sInput, std::string& sOutput, SepCode nDelimiter,
                         clsEdiDoc::LocalClock clock = {}, AckKind kind = AckKind::FunctionalAck997,
                         Checker fnCheck = {});

private:
    std::string ReadSegment();
    void PushBack(const std::string& sSegment);
    bool AtEnd();
    void WriteLine(const std::string& sSegment);
    bool ProcessInterchange();
    bool ProcessGroups();
    bool SkipTransactions();
    void WriteBody(const std::string& sSegment);
    std::vector<std::string> Elements(const std::string& sSegment) const;
    bool Is999() const { return mKind == AckKind::ImplementationAck999; }

    clsEdiDoc::LocalClock mClock;
    SepCode mDelimiter;
    SepCode mSelimiter;
    std::string mPushBack;
    std::ifstream mIn;
    std::ofstream mOut;
    clsEdiDoc mDoc;
    AckKind mKind = AckKind::FunctionalAck997;
    Checker mfnCheck;
    EdiFindings mFindings;
    std::unique_ptr<clsAckResponse> mResponse;  // with a checker
    std::uint32_t mnGroup = 0, mnSets = 0;      // the group being read, its sets so far
};

}  // namespace orr
