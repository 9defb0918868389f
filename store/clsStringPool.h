#pragma once
// Interned texts: each distinct text is stored once and named by a small id.
// The tree store keeps its tags and image keys here. A counted pool gives an
// id back when its last user lets go, so texts that keep changing (the use
// counters inside schema tags) do not pile up.
#include <cstdint>
#include <memory_resource>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orr {

class clsStringPool {
public:
    // Id 0 is always the empty text. The map's nodes come from pResource,
    // which must outlive the pool.
    explicit clsStringPool(bool bCounted, std::pmr::memory_resource* pResource = std::pmr::get_default_resource());
    // Entries point at the map's keys: a pool stays where it is made.
    clsStringPool(const clsStringPool&) = delete;
    clsStringPool& operator=(const clsStringPool&) = delete;

    // The id of s, adding it with no users when new. An uncounted pool keeps
    // every text for good; a counted pool keeps it while it has users.
    std::uint32_t Intern(std::string_view s);
    // The id of s, or 0 when it is not in the pool.
    std::uint32_t Find(std::string_view s) const;
    const std::string& Text(std::uint32_t nId) const { return *mEntries[nId].pText; }

    void AddRef(std::uint32_t nId);
    void Release(std::uint32_t nId);
    // Lets go of nOld and takes s, returning its id. When nOld had this user
    // only and s is new, the entry is re-keyed in place (no allocation).
    std::uint32_t Assign(std::uint32_t nOld, std::string_view s);

    // Room for nCount more distinct texts without rehashing every one of them.
    void Reserve(std::size_t nCount)
    {
        mMap.reserve(mMap.size() + nCount);
        mEntries.reserve(mEntries.size() + nCount);
    }
    // Entries in use, the empty text included.
    std::size_t Count() const { return mMap.size() + 1; }
    // Rough heap use, for the benchmarks.
    std::size_t Bytes() const;
    void Clear();

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>()(s); }
    };
    struct Eq {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const noexcept { return a == b; }
    };
    struct Entry {
        const std::string* pText;
        std::uint32_t nRefs;
    };

    bool mbCounted;
    std::pmr::unordered_map<std::string, std::uint32_t, Hash, Eq> mMap;
    std::vector<Entry> mEntries;
    std::vector<std::uint32_t> mFree;
};

}  // namespace orr
