#include "doctree/clsEdiFileOpen.h"

#include "app/UiService.h"
#include "app/modGlobals.h"
#include "app/modSystem.h"
#include "doctree/clsTreeD.h"
#include "doctree/clsTreeDNewTree.h"
#include "doctree/modNodeD.h"
#include "schema/clsTreeS.h"

namespace orr {
namespace {

const char* const kCrLf = "\r\n";

std::string Reason(const std::string& sError, bool bBlank)
{
    return std::string("I have trouble parsing this file.") + kCrLf + kCrLf + (bBlank ? "Reason: " : "Reason:") +
           sError + kCrLf + kCrLf;
}

bool GiveUp(clsEdiFileOpen::Document& d, clsEdiFileOpen::Mode mode)
{
    if (mode == clsEdiFileOpen::Mode::SameTemplate) {
        d.pDoc->RemoveAll();
        d.ndRootD = {};
    }
    return false;
}

}  // namespace

bool clsEdiFileOpen::BuildSchema(Document& d)
{
    d.pSchema->RemoveAll();
    clsTreeS builder;
    d.ndRootS = d.pSchema->Node(builder.Build(*d.pSchema, d.sSchema));
    return bool(d.ndRootS);
}

bool clsEdiFileOpen::NewDocument(Document& d, int nOption)
{
    d.pDoc->RemoveAll();
    d.ndRootD = {};
    if (nOption != 1 && nOption != 2) {
        gfIllogic("AddNewDocTree-Unknown option:" + std::to_string(nOption));
        return false;
    }
    const std::string sTag = gfDnodeNewTag("D", "", "0");
    d.ndRootD = d.pDoc->Node(d.pDoc->Add(NodeId{}, Relation::Child, "", "New", "closed", "open"));
    d.ndRootD.SetTag(sTag);
    if (nOption == 2)
        return true;
    clsTreeDNewTree builder;
    builder.SetDelimiter(d.nDelimiter);
    if (builder.Build(*d.pDoc, d.ndRootD, d.ndRootS))
        return true;
    d.pDoc->RemoveAll();
    d.ndRootD = {};
    return false;
}

bool clsEdiFileOpen::Parse(Document& d, const std::string& sFile, Mode mode, const ChooseSeparators& fnChoose)
{
    const bool bNewWindow = mode == Mode::NewWindow;
    for (int nAttempt = 1;; ++nAttempt) {
        clsTreeD builder;
        builder.SetDelimiter(d.nDelimiter);
        builder.SetSelimiter(d.nSelimiter);
        d.pDoc->RemoveAll();
        d.ndRootD = builder.Build(*d.pDoc, sFile, *d.pSchema);
        if (builder.nError() == clsTreeD::kOk)
            return bool(d.ndRootD);

        if (nAttempt >= kMaxAttempts) {
            if (bNewWindow)
                gfMsgBox(std::string("If you have problem opening a valid EDI file, make sure the") + kCrLf +
                             "segment separator and data element separator are set up correctly." + kCrLf + kCrLf +
                             "You can set the segment and data element separators in View/Option Menu.",
                         MsgIcon::Information);
            return GiveUp(d, mode);
        }
        if (builder.nError() == clsTreeD::kNoSegment) {
            if (gfMsgBox(Reason(builder.sError(), bNewWindow) + "Do you want to select a different delimiters ?",
                         MsgIcon::None, MsgButtons::YesNo) != MsgAnswer::Yes)
                return GiveUp(d, mode);
            gConfig->sReturn1.clear();
            gConfig->sReturn2.clear();
            fnChoose();
            if (gConfig->sReturn1.empty() && gConfig->sReturn2.empty())
                return GiveUp(d, mode);
            d.nSelimiter = clsConfig::S2N(gConfig->sReturn1);
            d.nDelimiter = clsConfig::S2N(gConfig->sReturn2);
            gfMsgBox(std::string("The new separators apply to this document only.") + kCrLf + kCrLf +
                         "If you want to apply these settings to all documents," + kCrLf +
                         "use View/Option Menu to change the editor settings.",
                     MsgIcon::Information);
            continue;
        }
        if (!bNewWindow) {
            gfMsgBox(Reason(builder.sError(), true) + "This document is opened for read only." + kCrLf +
                         "Open this file as a Free Form to modify it.",
                     MsgIcon::Information);
            d.bReadOnly = true;
            return bool(d.ndRootD);
        }
        if (gfMsgBox(Reason(builder.sError(), true) + "Do you want to open this file as a Free Form document ?",
                     MsgIcon::None, MsgButtons::YesNo) != MsgAnswer::Yes) {
            gfMsgBox(std::string("File is opened for read only.") + kCrLf + "Open this file as a Free Form to modify it.",
                     MsgIcon::Information);
            d.bReadOnly = true;
            return bool(d.ndRootD);
        }
        d.sSchema = gConfig->FreeFormDocType;
        if (!BuildSchema(d))
            return GiveUp(d, mode);
    }
}

}  // namespace orr
