// One step of a parse: what the packer writes for the bytes at the current position.
#pragma once

#include <cstdint>

enum class PackCodeKind : std::uint8_t {
  Literal,      // 1 byte, coded with the current literal mode
  ZeroByte,     // 1 byte 0x00
  NearByte,     // 1 byte from offset 1..14
  ShortMatch,   // 2..5 bytes from offset 1..127, becomes the repeat offset
  RepeatMatch,  // bytes from the repeat offset
  Match,        // bytes from a newly coded offset, which becomes the repeat offset
  RawGroup,     // 256 bytes of 8 bits each
};

struct PackCode {
  PackCodeKind kind;
  std::uint32_t length;
  std::uint32_t offset;
};
