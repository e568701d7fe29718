#include "exchange/pack/parser.h"

#include <algorithm>
#include <new>

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
  const std::size_t slots = std::min(length, SegmentLength) + 1;
  arrivals_.reset(new (std::nothrow) Arrival[slots]);
  candidates_.reset(new (std::nothrow) MatchCandidate[MatchFinder::MaxCandidates]);
  if (!arrivals_ || !candidates_) return false;
  return finder_.Init(data, length, settings.window, settings.chainDepth, settings.niceLength);
}

void Parser::AddMatches(std::size_t i, std::size_t pos, std::size_t count) {
  const Arrival& from = arrivals_[i];
  const int indexWidth = IndexWidthForReach(std::min<std::size_t>(pos, settings_.window));
  std::uint32_t shorter = 1;
  for (std::size_t c = 0; c < count; ++c) {
    const MatchCandidate m = candidates_[c];
    // A match at the repeat offset is weighed as a repeat match, which is always cheaper.
    if (m.offset != from.repeat) {
      const std::uint32_t minNew = 2 + NewOffsetLengthBonus(m.offset);
      for (std::uint32_t length = shorter + 1; length <= m.length; ++length) {
        if (m.offset <= ShortMatchMaxOffset && length <= ShortMatchMaxLength) {
          Relax(i + length, from.cost + ShortMatchBits, PackCodeKind::ShortMatch, length, m.offset, m.offset);
        } else if (length >= minNew) {
          Relax(i + length, from.cost + NewMatchBits(m.offset, length, indexWidth), PackCodeKind::Match,
                length, m.offset, m.offset);
        }
      }
    }
    shorter = m.length;
  }
}

std::size_t Parser::ParseSegment(std::size_t start, std::uint32_t& repeat,
                                 const std::uint32_t literalBits[256], std::vector<PackCode>& codes) {
  std::size_t end = std::min(length_ - start, SegmentLength);
  for (std::size_t i = 0; i <= end; ++i) arrivals_[i].cost = Unreached;
  arrivals_[0] = Arrival{0, 0, 0, repeat, PackCodeKind::Literal};

  for (std::size_t i = 0; i < end; ++i) {
    const std::size_t pos = start + i;
    const Arrival from = arrivals_[i];
    const unsigned char byte = data_[pos];
    const std::uint32_t room = static_cast<std::uint32_t>(end - i);

    Relax(i + 1, from.cost + literalBits[byte], PackCodeKind::Literal, 1, 0, from.repeat);
    if (byte == 0) {
      Relax(i + 1, from.cost + NearByteBits, PackCodeKind::ZeroByte, 1, 0, from.repeat);
    } else {
      const std::size_t reach = std::min<std::size_t>(pos, NearByteMaxOffset);
      for (std::uint32_t d = 1; d <= reach; ++d) {
        if (data_[pos - d] == byte) {
          Relax(i + 1, from.cost + NearByteBits, PackCodeKind::NearByte, 1, d, from.repeat);
          break;
        }
      }
    }
    if (room >= RawGroupLength) {
      Relax(i + RawGroupLength, from.cost + RawGroupBits, PackCodeKind::RawGroup, RawGroupLength, 0,
            from.repeat);
    }

    std::uint32_t repeatLength = 0;
    if (from.repeat <= pos) repeatLength = CommonLength(data_ + pos, data_ + pos - from.repeat, room);
    const std::size_t count = finder_.FindAndInsert(pos, room, candidates_.get());
    const std::uint32_t matchLength = count > 0 ? candidates_[count - 1].length : 0;

    if (std::max(repeatLength, matchLength) >= settings_.niceLength) {
      // A long match is taken as it is; the segment ends where it ends.
      if (repeatLength >= matchLength) {
        Relax(i + repeatLength, from.cost + RepeatMatchBits(repeatLength), PackCodeKind::RepeatMatch,
              repeatLength, from.repeat, from.repeat);
        end = i + repeatLength;
      } else {
        const MatchCandidate m = candidates_[count - 1];
        const int indexWidth = IndexWidthForReach(std::min<std::size_t>(pos, settings_.window));
        Relax(i + m.length, from.cost + NewMatchBits(m.offset, m.length, indexWidth), PackCodeKind::Match,
              m.length, m.offset, m.offset);
        end = i + m.length;
      }
      for (std::size_t skipped = pos + 1; skipped < start + end; ++skipped) finder_.Insert(skipped);
      break;
    }
    for (std::uint32_t length = 2; length <= repeatLength; ++length) {
      Relax(i + length, from.cost + RepeatMatchBits(length), PackCodeKind::RepeatMatch, length, from.repeat,
            from.repeat);
    }
    AddMatches(i, pos, count);
  }

  // Walk back from the end, then append the codes in input order.
  const std::size_t first = codes.size();
  for (std::size_t at = end; at > 0; at -= arrivals_[at].length) {
    const Arrival& a = arrivals_[at];
    codes.push_back(PackCode{a.kind, a.length, a.offset});
  }
  std::reverse(codes.begin() + static_cast<std::ptrdiff_t>(first), codes.end());
  repeat = arrivals_[end].repeat;
  return start + end;
}
