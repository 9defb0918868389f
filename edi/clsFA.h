#pragma once
// Writes a minimal 997 functional acknowledgement for a received EDI file:
// one AK1 per received functional group, envelope structure checked only.
#include <fstream>
#include <string>

#include "app/clsConfig.h"
#include "edi/clsEdiDoc.h"

namespace orr {

class clsFA {
public:
    explicit clsFA(clsEdiDoc::LocalClock clock = {});

    void SetDelimiter(SepCode nDelimiter) { mDelimiter = nDelimiter; }
    void SetSelimiter(SepCode nSelimiter) { mSelimiter = nSelimiter; }

    // True when a complete 997 was written.
    bool CreateFA(const std::string& sInput, const std::string& sOutput);

    // The OK button of the acknowledgement dialog: trims both names (written
    // back), checks them, runs the generator. True when the dialog closes.
    static bool DialogOk(std::string& sInput, std::string& sOutput, SepCode nDelimiter,
                         clsEdiDoc::LocalClock clock = {});

private:
    std::string ReadSegment();
    void PushBack(const std::string& sSegment);
    bool AtEnd();
    void WriteLine(const std::string& sSegment);
    bool ProcessInterchange();
    bool ProcessGroups();
    bool SkipTransactions();

    clsEdiDoc::LocalClock mClock;
    SepCode mDelimiter;
    SepCode mSelimiter;
    std::string mPushBack;
    std::ifstream mIn;
    std::ofstream mOut;
    clsEdiDoc mDoc;
};

}  // namespace orr
