// Layout and code tables of the packed block stream, shared by the packer and the unpacker.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

inline constexpr unsigned char PackMagic[2] = {0x4A, 0x43};  // "JC"
inline constexpr std::size_t PackLengthOffset = 2;
inline constexpr std::size_t PackChecksumOffset = 6;

inline constexpr std::uint32_t PackMaxWindow = 65536;
inline constexpr std::uint32_t PackMinWindow = 1024;
inline constexpr int PackInitialIndexWidth = 8;
// Offsets a short match (000 code) and a near byte (001 code) can reach.
inline constexpr std::uint32_t ShortMatchMaxOffset = 127;
inline constexpr std::uint32_t ShortMatchMinLength = 2;
inline constexpr std::uint32_t ShortMatchMaxLength = 5;
inline constexpr std::uint32_t NearByteMaxOffset = 14;
// A raw run copies groups of this many bytes, 8 bits each.
inline constexpr std::uint32_t RawGroupLength = 256;
// Literal-mode analysis looks at this many leading bytes.
inline constexpr std::size_t LiteralModeSample = 1024;

// Bit costs of the fixed parts of each code.
inline constexpr std::uint32_t ShortMatchBits = 3 + 7 + 2;
inline constexpr std::uint32_t NearByteBits = 3 + 4;
inline constexpr std::uint32_t RawRunStartBits = 3 + 4 + 1;
inline constexpr std::uint32_t EndCodeBits = 3 + 7 + 2;
inline constexpr std::uint32_t ModeChangeBits = 3 + 4 + 1 + 1;  // plus 8 for a 7-bit base
inline constexpr std::uint32_t IndexWidthChangeBits = 3 + 7 + 2 + 4;

inline std::uint32_t ReadLe32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

inline void WriteLe32(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

// Bits of the interleaved gamma code for v >= 2: one data and one continue bit per bit below the top.
constexpr std::uint32_t GammaBits(std::uint64_t v) {
  return 2 * static_cast<std::uint32_t>(std::bit_width(v) - 1);
}

// What a match with a newly coded offset adds to its coded length: far offsets pay for their
// position bits by needing longer matches, offsets a short match covers must be longer than it.
constexpr std::uint32_t NewOffsetLengthBonus(std::uint64_t offset) {
  if (offset < 128) return 4;
  if (offset < 639) return 0;
  if (offset < 14335) return 1;
  if (offset < 65536) return 2;
  return 3;
}

// The index width for offsets that reach back `reach` bytes.
constexpr int IndexWidthForReach(std::uint64_t reach) {
  if (reach > 65536) return 10;
  if (reach > 49152) return 9;
  return PackInitialIndexWidth;
}
