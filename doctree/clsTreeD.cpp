#include "doctree/clsTreeD.h"

#include <algorithm>
#include <bit>
#include <array>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
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
    if (!s.empty() && s.front() != ' ' && s.back() != ' ')
        return s;  // the usual case: the parser trimmed the segment already
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


// gfSameName without building strings.
bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    if (a == b)
        return true;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i]))
            return false;
    return true;
}

// The tag field count and whether one field starts with cLetter, as
// gfSnodeSetAttr judges whether it can write that letter.
bool CanSetAttr(std::string_view sTag, char cLetter)
{
    std::size_t nFields = 0;
    bool bFound = false;
    std::size_t nStart = 0;
    for (;;) {
        const auto nAt = sTag.find('*', nStart);
        const std::string_view f = sTag.substr(nStart, nAt == std::string_view::npos ? std::string_view::npos : nAt - nStart);
        ++nFields;
        if (!f.empty() && f[0] == cLetter)
            bFound = true;
        if (nAt == std::string_view::npos)
            break;
        nStart = nAt + 1;
    }
    return nFields >= 7 && bFound;
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
    ClearInfos();
    mImgClosedData = docTree.InternImage("closeddata");
    mImgOpenData = docTree.InternImage("opendata");
    mImgClosed = docTree.InternImage("closed");
    mImgOpen = docTree.InternImage("open");
    mImgErrClosed = docTree.InternImage("errclosed");
    mImgErrOpen = docTree.InternImage("erropen");
    InstallElementMaterialiser(docTree, mnDelimiter);

    // Room for the nodes a file of this size makes (segments of a dozen
    // characters, loops included), so the node arrays are not copied as they grow.
    if (const auto nSize = std::filesystem::file_size(sFile, ec); !ec)
        docTree.ReserveNodes(std::size_t(nSize / 10) + 16);
    docTree.BeginBulk();
    const std::string sRootTag = gfDnodeNewTag("D", "", "0");
    NodeInit root;
    root.sKey = "Root";
    root.sText = sFile;
    root.sTag = sRootTag;
    root.image = mImgClosedData;
    root.expandedImage = mImgOpenData;
    mndRoot = docTree.Node(docTree.Add(NodeId{}, Relation::Child, root));
    mpS = mndSchemaRoot ? &Info(mndSchemaRoot) : nullptr;
    mndParent = mndEnvelope = mndRoot;
    mParser.bIsaTrigger = mParser.bGsTrigger = mParser.bStTrigger = mParser.bSegTrigger = true;

    // The use counters go back into the schema tags however the build ends.
    struct WriteBack {
        clsTreeD* p;
        ~WriteBack() { p->WriteBackCounts(); }
    } writeBack{this};
    {
        clsProgress progress;
        char piece[kPieceSize];
        std::uint64_t nTotal = 0;
        while (in.read(piece, std::streamsize(kPieceSize)) || in.gcount() > 0) {
            nTotal += kPieceSize;
            if (progress.Due())
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

void clsTreeD::SplitTo(std::size_t n)
{
    const bool bSplits = mnDelimiter > 0 && mnDelimiter <= 255;
    const char d = char(mnDelimiter);
    while (mElements.size() <= n && mnSplitAt != std::string_view::npos) {
        const char* const b = msSegment.data() + mnSplitAt;
        const char* const e = msSegment.data() + msSegment.size();
        const char* p = b;
        if (bSplits)
            while (p != e && *p != d)  // elements are short: a plain loop beats a library search
                ++p;
        else
            p = e;
        mElements.emplace_back(b, std::size_t(p - b));
        mnSplitAt = p == e ? std::string_view::npos : std::size_t(p - msSegment.data()) + 1;
    }
}

std::string_view clsTreeD::Element(std::size_t n)
{
    SplitTo(n);
    return n < mElements.size() ? mElements[n] : std::string_view();
}

void clsTreeD::HandleSegment(std::string_view sSegment)
{
    msSegment = TrimBlanks(sSegment);
    mElements.clear();
    // Elements are cut as far as the matching looks (the identifier, a key).
    mnSplitAt = 0;
    SplitTo(0);
    mnId = PackCode(mElements[0]);
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

// ---- the schema cache ---------------------------------------------------------------

void clsTreeD::ClearInfos()
{
    mInfos.clear();
    mInfoOf.clear();
    mDirty.clear();
    mLive.clear();
    mByPre.clear();
    mnInfoBase = mndSchemaRoot ? mndSchemaRoot.Id().value : 0;
    NumberResetWalk();
}

std::uint32_t clsTreeD::InfoIndex(const TreeNode& nd) { return Info(nd).nIndex; }

clsTreeD::SchemaInfo& clsTreeD::Info(const TreeNode& nd)
{
    const std::uint32_t nId = nd.Id().value;
    if (nId < mnInfoBase) {
        // A node older than the root: move the table up.
        mInfoOf.insert(mInfoOf.begin(), mnInfoBase - nId, nullptr);
        mnInfoBase = nId;
    }
    const std::uint32_t nAt = nId - mnInfoBase;
    if (nAt >= mInfoOf.size())
        mInfoOf.resize(std::size_t(nAt) + 64, nullptr);
    if (SchemaInfo* p = mInfoOf[nAt])
        return *p;
    SchemaInfo& s = mInfos.emplace_back();
    s.nIndex = std::uint32_t(mInfos.size() - 1);
    LoadInfo(s, nd);
    mInfoOf[nAt] = &s;
    return s;
}

void clsTreeD::LoadInfo(SchemaInfo& s, const TreeNode& nd)
{
    s.id = nd.Id();
    const std::string& sTag = nd.Tag();
    const std::string sI = gfTagGetAttr(sTag, 'I');
    if (!sI.empty()) {
        s.cType = sI[0];
        s.sCode = sI.substr(1);
    }
    if (s.cType == 'S')
        s.nSystem = s.sCode == "LS" ? kLs : s.sCode == "HLS" ? kHls : s.sCode == "ELS" ? kEls : s.sCode == "ESS" ? kEss : 0;
    s.bCodeXxx = s.sCode == "XXX";
    s.nCode = PackCode(s.sCode);
    if (const std::string sR = gfTagGetAttr(sTag, 'R'); !sR.empty()) {
        const auto n = gfNumericValue(sR);
        s.bRBad = !n;
        s.nR = n ? *n : 0;
    }
    if (const std::string sC = gfTagGetAttr(sTag, 'C'); !sC.empty()) {
        const auto n = gfNumericValue(sC);
        s.bCText = true;
        s.bCBad = !n;
        s.nC = n ? *n : 0;
    }
    s.bCWritable = CanSetAttr(sTag, 'C');
    s.sNumber = gfTagGetAttr(sTag, 'N');
    s.sD = gfTagGetAttr(sTag, 'D');
    s.sLevel = gfTagGetAttr(sTag, 'L');
}

void clsTreeD::Message(const std::string& sText)
{
    WriteBackCounts();
    gfMsgBox(sText, MsgIcon::Critical);
}

std::int32_t clsTreeD::BadNumber()
{
    Message("Expecting nuneric data.");
    return 0;
}

void clsTreeD::IncLoopCount(SchemaInfo& s)
{
    const std::int64_t n = std::int64_t(ReadCount(s)) + 1;
    if (!s.bCWritable)
        return;
    s.nC = n;
    s.bCBad = false;
    s.bCText = true;
    const std::uint32_t nIndex = s.nIndex;
    if (!s.bDirty) {
        s.bDirty = true;
        mDirty.push_back(nIndex);
    }
    SetLive(s);
}

void clsTreeD::SetLive(SchemaInfo& s)
{
    // Only nodes on the walk from the root are reset through mLive (a node
    // off it is reset by the walk of its own ancestor, also off it).
    if (s.bLive || s.nPre == kNoPre || !(s.bCText && s.bCWritable && (s.nC != 0 || s.bCBad)))
        return;
    s.bLive = true;
    mLive[s.nPre >> 6] |= std::uint64_t(1) << (s.nPre & 63);
}

void clsTreeD::NumberResetWalk()
{
    // gfSnodeResetLoopCounts' walk from the root, numbered in its order, so
    // that what a reset of any node on it reaches is a range of numbers.
    if (!mndSchemaRoot)
        return;
    struct Step {
        TreeNode nd;
        std::uint32_t nIndex;
        bool bDone;
    };
    std::vector<Step> stack{{mndSchemaRoot, InfoIndex(mndSchemaRoot), false}};
    std::uint32_t nNext = 0;
    while (!stack.empty()) {
        Step& top = stack.back();
        if (top.bDone) {
            mInfos[top.nIndex].nEnd = nNext;
            stack.pop_back();
            continue;
        }
        top.bDone = true;
        SchemaInfo& s = mInfos[top.nIndex];
        s.nPre = nNext++;
        mByPre.push_back(&s);
        mLive.resize((mByPre.size() + 63) / 64);
        SetLive(s);
        if (s.cType != 'S')
            continue;
        const TreeNode nd = top.nd;  // top may move as the stack grows
        for (TreeNode c = nd.LastChild(); c; c = c.Previous()) {
            const std::uint32_t n = InfoIndex(c);
            if (mInfos[n].nPre == kNoPre)
                stack.push_back({c, n, false});
        }
    }
}

void clsTreeD::ResetLoopCounts(SchemaInfo* p)
{
    if (!p)
        return;
    const SchemaInfo& top = *p;
    if (top.nPre == kNoPre) {
        const TreeNode nd = Node(top);
        // Not on the walk from the root: gfSnodeResetLoopCounts' own walk.
        std::vector<TreeNode> stack;
        auto pushChildren = [&](const TreeNode& parent) {
            if (Info(parent).cType != 'S')
                return;
            for (TreeNode c = parent.LastChild(); c; c = c.Previous())
                stack.push_back(c);
        };
        pushChildren(nd);
        while (!stack.empty()) {
            const TreeNode child = stack.back();
            stack.pop_back();
            SchemaInfo& s = Info(child);
            if (s.bCText && s.bCWritable) {
                s.nC = 0;
                s.bCBad = false;
                if (!s.bDirty) {
                    s.bDirty = true;
                    mDirty.push_back(InfoIndex(child));
                }
            }
            pushChildren(child);
        }
        return;
    }
    // Only counters that are not 0 can change: the bits in (nPre, nEnd) of mLive.
    for (std::uint32_t nPre = top.nPre + 1; nPre < top.nEnd;) {
        std::uint64_t& word = mLive[nPre >> 6];
        const std::uint32_t nWordEnd = std::min<std::uint32_t>((nPre | 63) + 1, top.nEnd);
        std::uint64_t bits = word >> (nPre & 63);
        if (nWordEnd - nPre < 64)
            bits &= (std::uint64_t(1) << (nWordEnd - nPre)) - 1;
        word &= ~(bits << (nPre & 63));
        for (; bits; bits &= bits - 1) {
            SchemaInfo& s = *mByPre[nPre + std::uint32_t(std::countr_zero(bits))];
            s.nC = 0;
            s.bCBad = false;
            s.bLive = false;
            if (!s.bDirty) {
                s.bDirty = true;
                mDirty.push_back(s.nIndex);
            }
        }
        nPre = nWordEnd;
    }
}

void clsTreeD::WriteBackCounts()
{
    if (!mpSchema)
        return;
    for (const std::uint32_t n : mDirty) {
        SchemaInfo& s = mInfos[n];
        s.bDirty = false;
        const TreeNode nd = mpSchema->Node(s.id);
        if (!nd)
            continue;
        const std::string sValue = std::to_string(s.nC);
        if (gfTagGetAttr(nd.Tag(), 'C') != sValue)
            gfSnodeSetAttr(nd, 'C', sValue);
    }
    mDirty.clear();
}

bool clsTreeD::Required(SchemaInfo& s)
{
    if (s.nRequired < 0)
        s.nRequired = gfSnodeRequired(Node(s)) ? 1 : 0;
    return s.nRequired == 1;
}

const std::string& clsTreeD::Link(SchemaInfo& s)
{
    // gfSnodeFQN, from the parent's path: the numbers from the top down.
    if (s.bLink)
        return s.sLink;
    std::vector<SchemaInfo*> chain;
    for (SchemaInfo* p = &s; p && !p->bLink; p = ParentOf(*p))
        chain.push_back(p);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        SchemaInfo& n = **it;
        if (const SchemaInfo* up = ParentOf(n)) {
            n.sLink.reserve(up->sLink.size() + 1 + n.sNumber.size());
            n.sLink = up->sLink;
            n.sLink += '.';
            n.sLink += n.sNumber;
        } else {
            n.sLink = n.sNumber;
        }
        n.bLink = true;
    }
    return s.sLink;
}

// ---- matching -------------------------------------------------------------------------

std::uint64_t clsTreeD::PackCode(std::string_view s)
{
    if (s.size() > 7)
        return kLongCode;
    std::uint64_t n = std::uint64_t(s.size()) << 56;
    for (std::size_t i = 0; i < s.size(); ++i)
        n |= std::uint64_t((unsigned char)s[i]) << (8 * i);
    return n;
}

clsTreeD::SchemaInfo* clsTreeD::NextOf(SchemaInfo& s)
{
    if (!s.bNext) {
        const TreeNode n = Node(s).Next();
        s.pNext = n ? &Info(n) : nullptr;
        s.bNext = true;
    }
    return s.pNext;
}

clsTreeD::SchemaInfo* clsTreeD::ParentOf(SchemaInfo& s)
{
    if (!s.bParent) {
        const TreeNode n = Node(s).Parent();
        s.pParent = n ? &Info(n) : nullptr;
        s.bParent = true;
    }
    return s.pParent;
}

clsTreeD::SchemaInfo* clsTreeD::FirstOf(SchemaInfo& s)
{
    if (!s.bFirst) {
        const TreeNode n = Node(s).FirstChild();
        s.pFirst = n ? &Info(n) : nullptr;
        s.bFirst = true;
    }
    return s.pFirst;
}

// True when matching the current segment at s gives "not here" whatever the
// counters say, without a message or any other effect: then Match just goes
// on to the next sibling, and a run of such siblings can be passed at once.
bool clsTreeD::Skippable(SchemaInfo& s)
{
    if (mnId == kLongCode || s.bRBad || s.bCBad)
        return false;
    if (s.cType == 'R')
        return !s.bCodeXxx && s.nCode != kLongCode && s.nCode != mnId && !Required(s);
    if (s.cType != 'S')
        return false;
    switch (s.nSystem) {
    case kLs: {
        SchemaInfo* first = FirstOf(s);
        return first && first->cType == 'R' && first->nCode != kLongCode && first->nCode != mnId && !Required(*first);
    }
    case kHls:
        return mnId != PackCode("HL");
    case kEls: {
        SchemaInfo* loop = FirstOf(s);
        const SchemaInfo* first = loop ? FirstOf(*loop) : nullptr;
        return !first || first->cType != 'R' || (first->nCode != kLongCode && first->nCode != mnId);
    }
    case kEss: {
        const SchemaInfo* first = FirstOf(s);
        return !first || first->cType != 'R' || (first->nCode != kLongCode && first->nCode != mnId);
    }
    default:
        return false;
    }
}

clsTreeD::SchemaInfo* clsTreeD::SkipFor(SchemaInfo& s)
{
    for (const SchemaInfo::Skip& k : s.skips)
        if (k.pTo && k.nCode == mnId)
            return k.pTo;
    SchemaInfo* p = &s;
    while (Skippable(*p)) {
        SchemaInfo* next = NextOf(*p);
        if (!next)
            break;  // the last sibling: Match looks at it and climbs
        p = next;
    }
    SchemaInfo::Skip& k = s.skips[s.nNextSkip];
    s.nNextSkip = std::uint8_t((s.nNextSkip + 1) % 4);
    k.nCode = mnId;
    k.pTo = p;
    return p;
}

void clsTreeD::PlaceAtStart()
{
    ResetLoopCounts(mndSchemaRoot ? &Info(mndSchemaRoot) : nullptr);
    const std::string_view sId = Element(0);
    TreeNode nd = mndSchemaRoot.FirstChild();
    if (sId == "GS" || sId == "ST")
        nd = nd.Child(1);
    if (sId == "ST")
        nd = nd.Child(1);
    mpS = nd ? &Info(nd) : nullptr;
}

clsTreeD::Result clsTreeD::Match()
{
    Result result = Result::NotHere;
    const SchemaInfo* tried = nullptr;
    while (mpS && result == Result::NotHere) {
        mpS = SkipFor(*mpS);
        SchemaInfo& s = *mpS;
        tried = &s;
        if (s.cType == 'S') {
            switch (s.nSystem) {
            case kLs: result = MatchLoop(s); break;
            case kHls: result = MatchKeyedLoop(s, true); break;
            case kEls: result = MatchKeyedLoop(s, false); break;
            case kEss: result = MatchKeyedSegment(s); break;
            default: result = Result::Failed; break;
            }
        } else if (s.cType == 'R') {
            result = MatchSegment(s);
        } else {
            mnError = kMatchFailed;
            return Result::NotHere;
        }
        if (result == Result::NotHere)
            Advance();
    }
    if (result != Result::Matched || (tried->cType == 'S' && tried->nSystem == kEss))
        return result;

    const bool bSystem = tried->cType == 'S';
    SchemaInfo& s = *mpS;
    AddSegmentNode(mndParent, s);
    if (bSystem)
        ResetLoopCounts(ParentOf(s));
    IncLoopCount(s);
    std::int32_t nR = 0, nC = 0;
    GetLoopCount(s, nR, nC);
    if (nC >= nR)
        Advance();
    return result;
}

clsTreeD::Result clsTreeD::MatchSegment(SchemaInfo& s)
{
    if (IsCode(s))
        return Result::Matched;
    if (s.bCodeXxx) {
        const std::string_view sId = Element(0);
        return (sId == "SE" || sId == "GE" || sId == "IEA") ? Result::NotHere : Result::Matched;
    }
    std::int32_t nR = 0, nC = 0;
    GetLoopCount(s, nR, nC);
    return Required(s) && nC < 1 ? Result::Failed : Result::NotHere;
}

clsTreeD::Result clsTreeD::MatchLoop(SchemaInfo& s)
{
    SchemaInfo* first = FirstOf(s);
    if (!first || first->cType != 'R')
        return Result::Failed;
    if (!IsCode(*first)) {
        std::int32_t nR = 0, nC = 0;
        GetLoopCount(s, nR, nC);
        return Required(*first) && nC < 1 ? Result::Failed : Result::NotHere;
    }
    IncLoopCount(s);
    AddLoopNode(s);
    mpS = first;
    return Result::Matched;
}

clsTreeD::Result clsTreeD::MatchKeyedLoop(SchemaInfo& s, bool bHl)
{
    std::size_t nKeyAt = 3;
    if (bHl) {
        if (Element(0) != "HL")
            return Result::NotHere;
    } else {
        SchemaInfo* loop = FirstOf(s);
        const SchemaInfo* first = loop ? FirstOf(*loop) : nullptr;
        if (!first || first->cType != 'R' || !IsCode(*first))
            return Result::NotHere;
        if (!s.bKeyPositions) {
            gfSnodeGetKeyPositions(Node(s), s.nX, s.nY);
            s.bKeyPositions = true;
        }
        nKeyAt = std::size_t(std::max<std::int16_t>(s.nY, 0));
    }
    // A segment shorter than the key position matches no key.
    if (nKeyAt == 0 || !HasElement(nKeyAt))
        return Result::NotHere;
    for (SchemaInfo* c = FirstOf(s); c; c = NextOf(*c)) {
        if (KeyMatch(*c, mElements[nKeyAt]) && HasRoom(*c)) {
            EnterLoop(*c, s);
            return Result::Matched;
        }
    }
    return Result::NotHere;
}

void clsTreeD::EnterLoop(SchemaInfo& loop, SchemaInfo& system)
{
    EnterContainer(system);
    IncLoopCount(loop);
    AddLoopNode(loop);
    mpS = FirstOf(loop);
}

void clsTreeD::EnterContainer(SchemaInfo& system)
{
    const TreeNode ndLast = mndParent.LastChild();
    const std::string& sNumber = system.sNumber;
    // The container made for this system node last time: its tag holds the
    // system node's path, which ends with its number.
    if (ndLast && system.loopTag && mpDoc->TagIdOf(ndLast.Id()) == system.loopTag) {
        mndParent = ndLast;
        return;
    }
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
    AddLoopNode(system);
}

clsTreeD::Result clsTreeD::MatchKeyedSegment(SchemaInfo& s)
{
    SchemaInfo* first = FirstOf(s);
    if (!first || first->cType != 'R' || !IsCode(*first))
        return Result::NotHere;
    if (!s.bKeyPositions) {
        gfSnodeGetKeyPositions(Node(s), s.nX, s.nY);
        s.bKeyPositions = true;
    }
    const std::int16_t nY = s.nY;
    if (nY <= 0 || !HasElement(std::size_t(nY)))
        return Result::NotHere;
    for (SchemaInfo* c = first; c; c = NextOf(*c)) {
        if (!KeyMatch(*c, mElements[std::size_t(nY)]) || !HasRoom(*c))
            continue;
        EnterContainer(s);
        AddSegmentNode(mndParent, *c);
        IncLoopCount(*c);
        mndParent = mndParent.Parent();
        return Result::Matched;
    }
    return Result::NotHere;
}

void clsTreeD::Advance()
{
    // A loop, not a call of itself: a schema nested thousands of loops deep
    // would overflow the stack (docs/RELIABILITY.md).
    for (;;) {
        if (SchemaInfo* next = NextOf(*mpS)) {
            mpS = next;
        } else {
            mpS = ParentOf(*mpS);
            SchemaInfo* up = mpS ? ParentOf(*mpS) : nullptr;
            if (!mpS) {
                WriteBackCounts();
                gfMsgBox("Matching code reached root of schema tree", MsgIcon::Information);
            } else if (up && up->cType == 'S' && (up->nSystem == kEls || up->nSystem == kHls)) {
                mpS = up;
                mndParent = mndParent.Parent();
                if (mndParent)
                    mndParent = mndParent.Parent();
            } else {
                mndParent = mndParent.Parent();
                std::int32_t nR = 0, nC = 0;
                GetLoopCount(*mpS, nR, nC);
                if (mndParent && nC >= nR) {
                    continue;  // up once more
                }
            }
        }
        break;
    }
    if (!mpS || !mndParent) {
        mnError = kRanOut;
        msError = "ndS or mndSystemLoop is nothing.";
    }
}

bool clsTreeD::KeyMatch(SchemaInfo& s, std::string_view sValue)
{
    sValue = sValue.substr(0, sValue.find(':'));
    if (!s.bKeys) {
        const std::string sKey = gfSnodeGetKey(Node(s));
        if (!sKey.empty())
            for (std::string_view k : gfSplitFields(sKey, ','))
                s.keys.emplace_back(k);
        s.bKeys = true;
    }
    for (const std::string& k : s.keys)
        if (SameName(k, sValue))
            return true;
    return false;
}

bool clsTreeD::HasRoom(SchemaInfo& s)
{
    std::int32_t nR = 0, nC = 0;
    GetLoopCount(s, nR, nC);
    return nC < nR;
}

TreeNode clsTreeD::AddLoopNode(SchemaInfo& s)
{
    std::int32_t nR = 0, nC = 0;
    GetLoopCount(s, nR, nC);
    // Loop nodes of one schema node and use count have the same text: share it.
    const std::size_t nText = nR > 1 ? std::size_t(std::max(nC, 0)) : 0;
    const bool bShare = (nR <= 1 || nC >= 0) && nText < 1024;
    NodeInit init;
    if (bShare && nText < s.loopTexts.size() && s.loopTexts[nText]) {
        init.textOf = s.loopTexts[nText];
    } else {
        mText = s.sD;
        if (nR > 1) {
            mText += " (";
            mText += std::to_string(nC);
            mText += " of ";
            mText += std::to_string(nR);
            mText += ')';
        }
        init.sText = mText;
    }
    const bool bEnvelope = s.sLevel == "0001" || s.sLevel == "0002" || s.sLevel == "0003";
    std::string sTag;
    if (s.loopTag) {
        init.tag = s.loopTag;
    } else {
        const char* sKind = s.sLevel == "0001" ? "X" : s.sLevel == "0002" ? "F" : s.sLevel == "0003" ? "T" : "Z";
        sTag = gfDnodeTagWithLink(gfDnodeNewTag(sKind, bEnvelope ? "" : s.sCode, "0"), Link(s));
        init.sTag = sTag;
    }
    init.image = mImgClosedData;
    init.expandedImage = mImgOpenData;
    const TreeNode nd = mpDoc->Node(mpDoc->Add(mndParent.Id(), Relation::Child, init));
    if (!s.loopTag)
        s.loopTag = mpDoc->TagIdOf(nd.Id());
    if (bShare && !init.textOf) {
        if (s.loopTexts.size() <= nText)
            s.loopTexts.resize(nText + 1);
        s.loopTexts[nText] = nd.Id();
    }
    if (bEnvelope)
        mndEnvelope = nd;
    mndParent = nd;
    return nd;
}

TreeNode clsTreeD::AddSegmentNode(const TreeNode& ndParent, SchemaInfo& s)
{
    // The tag's code part: "S" and the identifier's first three characters, padded.
    const std::string_view sId = Element(0);
    char head[4] = {'S', ' ', ' ', ' '};
    for (std::size_t i = 0; i < 3 && i < sId.size(); ++i)
        head[i + 1] = sId[i];
    std::uint32_t nHead;
    std::memcpy(&nHead, head, 4);
    NodeInit init;
    std::string sTag;
    const bool bCached = s.segTag && s.nSegHead == nHead;
    if (bCached) {
        init.tag = s.segTag;
    } else {
        sTag = gfDnodeTagWithLink(gfDnodeNewTag("S", sId, "0"), Link(s));
        init.sTag = sTag;
    }
    init.image = mImgClosed;
    init.expandedImage = mImgOpen;
    init.sPayload = msSegment;
    init.nPayloadHead = sId.size();
    const TreeNode nd = mpDoc->Node(mpDoc->Add(ndParent.Id(), Relation::Child, init));
    if (!bCached) {
        s.segTag = mpDoc->TagIdOf(nd.Id());
        s.nSegHead = nHead;
    }
    return nd;
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
