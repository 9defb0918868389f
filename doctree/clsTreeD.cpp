#include "doctree/clsTreeD.h"

#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "app/UiService.h"
#include "app/clsProgress.h"
#include "app/modGlobals.h"
#include "app/modSystem.h"
#include "doctree/modNodeD.h"
#include "schema/clsDefFiles.h"
#include "schema/modNodeS.h"

namespace orr {
namespace {

std::string_view TrimBlanks(std::string_view s)
{
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// "E00".."E99", built once: element tags are the most frequent strings.
const std::array<std::string, 100>& ElementTags()
{
    static const std::array<std::string, 100> tags = [] {
        std::array<std::string, 100> t;
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = gfDnodeElementTag(i);
        return t;
    }();
    return tags;
}

struct SchemaKind {
    std::string sType, sCode;
};

SchemaKind KindOf(const TreeNode& nd)
{
    SchemaKind k;
    gfSnodeType(nd, k.sType, k.sCode);
    return k;
}

bool IsSystem(const TreeNode& nd, const char* sCode)
{
    const SchemaKind k = KindOf(nd);
    return k.sType == "S" && k.sCode == sCode;
}

}  // namespace

clsTreeD::clsTreeD() : mParser(this), mnDelimiter(gConfig ? gConfig->Delimiter : SepCode('*'))
{
    mParser.SetDelimiter(mnDelimiter);
}

void clsTreeD::SetDelimiter(SepCode nCode)
{
    mnDelimiter = nCode;
    mParser.SetDelimiter(nCode);
}

void clsTreeD::SetSelimiter(SepCode nCode) { mParser.SetSelimiter(nCode); }

void clsTreeD::InstallElementMaterialiser(clsTree& tree, SepCode nDelimiter)
{
    const ImageId imgDde = tree.InternImage("dde");
    tree.SetMaterialiser([nDelimiter, imgDde](clsTree& t, NodeId node, std::string_view sPayload) {
        if (nDelimiter > 255)
            return;
        const char d = char(nDelimiter);
        std::size_t pos = sPayload.find(d);
        for (std::size_t n = 1; pos != std::string_view::npos; ++n) {
            const std::size_t begin = pos + 1;
            pos = sPayload.find(d, begin);
            const std::size_t end = pos == std::string_view::npos ? sPayload.size() : pos;
            t.AddPayloadChild(node, begin, end - begin, ElementTags()[n % 100], imgDde);
        }
    }, nDelimiter > 255 ? '\0' : char(nDelimiter));
}

TreeNode clsTreeD::Build(clsTree& docTree, const std::string& sFile, clsTree& schemaTree)
{
    std::error_code ec;
    std::ifstream in(sFile, std::ios::binary);
    if (!in || std::filesystem::is_directory(sFile, ec)) {
        const int nErr = in ? EISDIR : errno;
        gfReportRunTimeError(std::error_code(nErr, std::generic_category()).message() + ": " + sFile, nErr);
        return {};
    }
    mpDoc = &docTree;
    mpSchema = &schemaTree;
    mndSchemaRoot = schemaTree.Node(schemaTree.Child(NodeId{}, 0));
    mImgClosedData = docTree.InternImage("closeddata");
    mImgOpenData = docTree.InternImage("opendata");
    mImgClosed = docTree.InternImage("closed");
    mImgOpen = docTree.InternImage("open");
    mImgErrClosed = docTree.InternImage("errclosed");
    mImgErrOpen = docTree.InternImage("erropen");
    InstallElementMaterialiser(docTree, mnDelimiter);

    docTree.BeginBulk();
    const std::string sRootTag = gfDnodeNewTag("D", "", "0");
    NodeInit root;
    root.sKey = "Root";
    root.sText = sFile;
    root.sTag = sRootTag;
    root.image = mImgClosedData;
    root.expandedImage = mImgOpenData;
    mndRoot = docTree.Node(docTree.Add(NodeId{}, Relation::Child, root));
    mndS = mndSchemaRoot;
    mndParent = mndEnvelope = mndRoot;
    mParser.bIsaTrigger = mParser.bGsTrigger = mParser.bStTrigger = mParser.bSegTrigger = true;

    {
        clsProgress progress;
        char piece[kPieceSize];
        std::uint64_t nTotal = 0;
        while (in.read(piece, kPieceSize) || in.gcount() > 0) {
            nTotal += kPieceSize;
            progress.Status("Reading EDI document. " + std::to_string(nTotal) + " characters read.");
            mParser.ParseData(std::string_view(piece, std::size_t(in.gcount())));
        }
        mParser.EndData();
    }
    docTree.EndBulk();

    if (mnSegments == 0) {
        mnError = kNoSegment;
        msError = "No segment was recognized.\r\nCheck segment separator and Data Element separator in the Option "
                  "screen.";
    }
    return mndRoot;
}

std::string_view clsTreeD::Element(std::size_t n) const { return n < mElements.size() ? mElements[n] : std::string_view(); }

void clsTreeD::HandleSegment(std::string_view sSegment)
{
    msSegment = TrimBlanks(sSegment);
    mElements.clear();
    const char d = mnDelimiter > 255 ? '\0' : char(mnDelimiter);
    for (std::size_t begin = 0;;) {
        const std::size_t end = d ? msSegment.find(d, begin) : std::string_view::npos;
        mElements.push_back(msSegment.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin));
        if (end == std::string_view::npos)
            break;
        begin = end + 1;
    }
    if (mnError != kOk) {
        AddUnmatched();
        return;
    }
    if (++mnSegments == 1)
        PlaceAtStart();
    if (Match() != Result::Matched) {
        mnError = kMatchFailed;
        msError = "Segment matching failed.\r\nFailed segment:" + std::string(sSegment);
        AddUnmatched();
    }
}

void clsTreeD::PlaceAtStart()
{
    gfSnodeResetLoopCounts(mndSchemaRoot);
    const std::string_view sId = Element(0);
    TreeNode nd = mndSchemaRoot.FirstChild();
    if (sId == "GS" || sId == "ST")
        nd = nd.Child(1);
    if (sId == "ST")
        nd = nd.Child(1);
    mndS = nd;
}

clsTreeD::Result clsTreeD::Match()
{
    Result result = Result::NotHere;
    SchemaKind tried;
    while (mndS && result == Result::NotHere) {
        tried = KindOf(mndS);
        if (tried.sType == "S") {
            if (tried.sCode == "LS")
                result = MatchLoop();
            else if (tried.sCode == "HLS")
                result = MatchKeyedLoop(true);
            else if (tried.sCode == "ELS")
                result = MatchKeyedLoop(false);
            else if (tried.sCode == "ESS")
                result = MatchKeyedSegment();
            else
                result = Result::Failed;
        } else if (tried.sType == "R") {
            result = MatchSegment();
        } else {
            mnError = kMatchFailed;
            return Result::NotHere;
        }
        if (result == Result::NotHere)
            Advance();
    }
    if (result != Result::Matched || (tried.sType == "S" && tried.sCode == "ESS"))
        return result;

    AddSegmentNode(mndParent, mndS);
    if (tried.sType == "S")
        gfSnodeResetLoopCounts(mndS.Parent());
    gfSnodeIncLoopCount(mndS);
    std::int32_t nR = 0, nC = 0;
    gfSnodeGetLoopCount(mndS, nR, nC);
    if (nC >= nR)
        Advance();
    return result;
}

clsTreeD::Result clsTreeD::MatchSegment()
{
    const std::string_view sId = Element(0);
    const SchemaKind k = KindOf(mndS);
    if (k.sCode == sId)
        return Result::Matched;
    if (k.sCode == "XXX")
        return (sId == "SE" || sId == "GE" || sId == "IEA") ? Result::NotHere : Result::Matched;
    std::int32_t nR = 0, nC = 0;
    gfSnodeGetLoopCount(mndS, nR, nC);
    return gfSnodeRequired(mndS) && nC < 1 ? Result::Failed : Result::NotHere;
}

clsTreeD::Result clsTreeD::MatchLoop()
{
    const TreeNode ndFirst = mndS.FirstChild();
    const SchemaKind k = KindOf(ndFirst);
    if (!ndFirst || k.sType != "R")
        return Result::Failed;
    if (k.sCode != Element(0)) {
        std::int32_t nR = 0, nC = 0;
        gfSnodeGetLoopCount(mndS, nR, nC);
        return gfSnodeRequired(ndFirst) && nC < 1 ? Result::Failed : Result::NotHere;
    }
    gfSnodeIncLoopCount(mndS);
    AddLoopNode(mndS);
    mndS = ndFirst;
    return Result::Matched;
}

clsTreeD::Result clsTreeD::MatchKeyedLoop(bool bHl)
{
    std::size_t nKeyAt = 3;
    if (bHl) {
        if (Element(0) != "HL")
            return Result::NotHere;
    } else {
        const TreeNode ndFirst = mndS.FirstChild().FirstChild();
        const SchemaKind k = KindOf(ndFirst);
        if (!ndFirst || k.sType != "R" || k.sCode != Element(0))
            return Result::NotHere;
        std::int16_t nX = 0, nY = 0;
        gfSnodeGetKeyPositions(mndS, nX, nY);
        nKeyAt = std::size_t(std::max<std::int16_t>(nY, 0));
    }
    // A segment shorter than the key position matches no key.
    if (nKeyAt == 0 || nKeyAt >= mElements.size())
        return Result::NotHere;
    for (TreeNode nd = mndS.FirstChild(); nd; nd = nd.Next()) {
        if (KeyMatch(nd, mElements[nKeyAt]) && HasRoom(nd)) {
            EnterLoop(nd, mndS);
            return Result::Matched;
        }
    }
    return Result::NotHere;
}

void clsTreeD::EnterLoop(const TreeNode& ndLoop, const TreeNode& ndSystem)
{
    EnterContainer(ndSystem);
    gfSnodeIncLoopCount(ndLoop);
    AddLoopNode(ndLoop);
    mndS = ndLoop.FirstChild();
}

void clsTreeD::EnterContainer(const TreeNode& ndSystem)
{
    const TreeNode ndLast = mndParent.LastChild();
    const std::string sNumber = gfSnodeGetNumber(ndSystem);
    if (ndLast) {
        const std::string& sTag = ndLast.Tag();
        const auto star = sTag.find('*');
        const auto end = sTag.find('*', star == std::string::npos ? sTag.size() : star + 1);
        const std::string_view sLink = star == std::string::npos
                                           ? std::string_view()
                                           : std::string_view(sTag).substr(star + 1, end == std::string::npos
                                                                                          ? std::string::npos
                                                                                          : end - star - 1);
        if (sLink.size() >= sNumber.size() && sLink.substr(sLink.size() - sNumber.size()) == sNumber) {
            mndParent = ndLast;
            return;
        }
    }
    AddLoopNode(ndSystem);
}

clsTreeD::Result clsTreeD::MatchKeyedSegment()
{
    const TreeNode ndFirst = mndS.FirstChild();
    const SchemaKind k = KindOf(ndFirst);
    if (!ndFirst || k.sType != "R" || k.sCode != Element(0))
        return Result::NotHere;
    std::int16_t nX = 0, nY = 0;
    gfSnodeGetKeyPositions(mndS, nX, nY);
    if (nY <= 0 || std::size_t(nY) >= mElements.size())
        return Result::NotHere;
    for (TreeNode nd = ndFirst; nd; nd = nd.Next()) {
        if (!KeyMatch(nd, mElements[std::size_t(nY)]) || !HasRoom(nd))
            continue;
        EnterContainer(mndS);
        AddSegmentNode(mndParent, nd);
        gfSnodeIncLoopCount(nd);
        mndParent = mndParent.Parent();
        return Result::Matched;
    }
    return Result::NotHere;
}

void clsTreeD::Advance()
{
    if (const TreeNode ndNext = mndS.Next()) {
        mndS = ndNext;
    } else {
        mndS = mndS.Parent();
        if (!mndS) {
            gfMsgBox("Matching code reached root of schema tree", MsgIcon::Information);
        } else if (const TreeNode ndUp = mndS.Parent(); ndUp && (IsSystem(ndUp, "ELS") || IsSystem(ndUp, "HLS"))) {
            mndS = ndUp;
            mndParent = mndParent.Parent();
            if (mndParent)
                mndParent = mndParent.Parent();
        } else {
            mndParent = mndParent.Parent();
            std::int32_t nR = 0, nC = 0;
            gfSnodeGetLoopCount(mndS, nR, nC);
            if (mndParent && nC >= nR) {
                Advance();
                return;
            }
        }
    }
    if (!mndS || !mndParent) {
        mnError = kRanOut;
        msError = "ndS or mndSystemLoop is nothing.";
    }
}

bool clsTreeD::KeyMatch(const TreeNode& ndSchema, std::string_view sValue)
{
    sValue = sValue.substr(0, sValue.find(':'));
    const std::string sKey = gfSnodeGetKey(ndSchema);
    if (sKey.empty())
        return false;
    for (std::string_view k : gfSplitFields(sKey, ','))
        if (gfSameName(std::string(k), std::string(sValue)))
            return true;
    return false;
}

bool clsTreeD::HasRoom(const TreeNode& ndSchema)
{
    std::int32_t nR = 0, nC = 0;
    gfSnodeGetLoopCount(ndSchema, nR, nC);
    return nC < nR;
}

const std::string& clsTreeD::Link(const TreeNode& ndSchema)
{
    auto [it, bNew] = mLinks.try_emplace(ndSchema.Id().value);
    if (bNew)
        it->second = gfSnodeFQN(ndSchema);
    return it->second;
}

TreeNode clsTreeD::AddLoopNode(const TreeNode& ndSchema)
{
    std::string sText = gfSnodeGetAttr(ndSchema, 'D');
    std::int32_t nR = 0, nC = 0;
    gfSnodeGetLoopCount(ndSchema, nR, nC);
    if (nR > 1)
        sText += " (" + std::to_string(nC) + " of " + std::to_string(nR) + ")";
    const std::string sLevel = gfSnodeGetAttr(ndSchema, 'L');
    const bool bEnvelope = sLevel == "0001" || sLevel == "0002" || sLevel == "0003";
    const char* sKind = sLevel == "0001" ? "X" : sLevel == "0002" ? "F" : sLevel == "0003" ? "T" : "Z";
    const std::string sTag =
        gfDnodeTagWithLink(gfDnodeNewTag(sKind, bEnvelope ? "" : KindOf(ndSchema).sCode, "0"), Link(ndSchema));
    NodeInit init;
    init.sText = sText;
    init.sTag = sTag;
    init.image = mImgClosedData;
    init.expandedImage = mImgOpenData;
    const TreeNode nd = mpDoc->Node(mpDoc->Add(mndParent.Id(), Relation::Child, init));
    if (bEnvelope)
        mndEnvelope = nd;
    mndParent = nd;
    return nd;
}

TreeNode clsTreeD::AddSegmentNode(const TreeNode& ndParent, const TreeNode& ndSchema)
{
    const std::string sTag = gfDnodeTagWithLink(gfDnodeNewTag("S", Element(0), "0"), Link(ndSchema));
    NodeInit init;
    init.sTag = sTag;
    init.image = mImgClosed;
    init.expandedImage = mImgOpen;
    init.sPayload = msSegment;
    init.nPayloadHead = Element(0).size();
    return mpDoc->Node(mpDoc->Add(ndParent.Id(), Relation::Child, init));
}

void clsTreeD::AddUnmatched()
{
    if (!mndEnvelope)
        return;
    const std::string sTag = gfDnodeNewTag("S", Element(0), "0");
    NodeInit init;
    init.sTag = sTag;
    init.image = mImgErrClosed;
    init.expandedImage = mImgErrOpen;
    init.sPayload = msSegment;
    init.nPayloadHead = Element(0).size();
    mpDoc->Add(mndEnvelope.Id(), Relation::Child, init);
}

}  // namespace orr
