#pragma once
// A growable array of plain values for the tree store: the parts of
// std::vector the store uses, on the C heap while it is small and on
// clsTreeMemory blocks (2 MiB, huge pages, pooled) from kLargeFrom bytes
// on. Growing a large array moves pages rather than copying them, so it
// never holds twice its size; reserving only takes address space. New
// elements from resize are zero bytes.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "store/clsTreeMemory.h"

namespace orr {

template <typename T>
class clsTreeArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    static constexpr std::size_t kLargeFrom = std::size_t(1) << 20;

    clsTreeArray() = default;
    ~clsTreeArray() { Release(); }
    clsTreeArray(const clsTreeArray&) = delete;
    clsTreeArray& operator=(const clsTreeArray&) = delete;
    clsTreeArray(clsTreeArray&& o) noexcept { swap(o); }
    clsTreeArray& operator=(clsTreeArray&& o) noexcept
    {
        clsTreeArray(std::move(o)).swap(*this);
        return *this;
    }
    void swap(clsTreeArray& o) noexcept
    {
        std::swap(mData, o.mData);
        std::swap(mSize, o.mSize);
        std::swap(mCap, o.mCap);
        std::swap(mBlock, o.mBlock);
    }

    std::size_t size() const { return mSize; }
    bool empty() const { return mSize == 0; }
    std::size_t capacity() const { return mCap; }
    T* data() { return mData; }
    const T* data() const { return mData; }
    T* begin() { return mData; }
    T* end() { return mData + mSize; }
    const T* begin() const { return mData; }
    const T* end() const { return mData + mSize; }
    T& operator[](std::size_t i) { return mData[i]; }
    const T& operator[](std::size_t i) const { return mData[i]; }
    T& back() { return mData[mSize - 1]; }

    void push_back(const T& v)
    {
        if (mSize == mCap) [[unlikely]]
            Grow(mSize + 1);
        mData[mSize++] = v;
    }
    void pop_back() { --mSize; }
    void reserve(std::size_t n)
    {
        if (n > mCap)
            Grow(n);
    }
    void resize(std::size_t n)
    {
        reserve(n);
        if (n > mSize)
            std::memset(static_cast<void*>(mData + mSize), 0, (n - mSize) * sizeof(T));
        mSize = n;
    }
    // New elements are not cleared: for a caller that writes them all.
    void resize_for_overwrite(std::size_t n)
    {
        reserve(n);
        mSize = n;
    }
    void resize(std::size_t n, const T& v)
    {
        reserve(n);
        for (std::size_t i = mSize; i < n; ++i)
            mData[i] = v;
        mSize = n;
    }
    // Keeps the memory for the next elements.
    void clear() { mSize = 0; }
    void shrink_to_fit()
    {
        if (mBlock.p) {
            mBlock = clsTreeMemory::Shrink(mBlock, mSize * sizeof(T));
            mCap = mBlock.nBytes / sizeof(T);
        } else if (mCap > mSize) {
            Reallocate(mSize);
        }
    }

private:
    void Grow(std::size_t nNeed)
    {
        std::size_t n = std::max(nNeed, mCap + mCap / 2 + 8);
        if (n * sizeof(T) < kLargeFrom) {
            Reallocate(n);
            return;
        }
        mBlock = clsTreeMemory::GrowArray(mBlock, mData, n * sizeof(T), mSize * sizeof(T));
        mData = reinterpret_cast<T*>(mBlock.p);
        mCap = mBlock.nBytes / sizeof(T);
    }
    void Reallocate(std::size_t n)
    {
        if (n == 0) {
            std::free(mData);
            mData = nullptr;
            mCap = 0;
            return;
        }
        void* p = std::realloc(static_cast<void*>(mData), n * sizeof(T));
        if (!p)
            throw std::bad_alloc();
        mData = static_cast<T*>(p);
        mCap = n;
    }
    void Release()
    {
        clsTreeMemory::FreeArray(mBlock, mData);
        mData = nullptr;
        mSize = mCap = 0;
        mBlock = {};
    }

    T* mData = nullptr;
    std::size_t mSize = 0, mCap = 0;
    clsTreeMemory::Block mBlock;  // set for a large array
};

}  // namespace orr
