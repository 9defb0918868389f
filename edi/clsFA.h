#pragma once
// Writes the acknowledgements of a received EDI file, one acknowledgement
// interchange for each interchange received, in order, addressed back to
// its sender: a 997 that answers every functional group (AK1, AK9), a 997
// or 999 (005010X231A1) that also answers every transaction set from the
// element check of the received file, or a TA1 for each interchange. The
// file is read through the document reader's segment parser. The result is
// checked with the element check before it is written; it is written whole
// (a temporary file renamed into place) or not at all.
#include <functional>
#include <optional>
#include <string>

#include "app/clsConfig.h"
#include "edi/AckWriter.h"
#include "edi/EdiFinding.h"
#include "edi/ReceivedEnvelope.h"
#include "edi/clsAckResponse.h"
#include "edi/clsEdiDoc.h"

namespace orr {

class clsFA {
public:
    // Checks a file: its findings, or nothing (reason shown) when it could
    // not be read against a definition.
    using Checker = std::function<std::optional<EdiFindings>(const std::string& sFile)>;
    static constexpr const char* k999Guide = "005010X231A1";

    explicit clsFA(clsEdiDoc::LocalClock clock = {});

    // The acknowledgement's element separator and segment terminator.
    void SetDelimiter(SepCode nDelimiter) { mnDelimiter = nDelimiter; }
    void SetSelimiter(SepCode nSelimiter) { mnSelimiter = nSelimiter; }

    void SetKind(AckKind kind) { mKind = kind; }
    AckKind Kind() const { return mKind; }
    // With a checker a 997 answers every set from the findings of the
    // received file; a 999 always needs one.
    void SetChecker(Checker fnCheck) { mfnCheck = std::move(fnCheck); }
    // Checks the acknowledgement before it is written: any finding but an
    // echoed code is an internal error, and nothing is written. Without one
    // it is not checked.
    void SetSelfCheck(Checker fnCheck) { mfnSelfCheck = std::move(fnCheck); }
    // Whether a finding of the acknowledgement's own check is a code it
    // echoes as received: AK101 and AK201 name the group and set answered
    // by their GS01 and ST01, wrong or not (the answer says what is wrong).
    static bool EchoesReceivedCode(const EdiFinding& f);

    // True when a complete acknowledgement was written.
    bool CreateFA(const std::string& sInput, const std::string& sOutput);

    // The OK button of the acknowledgement dialog: trims both names (written
    // back), checks them, runs fa. True when the dialog closes.
    static bool DialogOk(std::string& sInput, std::string& sOutput, clsFA& fa);

private:
    std::string Name() const;
    AckSeparators Separators() const;
    // True when the received file cannot be acknowledged (the reason shown).
    bool Refused(const ReceivedFile& file) const;
    void Compose(const ReceivedFile& file, const EdiFindings* pFindings, AckWriter& writer) const;
    std::string IsaVersion(const ReceivedInterchange& received) const;
    std::string GroupVersion(const ReceivedGroup& group) const;
    bool WriteChecked(const std::string& sText, const std::string& sOutput) const;

    clsEdiDoc::LocalClock mClock;
    SepCode mnDelimiter, mnSelimiter;
    AckKind mKind = AckKind::FunctionalAck997;
    Checker mfnCheck, mfnSelfCheck;
};

}  // namespace orr
