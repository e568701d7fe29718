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

// One search at one position: the candidates found so far and the links left to follow.
struct Search {
  const unsigned char* here;
  std::uint32_t maxLength;
  const MatchSearch& limits;
  MatchCandidate* out;
  std::size_t count = 0;
  std::uint32_t best = 1;
  int links = 0;

  // Looks at the earlier position `there`; true when the search is over.
  bool Consider(const unsigned char* there, std::uint32_t offset) {
    --links;
    // Cheap rejection first: a longer match must agree at the byte just past the best length.
    if (there[best] != here[best]) return false;
    const std::uint32_t length = CommonLength(here, there, maxLength);
    if (length <= best) return false;
    best = length;
    const MatchCandidate found{length, offset};
    if (count < MatchFinder::MaxCandidates) {
      out[count++] = found;
    } else {
      out[count - 1] = found;
    }
    if (length >= limits.niceLength || length == maxLength) return true;
    // A good match found: look a little further only, as longer ones rarely pay for the search.
    if (length >= limits.goodLength) links = std::min(links, limits.depth / 4);
    return false;
  }
};

}  // namespace

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
  const std::uint32_t ringSize = std::bit_ceil(std::max<std::uint32_t>(search.window, 1));
  ringMask_ = ringSize - 1;
  pairHead_.reset(new (std::nothrow) std::uint32_t[PairHeads]);
  pairPrev_.reset(new (std::nothrow) std::uint32_t[ringSize]);
  tripleHead_.reset(new (std::nothrow) std::uint32_t[std::size_t(1) << TripleHashBits]);
  triplePrev_.reset(new (std::nothrow) std::uint32_t[ringSize]);
  if (!pairHead_ || !pairPrev_ || !tripleHead_ || !triplePrev_) return false;
  std::fill_n(pairHead_.get(), PairHeads, None);
  std::fill_n(tripleHead_.get(), std::size_t(1) << TripleHashBits, None);
  return true;
}

void MatchFinder::Insert(std::size_t pos) {
  if (pos + 1 >= length_) return;
  const std::uint32_t slot = static_cast<std::uint32_t>(pos) & ringMask_;
  const std::uint32_t pair = PairKey(data_ + pos);
  pairPrev_[slot] = pairHead_[pair];
  pairHead_[pair] = static_cast<std::uint32_t>(pos);
  if (pos + 2 >= length_) return;
  const std::uint32_t triple = TripleKey(data_ + pos);
  triplePrev_[slot] = tripleHead_[triple];
  tripleHead_[triple] = static_cast<std::uint32_t>(pos);
}

std::size_t MatchFinder::FindAndInsert(std::size_t pos, std::uint32_t maxLength, MatchCandidate* out) {
  if (pos + 1 >= length_ || maxLength < 2) {
    Insert(pos);
    return 0;
  }
  Search search{data_ + pos, maxLength, search_, out};
  search.links = search_.depth;
  const std::uint32_t pairReach = std::min(PairReach, search_.window);

  // Near positions that share the first two bytes; `covered` is the offset up to which every one
  // of them has been looked at.
  std::uint32_t covered = 0;
  bool done = false;
  for (std::uint32_t candidate = pairHead_[PairKey(search.here)];;) {
    const std::uint32_t offset = static_cast<std::uint32_t>(pos - candidate);
    if (candidate == None || offset > pairReach) {
      covered = pairReach;
      break;
    }
    if (search.links <= 0) break;
    covered = offset;
    if (search.Consider(data_ + candidate, offset)) {
      done = true;
      break;
    }
    const std::uint32_t older = pairPrev_[candidate & ringMask_];
    // Chains only run backwards; a later position in the slot means the older ones left the window.
    if (older != None && older >= candidate) {
      covered = pairReach;
      break;
    }
    candidate = older;
  }

  // Farther positions, and near ones the pair walk did not reach, that share three bytes.
  if (!done && maxLength >= 3 && pos + 2 < length_) {
    search.links = search.best >= search_.goodLength ? search_.depth / 4 : search_.depth;
    // 2-byte matches this far back cost more than they save.
    if (search.best < 2) search.best = 2;
    for (std::uint32_t candidate = tripleHead_[TripleKey(search.here)]; candidate != None && search.links > 0;) {
      const std::uint32_t offset = static_cast<std::uint32_t>(pos - candidate);
      if (offset > search_.window) break;
      if (offset > covered && search.Consider(data_ + candidate, offset)) break;
      const std::uint32_t older = triplePrev_[candidate & ringMask_];
      if (older != None && older >= candidate) break;
      candidate = older;
    }
  }
  Insert(pos);
  return search.count;
}
