// What a board can hold, for its writer and its reader alike: the writer never writes what the
// reader would refuse, and the reader takes every board the writer can make. The only limits are
// those of the layout (board_format.h): every length and count is a 32-bit signed number. An
// extra is what an item may keep (MaxExtraBytes); the rest is up to the disk.
#pragma once

#include <cstdint>
#include <limits>

// The most a length field (a picture, a text, a thumbnail, an extra) or the entry count holds.
inline constexpr std::uint64_t BoardMaxLength = static_cast<std::uint64_t>(std::numeric_limits<int32_t>::max());

inline constexpr bool FitsBoardLength(std::uint64_t size) { return size <= BoardMaxLength; }
