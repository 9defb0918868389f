#pragma once
// Strongly typed indices of the tree store: a node, an interned tag, an
// interned image key. Raw integers never cross the store's interface.
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace orr {

template <typename Tag, typename Int>
struct TypedIndex {
    Int value = 0;

    constexpr TypedIndex() = default;
    constexpr explicit TypedIndex(Int v) : value(v) {}

    // 0 is "none" for every index kind.
    constexpr explicit operator bool() const { return value != 0; }
    constexpr bool IsNull() const { return value == 0; }
    constexpr auto operator<=>(const TypedIndex&) const = default;
};

// A node of a clsTree. Ids grow while the tree lives; a removed node's id is
// never given to another node, so a stale id can only fail, never alias.
using NodeId = TypedIndex<struct NodeIdTag, std::uint32_t>;
// An interned tag text (0: the empty tag).
using TagId = TypedIndex<struct TagIdTag, std::uint32_t>;
// An interned image key (0: no image).
using ImageId = TypedIndex<struct ImageIdTag, std::uint16_t>;

}  // namespace orr

template <typename Tag, typename Int>
struct std::hash<orr::TypedIndex<Tag, Int>> {
    std::size_t operator()(const orr::TypedIndex<Tag, Int>& i) const noexcept { return std::hash<Int>()(i.value); }
};
