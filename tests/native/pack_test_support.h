// Inputs and block builders shared by the packed block tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exchange/pack/pack.h"

namespace packtest {

using Bytes = std::vector<unsigned char>;

// Deterministic pseudo-random numbers (a 64-bit LCG), so every run sees the same inputs.
class Lcg {
 public:
  explicit Lcg(std::uint64_t seed) : state_(seed) {}
  std::uint32_t Next() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(state_ >> 33);
  }

 private:
  std::uint64_t state_;
};

Bytes RandomBytes(std::size_t length, std::uint64_t seed);
// English-like prose: sentences of common words with punctuation and line breaks.
Bytes EnglishText(std::size_t length, std::uint64_t seed);
// The bytes of a file of the source tree (KEPSIL_SOURCE_DIR).
Bytes SourceFile(const std::string& relativePath);

// Packs with level 9 into a buffer of exactly PackBound bytes; empty on failure.
Bytes Pack(const Bytes& input, int level = PackMaxLevel, PackStatus* status = nullptr);
// Unpacks into a buffer of exactly `capacity` bytes (default: the stored length).
Bytes Unpack(const Bytes& block, PackStatus* status = nullptr, std::size_t capacity = SIZE_MAX);

// Builds a block by hand from bit strings ("1 0100 0001": spaces are ignored).
class BlockBuilder {
 public:
  BlockBuilder& Bits(const std::string& bits);
  BlockBuilder& Number(std::uint32_t value, int width);
  BlockBuilder& Gamma(std::uint64_t value);
  BlockBuilder& Byte(unsigned char value) { return Number(value, 8); }
  BlockBuilder& End() { return Bits("000 0000000 00"); }
  std::size_t BitCount() const { return bits_.size(); }
  // The header with the given stored length and checksum, then the bits padded to whole words.
  Bytes Build(std::uint32_t storedLength, std::uint32_t checksum) const;

 private:
  std::vector<bool> bits_;
};

}  // namespace packtest
