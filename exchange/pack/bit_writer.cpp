#include "exchange/pack/bit_writer.h"

#include <bit>

#include "exchange/pack/block_format.h"

void BitWriter::StoreWord(std::uint32_t word) {
  if (wordsWritten_ >= maxWords_) {
    overflowed_ = true;
    return;
  }
  WriteLe32(out_ + 4 * wordsWritten_, word);
  ++wordsWritten_;
}

void BitWriter::Put(std::uint32_t value, int count) {
  if (count == 0 || overflowed_) return;
  const std::uint64_t mask = (std::uint64_t(1) << count) - 1;
  pending_ = pending_ << count | (value & mask);
  pendingBits_ += count;
  if (pendingBits_ >= 32) {
    pendingBits_ -= 32;
    StoreWord(static_cast<std::uint32_t>(pending_ >> pendingBits_));
    pending_ &= (std::uint64_t(1) << pendingBits_) - 1;
  }
}

void BitWriter::PutGamma(std::uint64_t value) {
  // Each bit below the top one is followed by a continue bit: 1 while more follow, 0 after the last.
  for (int bit = std::bit_width(value) - 2; bit >= 0; --bit) {
    Put(static_cast<std::uint32_t>(value >> bit & 1) << 1 | (bit > 0 ? 1 : 0), 2);
  }
}

void BitWriter::Finish() {
  if (pendingBits_ > 0) Put(0, 32 - pendingBits_);
}
