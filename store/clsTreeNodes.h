#pragma once
// The per-node arrays of clsTree (body, distance to the parent, class id,
// flags: 13 bytes a node) in one block of chunks: each chunk holds the
// bodies, then the parents, classes and flags of kChunk nodes. A growing
// tree so touches one run of fresh memory, with one partly used huge page
// at its end instead of one per array, and a node's fields sit within one
// chunk. Small trees live on the C heap; from two chunks on the block comes
// from clsTreeMemory (2 MiB aligned, huge pages, pooled; growing moves pages
// instead of copying them).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "store/clsTreeMemory.h"

namespace orr {

// A node's body: a branch's child range or a leaf's text reference (clsTree).
struct TreeBody {
    std::uint32_t a = 0;
    std::uint32_t b = 0;
};

class clsTreeNodes {
public:
    static constexpr unsigned kChunkBits = 16;
    static constexpr std::size_t kChunk = std::size_t(1) << kChunkBits;
    static constexpr std::size_t kMask = kChunk - 1;
    static constexpr std::size_t kBytesPerNode = sizeof(TreeBody) + 2 + 2 + 1;
    static constexpr std::size_t kChunkBytes = kChunk * kBytesPerNode;

    clsTreeNodes() = default;
    ~clsTreeNodes() { Release(); }
    clsTreeNodes(const clsTreeNodes&) = delete;
    clsTreeNodes& operator=(const clsTreeNodes&) = delete;
    void swap(clsTreeNodes& o) noexcept
    {
        std::swap(mData, o.mData);
        std::swap(mSize, o.mSize);
        std::swap(mChunks, o.mChunks);
        std::swap(mBlock, o.mBlock);
        std::swap(mPrefaulted, o.mPrefaulted);
    }

    std::size_t size() const { return mSize; }
    TreeBody& Body(std::size_t i) { return reinterpret_cast<TreeBody*>(Chunk(i))[i & kMask]; }
    const TreeBody& Body(std::size_t i) const { return reinterpret_cast<const TreeBody*>(Chunk(i))[i & kMask]; }
    std::uint16_t& Parent(std::size_t i) { return reinterpret_cast<std::uint16_t*>(Chunk(i) + kParentAt)[i & kMask]; }
    std::uint16_t Parent(std::size_t i) const
    {
        return reinterpret_cast<const std::uint16_t*>(Chunk(i) + kParentAt)[i & kMask];
    }
    std::uint16_t& Class(std::size_t i) { return reinterpret_cast<std::uint16_t*>(Chunk(i) + kClassAt)[i & kMask]; }
    std::uint16_t Class(std::size_t i) const
    {
        return reinterpret_cast<const std::uint16_t*>(Chunk(i) + kClassAt)[i & kMask];
    }
    std::uint8_t& Flags(std::size_t i) { return reinterpret_cast<std::uint8_t*>(Chunk(i) + kFlagsAt)[i & kMask]; }
    std::uint8_t Flags(std::size_t i) const
    {
        return reinterpret_cast<const std::uint8_t*>(Chunk(i) + kFlagsAt)[i & kMask];
    }

    // The fields of the chunk that holds node i, indexed by i & kMask: a
    // loop over many nodes computes the addresses once a chunk.
    struct ChunkFields {
        TreeBody* body;
        std::uint16_t* parent;
        std::uint8_t* flags;
    };
    ChunkFields FieldsOf(std::size_t i)
    {
        char* p = Chunk(i);
        return {reinterpret_cast<TreeBody*>(p), reinterpret_cast<std::uint16_t*>(p + kParentAt),
                reinterpret_cast<std::uint8_t*>(p + kFlagsAt)};
    }

    void push_back(TreeBody body, std::uint16_t nParent, std::uint16_t nClass, std::uint8_t nFlags)
    {
        if ((mSize & kMask) == 0) [[unlikely]]
            NewChunk();
        const std::size_t i = mSize++;
        Body(i) = body;
        Parent(i) = nParent;
        Class(i) = nClass;
        Flags(i) = nFlags;
    }
    void reserve(std::size_t nNodes)
    {
        const std::size_t n = (nNodes + kMask) >> kChunkBits;
        if (n > mChunks)
            Grow(n);
    }
    // Keeps the memory for the next nodes.
    void clear()
    {
        mSize = 0;
        mPrefaulted = 0;
    }
    // Gives back the chunks after the last node's.
    void shrink_to_fit()
    {
        const std::size_t n = (mSize + kMask) >> kChunkBits;
        if (mBlock.p && n > 0) {
            mBlock = clsTreeMemory::Shrink(mBlock, n * kChunkBytes);
            mChunks = std::min(mChunks, mBlock.nBytes / kChunkBytes);
        }
    }

private:
    static constexpr std::size_t kParentAt = kChunk * sizeof(TreeBody);
    static constexpr std::size_t kClassAt = kParentAt + kChunk * 2;
    static constexpr std::size_t kFlagsAt = kClassAt + kChunk * 2;
    static constexpr std::size_t kHeapChunks = 2;  // from this many on: clsTreeMemory

    static constexpr std::size_t kPrefaultChunks = 2;  // faulted in ahead of the one being filled

    char* Chunk(std::size_t i) const { return mData + (i >> kChunkBits) * kChunkBytes; }

    // Entering chunk mSize >> kChunkBits: room for it, and for an array
    // large or reserved large, the next ones faulted in by clsTreeMemory's
    // helper while this one fills.
    void NewChunk()
    {
        const std::size_t c = mSize >> kChunkBits;
        if (c == mChunks)
            Grow(mChunks + 1);
        if (!mBlock.p || !clsTreeMemory::PrefaultFor(mChunks * kChunkBytes))
            return;
        const std::size_t nFrom = std::max(c + 1, mPrefaulted), nTo = std::min(c + 1 + kPrefaultChunks, mChunks);
        if (nFrom < nTo) {
            clsTreeMemory::Prefault(mData + nFrom * kChunkBytes, (nTo - nFrom) * kChunkBytes);
            mPrefaulted = nTo;
        }
    }

    void Grow(std::size_t nChunks)
    {
        nChunks = std::max(nChunks, mChunks + mChunks / 2);
        const std::size_t nBytes = nChunks * kChunkBytes;
        if (nChunks < kHeapChunks) {
            void* p = std::realloc(mData, nBytes);
            if (!p)
                throw std::bad_alloc();
            mData = static_cast<char*>(p);
        } else if (mBlock.p) {
            mBlock = clsTreeMemory::Grow(mBlock, nBytes, mChunks * kChunkBytes);
            mData = mBlock.p;
        } else {
            // From the heap: the nodes' fields move, not the whole chunk. A
            // small tree has written a few of its pages, and copying the rest
            // would fault every page in twice, reading and writing.
            const clsTreeMemory::Block to = clsTreeMemory::Allocate(nBytes);
            CopyNodes(to.p);
            std::free(mData);
            mBlock = to;
            mData = to.p;
        }
        mChunks = mBlock.p ? mBlock.nBytes / kChunkBytes : nChunks;
    }
    // The fields of every node into the chunks at pTo.
    void CopyNodes(char* pTo) const
    {
        constexpr std::pair<std::size_t, std::size_t> kFields[] = {
            {0, sizeof(TreeBody)}, {kParentAt, 2}, {kClassAt, 2}, {kFlagsAt, 1}};  // where, bytes a node
        for (std::size_t nFrom = 0; nFrom < mSize; nFrom += kChunk) {
            const std::size_t n = std::min(kChunk, mSize - nFrom), nAt = (nFrom >> kChunkBits) * kChunkBytes;
            for (const auto& [nField, nBytes] : kFields)
                std::memcpy(pTo + nAt + nField, mData + nAt + nField, n * nBytes);
        }
    }
    void Release()
    {
        clsTreeMemory::FreeArray(mBlock, mData);
        mData = nullptr;
        mSize = mChunks = mPrefaulted = 0;
        mBlock = {};
    }

    char* mData = nullptr;
    std::size_t mSize = 0;
    std::size_t mChunks = 0;      // room, in whole chunks
    std::size_t mPrefaulted = 0;  // chunks before this one were asked for
    clsTreeMemory::Block mBlock;
};

}  // namespace orr
