#pragma once
// What the separator-choice dialog (frm2ndChance) decides, without a window:
// the dialog shows the two lists this object holds, forwards the user's
// selections and buttons, and Choice() gives the answer.
#include <optional>
#include <string>

#include "app/clsConfig.h"
#include "edi/modGuessEdi.h"

namespace orr {

inline constexpr const char* k2ndChanceCaption = "Select a different Segment and Data Element Separator";
inline constexpr const char* k2ndChanceSegmentLabel = "Segement Separator:";
inline constexpr const char* k2ndChanceDataElementLabel = "Data Element Separator:";
inline constexpr const char* k2ndChanceNote =
    "You can change the current session setting in Option dialog box from  the View menu";

class cls2ndChance {
public:
    // The dialog's load: fills both lists with the candidates and preselects
    // the configured separators (no selection for a configured separator
    // that is not a candidate).
    explicit cls2ndChance(const clsConfig& config);

    const SeparatorChoices& Segment() const { return mSegment; }          // cboSegment
    const SeparatorChoices& DataElement() const { return mDataElement; }  // cboDataElement

    // The user picks an entry; -1 clears the selection, other indexes
    // outside the list are ignored.
    void SelectSegment(int nIndex);
    void SelectDataElement(int nIndex);

    // The user types a separator into a list's box instead (any separator,
    // in the notation: one character, CR, LF, 0xNN); "" goes back to the
    // selected entry.
    void TypeSegment(const std::string& sText) { msTypedSegment = sText; }
    void TypeDataElement(const std::string& sText) { msTypedDataElement = sText; }

    // The text each list shows: what was typed, else the selected entry, or "" without one.
    std::string SegmentText() const;
    std::string DataElementText() const;

    // OK is offered only while both lists show a separator in the notation.
    bool CanOk() const;
    // cmdOk: the two shown texts become the choice and the dialog closes.
    // Without a separator in both lists nothing is chosen and false is
    // returned: the dialog stays open.
    bool Ok();
    // cmdCancel: closes with no choice.
    void Cancel();
    // The pair chosen with OK; nothing before OK and after Cancel.
    std::optional<SeparatorPair> Choice() const { return mChoice; }

private:
    static void Select(SeparatorChoices& list, int nIndex);
    static std::string Shown(const SeparatorChoices& list, const std::string& sTyped);
    // One character, CR, LF, or 0x with two or four hexadecimal digits.
    static bool IsNotation(const std::string& sText);

    SeparatorChoices mSegment;
    SeparatorChoices mDataElement;
    std::optional<SeparatorPair> mChoice;
    std::string msTypedSegment, msTypedDataElement;
};

}  // namespace orr
