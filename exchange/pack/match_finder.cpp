#include "exchange/pack/match_finder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace {

constexpr std::size_t PairHeads = 65536;
constexpr int TripleHashBits = 16;

std::uint32_t PairKey(const unsigned char* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }

std::uint32_t TripleKey(const unsigned char* p) {
  const std::uint32_t value = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
  return (value * 2654435761u) >> (32 - TripleHashBits);
}

}  // namespace

// One search at one position: the candidates found so far.
struct MatchFinder::Search {
  const unsigned char* here;
  std::uint32_t maxLength;
  MatchCandidate* out;
  std::size_t count = 0;
  std::uint32_t best = 1;

  // Takes a match of `length` (possibly beyond maxLength) at `offset` when it is longer than all
  // before; true once nothing longer can come.
  bool Offer(std::uint32_t length, std::uint32_t offset) {
    length = std::min(length, maxLength);
    if (length > best) {
      best = length;
      const MatchCandidate found{length, offset};
      if (count < MatchFinder::MaxCandidates) {
        out[count++] = found;
      } else {
        out[count - 1] = found;
      }
    }
    return best == maxLength;
  }
};

std::uint32_t CommonLength(const unsigned char* a, const unsigned char* b, std::uint32_t maxLength) {
  std::uint32_t n = 0;
  while (maxLength - n >= 8) {
    std::uint64_t x = 0;
    std::uint64_t y = 0;
    std::memcpy(&x, a + n, 8);
    std::memcpy(&y, b + n, 8);
    if (x != y) {
      // The lowest differing byte is the first one on a little-endian machine.
      const std::uint64_t diff = x ^ y;
      return n + static_cast<std::uint32_t>((std::endian::native == std::endian::little
                                                 ? std::countr_zero(diff)
                                                 : std::countl_zero(diff)) / 8);
    }
    n += 8;
  }
  while (n < maxLength && a[n] == b[n]) ++n;
  return n;
}

bool MatchFinder::Init(const unsigned char* data, std::size_t length, const MatchSearch& search) {
  data_ = data;
  length_ = length;
  search_ = search;
  // One slot more than the window: a position exactly a window back must not share its slot with
  // the position being entered, whose tree links are rewritten while that one is visited.
  const std::uint32_t ringSize = std::bit_ceil(search.window + 1);
  ringMask_ = ringSize - 1;
  pairHead_.reset(new (std::nothrow) std::uint32_t[PairHeads]);
  pairPrev_.reset(new (std::nothrow) std::uint32_t[ringSize]);
  treeRoot_.reset(new (std::nothrow) std::uint32_t[std::size_t(1) << TripleHashBits]);
  tree_.reset(new (std::nothrow) std::uint32_t[2 * std::size_t(ringSize)]);
  if (!pairHead_ || !pairPrev_ || !treeRoot_ || !tree_) return false;
  std::fill_n(pairHead_.get(), PairHeads, None);
  std::fill_n(treeRoot_.get(), std::size_t(1) << TripleHashBits, None);
  return true;
}

void MatchFinder::Insert(std::size_t pos) {
  InsertPair(pos);
  WalkTree(pos, nullptr);
}

void MatchFinder::InsertPair(std::size_t pos) {
  if (pos + 1 >= length_) return;
  const std::uint32_t pair = PairKey(data_ + pos);
  pairPrev_[pos & ringMask_] = pairHead_[pair];
  pairHead_[pair] = static_cast<std::uint32_t>(pos);
}

// The tree of a 3-byte hash holds its positions ordered by the bytes that follow them, newest at
// the root. Entering `pos` walks down from the root, splitting the tree into the positions whose
// bytes sort before and after it, and meets the longest matches on the way.
void MatchFinder::WalkTree(std::size_t pos, Search* search) {
  if (pos + 2 >= length_) return;
  const std::uint32_t key = TripleKey(data_ + pos);
  std::uint32_t candidate = treeRoot_[key];
  treeRoot_[key] = static_cast<std::uint32_t>(pos);
  std::uint32_t* const node = &tree_[2 * (pos & ringMask_)];
  std::uint32_t* before = node;     // where the next position that sorts before `pos` goes
  std::uint32_t* after = node + 1;  // where the next one that sorts after it goes
  std::uint32_t beforeLength = 0;   // bytes every position still to come shares with `pos`,
  std::uint32_t afterLength = 0;    // on each side
  // Comparisons stop at the nice length: a position that long alike takes over pos's place.
  const std::uint32_t limit = static_cast<std::uint32_t>(std::min<std::size_t>(search_.niceLength, length_ - pos));
  const unsigned char* here = data_ + pos;
  for (int links = search_.depth;; --links) {
    const std::uint32_t offset = static_cast<std::uint32_t>(pos - candidate);
    if (candidate == None || offset > search_.window || links == 0) {
      *before = None;
      *after = None;
      return;
    }
    std::uint32_t* const children = &tree_[2 * (candidate & ringMask_)];
    const unsigned char* there = data_ + candidate;
    std::uint32_t length = std::min(beforeLength, afterLength);
    length += CommonLength(here + length, there + length, limit - length);
    if (search != nullptr) search->Offer(length, offset);
    if (length == limit) {
      *before = children[0];
      *after = children[1];
      return;
    }
    if (there[length] < here[length]) {
      *before = candidate;
      before = children + 1;
      candidate = *before;
      beforeLength = length;
    } else {
      *after = candidate;
      after = children;
      candidate = *after;
      afterLength = length;
    }
  }
}

std::size_t MatchFinder::FindAndInsert(std::size_t pos, std::uint32_t maxLength, MatchCandidate* out) {
  if (pos + 1 >= length_ || maxLength < 2) {
    Insert(pos);
    return 0;
  }
  Search search{data_ + pos, maxLength, out};
  const std::uint32_t pairReach = std::min(PairReach, search_.window);

  // Near positions that share the first two bytes, nearest first.
  bool done = false;
  int links = search_.depth;
  for (std::uint32_t candidate = pairHead_[PairKey(search.here)]; candidate != None && links > 0; --links) {
    const std::uint32_t offset = static_cast<std::uint32_t>(pos - candidate);
    if (offset > pairReach) break;
    const unsigned char* there = data_ + candidate;
    // Cheap rejection first: a longer match must agree at the byte just past the best length.
    if (there[search.best] == search.here[search.best] &&
        search.Offer(CommonLength(search.here, there, maxLength), offset)) {
      done = true;
      break;
    }
    const std::uint32_t older = pairPrev_[candidate & ringMask_];
    // Chains only run backwards; a later position in the slot means the older ones left the window.
    if (older != None && older >= candidate) break;
    candidate = older;
  }
  InsertPair(pos);

  // 2-byte matches farther back cost more than they save.
  if (search.best < 2) search.best = 2;
  WalkTree(pos, done ? nullptr : &search);
  return search.count;
}
