#pragma once
// Reads an EDI file and builds its document tree by matching every segment
// against the schema tree. The first segment that cannot be placed stops
// matching; it and every later segment hang, marked as errors, under the last
// interchange, group or transaction node.
#include <climits>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "app/clsConfig.h"
#include "edi/clsEdiAsyncParser.h"
#include "schema/TreeIds.h"
#include "schema/TreeNode.h"

namespace orr {

class clsTreeD final : private EdiParserListener {
public:
    // Error codes of a build.
    enum : std::int16_t { kOk = 0, kMatchFailed = 1, kNoSegment = 2, kRanOut = 3 };
    static constexpr std::size_t kPieceSize = 512;

    clsTreeD();

    void SetDelimiter(SepCode nCode);
    void SetSelimiter(SepCode nCode);

    std::int16_t nError() const { return mnError; }
    const std::string& sError() const { return msError; }
    // Segments handled while no error had occurred.
    std::size_t SegmentCount() const { return mnSegments; }

    // Reads the whole file into docTree (a new top-level root "Root") matched
    // against schemaTree, whose top-level node is the schema root. The missing
    // node after a run-time failure (reported).
    TreeNode Build(clsTree& docTree, const std::string& sFile, clsTree& schemaTree);

    // How segment nodes make their element children on first access: split
    // at the element separator. Installed on every tree a builder fills.
    static void InstallElementMaterialiser(clsTree& tree, SepCode nDelimiter);

private:
    enum class Result { Matched = 1, NotHere = 2, Failed = 3 };

    void TriggerIsa(bool, std::string_view sSegment) override { HandleSegment(sSegment); }
    void TriggerGs(bool, std::string_view sSegment) override { HandleSegment(sSegment); }
    void TriggerSt(bool, std::string_view sSegment) override { HandleSegment(sSegment); }
    void TriggerSeg(std::string_view sSegment) override { HandleSegment(sSegment); }

    // What the matching reads from a schema node's tag, read once per build.
    // The use counter C lives here while a build runs and is written back
    // to the tag (gfSnodeSetAttr) before any message and when the build
    // ends, so the tags show the same counts as if every step had written
    // them; reading a counter or a repeat count that is not numeric shows
    // "Expecting nuneric data." at the same steps as before.
    struct SchemaInfo {
        // What matching reads for every segment comes first, together in a
        // few cache lines; the texts follow.
        NodeId id;
        std::uint32_t nIndex = 0;  // in mInfos
        char cType = 0;        // first character of the I value; 0 without one
        std::uint8_t nSystem = 0;  // for type S: kLs, kHls, kEls, kEss, or 0
        bool bCodeXxx = false;
        bool bNext = false, bParent = false, bFirst = false;  // the three below are known
        std::uint64_t nCode = 0;  // sCode packed (PackCode)
        SchemaInfo* pNext = nullptr;
        SchemaInfo* pParent = nullptr;
        SchemaInfo* pFirst = nullptr;
        std::int64_t nC = 0;
        std::int32_t nR = 0;
        bool bRBad = false;    // R present and not numeric
        bool bCBad = false;    // C present and not numeric (until written)
        bool bCText = false;   // the C value is not empty
        bool bCWritable = false;  // gfSnodeSetAttr(C) would change the tag
        bool bDirty = false;
        bool bLive = false;      // its bit is set in mLive
        std::int8_t nRequired = -1;  // gfSnodeRequired, -1 until asked
        bool bKeyPositions = false;
        bool bKeys = false;
        bool bLink = false;
        std::uint8_t nNextSkip = 0;
        std::int16_t nX = 0, nY = 0;
        // Place in the walk of gfSnodeResetLoopCounts from the schema root
        // (pre-order, into system nodes only): what a reset of this node
        // reaches is (nPre, nEnd). kNoPre: not on that walk.
        std::uint32_t nPre = kNoPre, nEnd = 0;
        TagId loopTag;           // the tag of a document loop node for it (interned in the document)
        std::uint32_t nSegHead = 0;  // the code part ("S" + 3 characters) of the cached segment tag
        TagId segTag;
        // For a segment code: the first sibling from here on that can do
        // more than say "not here" for it (or the last sibling); see SkipFor.
        struct Skip {
            std::uint64_t nCode = 0;
            SchemaInfo* pTo = nullptr;
        } skips[4];
        std::vector<NodeId> loopTexts;  // a document loop node made for it, by use count
        std::vector<std::string> keys;  // the K value split at ","
        std::string sCode;     // the I value after the type
        std::string sNumber, sD, sLevel;
        std::string sLink;       // gfSnodeFQN, once bLink
    };
    enum : std::uint8_t { kLs = 1, kHls = 2, kEls = 3, kEss = 4 };
    static constexpr std::uint32_t kNoPre = 0xFFFFFFFFu;
    static constexpr std::uint64_t kLongCode = ~std::uint64_t(0);

    void HandleSegment(std::string_view sSegment);
    void PlaceAtStart();
    Result Match();
    Result MatchSegment(SchemaInfo& s);
    Result MatchLoop(SchemaInfo& s);
    Result MatchKeyedLoop(SchemaInfo& s, bool bHl);
    Result MatchKeyedSegment(SchemaInfo& s);
    void EnterLoop(SchemaInfo& loop, SchemaInfo& system);
    void EnterContainer(SchemaInfo& system);
    void Advance();

    TreeNode AddLoopNode(SchemaInfo& s);
    TreeNode AddSegmentNode(const TreeNode& ndParent, SchemaInfo& s);
    void AddUnmatched();

    std::string_view Element(std::size_t n);
    bool HasElement(std::size_t n)
    {
        SplitTo(n);
        return n < mElements.size();
    }
    void SplitTo(std::size_t n);
    bool KeyMatch(SchemaInfo& s, std::string_view sValue);
    bool HasRoom(SchemaInfo& s);
    // Element(0) is the code of s (packed compare).
    bool IsCode(const SchemaInfo& s) const
    {
        return s.nCode != kLongCode && mnId != kLongCode ? s.nCode == mnId : s.sCode == mElements[0];
    }
    static std::uint64_t PackCode(std::string_view s);

    // ---- the schema cache ----
    SchemaInfo& Info(const TreeNode& nd);
    TreeNode Node(const SchemaInfo& s) const { return mpSchema->Node(s.id); }
    SchemaInfo* NextOf(SchemaInfo& s);
    SchemaInfo* ParentOf(SchemaInfo& s);
    SchemaInfo* FirstOf(SchemaInfo& s);
    bool Skippable(SchemaInfo& s);
    SchemaInfo* SkipFor(SchemaInfo& s);
    std::uint32_t InfoIndex(const TreeNode& nd);
    void LoadInfo(SchemaInfo& s, const TreeNode& nd);
    // gfSnodeGetLoopCount and the C half of it on the cache; a value that is
    // not numeric shows the message (BadNumber) and reads 0.
    void GetLoopCount(SchemaInfo& s, std::int32_t& nR, std::int32_t& nC)
    {
        nR = s.bRBad ? BadNumber() : s.nR;
        nC = ReadCount(s);
    }
    std::int32_t ReadCount(SchemaInfo& s)
    {
        if (!s.bCText)
            return 0;
        if (s.bCBad || s.nC > INT32_MAX || s.nC < INT32_MIN) [[unlikely]]
            return BadNumber();
        return std::int32_t(s.nC);
    }
    [[gnu::cold, gnu::noinline]] std::int32_t BadNumber();
    void IncLoopCount(SchemaInfo& s);
    void ResetLoopCounts(SchemaInfo* p);
    bool Required(SchemaInfo& s);
    const std::string& Link(SchemaInfo& s);
    void Message(const std::string& sText);  // writes the counters back, then shows it
    void WriteBackCounts();
    void ClearInfos();
    void NumberResetWalk();
    void SetLive(SchemaInfo& s);

    clsEdiAsyncParser mParser;
    SepCode mnDelimiter;
    std::int16_t mnError = kOk;
    std::string msError;
    std::size_t mnSegments = 0;

    clsTree* mpDoc = nullptr;
    clsTree* mpSchema = nullptr;
    TreeNode mndRoot;       // document root
    TreeNode mndSchemaRoot;
    SchemaInfo* mpS = nullptr;  // schema pointer (null: none)
    TreeNode mndParent;     // document parent
    TreeNode mndEnvelope;   // last X, F or T node, or the root

    std::string_view msSegment;            // the segment being handled
    std::vector<std::string_view> mElements;  // its elements; 0 is the identifier
    std::uint64_t mnId = 0;                // Element(0) packed
    std::size_t mnSplitAt = 0;             // where the next element starts; npos: all cut
    std::deque<SchemaInfo> mInfos;         // stable references while matching adds more
    std::vector<SchemaInfo*> mInfoOf;      // by schema node id - mnInfoBase
    std::uint32_t mnInfoBase = 0;
    std::vector<std::uint32_t> mDirty;     // infos whose counter changed since the last write-back
    // Infos a reset would change (counter not 0), one bit per walk number;
    // mByPre names the info of each number.
    std::vector<std::uint64_t> mLive;
    std::vector<SchemaInfo*> mByPre;
    std::string mText;                     // scratch for node texts
    ImageId mImgClosedData, mImgOpenData, mImgClosed, mImgOpen, mImgErrClosed, mImgErrOpen;
};

}  // namespace orr
