#include "exchange/pack/match_finder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace {

constexpr std::size_t HeadCount = 65536;
constexpr std::uint32_t GoodLength = 32;

std::uint32_t KeyAt(const unsigned char* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }

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

bool MatchFinder::Init(const unsigned char* data, std::size_t length, std::uint32_t window, int depth,
                       std::uint32_t niceLength) {
  data_ = data;
  length_ = length;
  window_ = window;
  depth_ = depth;
  niceLength_ = niceLength;
  const std::uint32_t ringSize = std::bit_ceil(window);
  ringMask_ = ringSize - 1;
  head_.reset(new (std::nothrow) std::uint32_t[HeadCount]);
  prev_.reset(new (std::nothrow) std::uint32_t[ringSize]);
  if (!head_ || !prev_) return false;
  std::fill_n(head_.get(), HeadCount, None);
  return true;
}

void MatchFinder::Insert(std::size_t pos) {
  if (pos + 1 >= length_) return;
  const std::uint32_t key = KeyAt(data_ + pos);
  prev_[pos & ringMask_] = head_[key];
  head_[key] = static_cast<std::uint32_t>(pos);
}

std::size_t MatchFinder::FindAndInsert(std::size_t pos, std::uint32_t maxLength, MatchCandidate* out) {
  std::size_t count = 0;
  if (pos + 1 >= length_ || maxLength < 2) {
    Insert(pos);
    return 0;
  }
  const unsigned char* here = data_ + pos;
  std::uint32_t best = 1;
  std::uint32_t candidate = head_[KeyAt(here)];
  for (int links = depth_; candidate != None && links > 0; --links) {
    const std::size_t offset = pos - candidate;
    if (offset > window_) break;
    const unsigned char* there = data_ + candidate;
    // Cheap rejection first: a longer match must agree at the byte just past the best length.
    if (there[best] == here[best]) {
      const std::uint32_t length = CommonLength(here, there, maxLength);
      if (length > best) {
        best = length;
        const MatchCandidate found{length, static_cast<std::uint32_t>(offset)};
        if (count < MaxCandidates) {
          out[count++] = found;
        } else {
          out[count - 1] = found;
        }
        if (length >= niceLength_ || length == maxLength) break;
        // A good match found: look a little further only, as longer ones rarely pay for the search.
        if (length >= GoodLength && links > depth_ / 4) links = depth_ / 4;
      }
    }
    const std::uint32_t older = prev_[candidate & ringMask_];
    if (older == None || older >= candidate) break;  // chains only run backwards
    candidate = older;
  }
  Insert(pos);
  return count;
}
