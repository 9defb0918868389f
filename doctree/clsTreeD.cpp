#include "doctree/clsTreeD.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "app/UiService.h"
#include "app/clsProgress.h"
#include "app/modGlobals.h"
#include "app/modSystem.h"
#include "doctree/SegmentPipe.h"
#include "doctree/modNodeD.h"
#include "edi/SegmentText.h"
#include "edi/modGuessEdi.h"
#include "schema/modNodeS.h"
#include "store/clsFileMapping.h"

namespace orr {
namespace {

// A file read in place is parsed a piece of this size at a time; about as
// much of it is in our memory at once.
constexpr std::size_t kMappedPieceSize = std::size_t(1) << 20;

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

const std::uint64_t kIdIsa = SchemaIndex::PackCode("ISA");
const std::uint64_t kIdHl = SchemaIndex::PackCode("HL");
const std::uint64_t kIdGs = SchemaIndex::PackCode("GS");
const std::uint64_t kIdGe = SchemaIndex::PackCode("GE");
const std::uint64_t kIdSt = SchemaIndex::PackCode("ST");

}  // namespace

clsTreeD::clsTreeD() : mParser(this), mnDelimiter(gConfig ? gConfig->Delimiter : SepCode('*'))
{
    mParser.SetDelimiter(mnDelimiter);
}

clsTreeD::~clsTreeD() = default;

void clsTreeD::SetDelimiter(SepCode nCode)
{
    mnDelimiter = nCode;
    mParser.SetDelimiter(nCode);
}

void clsTreeD::SetSelimiter(SepCode nCode) { mParser.SetSelimiter(nCode); }

void clsTreeD::InstallElementMaterialiser(clsTree& tree, SepCode nDelimiter)
{
    const ImageId imgDde = tree.InternImage("dde");
    tree.SetMaterialiser(
        [nDelimiter, imgDde](clsTree& t, NodeId node, std::string_view sPayload) {
            if (nDelimiter > 255)
                return;
            const char d = char(nDelimiter);
            // A binary segment's data is one element, separators in it or not.
            const std::optional<BinaryData> binary = gfBinaryData(sPayload, d);
            const std::size_t nSplitEnd = binary ? binary->nAt : sPayload.size();
            std::size_t pos = sPayload.find(d);
            for (std::size_t n = 1; pos != std::string_view::npos; ++n) {
                const std::size_t begin = pos + 1;
                pos = begin < nSplitEnd ? sPayload.find(d, begin) : std::string_view::npos;
                const std::size_t end = pos == std::string_view::npos ? sPayload.size() : pos;
                t.AddPayloadChild(node, begin, end - begin, ElementTags()[n % 100], imgDde);
            }
        },
        nDelimiter > 255 ? '\0' : char(nDelimiter));
}

TreeNode clsTreeD::Build(clsTree& docTree, const std::string& sFile, clsTree& schemaTree)
{
    mOwnIndex = std::make_unique<SchemaIndex>(schemaTree, schemaTree.Child(NodeId{}, 0));
    return Build(docTree, sFile, schemaTree, *mOwnIndex);
}

TreeNode clsTreeD::Build(clsTree& docTree, const std::string& sFile, clsTree& schemaTree, const SchemaIndex& index)
{
    // In place where the file can be mapped under a lease: the segment texts
    // are then the file's pages, neither copied nor kept in our memory.
    if (std::unique_ptr<clsFileMapping> file = clsFileMapping::Open(sFile))
        return Build(docTree, std::move(file), sFile, schemaTree, index);
    std::error_code ec;
    std::ifstream in(sFile, std::ios::binary);
    if (!in || std::filesystem::is_directory(sFile, ec)) {
        const int nErr = in ? EISDIR : errno;
        gfReportRunTimeError(std::error_code(nErr, std::generic_category()).message() + ": " + sFile, nErr);
        return {};
    }
    return Build(docTree, in, sFile, schemaTree, index);
}

TreeNode clsTreeD::Build(clsTree& docTree, std::unique_ptr<clsFileMapping> file, const std::string& sFile,
                         clsTree& schemaTree, const SchemaIndex& index)
{
    const clsFileMapping& f = *file;
    docTree.AdoptText(std::move(file));
    PrepareParser();
    // Cut on a second thread while this one matches; the pieces are paged in
    // there, and given back here once their segments are in the tree. The
    // cutting starts before the work of BeforeMatching, which it overlaps.
    std::optional<SegmentPipe> pipe(std::in_place, mParser, f.Text(), kMappedPieceSize, mnDelimiter,
                                    [&f](std::size_t n, std::size_t nSize) { f.Load(n, nSize); });
    if (!BeforeMatching())
        return {};
    return BuildFrom(docTree, sFile, schemaTree, index, [&](clsProgress& progress) {
        SegmentPipe::Batch batch;
        while (pipe->Next(batch)) {
            for (const SegmentHead& head : batch.segments)
                HandleSegment(head);
            if (batch.trailing)
                AddTrailing(*batch.trailing);
            mbUnterminated = mbUnterminated || batch.bUnterminated;
            if (batch.nCutBefore > mnBytesRead) {
                // A small file keeps its pages once read: giving them back is a
                // system call (on a virtual machine also a flush of the other
                // cores' address caches), and the views read them again at once.
                if (f.Text().size() > SegmentPipe::kSmallText)
                    f.Release(mnBytesRead, batch.nCutBefore - mnBytesRead);
                mnBytesRead = batch.nCutBefore;
                ShowProgress(progress);
            }
        }
        pipe.reset();  // its thread joined and the parser's listener back before the parser ends
    });
}

TreeNode clsTreeD::Build(clsTree& docTree, std::istream& in, const std::string& sFile, clsTree& schemaTree,
                         const SchemaIndex& index)
{
    PrepareParser();
    if (!BeforeMatching())
        return {};
    return BuildFrom(docTree, sFile, schemaTree, index, [&](clsProgress& progress) {
        char piece[kPieceSize];
        while (in.read(piece, std::streamsize(kPieceSize)) || in.gcount() > 0)
            Feed(std::string_view(piece, std::size_t(in.gcount())), progress);
    });
}

void clsTreeD::PrepareParser()
{
    mParser.bIsaTrigger = mParser.bGsTrigger = mParser.bStTrigger = mParser.bSegTrigger = true;
    mParser.bIsaSeparators = true;
    mParser.bReportTrailing = true;
}

void clsTreeD::Feed(std::string_view sPiece, clsProgress& progress)
{
    mnBytesRead += sPiece.size();
    ShowProgress(progress);
    mParser.ParseData(sPiece);
}

void clsTreeD::ShowProgress(clsProgress& progress) const
{
    if (progress.Due())
        progress.Status("Reading EDI document. " + std::to_string(mnBytesRead) + " characters read.");
}

TreeNode clsTreeD::BuildFrom(clsTree& docTree, const std::string& sFile, clsTree& schemaTree, const SchemaIndex& index,
                             const std::function<void(clsProgress&)>& fnRead)
{
    std::error_code ec;
    mnBytesRead = 0;
    mbUnterminated = false;
    mSetKinds.clear();
    msSetVersion.clear();
    mGroups.clear();
    mbInGroup = false;
    mpDoc = &docTree;
    mpSchema = &schemaTree;
    mpIx = &index;
    mCounts.emplace(index);
    mCacheSlot.assign(index.Size(), nullptr);
    mCache.clear();
    mImgClosedData = docTree.InternImage("closeddata");
    mImgOpenData = docTree.InternImage("opendata");
    mImgClosed = docTree.InternImage("closed");
    mImgOpen = docTree.InternImage("open");
    mImgErrClosed = docTree.InternImage("errclosed");
    mImgErrOpen = docTree.InternImage("erropen");
    mImgTrailing = docTree.InternImage(kTrailingImage);
    mImgTrailingOpen = docTree.InternImage(kTrailingOpenImage);
    InstallElementMaterialiser(docTree, mnDelimiter);

    // Room for the nodes a file of this size makes (segments of a dozen
    // characters, loops included), so the node arrays are not copied as they grow.
    if (const auto nSize = std::filesystem::file_size(sFile, ec); !ec)
        docTree.ReserveNodes(std::size_t(nSize / 10) + 16);
    clsTree::BulkUpdate bulk(docTree);
    const std::string sRootTag = gfDnodeNewTag("D", "", "0");
    NodeInit root;
    root.sKey = "Root";
    root.sText = sFile;
    root.sTag = sRootTag;
    root.image = mImgClosedData;
    root.expandedImage = mImgOpenData;
    mndRoot = docTree.Node(docTree.Add(NodeId{}, Relation::Child, root));
    mS = index.Root();
    mndParent = mndEnvelope = mndRoot;
    // The use counters go into the schema tags however the build ends.
    struct WriteBack {
        clsTreeD* p;
        ~WriteBack() { p->mCounts->WriteBack(*p->mpSchema); }
    } writeBack{this};
    {
        clsProgress progress;
        fnRead(progress);
        mParser.EndData();
    }

    if (mnSegments == 0) {
        mnError = kNoSegment;
        msError =
            "No segment was recognized.\r\nCheck segment separator and Data Element separator in the Option "
            "screen.";
    } else if (mnError == kOk) {
        CheckEnvelopesClosed();
    }
    return mndRoot;
}

void clsTreeD::CheckEnvelopesClosed()
{
    // Only the last envelope of each level can be open: a header that came
    // while one was open failed to match.
    struct Level {
        char cKind;
        const char *sTrailer, *sWhat;
        std::size_t nControl;  // the header's control number element
    };
    static constexpr Level kLevels[] = {{'T', "SE", "transaction set", 2},
                                        {'F', "GE", "functional group", 6},
                                        {'X', "IEA", "interchange", 13}};
    std::vector<std::string_view> values;
    for (TreeNode nd = mndEnvelope; nd && nd != mndRoot; nd = nd.Parent()) {
        const char cKind = gfDnodeType(nd);
        const Level* level = std::find_if(std::begin(kLevels), std::end(kLevels),
                                          [cKind](const Level& l) { return l.cKind == cKind; });
        if (level == std::end(kLevels))
            continue;
        const TreeNode ndLast = nd.LastChild();
        if (ndLast && gfDnodeType(ndLast) == 'S' && ndLast.Text() == level->sTrailer)
            continue;
        std::string sControl;
        if (const TreeNode ndHeader = nd.FirstChild())
            if (const std::optional<std::string_view> payload = mpDoc->Payload(ndHeader.Id())) {
                gfSplitElements(*payload, mnDelimiter < 256 ? char(mnDelimiter) : '\0', values);
                if (level->nControl < values.size())
                    sControl = " " + std::string(values[level->nControl]);
            }
        mnError = kTruncated;
        msError += (msError.empty() ? "" : "\r\n") + std::string("The file ends inside ") + level->sWhat + sControl +
                   ": its " + level->sTrailer + " segment is missing (segment " + std::to_string(mnSegments + 1) +
                   ").";
    }
}

const std::vector<std::string_view>& clsTreeD::RestOfElements()
{
    if (mbRestCut)
        return mRest;
    mbRestCut = true;
    mRest.clear();
    const std::string_view s = mHead.sText;
    const bool bSplits = mnDelimiter > 0 && mnDelimiter <= 255;
    const std::optional<BinaryData> binary = bSplits ? gfBinaryData(s, char(mnDelimiter)) : std::nullopt;
    const std::size_t nSplitEnd = binary ? binary->nAt : s.size();
    for (std::size_t nAt = mHead.RestAt(); nAt != std::string_view::npos;) {
        const std::size_t p = bSplits && nAt < nSplitEnd ? s.find(char(mnDelimiter), nAt) : std::string_view::npos;
        mRest.push_back(s.substr(nAt, p == std::string_view::npos ? p : p - nAt));
        nAt = p == std::string_view::npos ? p : p + 1;
    }
    return mRest;
}

void clsTreeD::HandleSegment(const SegmentHead& head)
{
    mHead = head;
    mbRestCut = false;
    if (mHead.nId == kIdGs || mHead.nId == kIdGe || mHead.nId == kIdSt) [[unlikely]]
        NoteSetKind();
    if (mHead.nId == kIdIsa)
        ReadInterchangeSeparators();
    if (mnError != kOk) {
        AddUnmatched();
        return;
    }
    if (++mnSegments == 1)
        PlaceAtStart();
    if (Match() != Result::Matched) {
        mnError = kMatchFailed;
        msError = "Segment matching failed.\r\nFailed segment:" + std::string(mHead.sText);
        AddUnmatched();
    }
}

void clsTreeD::NoteSetKind()
{
    // As gfScanTransactionSets and gfScanGroups read them.
    mbInGroup = mHead.nId == kIdGs || (mbInGroup && mHead.nId != kIdGe);
    if (mHead.nId == kIdGs) {
        msSetVersion = Element(8);
        mGroups.push_back({std::string(Element(1)), msSetVersion, {}});
    }
    if (mHead.nId != kIdSt)
        return;
    const std::string_view sSet = Element(1);
    if (!mbInGroup && (mGroups.empty() || !mGroups.back().sGs01.empty()))
        mGroups.push_back({});  // sets without a group
    mGroups.back().sets.emplace_back(sSet);
    for (TransactionSetKind& k : mSetKinds)
        if (k.sSet == sSet && k.sVersion == msSetVersion) {
            ++k.nCount;
            return;
        }
    mSetKinds.push_back({std::string(sSet), msSetVersion, 1});
}

void clsTreeD::ReadInterchangeSeparators()
{
    const InterchangeSeparators s = gfIsaSeparators(Element(11), Element(12), Element(16));
    mcComponent = s.cComponent;
    mcRepetition = s.cRepetition;
}

bool clsTreeD::Required(SchemaIx s)
{
    const std::int8_t n = E(s).nRequired;
    return n < 0 ? gfSnodeRequired(mpSchema->Node(E(s).node)) : n == 1;
}

void clsTreeD::Message(const std::string& sText)
{
    mCounts->WriteBack(*mpSchema);
    gfMsgBox(sText, MsgIcon::Critical);
}

std::int32_t clsTreeD::BadNumber()
{
    Message("Expecting nuneric data.");
    return 0;
}

// ---- matching -------------------------------------------------------------------------

// True when matching the current segment at s gives "not here" whatever the
// counters say, without a message or any other effect: then Match just goes
// on to the next sibling, and a run of such siblings can be passed at once.
bool clsTreeD::Skippable(SchemaIx s)
{
    const SchemaEntry& e = E(s);
    if (mHead.nId == SchemaIndex::kLongCode || e.bRepeatBad)
        return false;
    auto differs = [this](const SchemaEntry& f) { return f.nCode != SchemaIndex::kLongCode && f.nCode != mHead.nId; };
    if (e.cType == 'R')
        return !e.bAnyCode && differs(e) && !Required(s);
    if (e.cType != 'S')
        return false;
    switch (e.system) {
    case SystemKind::Ls: return e.first && E(e.first).cType == 'R' && differs(E(e.first)) && !Required(e.first);
    case SystemKind::Hls: return mHead.nId != kIdHl;
    case SystemKind::Els: {
        const SchemaIx first = e.first ? E(e.first).first : SchemaIx{};
        return !first || E(first).cType != 'R' || differs(E(first));
    }
    case SystemKind::Ess: return !e.first || E(e.first).cType != 'R' || differs(E(e.first));
    default: return false;
    }
}

clsTreeD::Cache& clsTreeD::CacheOf(SchemaIx s)
{
    Cache*& pCache = mCacheSlot[s.value];
    if (!pCache)
        pCache = &mCache.emplace_back();
    return *pCache;
}

SchemaIx clsTreeD::SkipFor(SchemaIx s)
{
    Cache& c = CacheOf(s);
    for (const Cache::Skip& k : c.skips)
        if (k.to && k.nCode == mHead.nId)
            return k.to;
    SchemaIx p = s;
    while (Skippable(p) && E(p).next)  // the last sibling: Match looks at it and climbs
        p = E(p).next;
    Cache::Skip& k = c.skips[c.nNextSkip];
    c.nNextSkip = std::uint8_t((c.nNextSkip + 1) % 4);
    k.nCode = mHead.nId;
    k.to = p;
    return p;
}

void clsTreeD::PlaceAtStart()
{
    mCounts->ResetBelow(mpIx->Root());
    const std::string_view sId = Element(0);
    SchemaIx s = mpIx->Root() ? E(mpIx->Root()).first : SchemaIx{};
    // A file without an interchange header starts in the group loop, or the
    // set loop: the envelope loop of that kind below (other segments, such as
    // ISB or TA1, may come first in the interchange loop).
    const auto envelopeBelow = [this](SchemaIx loop, char cKind) {
        SchemaIx c = loop ? E(loop).first : SchemaIx{};
        while (c && E(c).cEnvelope != cKind)
            c = E(c).next;
        return c;
    };
    if (s && (sId == "GS" || sId == "ST"))
        s = envelopeBelow(s, 'F');
    if (s && sId == "ST")
        s = envelopeBelow(s, 'T');
    mS = s;
}

clsTreeD::Result clsTreeD::Match()
{
    Result result = Result::NotHere;
    SchemaIx tried;
    while (mS && result == Result::NotHere) {
        mS = SkipFor(mS);
        const SchemaEntry& e = E(mS);
        tried = mS;
        if (e.cType == 'S') {
            switch (e.system) {
            case SystemKind::Ls: result = MatchLoop(mS); break;
            case SystemKind::Hls: result = MatchKeyedLoop(mS, true); break;
            case SystemKind::Els: result = MatchKeyedLoop(mS, false); break;
            case SystemKind::Ess: result = MatchKeyedSegment(mS); break;
            default: result = Result::Failed; break;
            }
        } else if (e.cType == 'R') {
            result = MatchSegment(mS);
        } else {
            mnError = kMatchFailed;
            return Result::NotHere;
        }
        if (result == Result::NotHere)
            Advance();
    }
    if (result != Result::Matched || E(tried).system == SystemKind::Ess)
        return result;

    AddSegmentNode(mndParent, mS);
    if (E(tried).cType == 'S')
        mCounts->ResetBelow(E(mS).parent);
    mCounts->Inc(mS);
    std::int32_t nR = 0, nC = 0;
    GetLoopCount(mS, nR, nC);
    if (nC >= nR)
        Advance();
    return result;
}

clsTreeD::Result clsTreeD::MatchSegment(SchemaIx s)
{
    if (IsCode(s))
        return Result::Matched;
    if (E(s).bAnyCode) {
        const std::string_view sId = Element(0);
        return (sId == "SE" || sId == "GE" || sId == "IEA") ? Result::NotHere : Result::Matched;
    }
    std::int32_t nR = 0, nC = 0;
    GetLoopCount(s, nR, nC);
    return Required(s) && nC < 1 ? Result::Failed : Result::NotHere;
}

clsTreeD::Result clsTreeD::MatchLoop(SchemaIx s)
{
    const SchemaIx first = E(s).first;
    if (!first || E(first).cType != 'R')
        return Result::Failed;
    if (!IsCode(first)) {
        std::int32_t nR = 0, nC = 0;
        GetLoopCount(s, nR, nC);
        return Required(first) && nC < 1 ? Result::Failed : Result::NotHere;
    }
    mCounts->Inc(s);
    AddLoopNode(s);
    mS = first;
    return Result::Matched;
}

clsTreeD::Result clsTreeD::MatchKeyedLoop(SchemaIx s, bool bHl)
{
    std::size_t nKeyAt = 3;
    if (bHl) {
        if (Element(0) != "HL")
            return Result::NotHere;
    } else {
        const SchemaIx loop = E(s).first;
        const SchemaIx first = loop ? E(loop).first : SchemaIx{};
        if (!first || E(first).cType != 'R' || !IsCode(first))
            return Result::NotHere;
        nKeyAt = std::size_t(std::max<std::int16_t>(E(s).nY, 0));
    }
    // A segment shorter than the key position matches no key.
    if (nKeyAt == 0 || !HasElement(nKeyAt))
        return Result::NotHere;
    for (const SchemaIx c : KeyedChildren(s, KeyValue(Element(nKeyAt)))) {
        if (HasRoom(c)) {
            EnterLoop(c, s);
            return Result::Matched;
        }
    }
    return Result::NotHere;
}

const std::vector<SchemaIx>& clsTreeD::KeyedChildren(SchemaIx s, std::string_view sKey)
{
    // Keys compare with their letters folded, and the cache knows them so.
    const std::uint64_t nKey = SchemaIndex::PackCode(sKey, true);
    const bool bPacked = nKey != SchemaIndex::kLongCode;
    std::vector<Cache::KeyHits>& hits = CacheOf(s).keyHits;
    if (bPacked)
        for (const Cache::KeyHits& h : hits)
            if (h.nKey == nKey)
                return h.children;
    std::vector<SchemaIx>& children = bPacked ? hits.emplace_back(Cache::KeyHits{nKey, {}}).children : mKeyScratch;
    children.clear();
    for (SchemaIx c = E(s).first; c; c = E(c).next)
        if (mpIx->KeyMatches(c, sKey))
            children.push_back(c);
    return children;
}

void clsTreeD::EnterLoop(SchemaIx loop, SchemaIx system)
{
    EnterContainer(system);
    mCounts->Inc(loop);
    AddLoopNode(loop);
    mS = E(loop).first;
}

void clsTreeD::EnterContainer(SchemaIx system)
{
    // An id the store has just given out names a live node: testing it is
    // enough (a TreeNode's truth asks the store again).
    const NodeId last = mpDoc->LastChild(mndParent.Id());
    const std::string_view sNumber = E(system).sNumber;
    // The container made for this system node last time: its tag holds the
    // system node's path, which ends with its number.
    Cache& c = CacheOf(system);
    const TagId lastTag = last ? mpDoc->TagIdOf(last) : TagId{};
    if (last && c.loopTag && lastTag == c.loopTag) {
        mndParent = mpDoc->Node(last);
        return;
    }
    // The tag's link decides; the last tag found not to end with the number
    // is not read again (a tag's text does not change while the build runs).
    if (last && !(lastTag && lastTag == c.otherTag)) {
        const std::string_view sLink = gfDnodeTagLink(mpDoc->Tag(last));
        if (sLink.size() >= sNumber.size() && sLink.substr(sLink.size() - sNumber.size()) == sNumber) {
            mndParent = mpDoc->Node(last);
            return;
        }
        c.otherTag = lastTag;
    }
    AddLoopNode(system);
}

clsTreeD::Result clsTreeD::MatchKeyedSegment(SchemaIx s)
{
    const SchemaIx first = E(s).first;
    if (!first || E(first).cType != 'R' || !IsCode(first))
        return Result::NotHere;
    const std::int16_t nY = E(s).nY;
    if (nY <= 0 || !HasElement(std::size_t(nY)))
        return Result::NotHere;
    for (const SchemaIx c : KeyedChildren(s, KeyValue(Element(std::size_t(nY))))) {
        if (!HasRoom(c))
            continue;
        const TreeNode outer = mndParent;  // the container is made or found under it
        EnterContainer(s);
        AddSegmentNode(mndParent, c);
        mCounts->Inc(c);
        mndParent = outer;
        return Result::Matched;
    }
    return Result::NotHere;
}

void clsTreeD::Advance()
{
    // A loop, not a call of itself: a schema nested thousands of loops deep
    // would overflow the stack (docs/RELIABILITY.md).
    for (;;) {
        if (const SchemaIx next = E(mS).next) {
            mS = next;
        } else {
            mS = E(mS).parent;
            const SchemaIx up = mS ? E(mS).parent : SchemaIx{};
            if (!mS) {
                mCounts->WriteBack(*mpSchema);
                gfMsgBox("Matching code reached root of schema tree", MsgIcon::Information);
            } else if (up && (E(up).system == SystemKind::Els || E(up).system == SystemKind::Hls)) {
                mS = up;
                mndParent = mndParent.Parent();  // a live node or none: its id says which
                if (mndParent.Id())
                    mndParent = mndParent.Parent();
            } else {
                mndParent = mndParent.Parent();
                std::int32_t nR = 0, nC = 0;
                GetLoopCount(mS, nR, nC);
                if (mndParent.Id() && nC >= nR)
                    continue;  // up once more
            }
        }
        break;
    }
    if (!mS || !mndParent.Id()) {
        mnError = kRanOut;
        msError = "ndS or mndSystemLoop is nothing.";
    }
}

std::string_view clsTreeD::KeyValue(std::string_view sValue) const
{
    // A key is compared with the first repetition's first component, cut
    // with the interchange's own separators (a few characters: a plain loop).
    std::size_t n = 0;
    while (n < sValue.size() && sValue[n] != mcComponent && (!mcRepetition || sValue[n] != mcRepetition))
        ++n;
    return sValue.substr(0, n);
}

bool clsTreeD::HasRoom(SchemaIx s)
{
    std::int32_t nR = 0, nC = 0;
    GetLoopCount(s, nR, nC);
    return nC < nR;
}

// ---- the node factory -----------------------------------------------------------------

TreeNode clsTreeD::AddLoopNode(SchemaIx s)
{
    Cache& c = CacheOf(s);
    std::int32_t nR = 0, nC = 0;
    GetLoopCount(s, nR, nC);
    // Loop nodes of one schema node and use count have the same text: share it.
    const std::size_t nText = nR > 1 ? std::size_t(std::max(nC, 0)) : 0;
    const bool bShare = (nR <= 1 || nC >= 0) && nText < 1024;
    TreeNode nd;
    if (bShare && nText < c.loopTexts.size() && c.loopTexts[nText]) {
        nd = mpDoc->Node(mpDoc->AddLike(mndParent.Id(), c.loopTexts[nText]));  // the same tag, images and text
    } else {
        nd = NewLoopNode(s, nR, nC);
        if (bShare) {
            if (c.loopTexts.size() <= nText)
                c.loopTexts.resize(nText + 1);
            c.loopTexts[nText] = nd.Id();
        }
    }
    if (E(s).cEnvelope)
        mndEnvelope = nd;
    mndParent = nd;
    return nd;
}

TreeNode clsTreeD::NewLoopNode(SchemaIx s, std::int32_t nR, std::int32_t nC)
{
    const SchemaEntry& e = E(s);
    Cache& c = CacheOf(s);
    mText = e.sDescription;
    if (nR > 1) {
        mText += " (";
        mText += std::to_string(nC);
        mText += " of ";
        mText += std::to_string(nR);
        mText += ')';
    }
    NodeInit init;
    init.sText = mText;
    if (c.loopTag) {
        init.tag = c.loopTag;
    } else {
        const bool bEnvelope = e.cEnvelope != 0;
        const char sKind[2] = {bEnvelope ? e.cEnvelope : 'Z', '\0'};
        mpIx->LinkInto(s, msLink);
        gfDnodeLinkedTagInto(msTag, sKind, bEnvelope ? "" : e.sCode, msLink);
        init.sTag = msTag;
    }
    init.image = mImgClosedData;
    init.expandedImage = mImgOpenData;
    const TreeNode nd = mpDoc->Node(mpDoc->Add(mndParent.Id(), Relation::Child, init));
    if (!c.loopTag)
        c.loopTag = mpDoc->TagIdOf(nd.Id());
    return nd;
}

TreeNode clsTreeD::AddSegmentNode(const TreeNode& ndParent, SchemaIx s)
{
    Cache& c = CacheOf(s);
    // The tag's code part: "S" and the identifier's first three characters, padded.
    const std::string_view sId = Element(0);
    char head[4] = {'S', ' ', ' ', ' '};
    for (std::size_t i = 0; i < 3 && i < sId.size(); ++i)
        head[i + 1] = sId[i];
    std::uint32_t nHead;
    std::memcpy(&nHead, head, 4);
    // A segment like the last one matched to s is a node of its kind.
    if (c.segKind && c.nSegHead == nHead)
        return mpDoc->Node(mpDoc->AddLike(ndParent.Id(), c.segKind, mHead.sText, sId.size()));
    mpIx->LinkInto(s, msLink);
    gfDnodeLinkedTagInto(msTag, "S", sId, msLink);
    NodeInit init;
    init.sTag = msTag;
    init.image = mImgClosed;
    init.expandedImage = mImgOpen;
    init.sPayload = mHead.sText;
    init.nPayloadHead = sId.size();
    const TreeNode nd = mpDoc->Node(mpDoc->Add(ndParent.Id(), Relation::Child, init));
    c.segKind = nd.Id();
    c.nSegHead = nHead;
    return nd;
}

void clsTreeD::AddTrailing(std::string_view sText)
{
    // Text after the last terminator is no segment, but it is the file's:
    // it stays, last in the document, and is written back as it stands. It
    // is no segment read either: a file of nothing else read nothing.
    const std::size_t nId = mnDelimiter > 0 && mnDelimiter < 256 ? sText.find(char(mnDelimiter)) : sText.npos;
    const std::string_view sId = nId == sText.npos ? std::string_view("???") : sText.substr(0, nId);
    const std::string sTag = gfDnodeNewTag("S", sId, "0");
    NodeInit init;
    init.sTag = sTag;
    init.image = mImgTrailing;
    init.expandedImage = mImgTrailingOpen;
    init.sPayload = sText;
    init.nPayloadHead = nId == sText.npos ? sText.size() : nId;  // no element: the text shows whole
    mpDoc->Add(mndRoot.Id(), Relation::Child, init);
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
    init.sPayload = mHead.sText;
    init.nPayloadHead = Element(0).size();
    mpDoc->Add(mndEnvelope.Id(), Relation::Child, init);
}

}  // namespace orr
