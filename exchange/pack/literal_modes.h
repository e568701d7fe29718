// Literal modes: literals are 8 bits wide, or 7 bits above a base. A mode change costs bits, so
// the packer plans where to change modes over the literals a parse produced.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct LiteralMode {
  int width;           // 7 or 8
  std::uint32_t base;  // 0 for 8-bit literals

  bool Covers(unsigned char byte) const { return width == 8 || ((byte - base) & 0xFF) < 128; }
  bool operator==(const LiteralMode&) const = default;
};

// The mode a stream starts in: 7-bit literals above the smallest byte when the first 1 024 bytes
// hold at least two values that all lie within a span of 128; otherwise 8-bit literals.
LiteralMode InitialLiteralMode(const unsigned char* data, std::size_t length);

// Bits of the code that changes to `mode`.
std::uint32_t ModeChangeCost(const LiteralMode& mode);

struct ModeChange {
  std::size_t literalIndex;  // the change comes just before this literal
  LiteralMode mode;
};

// Finds the cheapest sequence of mode changes that codes `literals` in order, starting in `current`.
// Appends the changes in order and leaves `current` as the mode after the last literal.
class LiteralModePlanner {
 public:
  // False when work memory cannot be obtained.
  bool Plan(const std::vector<unsigned char>& literals, LiteralMode& current, std::vector<ModeChange>& changes);

 private:
  static constexpr std::size_t StateCount = 257;  // 7-bit with base 0..255, then 8-bit
  static constexpr std::size_t MaskWords = (StateCount + 63) / 64;

  std::vector<std::uint32_t> cost_;
  std::vector<std::uint32_t> next_;
  std::vector<std::uint64_t> changedInto_;  // per literal and state: reached by a change before it
  std::vector<std::uint16_t> cheapestBefore_;  // per literal: the cheapest state before it
};
