#pragma once
// What the engines read from a schema tree, compiled once when the tree is
// built: every fact of every node's tag (kind, code, repeat limit,
// requirement, keys, key positions, description, level, element limits),
// the tree's shape (parent, first child, next sibling, pre-order range) and
// the node's path. Immutable afterwards; the engines ask it instead of
// parsing tags, and keep what changes while they work (use counters, caches)
// in vectors indexed by SchemaIx.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <memory_resource>
#include <string>
#include <string_view>
#include <vector>

#include "store/TreeIds.h"

namespace orr {

class clsTree;

// An entry of a SchemaIndex. Entries are numbered in pre-order from 1; 0 is none.
using SchemaIx = TypedIndex<struct SchemaIxTag, std::uint32_t>;

enum class SystemKind : std::uint8_t { None, Ls, Hls, Els, Ess, Other };

struct SchemaEntry {
    NodeId node;
    SchemaIx parent, first, next, prev;
    // Pre-order numbers: the subtree of this entry is [self, nEnd).
    std::uint32_t nEnd = 0;
    // The nearest ancestor that is not a system node (none: 0). A reset of
    // the use counters below a system node S reaches this entry only when
    // that ancestor lies above S: resets pass through system nodes only.
    SchemaIx resetBarrier;
    char cType = 0;          // first character of the I value; 0 without one
    SystemKind system = SystemKind::None;
    std::uint64_t nCode = 0;  // sCode packed (PackCode)
    std::int32_t nRepeat = 0;
    bool bRepeatBad = false;  // R present and not numeric
    bool bCounted = false;    // has a C field that counting changes
    // gfSnodeRequired: 1 or 0; -1 for a system node whose first-child chain
    // ends without a child (asking is an internal error).
    std::int8_t nRequired = 0;
    std::int16_t nX = 0, nY = 0;  // key positions
    std::int32_t nZ = -1;         // Z as a number: 0 segment, > 0 element position; -1 none
    // Texts of the tag, kept by the index (an entry stays small: the index
    // of a large definition is read in full at every open).
    std::string_view sCode;  // the I value after the type letter
    std::string_view sNumber, sDescription, sLevel, sRequirement, sDataType;
    std::int32_t nMinLength = 0, nMaxLength = 0;  // A and B of a data element
    // The document node kind of an envelope loop (L 0001, 0002, 0003):
    // 'X' interchange, 'F' group, 'T' transaction set; 0 for any other.
    char cEnvelope = 0;
    bool bAnyCode = false;  // the code XXX: any segment but the trailers
    std::vector<std::string> keys;  // K split at ","; empty: never matches
    std::vector<std::string> codes;  // V split at ",", sorted: a data element's valid codes; empty: any

    bool IsSystem() const { return cType == 'S'; }
    bool IsRegular() const { return cType == 'R'; }
    bool IsSegment() const { return cType == 'R' && nZ == 0; }
    bool IsElement() const { return cType == 'R' && nZ > 0; }
};

class SchemaIndex {
public:
    static constexpr std::uint64_t kLongCode = ~std::uint64_t(0);

    SchemaIndex() = default;
    // Compiles the tree below root (a schema root from clsTreeS::Build).
    SchemaIndex(const clsTree& tree, NodeId root);

    bool Empty() const { return mEntries.size() <= 1; }
    SchemaIx Root() const { return Empty() ? SchemaIx{} : SchemaIx{1}; }
    std::uint32_t Size() const { return std::uint32_t(mEntries.size()); }  // entries + 1
    const SchemaEntry& operator[](SchemaIx ix) const { return mEntries[ix.value]; }
    // The entry of a schema node (none for a node not compiled here).
    SchemaIx Of(NodeId node) const;
    NodeId Node(SchemaIx ix) const { return mEntries[ix.value].node; }
    // The child of ix at nRow (none when there are fewer children).
    SchemaIx Child(SchemaIx ix, std::uint32_t nRow) const;
    // The path of node numbers from the root (gfSnodeFQN). Made on request:
    // kept for every entry, paths would grow with the square of the depth.
    std::string Link(SchemaIx ix) const;
    // The same into sLink (its room kept: a reader makes many).
    void LinkInto(SchemaIx ix, std::string& sLink) const;
    // True when the key value matches one of the entry's keys, case-insensitively.
    bool KeyMatches(SchemaIx ix, std::string_view sValue) const;
    // Up to seven characters in one word, for comparing segment identifiers
    // in one step; longer codes give kLongCode. bFold: letters as lower case
    // (keys compare so, KeyMatches).
    static std::uint64_t PackCode(std::string_view s, bool bFold = false)
    {
        if (s.size() > 7)
            return kLongCode;
        std::uint64_t n = std::uint64_t(s.size()) << 56;
        for (std::size_t i = 0; i < s.size(); ++i) {
            const auto c = static_cast<unsigned char>(s[i]);
            n |= std::uint64_t(bFold && c >= 'A' && c <= 'Z' ? c | 0x20 : c) << (8 * i);
        }
        return n;
    }

    // The counted entries (bCounted: loops and segments, not the many data
    // elements) numbered densely in pre-order as slots, so that a subtree's
    // counters are one short run: SlotsBefore(i) counts the counted entries
    // before entry i (i may be Size()); a slot's entry and its entry's
    // resetBarrier stand apart from the entries, which are large.
    std::uint32_t SlotsBefore(std::uint32_t i) const { return mSlotsBefore[i]; }
    std::uint32_t Slots() const { return std::uint32_t(mSlotEntry.size()); }
    std::uint32_t SlotEntry(std::uint32_t nSlot) const { return mSlotEntry[nSlot]; }
    std::uint32_t SlotBarrier(std::uint32_t nSlot) const { return mSlotBarrier[nSlot]; }

private:
    void Load(SchemaEntry& e, const std::string& sTag);
    void NumberSlots();

    std::string_view Keep(std::string_view s);  // a copy that lives as long as the index

    std::vector<SchemaEntry> mEntries;  // [0] is the none entry
    // The entries' texts; behind a pointer, so that they stay where they are when the index moves.
    std::unique_ptr<std::pmr::monotonic_buffer_resource> mTexts;
    std::vector<std::uint32_t> mByNode;  // by node id - mnBase
    std::uint32_t mnBase = 0;
    std::vector<std::uint32_t> mSlotsBefore{0, 0};  // the none entry's, and the end's
    std::vector<std::uint32_t> mSlotEntry;
    std::vector<std::uint32_t> mSlotBarrier;
};

}  // namespace orr
