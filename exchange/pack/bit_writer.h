// Writes the packed bit stream: bits gathered most significant first into 32-bit words, stored
// little-endian. The writer never stores beyond its word limit; once a word does not fit it stops
// and reports the overflow, which stays set.
#pragma once

#include <cstddef>
#include <cstdint>

class BitWriter {
 public:
  BitWriter(unsigned char* words, std::size_t maxWords) : out_(words), maxWords_(maxWords) {}

  // Appends the low `count` bits (0..32) of `value`, first the most significant.
  void Put(std::uint32_t value, int count);
  void PutBit(std::uint32_t bit) { Put(bit, 1); }
  void PutGamma(std::uint64_t value);  // value >= 2
  // Pads the last word with 0 bits and stores it.
  void Finish();

  bool Overflowed() const { return overflowed_; }
  std::size_t WordsWritten() const { return wordsWritten_; }

 private:
  void StoreWord(std::uint32_t word);

  unsigned char* out_;
  std::size_t maxWords_;
  std::size_t wordsWritten_ = 0;
  std::uint64_t pending_ = 0;  // the low `pendingBits_` bits are not yet stored
  int pendingBits_ = 0;
  bool overflowed_ = false;
};
