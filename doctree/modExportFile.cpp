#include "doctree/modExportFile.h"

#include <filesystem>

#include "app/UiService.h"
#include "doctree/clsTreeDSave.h"
#include "doctree/modSaveFile.h"
#include "edi/modConversion.h"

namespace orr {
namespace {

// False when an existing file is to stay; otherwise it is gone.
bool MayReplace(const std::string& sFile)
{
    if (!gfIsFile(sFile))
        return true;
    if (gfMsgBox("File: " + sFile + " exists.  Overwrite ?", MsgIcon::None, MsgButtons::YesNo, "Confirm") !=
        MsgAnswer::Yes)
        return false;
    std::error_code ec;
    std::filesystem::remove(sFile, ec);  // one that stays is replaced by the write
    return true;
}

void ReportFailure(const std::string& sFile) { gfMsgBox(kFailedToSave + sFile, MsgIcon::Critical); }

}  // namespace

bool gfExportTextFile(const std::string& sFile, const TreeNode& ndRoot, bool bComma)
{
    if (!ndRoot) {
        gfMsgBox(kNothingToSave, MsgIcon::Information);
        return true;
    }
    if (!MayReplace(sFile))
        return false;
    clsTreeDSave writer;
    if (writer.SaveAsText(sFile, ndRoot, bComma ? "," : "\t"))
        gfMsgBox(sFile + " is created.", MsgIcon::Information);
    else
        ReportFailure(sFile);
    return true;
}

bool gfConvertEdiFile(const std::string& sFile, const TreeNode& ndRoot, SepCode nDelimiter, SepCode nSelimiter)
{
    if (!ndRoot) {
        gfMsgBox(kNothingToSave, MsgIcon::Information);
        return true;
    }
    const ConversionPlan plan = gfPlanConversion(nDelimiter, nSelimiter, false);
    if (!plan.bOk) {
        gfMsgBox(plan.sMessage, MsgIcon::Critical);
        return false;
    }
    if (!MayReplace(sFile))
        return false;
    clsTreeDSave writer;
    writer.SetDelimiter(nDelimiter);
    writer.SetSelimiter(nSelimiter);
    bool bOk = false;
    if (plan.bLineEnds || nSelimiter == 10 || nSelimiter == 13) {
        // A line end as terminator: the line-break question could change nothing.
        bOk = writer.WriteX12(sFile, ndRoot, plan.bLineEnds);
    } else {
        bool bSilent = false;
        bOk = writer.SaveAs(sFile, ndRoot, bSilent);
    }
    if (writer.Refused()) {
        std::remove(sFile.c_str());  // a part of a file is worse than none
        gfMsgBox(writer.sError(), MsgIcon::Critical);
    } else if (!bOk) {
        ReportFailure(sFile);
    }
    return true;
}

}  // namespace orr
