#include "exchange/pack/literal_modes.h"

#include <algorithm>
#include <new>

#include "exchange/pack/block_format.h"

namespace {

constexpr std::uint32_t Unreachable = 1u << 28;
constexpr std::size_t EightBitState = 256;

LiteralMode ModeOfState(std::size_t state) {
  return state == EightBitState ? LiteralMode{8, 0} : LiteralMode{7, static_cast<std::uint32_t>(state)};
}

std::size_t StateOfMode(const LiteralMode& mode) { return mode.width == 8 ? EightBitState : mode.base; }

}  // namespace

LiteralMode InitialLiteralMode(const unsigned char* data, std::size_t length) {
  const std::size_t sample = std::min(length, LiteralModeSample);
  if (sample == 0) return LiteralMode{8, 0};
  const auto [smallest, largest] = std::minmax_element(data, data + sample);
  if (*smallest != *largest && *largest - *smallest <= 127) return LiteralMode{7, *smallest};
  return LiteralMode{8, 0};
}

std::uint32_t ModeChangeCost(const LiteralMode& mode) { return ModeChangeBits + (mode.width == 7 ? 8 : 0); }

bool LiteralModePlanner::Plan(const std::vector<unsigned char>& literals, LiteralMode& current,
                              std::vector<ModeChange>& changes) {
  const std::size_t count = literals.size();
  if (count == 0) return true;
  try {
    cost_.assign(StateCount, Unreachable);
    next_.resize(StateCount);
    changedInto_.assign(count * MaskWords, 0);
    cheapestBefore_.resize(count);
  } catch (const std::bad_alloc&) {
    return false;
  }
  cost_[StateOfMode(current)] = 0;
  const std::uint32_t toSeven = ModeChangeCost(LiteralMode{7, 0});
  const std::uint32_t toEight = ModeChangeCost(LiteralMode{8, 0});

  for (std::size_t i = 0; i < count; ++i) {
    const auto cheapest = std::min_element(cost_.begin(), cost_.end());
    const std::uint32_t best = *cheapest;
    cheapestBefore_[i] = static_cast<std::uint16_t>(cheapest - cost_.begin());
    std::uint64_t* changed = &changedInto_[i * MaskWords];
    const unsigned char byte = literals[i];
    for (std::size_t s = 0; s < EightBitState; ++s) {
      // 7-bit literals above base s code bytes s .. s+127 (mod 256).
      if (((byte - s) & 0xFF) >= 128) {
        next_[s] = Unreachable;
        continue;
      }
      std::uint32_t arrive = cost_[s];
      if (best + toSeven < arrive) {
        arrive = best + toSeven;
        changed[s / 64] |= std::uint64_t(1) << (s % 64);
      }
      next_[s] = std::min(arrive + 8, Unreachable);
    }
    std::uint32_t arrive = cost_[EightBitState];
    if (best + toEight < arrive) {
      arrive = best + toEight;
      changed[EightBitState / 64] |= std::uint64_t(1) << (EightBitState % 64);
    }
    next_[EightBitState] = std::min(arrive + 9, Unreachable);
    cost_.swap(next_);
  }

  std::size_t state = static_cast<std::size_t>(std::min_element(cost_.begin(), cost_.end()) - cost_.begin());
  current = ModeOfState(state);
  const std::size_t first = changes.size();
  for (std::size_t i = count; i-- > 0;) {
    if (changedInto_[i * MaskWords + state / 64] >> (state % 64) & 1) {
      changes.push_back(ModeChange{i, ModeOfState(state)});
      state = cheapestBefore_[i];
    }
  }
  std::reverse(changes.begin() + static_cast<std::ptrdiff_t>(first), changes.end());
  return true;
}
