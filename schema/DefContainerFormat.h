#pragma once
// Byte layout shared by the container reader and the packer.
#include <cstddef>
#include <cstdint>

namespace orr::defformat {

inline constexpr std::size_t kHeaderSize = 64;
inline constexpr std::size_t kHeaderCountAt = 34;
inline constexpr std::size_t kHeaderDirAt = 38;

inline constexpr std::size_t kEntrySize = 128;
inline constexpr std::size_t kEntryTypeAt = 0;
inline constexpr std::size_t kEntryNameAt = 2;
inline constexpr std::size_t kEntryNameSize = 80;
inline constexpr std::size_t kEntryPositionAt = 114;
inline constexpr std::size_t kEntryLengthAt = 118;

// The i-th data byte (i from 1) is stored as plain + 7 * (i mod 18), modulo 256.
inline unsigned char Scramble(unsigned char plain, std::size_t i) { return static_cast<unsigned char>(plain + 7 * (i % 18)); }
inline unsigned char Unscramble(unsigned char stored, std::size_t i) { return static_cast<unsigned char>(stored - 7 * (i % 18)); }

inline std::int32_t ReadInt32(const unsigned char* p)
{
    return std::int32_t(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                        std::uint32_t(p[3]) << 24);
}

inline void WriteInt32(unsigned char* p, std::int32_t value)
{
    auto v = std::uint32_t(value);
    for (int k = 0; k < 4; ++k)
        p[k] = static_cast<unsigned char>(v >> (8 * k));
}

}  // namespace orr::defformat
