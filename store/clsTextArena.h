#pragma once
// Display texts of tree nodes, packed one after another in large blocks.
// A text is named by a TextRef (position and length, 8 bytes); texts never
// move, so views stay valid while the arena lives. A changed text is written
// anew and its old bytes stay behind until the arena is cleared. Blocks are
// 2 MiB of clsTreeMemory (huge pages, pooled across documents). A file's
// text may be adopted as it lies (clsFileMapping): a text inside it is then
// named where it is, not copied.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/clsFileMapping.h"
#include "store/clsTreeMemory.h"

namespace orr {

// 40-bit position, 24-bit length; lengths from 0xFFFFFF up live in a side table.
struct TextRef {
    std::uint64_t bits = 0;

    static constexpr unsigned kLengthBits = 24;
    static constexpr std::uint64_t kLongLength = (std::uint64_t(1) << kLengthBits) - 1;

    std::uint64_t Offset() const { return bits >> kLengthBits; }
    std::uint64_t ShortLength() const { return bits & kLongLength; }
    bool Empty() const { return ShortLength() == 0; }
};

class clsTextArena {
public:
    static constexpr unsigned kBlockBits = 21;  // 2 MiB blocks
    static constexpr std::uint64_t kBlockSize = std::uint64_t(1) << kBlockBits;
    static_assert(kBlockSize == clsTreeMemory::kGranule);

    clsTextArena() = default;
    ~clsTextArena();
    clsTextArena(const clsTextArena&) = delete;
    clsTextArena& operator=(const clsTextArena&) = delete;
    // Moving keeps the blocks, so views of stored texts stay valid.
    clsTextArena(clsTextArena&& o) noexcept { Swap(o); }
    clsTextArena& operator=(clsTextArena&& o) noexcept
    {
        clsTextArena(std::move(o)).Swap(*this);
        return *this;
    }
    void Swap(clsTextArena& o) noexcept;

    TextRef Add(std::string_view s)
    {
        const std::size_t n = s.size();
        // The usual cases inline: a short text inside the adopted file, or
        // one that fits the current block.
        const std::uint64_t nAt = std::uintptr_t(s.data()) - std::uintptr_t(mpFileText);
        if (nAt < mnFileSize && n <= mnFileSize - nAt && n < TextRef::kLongLength)
            return TextRef{((mnFileStart + nAt) << TextRef::kLengthBits) | n};
        if (n - 1 < mTailEnd - mTail && n < TextRef::kLongLength) [[likely]] {
            std::memcpy(mpTail, s.data(), n);
            const TextRef r{(mTail << TextRef::kLengthBits) | n};
            mTail += n;
            mpTail += n;
            return r;
        }
        return AddSlow(s);
    }
    std::string_view View(TextRef r) const;
    std::size_t Length(TextRef r) const;
    // A part of a stored text, without copying (nPos + nLength within r).
    TextRef Slice(TextRef r, std::size_t nPos, std::size_t nLength);

    // From now on texts inside file->Text() are named in place; the file
    // stays mapped until Clear or the arena's end.
    void Adopt(std::unique_ptr<clsFileMapping> file);

    // Forgets every text; the blocks stay for the next texts (a validation
    // rebuilds the same document into memory that is already backed).
    void Clear();
    // Bytes allocated for texts.
    std::size_t Bytes() const { return mBytes; }

private:
    TextRef AddSlow(std::string_view s);
    TextRef Make(std::uint64_t nOffset, std::size_t nLength);

    // mBase[i] holds position i << kBlockBits; a text longer than a quarter
    // block gets its own allocation spanning as many positions as it needs.
    std::vector<const char*> mBase;
    std::vector<clsTreeMemory::Block> mBlocks;        // kBlockSize each
    std::vector<std::unique_ptr<char[]>> mOwnBlocks;  // one long text each
    std::vector<clsTreeMemory::Block> mSpare;         // blocks of texts cleared away
    std::vector<std::unique_ptr<clsFileMapping>> mFiles;  // adopted, the last one current
    const char* mpFileText = nullptr;
    std::uint64_t mnFileSize = 0, mnFileStart = 0;
    std::uint64_t mTail = 0, mTailEnd = 0;  // free room of the current block
    char* mpTail = nullptr;                 // where mTail is
    std::unordered_map<std::uint64_t, std::uint64_t> mLongLengths;  // by offset
    std::size_t mBytes = 0;
};

}  // namespace orr
