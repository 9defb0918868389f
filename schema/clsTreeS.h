#pragma once
// The schema tree builder: flattens a document
// definition with its directives and segment references, then builds one
// tree node per schema line below a root "K00000".
//
// Flattening happens in memory; with tracing on (gConfig->bTrace) the two
// passes' results are also written to "tmpxxx.def" and "xyzzyx.def" in the
// user data directory, where they stay.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/clsProgress.h"
#include "store/clsTree.h"

namespace orr {

inline constexpr const char* kFirstPassFile = "tmpxxx.def";
inline constexpr const char* kFlattenedFile = "xyzzyx.def";
inline constexpr std::int32_t kMaxSchemaNodes = 99999;

class clsTreeS {
public:
    clsTreeS();
    ~clsTreeS();
    clsTreeS(const clsTreeS&) = delete;
    clsTreeS& operator=(const clsTreeS&) = delete;

    // Flattens "doc" + sDocType + ".def" and builds its schema below a new
    // top-level root, which it returns. No root (and no node) when the
    // document definition cannot be opened, or when the tree refuses a node
    // (a key already taken; reported as a run-time error).
    NodeId Build(clsTree& tree, const std::string& sDocType);
    // The same from lines flattened already (a composed definition named sDocType).
    NodeId Build(clsTree& tree, const std::string& sDocType, const std::vector<std::string>& lines);
    std::int16_t ErrorCode() const { return 0; }
    std::string ErrorDescription() const { return {}; }

    // Both flattening passes on a definition file of the definition store:
    // the lines of the flattened result, or nullopt when the file cannot be
    // opened ("Could not open definition file:" has been shown).
    std::optional<std::vector<std::string>> Flatten(const std::string& sFile);

    // The object's directive state (kept between flattenings) and numbering.
    const std::string& Prefix() const { return msPrefix; }
    bool SwitchOff() const { return mbSwitchOff; }
    std::int32_t NodeCounter() const { return mnNodeCounter; }

private:
    struct Level {
        NodeId parent;
        NodeId lastSegment;
    };

    bool FirstPass(const std::string& sFile, std::vector<std::string>& out);
    void Include(const std::string& sName, std::vector<std::string>& out);
    void SecondPass(const std::vector<std::string>& in, std::vector<std::string>& out);
    void Expand(const std::vector<std::string_view>& ref, std::vector<std::string>& out);
    // Non-comment lines of a segment file, trimmed; read once per flattening.
    const std::vector<std::string>* SegmentFile(const std::string& sName);
    void Trace(const char* sFile, const std::vector<std::string>& lines);

    void BuildLevels(clsTree& tree, NodeId root, const std::vector<std::string>& lines);
    void EnterLevel(clsTree& tree, NodeId parent, std::vector<Level>& levels);

    std::string msPrefix;
    bool mbSwitchOff = false;
    std::int32_t mnNodeCounter = 0;
    std::int32_t mnYieldCounter = 0;
    clsProgress moProgress;
    std::map<std::string, std::vector<std::string>> mSegmentFiles;  // one flattening's reads
};

// The image of a data-element node for its requirement code.
const char* gfSchemaElementImage(std::string_view sRequirement);

}  // namespace orr
