#pragma once
// Reads an EDI file and builds its document tree by matching every segment
// against the schema. The first segment that cannot be placed stops
// matching; it and every later segment hang, marked as errors, under the last
// interchange, group or transaction node.
//
// The matcher reads schema facts from the compiled SchemaIndex and counts
// uses in SchemaCounters; the node factory adds the document nodes.
#include <climits>
#include <cstdint>
#include <deque>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/clsConfig.h"
#include "doctree/SegmentHead.h"
#include "edi/clsEdiAsyncParser.h"
#include "edi/modDocType.h"
#include "edi/modGuessEdi.h"
#include "schema/SchemaCounters.h"
#include "schema/SchemaIndex.h"
#include "store/TreeIds.h"
#include "store/TreeNode.h"

namespace orr {

class clsFileMapping;
class clsProgress;

class clsTreeD final : private EdiParserListener {
public:
    // Error codes of a build.
    // kTruncated: the file ends inside a transaction set, group or interchange.
    enum : std::int16_t { kOk = 0, kMatchFailed = 1, kNoSegment = 2, kRanOut = 3, kTruncated = 4 };
    static constexpr std::size_t kPieceSize = 512;
    // Key values are compared up to the first component separator; a file
    // without an ISA uses this one.
    static constexpr char kDefaultComponent = kDefaultComponentSeparator;

    clsTreeD();
    ~clsTreeD() override;

    void SetDelimiter(SepCode nCode);
    void SetSelimiter(SepCode nCode);

    std::int16_t nError() const { return mnError; }
    const std::string& sError() const { return msError; }
    // Segments handled while no error had occurred.
    std::size_t SegmentCount() const { return mnSegments; }
    // Characters read from the file by the last Build.
    std::uint64_t BytesRead() const { return mnBytesRead; }
    // The file's last segment had no terminator (it was read all the same).
    bool LastSegmentUnterminated() const { return mbUnterminated; }
    // The kinds of transaction sets and the groups read by the last Build,
    // as gfScanTransactionSets and gfScanGroups find them in the file.
    const std::vector<TransactionSetKind>& SetKinds() const { return mSetKinds; }
    const std::vector<GroupKind>& Groups() const { return mGroups; }

    // Reads the whole file into docTree (a new top-level root "Root") matched
    // against schemaTree, whose top-level node is the schema root. The missing
    // node after a run-time failure (reported). The first form compiles the
    // schema's index for this build.
    TreeNode Build(clsTree& docTree, const std::string& sFile, clsTree& schemaTree);
    TreeNode Build(clsTree& docTree, const std::string& sFile, clsTree& schemaTree, const SchemaIndex& index);
    // The same from sFile mapped (its text is adopted by docTree).
    TreeNode Build(clsTree& docTree, std::unique_ptr<clsFileMapping> file, const std::string& sFile,
                   clsTree& schemaTree, const SchemaIndex& index);
    // The same from a stream already open on sFile (named in the root).
    TreeNode Build(clsTree& docTree, std::istream& in, const std::string& sFile, clsTree& schemaTree,
                   const SchemaIndex& index);

    // How segment nodes make their element children on first access: split
    // at the element separator. Installed on every tree a builder fills.
    static void InstallElementMaterialiser(clsTree& tree, SepCode nDelimiter);

    // Work for the calling thread while a mapped file is cut on the other,
    // before the first segment is matched: a Build may be given its schema
    // tree and index only then (loading a definition takes as long as
    // cutting megabytes). False ends the build without a tree. Kept for
    // every later Build.
    void SetBeforeMatching(std::function<bool()> fn) { mfnBeforeMatching = std::move(fn); }

private:
    // The parser's settings for a build, made before any thread cuts with it.
    void PrepareParser();
    bool BeforeMatching() const { return !mfnBeforeMatching || mfnBeforeMatching(); }
    // The build around fnRead, which gives the file's text to Feed.
    TreeNode BuildFrom(clsTree& docTree, const std::string& sFile, clsTree& schemaTree, const SchemaIndex& index,
                       const std::function<void(clsProgress&)>& fnRead);
    void Feed(std::string_view sPiece, clsProgress& progress);
    void ShowProgress(clsProgress& progress) const;

    enum class Result { Matched = 1, NotHere = 2, Failed = 3 };

    void TriggerIsa(bool, std::string_view sSegment) override { HandleSegment(sSegment); }
    void TriggerGs(bool, std::string_view sSegment) override { HandleSegment(sSegment); }
    void TriggerSt(bool, std::string_view sSegment) override { HandleSegment(sSegment); }
    void TriggerSeg(std::string_view sSegment) override { HandleSegment(sSegment); }
    void TriggerTrailing(std::string_view sText) override { AddTrailing(sText); }
    void TriggerUnterminated() override { mbUnterminated = true; }
    void HandleSegment(std::string_view sSegment) { HandleSegment(SegmentHead::Cut(sSegment, mnDelimiter)); }

    // What the builder keeps per schema entry while it runs: where matching
    // may skip to for a segment code, and the document tags and loop texts
    // it made for the entry (interned in the document tree).
    struct Cache {
        struct Skip {
            std::uint64_t nCode = 0;
            SchemaIx to;
        } skips[4];
        std::uint8_t nNextSkip = 0;
        TagId loopTag;
        TagId otherTag;                 // a tag whose link is not this container's (EnterContainer)
        std::uint32_t nSegHead = 0;     // the code part ("S" + 3 characters) of segKind's tag
        NodeId segKind;                 // a segment node made for it: the next ones are of its kind
        std::vector<NodeId> loopTexts;  // a document loop node made for it, by use count (its kind)
        // A keyed group's children whose keys hold a value, by the value
        // packed with its letters folded (KeyedChildren).
        struct KeyHits {
            std::uint64_t nKey = 0;
            std::vector<SchemaIx> children;
        };
        std::vector<KeyHits> keyHits;
    };
    // The entry's cache, made on its first use in this build: a short
    // document read against a large schema uses few entries, and making
    // them all took most of such a reading.
    Cache& CacheOf(SchemaIx s);

    const SchemaEntry& E(SchemaIx ix) const { return (*mpIx)[ix]; }
    void HandleSegment(const SegmentHead& head);
    void NoteSetKind();
    void ReadInterchangeSeparators();
    void PlaceAtStart();
    Result Match();
    Result MatchSegment(SchemaIx s);
    Result MatchLoop(SchemaIx s);
    Result MatchKeyedLoop(SchemaIx s, bool bHl);
    Result MatchKeyedSegment(SchemaIx s);
    // The children of keyed group s whose keys match sKey, in order: looked
    // up once per group and key (the schema does not change while it runs).
    const std::vector<SchemaIx>& KeyedChildren(SchemaIx s, std::string_view sKey);
    void EnterLoop(SchemaIx loop, SchemaIx system);
    void EnterContainer(SchemaIx system);
    void Advance();
    bool Skippable(SchemaIx s);
    SchemaIx SkipFor(SchemaIx s);

    TreeNode AddLoopNode(SchemaIx s);
    TreeNode NewLoopNode(SchemaIx s, std::int32_t nR, std::int32_t nC);  // a loop node of a new kind
    TreeNode AddSegmentNode(const TreeNode& ndParent, SchemaIx s);
    void AddUnmatched();
    void AddTrailing(std::string_view sText);
    // At the end: the envelopes still open (no SE, GE or IEA) make the build fail.
    void CheckEnvelopesClosed();

    // Element n of the segment ("" past its last): the head's are looked up,
    // the rest cut once, when first asked for (a later key, the ISA's separators).
    std::string_view Element(std::size_t n)
    {
        if (n < mHead.nCut)
            return mHead.Element(n);
        const std::vector<std::string_view>& rest = RestOfElements();
        return n - mHead.nCut < rest.size() ? rest[n - mHead.nCut] : std::string_view();
    }
    bool HasElement(std::size_t n) { return n < mHead.nCut || n - mHead.nCut < RestOfElements().size(); }
    const std::vector<std::string_view>& RestOfElements();
    std::string_view KeyValue(std::string_view sValue) const;  // the part a key is compared with
    bool HasRoom(SchemaIx s);
    // Element(0) is the code of s (packed compare).
    bool IsCode(SchemaIx s)
    {
        const SchemaEntry& e = E(s);
        return e.nCode != SchemaIndex::kLongCode && mHead.nId != SchemaIndex::kLongCode ? e.nCode == mHead.nId
                                                                                        : e.sCode == Element(0);
    }
    bool Required(SchemaIx s);

    // A schema node's repeat (R) and use count, from the index and the counters; a repeat that is
    // not numeric shows the message (BadNumber) and reads 0.
    void GetLoopCount(SchemaIx s, std::int32_t& nR, std::int32_t& nC)
    {
        nR = E(s).bRepeatBad ? BadNumber() : E(s).nRepeat;
        nC = ReadCount(s);
    }
    std::int32_t ReadCount(SchemaIx s)
    {
        const std::int64_t n = mCounts->Get(s);
        if (n > INT32_MAX) [[unlikely]]
            return BadNumber();
        return std::int32_t(n);
    }
    [[gnu::cold, gnu::noinline]] std::int32_t BadNumber();
    void Message(const std::string& sText);  // writes the counters back, then shows it

    clsEdiAsyncParser mParser;
    std::function<bool()> mfnBeforeMatching;
    SepCode mnDelimiter;
    std::int16_t mnError = kOk;
    std::string msError;
    std::size_t mnSegments = 0;
    std::uint64_t mnBytesRead = 0;
    bool mbUnterminated = false;
    std::vector<TransactionSetKind> mSetKinds;
    std::string msSetVersion;  // GS08 of the last group begun
    std::vector<GroupKind> mGroups;
    bool mbInGroup = false;  // after a GS, before its GE

    clsTree* mpDoc = nullptr;
    clsTree* mpSchema = nullptr;
    const SchemaIndex* mpIx = nullptr;
    std::unique_ptr<SchemaIndex> mOwnIndex;  // the first form of Build compiles one
    std::optional<SchemaCounters> mCounts;
    std::vector<Cache*> mCacheSlot;  // by entry: its cache in mCache, none yet
    std::deque<Cache> mCache;        // a deque: the caches in use stay where they are as it grows
    TreeNode mndRoot;                      // document root
    SchemaIx mS;                           // schema pointer (none: none)
    TreeNode mndParent;                    // document parent
    TreeNode mndEnvelope;                  // last X, F or T node, or the root
    char mcComponent = kDefaultComponent;  // of the interchange being read
    char mcRepetition = 0;                 // 0: none (before version 00501)

    SegmentHead mHead;                    // the segment being handled
    std::vector<std::string_view> mRest;  // its elements after the head's
    std::vector<SchemaIx> mKeyScratch;    // KeyedChildren of a key too long to pack
    bool mbRestCut = false;               // mRest holds this segment's
    std::string mText;                    // scratch for node texts
    std::string msLink, msTag;            // scratch for new nodes' tags
    ImageId mImgClosedData, mImgOpenData, mImgClosed, mImgOpen, mImgErrClosed, mImgErrOpen, mImgTrailing,
        mImgTrailingOpen;
};

}  // namespace orr
