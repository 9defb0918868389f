#include "store/clsStringPool.h"

#include <stdexcept>

namespace orr {
namespace {
const std::string kEmpty;
}

clsStringPool::clsStringPool(bool bCounted, std::pmr::memory_resource* pResource) : mbCounted(bCounted), mMap(pResource)
{
    Clear();
}

void clsStringPool::Clear()
{
    mMap.clear();
    mEntries.assign(1, Entry{&kEmpty, 0});
    mFree.clear();
}

std::uint32_t clsStringPool::Find(std::string_view s) const
{
    if (s.empty())
        return 0;
    auto it = mMap.find(s);
    return it == mMap.end() ? 0 : it->second;
}

std::uint32_t clsStringPool::Intern(std::string_view s)
{
    if (s.empty())
        return 0;
    auto it = mMap.find(s);
    if (it != mMap.end())
        return it->second;
    std::uint32_t nId;
    if (!mFree.empty()) {
        nId = mFree.back();
        mFree.pop_back();
    } else {
        if (mEntries.size() >= 0xFFFFFFFFu)
            throw std::length_error("string pool full");
        nId = std::uint32_t(mEntries.size());
        mEntries.push_back({});
    }
    auto [pos, bNew] = mMap.emplace(std::string(s), nId);
    mEntries[nId] = Entry{&pos->first, 0};
    return nId;
}

void clsStringPool::AddRef(std::uint32_t nId)
{
    if (nId != 0)
        ++mEntries[nId].nRefs;
}

void clsStringPool::Release(std::uint32_t nId)
{
    if (nId == 0 || !mbCounted)
        return;
    Entry& e = mEntries[nId];
    if (e.nRefs > 0 && --e.nRefs == 0) {
        mMap.erase(mMap.find(*e.pText));
        e.pText = &kEmpty;
        mFree.push_back(nId);
    }
}

std::uint32_t clsStringPool::Assign(std::uint32_t nOld, std::string_view s)
{
    if (nOld != 0 && mbCounted && mEntries[nOld].nRefs == 1 && !s.empty() && Find(s) == 0) {
        // Sole user and a new text: re-key the map node; its address stays.
        auto node = mMap.extract(mMap.find(*mEntries[nOld].pText));
        node.key().assign(s);
        mMap.insert(std::move(node));
        return nOld;
    }
    const std::uint32_t nNew = Intern(s);
    AddRef(nNew);
    Release(nOld);
    return nNew;
}

std::size_t clsStringPool::Bytes() const
{
    std::size_t n = mEntries.capacity() * sizeof(Entry) + mFree.capacity() * sizeof(std::uint32_t);
    for (const auto& [text, id] : mMap)
        n += sizeof(text) + sizeof(id) + 2 * sizeof(void*) + (text.capacity() > 15 ? text.capacity() + 1 : 0);
    return n + mMap.bucket_count() * sizeof(void*);
}

}  // namespace orr
