// Finds earlier occurrences of the bytes at a position over a sliding window: hash chains keyed by
// the exact 2-byte value, walked only as far back as a 2-byte match can be coded, and for longer
// matches binary trees keyed by a hash of 3 bytes, which hold the positions sorted by what
// follows them, so a search meets only the few positions that share most with it instead of
// every one that shares the first bytes. Positions must be visited in increasing order.
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

struct MatchSearch {
  std::uint32_t window;      // largest offset, at most 65 536
  int depth;                 // chain links and tree nodes visited per position, at most
  std::uint32_t niceLength;  // matches are measured up to this length
};

class MatchFinder {
 public:
  static constexpr std::size_t MaxCandidates = 48;
  // Offsets up to this are searched for 2-byte matches: farther ones cost more than two literals.
  static constexpr std::uint32_t PairReach = 638;

  // False when memory is short.
  bool Init(const unsigned char* data, std::size_t length, const MatchSearch& search);

  // Lists the matches at `pos` no longer than `maxLength`, each longer than the one before, then
  // enters `pos` in its chains. Returns the count.
  std::size_t FindAndInsert(std::size_t pos, std::uint32_t maxLength, MatchCandidate* out);
  // Enters `pos` without searching (positions inside a chosen match).
  void Insert(std::size_t pos);

 private:
  static constexpr std::uint32_t None = 0xFFFFFFFFu;
  struct Search;

  void InsertPair(std::size_t pos);
  // Enters `pos` in its tree; offers the matches met to `search` when it is not null.
  void WalkTree(std::size_t pos, Search* search);

  const unsigned char* data_ = nullptr;
  std::size_t length_ = 0;
  MatchSearch search_{};
  std::uint32_t ringMask_ = 0;
  std::unique_ptr<std::uint32_t[]> pairHead_;    // by 2-byte value
  std::unique_ptr<std::uint32_t[]> pairPrev_;    // previous position with the same value, per window slot
  std::unique_ptr<std::uint32_t[]> treeRoot_;  // by hash of 3 bytes
  std::unique_ptr<std::uint32_t[]> tree_;      // per window slot: the positions before and after it
};
