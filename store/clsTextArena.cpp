#include "store/clsTextArena.h"

#include <cstring>
#include <stdexcept>

namespace orr {

namespace {
constexpr std::uint64_t kMaxOffset = (std::uint64_t(1) << (64 - TextRef::kLengthBits)) - 1;
}

TextRef clsTextArena::Make(std::uint64_t nOffset, std::size_t nLength)
{
    if (nOffset > kMaxOffset)
        throw std::length_error("text arena full");
    TextRef r;
    if (nLength >= TextRef::kLongLength) {
        mLongLengths[nOffset] = nLength;
        r.bits = (nOffset << TextRef::kLengthBits) | TextRef::kLongLength;
    } else {
        r.bits = (nOffset << TextRef::kLengthBits) | nLength;
    }
    return r;
}

TextRef clsTextArena::AddSlow(std::string_view s)
{
    if (s.empty())
        return {};
    const std::size_t n = s.size();
    if (n <= mTailEnd - mTail) {  // a long length
        TextRef r = Make(mTail, n);
        std::memcpy(mpTail, s.data(), n);
        mTail += n;
        mpTail += n;
        return r;
    }
    const std::uint64_t nStart = std::uint64_t(mBase.size()) << kBlockBits;
    if (n > kBlockSize / 4) {
        // Its own allocation; the current block keeps its free room.
        auto block = std::make_unique_for_overwrite<char[]>(n);
        const std::size_t nSlots = (n + kBlockSize - 1) >> kBlockBits;
        for (std::size_t i = 0; i < nSlots; ++i)
            mBase.push_back(block.get() + i * kBlockSize);
        std::memcpy(block.get(), s.data(), n);
        mOwnBlocks.push_back(std::move(block));
        mBytes += n;
        return Make(nStart, n);
    }
    clsTreeMemory::Block block;
    if (mSpare.empty()) {
        // The first block holds a small document's texts, or only the loop
        // texts of one read in place: a huge page would stay mostly empty.
        block = clsTreeMemory::Allocate(kBlockSize, !mBlocks.empty());
    } else {
        block = mSpare.back();
        mSpare.pop_back();
    }
    mBase.push_back(block.p);
    mBlocks.push_back(block);
    if (mSpare.empty() && mBlocks.size() >= 2 && clsTreeMemory::PrefaultFor(mBlocks.size() * kBlockSize)) {
        // A large arena: the next block is faulted in while this one fills.
        mSpare.push_back(clsTreeMemory::Allocate(kBlockSize));
        clsTreeMemory::Prefault(mSpare.back().p, kBlockSize);
    }
    mBytes += kBlockSize;
    if (nStart + kBlockSize > kMaxOffset)
        throw std::length_error("text arena full");
    mTail = nStart;
    mTailEnd = nStart + kBlockSize;
    mpTail = block.p;
    return Add(s);
}

void clsTextArena::Adopt(std::unique_ptr<clsFileMapping> file)
{
    const std::string_view s = file->Text();
    const std::uint64_t nStart = std::uint64_t(mBase.size()) << kBlockBits;
    if (nStart + s.size() > kMaxOffset)
        throw std::length_error("text arena full");
    for (std::size_t i = 0; i < s.size(); i += kBlockSize)
        mBase.push_back(s.data() + i);
    mFiles.push_back(std::move(file));
    mpFileText = s.data();
    mnFileSize = s.size();
    mnFileStart = nStart;
}

std::size_t clsTextArena::Length(TextRef r) const
{
    const std::uint64_t n = r.ShortLength();
    if (n != TextRef::kLongLength)
        return std::size_t(n);
    auto it = mLongLengths.find(r.Offset());
    return it == mLongLengths.end() ? 0 : std::size_t(it->second);
}

std::string_view clsTextArena::View(TextRef r) const
{
    const std::size_t n = Length(r);
    if (n == 0)
        return {};
    const std::uint64_t nOff = r.Offset();
    return {mBase[nOff >> kBlockBits] + (nOff & (kBlockSize - 1)), n};
}

TextRef clsTextArena::Slice(TextRef r, std::size_t nPos, std::size_t nLength)
{
    const std::size_t nFull = Length(r);
    if (nPos > nFull)
        nPos = nFull;
    if (nLength > nFull - nPos)
        nLength = nFull - nPos;
    if (nLength == 0)
        return {};
    return Make(r.Offset() + nPos, nLength);
}

clsTextArena::~clsTextArena()
{
    for (const clsTreeMemory::Block& b : mBlocks)
        clsTreeMemory::Free(b);
    for (const clsTreeMemory::Block& b : mSpare)
        clsTreeMemory::Free(b);
}

void clsTextArena::Swap(clsTextArena& o) noexcept
{
    std::swap(mBase, o.mBase);
    std::swap(mBlocks, o.mBlocks);
    std::swap(mOwnBlocks, o.mOwnBlocks);
    std::swap(mSpare, o.mSpare);
    std::swap(mFiles, o.mFiles);
    std::swap(mpFileText, o.mpFileText);
    std::swap(mnFileSize, o.mnFileSize);
    std::swap(mnFileStart, o.mnFileStart);
    std::swap(mTail, o.mTail);
    std::swap(mTailEnd, o.mTailEnd);
    std::swap(mpTail, o.mpTail);
    std::swap(mLongLengths, o.mLongLengths);
    std::swap(mBytes, o.mBytes);
}

void clsTextArena::Clear()
{
    for (const clsTreeMemory::Block& block : mBlocks)
        mSpare.push_back(block);
    mBase.clear();
    mBlocks.clear();
    mOwnBlocks.clear();
    mFiles.clear();
    mpFileText = nullptr;
    mnFileSize = mnFileStart = 0;
    mLongLengths.clear();
    mTail = mTailEnd = 0;
    mpTail = nullptr;
    mBytes = 0;
}

}  // namespace orr
