// Finds earlier occurrences of the bytes at a position: hash chains keyed by the 2-byte value at
// each position, over a sliding window. Positions must be visited in increasing order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct MatchCandidate {
  std::uint32_t length;
  std::uint32_t offset;
};

// Length of the common prefix of `a` and `b`, at most `maxLength`.
std::uint32_t CommonLength(const unsigned char* a, const unsigned char* b, std::uint32_t maxLength);

class MatchFinder {
 public:
  static constexpr std::size_t MaxCandidates = 48;

  // `window` is the largest offset (at most 65 536); `depth` caps the chain links followed per
  // position; the search stops early at a match of `niceLength`. False when memory is short.
  bool Init(const unsigned char* data, std::size_t length, std::uint32_t window, int depth,
            std::uint32_t niceLength);

  // Lists the matches at `pos` no longer than `maxLength`, each longer and farther than the one
  // before (the nearest offset for each length), then enters `pos` in its chain. Returns the count.
  std::size_t FindAndInsert(std::size_t pos, std::uint32_t maxLength, MatchCandidate* out);
  // Enters `pos` without searching (positions inside a chosen match).
  void Insert(std::size_t pos);

 private:
  static constexpr std::uint32_t None = 0xFFFFFFFFu;

  const unsigned char* data_ = nullptr;
  std::size_t length_ = 0;
  std::uint32_t window_ = 0;
  std::uint32_t ringMask_ = 0;
  int depth_ = 0;
  std::uint32_t niceLength_ = 0;
  std::unique_ptr<std::uint32_t[]> head_;  // 65 536 chain heads, by 2-byte value
  std::unique_ptr<std::uint32_t[]> prev_;  // previous position with the same value, per window slot
};
