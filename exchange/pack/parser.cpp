#include "exchange/pack/parser.h"

#include <algorithm>
#include <new>
#include <utility>

#include "exchange/pack/block_format.h"

namespace {

constexpr std::uint32_t Unreached = 0xFFFFFFFFu;
constexpr std::uint32_t RawGroupBits = RawRunStartBits + 8 * RawGroupLength + 1;

std::uint32_t RepeatMatchBits(std::uint32_t length) { return 2 + GammaBits(2) + GammaBits(length); }

std::uint32_t NewMatchBits(std::uint32_t offset, std::uint32_t length, int indexWidth) {
  return 2 + GammaBits((offset >> indexWidth) + 3) + indexWidth +
         GammaBits(length - NewOffsetLengthBonus(offset));
}

}  // namespace

bool Parser::Init(const unsigned char* data, std::size_t length, const ParserSettings& settings) {
  data_ = data;
  length_ = length;
  settings_ = settings;
  const std::size_t slots = (std::min(length, SegmentLength) + 1) * ArrivalsPerPosition;
  arrivals_.reset(new (std::nothrow) Arrival[slots]);
  candidates_.reset(new (std::nothrow) MatchCandidate[MatchFinder::MaxCandidates]);
  if (!arrivals_ || !candidates_) return false;
  return finder_.Init(data, length, settings.search);
}

inline void Parser::Relax(std::size_t to, const Arrival& arrival) {
  Arrival* list = At(to);
  // Most offers lose to a full list; an arrival with the same repeat offset is never dearer than
  // the dearest one.
  if (arrival.cost >= list[ArrivalsPerPosition - 1].cost) return;
  std::size_t slot = ArrivalsPerPosition - 1;
  for (std::size_t k = 0; k < ArrivalsPerPosition; ++k) {
    if (list[k].cost == Unreached) {
      slot = k;
      break;
    }
    if (list[k].repeat == arrival.repeat) {
      if (arrival.cost >= list[k].cost) return;
      slot = k;
      break;
    }
  }
  if (arrival.cost >= list[slot].cost && list[slot].repeat != arrival.repeat) return;
  list[slot] = arrival;
  for (; slot > 0 && list[slot - 1].cost > list[slot].cost; --slot) std::swap(list[slot - 1], list[slot]);
}

// Codes that keep the repeat offset: from every arrival, since each carries a different one.
void Parser::AddCopies(std::size_t i, std::size_t pos, std::uint32_t room) {
  const unsigned char byte = data_[pos];
  std::uint32_t near = 0;
  for (std::uint32_t d = 1; d <= std::min<std::size_t>(pos, NearByteMaxOffset); ++d) {
    if (data_[pos - d] == byte) {
      near = d;
      break;
    }
  }
  for (std::uint8_t k = 0; k < ArrivalsPerPosition; ++k) {
    const Arrival from = At(i)[k];
    if (from.cost == Unreached) break;
    if (byte == 0) {
      Relax(i + 1, Arrival{from.cost + NearByteBits, 1, 0, from.repeat, PackCodeKind::ZeroByte, k});
    } else if (near != 0) {
      Relax(i + 1, Arrival{from.cost + NearByteBits, 1, near, from.repeat, PackCodeKind::NearByte, k});
    }
    // Raw groups pay only where literals are dear, and then the cheapest arrival is the one to take.
    if (k == 0 && room >= RawGroupLength) {
      Relax(i + RawGroupLength,
            Arrival{from.cost + RawGroupBits, RawGroupLength, 0, from.repeat, PackCodeKind::RawGroup, k});
    }
    if (from.repeat <= pos) {
      const std::uint32_t repeatLength = CommonLength(data_ + pos, data_ + pos - from.repeat, room);
      for (std::uint32_t length = 2; length <= repeatLength; ++length) {
        Relax(i + length, Arrival{from.cost + RepeatMatchBits(length), length, from.repeat, from.repeat,
                                  PackCodeKind::RepeatMatch, k});
      }
    }
  }
}

// Codes that set a new repeat offset: only from the cheapest arrival, as they all end alike.
void Parser::AddMatches(std::size_t i, std::size_t pos, std::size_t count) {
  const Arrival from = At(i)[0];
  const int indexWidth = IndexWidthForReach(std::min<std::size_t>(pos, settings_.search.window));
  std::uint32_t shorter = 1;
  for (std::size_t c = 0; c < count; ++c) {
    const MatchCandidate m = candidates_[c];
    // A match at the repeat offset is weighed as a repeat match, which is always cheaper.
    if (m.offset != from.repeat) {
      const std::uint32_t minNew = 2 + NewOffsetLengthBonus(m.offset);
      for (std::uint32_t length = shorter + 1; length <= m.length; ++length) {
        if (m.offset <= ShortMatchMaxOffset && length <= ShortMatchMaxLength) {
          Relax(i + length,
                Arrival{from.cost + ShortMatchBits, length, m.offset, m.offset, PackCodeKind::ShortMatch, 0});
        } else if (length >= minNew) {
          Relax(i + length, Arrival{from.cost + NewMatchBits(m.offset, length, indexWidth), length, m.offset,
                                    m.offset, PackCodeKind::Match, 0});
        }
      }
    }
    shorter = m.length;
  }
}

std::size_t Parser::ParseSegment(std::size_t start, std::uint32_t& repeat,
                                 const std::uint32_t literalBits[256], std::vector<PackCode>& codes) {
  const std::size_t end = std::min(length_ - start, SegmentLength);
  for (std::size_t i = 0; i <= end * ArrivalsPerPosition + ArrivalsPerPosition - 1; ++i) {
    arrivals_[i].cost = Unreached;
  }
  At(0)[0] = Arrival{0, 0, 0, repeat, PackCodeKind::Literal, 0};

  for (std::size_t i = 0; i < end; ++i) {
    const std::size_t pos = start + i;
    const std::uint32_t room = static_cast<std::uint32_t>(end - i);
    const std::size_t count = finder_.FindAndInsert(pos, room, candidates_.get());
    const Arrival best = At(i)[0];

    // A long match is taken as it is, extended past the segment if the data goes on repeating;
    // the segment ends where it starts.
    std::uint32_t repeatLength = 0;
    if (best.repeat <= pos) repeatLength = CommonLength(data_ + pos, data_ + pos - best.repeat, room);
    const std::uint32_t matchLength = count > 0 ? candidates_[count - 1].length : 0;
    if (std::max(repeatLength, matchLength) >= settings_.search.niceLength) {
      PackCode taken{PackCodeKind::RepeatMatch, repeatLength, best.repeat};
      if (matchLength > repeatLength) taken = PackCode{PackCodeKind::Match, matchLength, candidates_[count - 1].offset};
      if (taken.length == room) {
        const std::size_t rest = std::min<std::size_t>(length_ - pos, 0xFFFFFFFFu) - room;
        taken.length += CommonLength(data_ + pos + room, data_ + pos + room - taken.offset,
                                     static_cast<std::uint32_t>(rest));
      }
      for (std::size_t skipped = pos + 1; skipped < pos + taken.length; ++skipped) finder_.Insert(skipped);
      WalkBack(i, 0, codes);
      codes.push_back(taken);
      repeat = taken.offset;
      return pos + taken.length;
    }

    for (std::uint8_t k = 0; k < ArrivalsPerPosition; ++k) {
      const Arrival from = At(i)[k];
      if (from.cost == Unreached) break;
      Relax(i + 1, Arrival{from.cost + literalBits[data_[pos]], 1, 0, from.repeat, PackCodeKind::Literal, k});
    }
    AddCopies(i, pos, room);
    AddMatches(i, pos, count);
  }

  WalkBack(end, 0, codes);
  repeat = At(end)[0].repeat;
  return start + end;
}

void Parser::WalkBack(std::size_t end, std::uint8_t arrival, std::vector<PackCode>& codes) {
  const std::size_t first = codes.size();
  for (std::size_t at = end; at > 0;) {
    const Arrival& a = At(at)[arrival];
    codes.push_back(PackCode{a.kind, a.length, a.offset});
    arrival = a.from;
    at -= a.length;
  }
  std::reverse(codes.begin() + static_cast<std::ptrdiff_t>(first), codes.end());
}
