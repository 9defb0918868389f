#pragma once
// Reads an EDI file and builds its document tree by matching every segment
// against the schema tree. The first segment that cannot be placed stops
// matching; it and every later segment hang, marked as errors, under the last
// interchange, group or transaction node.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/clsConfig.h"
#include "edi/clsEdiAsyncParser.h"
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

    void HandleSegment(std::string_view sSegment);
    void PlaceAtStart();
    Result Match();
    Result MatchSegment();
    Result MatchLoop();
    Result MatchKeyedLoop(bool bHl);
    Result MatchKeyedSegment();
    void EnterLoop(const TreeNode& ndLoop, const TreeNode& ndSystem);
    void EnterContainer(const TreeNode& ndSystem);
    void Advance();

    TreeNode AddLoopNode(const TreeNode& ndSchema);
    TreeNode AddSegmentNode(const TreeNode& ndParent, const TreeNode& ndSchema);
    void AddUnmatched();

    std::string_view Element(std::size_t n) const;
    const std::string& Link(const TreeNode& ndSchema);
    static bool KeyMatch(const TreeNode& ndSchema, std::string_view sValue);
    static bool HasRoom(const TreeNode& ndSchema);

    clsEdiAsyncParser mParser;
    SepCode mnDelimiter;
    std::int16_t mnError = kOk;
    std::string msError;
    std::size_t mnSegments = 0;

    clsTree* mpDoc = nullptr;
    clsTree* mpSchema = nullptr;
    TreeNode mndRoot;       // document root
    TreeNode mndSchemaRoot;
    TreeNode mndS;          // schema pointer
    TreeNode mndParent;     // document parent
    TreeNode mndEnvelope;   // last X, F or T node, or the root

    std::string_view msSegment;            // the segment being handled
    std::vector<std::string_view> mElements;  // its elements; 0 is the identifier
    std::unordered_map<std::uint32_t, std::string> mLinks;  // schema node -> path
    ImageId mImgClosedData, mImgOpenData, mImgClosed, mImgOpen, mImgErrClosed, mImgErrOpen;
};

}  // namespace orr
