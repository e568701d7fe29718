// Reads the packed bit stream: 32-bit little-endian words, most significant bit first, through a
// 32-bit accumulator with a sentinel bit below the unread bits. A word is loaded only when a bit is
// needed, so a stream that ends on a word boundary never touches the bytes after it.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "exchange/pack/block_format.h"

class BitReader {
 public:
  BitReader(const unsigned char* words, std::size_t byteCount)
      : next_(words), wordsLeft_(byteCount / 4) {}

  // Reading past the last word yields 0 bits and marks the reader truncated, which stays set.
  bool Truncated() const { return truncated_; }

  std::uint32_t Bit() {
    if (acc_ == Empty) return LoadWord() >> 31 & 1;
    const std::uint32_t bit = acc_ >> 31;
    acc_ <<= 1;
    return bit;
  }

  // Reads `count` bits (0..32) as an unsigned number, first bit most significant.
  std::uint32_t Bits(int count) {
    const int available = 31 - std::countr_zero(acc_);
    if (count <= available) {
      if (count == 0) return 0;
      const std::uint32_t value = acc_ >> (32 - count);
      acc_ <<= count;
      return value;
    }
    std::uint64_t value = available > 0 ? acc_ >> (32 - available) : 0;
    const int rest = count - available;  // 1..32 bits from the next word
    acc_ = Empty;
    const std::uint32_t word = LoadWord();
    value = value << rest | word >> (32 - rest);
    acc_ = rest == 32 ? Empty : (word << rest | 1u << (rest - 1));
    return static_cast<std::uint32_t>(value);
  }

  // Reads a gamma number (at least 2). Returns 0 when it would exceed `limit`.
  std::uint64_t Gamma(std::uint64_t limit) {
    std::uint64_t value = 1;
    do {
      value = value << 1 | Bit();
      if (value > limit) return 0;
    } while (Bit());
    return value;
  }

 private:
  static constexpr std::uint32_t Empty = 0x80000000u;  // only the sentinel is left

  // Returns the next word with its first bit consumed into the accumulator's state.
  std::uint32_t LoadWord() {
    std::uint32_t word = 0;
    if (wordsLeft_ == 0) {
      truncated_ = true;
    } else {
      word = ReadLe32(next_);
      next_ += 4;
      --wordsLeft_;
    }
    acc_ = word << 1 | 1;
    return word;
  }

  const unsigned char* next_;
  std::size_t wordsLeft_;
  std::uint32_t acc_ = Empty;
  bool truncated_ = false;
};
