// Reads the packed bit stream: 32-bit little-endian words, most significant bit first. Words are
// taken into a 64-bit buffer only while the block has them, so a stream that ends on a word
// boundary never touches the bytes after the block.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "exchange/pack/block_format.h"

// What the next 8 bits (four data/continue pairs) add to a gamma number, packed in one word:
// bits 0-3 the bits consumed (up to and including the first 0 continue bit, or 8), bits 4-6 the
// data bits among them, bits 8-11 their value, bit 12 set when the number ends there.
constexpr std::array<std::uint16_t, 256> MakeGammaSteps() {
  std::array<std::uint16_t, 256> steps{};
  for (int byte = 0; byte < 256; ++byte) {
    int pairs = 4;
    int ended = 0;
    int data = 0;
    for (int pair = 0; pair < 4; ++pair) {
      data = data << 1 | (byte >> (7 - 2 * pair) & 1);
      if ((byte >> (6 - 2 * pair) & 1) == 0) {
        pairs = pair + 1;
        ended = 1;
        break;
      }
    }
    steps[byte] = static_cast<std::uint16_t>(2 * pairs | pairs << 4 | data << 8 | ended << 12);
  }
  return steps;
}

inline constexpr std::array<std::uint16_t, 256> GammaSteps = MakeGammaSteps();

class BitReader {
 public:
  BitReader(const unsigned char* words, std::size_t byteCount)
      : next_(words), wordsLeft_(byteCount / 4) {}

  // Reading past the last word yields 0 bits and marks the reader truncated, which stays set.
  bool Truncated() const { return truncated_; }

  [[gnu::always_inline]] std::uint32_t Bit() {
    if (count_ == 0 && !Refill(1)) return 0;
    const std::uint32_t bit = static_cast<std::uint32_t>(buffer_ >> 63);
    buffer_ <<= 1;
    --count_;
    return bit;
  }

  // The next `count` bits (1..32) without taking them; 0 bits stand in for any past the end.
  [[gnu::always_inline]] std::uint32_t Peek(int count) {
    if (count_ < count) Refill(count);
    return static_cast<std::uint32_t>(buffer_ >> (64 - count));
  }

  // Takes `count` bits (1..32) already looked at with Peek.
  [[gnu::always_inline]] void Skip(int count) {
    if (count_ < count) {
      TakeRest(count);
      return;
    }
    buffer_ <<= count;
    count_ -= count;
  }

  // Reads `count` bits (0..32) as an unsigned number, first bit most significant.
  [[gnu::always_inline]] std::uint32_t Bits(int count) {
    if (count == 0) return 0;
    if (count_ < count && !Refill(count)) return TakeRest(count);
    const std::uint32_t value = static_cast<std::uint32_t>(buffer_ >> (64 - count));
    buffer_ <<= count;
    count_ -= count;
    return value;
  }

  // Reads a gamma number (at least 2), four data and continue bit pairs at a time. Returns 0 when
  // it would exceed `limit` (at most 2^56).
  [[gnu::always_inline]] std::uint64_t Gamma(std::uint64_t limit) {
    std::uint64_t value = 1;
    for (;;) {
      if (count_ < 8 && !Refill(8)) return SlowGamma(value, limit);
      const std::uint32_t step = GammaSteps[buffer_ >> 56];
      const int bits = static_cast<int>(step & 15);
      value = value << (step >> 4 & 7) | (step >> 8 & 15);
      buffer_ <<= bits;
      count_ -= bits;
      if (value > limit) return 0;
      if (step >> 12) return value;
    }
  }

 private:
  // Tops the buffer up with one word; false when fewer than `needed` bits can be had.
  [[gnu::always_inline]] bool Refill(int needed) {
    if (count_ <= 32 && wordsLeft_ > 0) {
      buffer_ |= std::uint64_t(ReadLe32(next_)) << (32 - count_);
      count_ += 32;
      next_ += 4;
      --wordsLeft_;
    }
    return count_ >= needed;
  }

  // The stream ends inside a read: the bits that are left, then zeros.
  [[gnu::always_inline]] std::uint32_t TakeRest(int count) {
    const std::uint32_t value = static_cast<std::uint32_t>(buffer_ >> (64 - count));
    buffer_ = 0;
    count_ = 0;
    truncated_ = true;
    return value;
  }

  [[gnu::always_inline]] std::uint64_t SlowGamma(std::uint64_t value, std::uint64_t limit) {
    do {
      value = value << 1 | Bit();
      if (value > limit) return 0;
    } while (Bit());
    return value;
  }

  const unsigned char* next_;
  std::size_t wordsLeft_;
  std::uint64_t buffer_ = 0;  // unread bits, first one at the top; zeros below them
  int count_ = 0;
  bool truncated_ = false;
};
