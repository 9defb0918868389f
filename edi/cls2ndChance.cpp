#include "edi/cls2ndChance.h"

#include <algorithm>
#include <cctype>

#include "app/modText.h"

namespace orr {

cls2ndChance::cls2ndChance(const clsConfig& config)
    : mSegment(config.PopulateSelimiter()), mDataElement(config.PopulateDelimiter())
{
}

void cls2ndChance::Select(SeparatorChoices& list, int nIndex)
{
    if (nIndex >= -1 && nIndex < int(list.entries.size()))
        list.nSelected = nIndex;
}

std::string cls2ndChance::Shown(const SeparatorChoices& list, const std::string& sTyped)
{
    if (!sTyped.empty())
        return sTyped;
    if (list.nSelected < 0 || list.nSelected >= int(list.entries.size()))
        return {};
    return list.entries[std::size_t(list.nSelected)];
}

void cls2ndChance::SelectSegment(int nIndex) { Select(mSegment, nIndex); }

void cls2ndChance::SelectDataElement(int nIndex) { Select(mDataElement, nIndex); }

std::string cls2ndChance::SegmentText() const { return Shown(mSegment, msTypedSegment); }

std::string cls2ndChance::DataElementText() const { return Shown(mDataElement, msTypedDataElement); }

bool cls2ndChance::IsNotation(const std::string& sText)
{
    if (sText.size() == 1)
        return true;
    const std::string sUpper = gfUpper(sText);
    if (sUpper == "CR" || sUpper == "LF")
        return true;
    return (sText.size() == 4 || sText.size() == 6) && sUpper.starts_with("0X") &&
           std::all_of(sText.begin() + 2, sText.end(), [](unsigned char c) { return std::isxdigit(c) != 0; });
}

bool cls2ndChance::CanOk() const { return IsNotation(SegmentText()) && IsNotation(DataElementText()); }

bool cls2ndChance::Ok()
{
    // An empty notation would read as separator 0, which is no choice at all.
    if (!CanOk())
        return false;
    mChoice = SeparatorPair{clsConfig::S2N(DataElementText()), clsConfig::S2N(SegmentText())};
    return true;
}

void cls2ndChance::Cancel() { mChoice.reset(); }

}  // namespace orr
