// Chooses the codes for the input by estimated bit cost: a shortest-path search over positions,
// segment by segment, where each position can be reached by a literal, a zero or near byte, a
// short match, a repeat-offset match, a match with a new offset or a raw group. Each position keeps
// its few cheapest arrivals with different repeat offsets, since a dearer arrival whose repeat
// offset recurs soon can win later.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "exchange/pack/match_finder.h"
#include "exchange/pack/pack_code.h"

struct ParserSettings {
  MatchSearch search;  // its nice length is also the length taken without weighing alternatives
};

class Parser {
 public:
  static constexpr std::size_t SegmentLength = 32768;
  static constexpr std::size_t ArrivalsPerPosition = 3;

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
    std::uint8_t from;     // which arrival at the code's start it continues
  };

  // The arrivals at segment position i, cheapest first; unused ones have the cost Unreached.
  Arrival* At(std::size_t i) { return &arrivals_[i * ArrivalsPerPosition]; }
  [[gnu::always_inline]] void Relax(std::size_t to, const Arrival& arrival);
  void AddCopies(std::size_t i, std::size_t pos, std::uint32_t room);
  void AddMatches(std::size_t i, std::size_t pos, std::size_t count);
  // Appends the codes that lead to `arrival` at segment position `end`, in input order.
  void WalkBack(std::size_t end, std::uint8_t arrival, std::vector<PackCode>& codes);

  const unsigned char* data_ = nullptr;
  std::size_t length_ = 0;
  ParserSettings settings_{};
  MatchFinder finder_;
  std::unique_ptr<Arrival[]> arrivals_;
  std::unique_ptr<MatchCandidate[]> candidates_;
};
