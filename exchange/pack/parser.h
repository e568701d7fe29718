// Chooses the codes for the input by estimated bit cost: a shortest-path search over positions,
// segment by segment, where each position can be reached by a literal, a zero or near byte, a
// short match, a repeat-offset match, a match with a new offset or a raw group.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "exchange/pack/match_finder.h"
#include "exchange/pack/pack_code.h"

struct ParserSettings {
  std::uint32_t window;      // largest offset
  int chainDepth;            // chain links followed per position
  std::uint32_t niceLength;  // a match this long is taken without weighing alternatives
};

class Parser {
 public:
  static constexpr std::size_t SegmentLength = 65536;

  // False when work memory cannot be obtained.
  bool Init(const unsigned char* data, std::size_t length, const ParserSettings& settings);

  // Parses from `start` (every earlier position already parsed) and appends the codes. `repeat` is
  // the repeat offset on entry and is updated; `literalBits` gives a literal's cost by byte value.
  // Returns the position reached, which is beyond `start`.
  std::size_t ParseSegment(std::size_t start, std::uint32_t& repeat, const std::uint32_t literalBits[256],
                           std::vector<PackCode>& codes);

 private:
  struct Arrival {
    std::uint32_t cost;
    std::uint32_t length;  // of the code that arrives here
    std::uint32_t offset;
    std::uint32_t repeat;  // repeat offset after that code
    PackCodeKind kind;
  };

  void Relax(std::size_t to, std::uint32_t cost, PackCodeKind kind, std::uint32_t length,
             std::uint32_t offset, std::uint32_t repeat) {
    Arrival& a = arrivals_[to];
    if (cost < a.cost) a = Arrival{cost, length, offset, repeat, kind};
  }
  void AddMatches(std::size_t i, std::size_t pos, std::size_t count);

  const unsigned char* data_ = nullptr;
  std::size_t length_ = 0;
  ParserSettings settings_{};
  MatchFinder finder_;
  std::unique_ptr<Arrival[]> arrivals_;
  std::unique_ptr<MatchCandidate[]> candidates_;
};
