#include "exchange/pack/code_writer.h"

#include <cassert>

#include "exchange/pack/block_format.h"

namespace {

// Prefixes: 01 match, 000 short match or control, 001 near byte or control.
constexpr std::uint32_t MatchPrefix = 0b01;
constexpr std::uint32_t NearPrefix = 0b001;

}  // namespace

void CodeWriter::ModeChange(const LiteralMode& mode) {
  out_.Put(NearPrefix << 4, 7);
  out_.PutBit(0);
  out_.PutBit(static_cast<std::uint32_t>(mode.width - 7));
  if (mode.width == 7) out_.Put(mode.base, 8);
  mode_ = mode;
}

void CodeWriter::IndexWidth(int width) {
  // 000, offset 0, k = 1 (so 4 bits follow), the width.
  out_.Put(0, 10);
  out_.Put(1, 2);
  out_.Put(static_cast<std::uint32_t>(width), 4);
  indexWidth_ = width;
}

void CodeWriter::Literal(unsigned char byte) {
  out_.PutBit(1);
  out_.Put((byte - mode_.base) & 0xFF, mode_.width);
}

void CodeWriter::Copy(const PackCode& code) {
  switch (code.kind) {
    case PackCodeKind::ZeroByte:
      out_.Put(NearPrefix << 4 | 1, 7);
      break;
    case PackCodeKind::NearByte:
      out_.Put(NearPrefix << 4 | (code.offset + 1), 7);
      break;
    case PackCodeKind::ShortMatch:
      out_.Put(code.offset << 2 | (code.length - ShortMatchMinLength), 12);
      break;
    case PackCodeKind::RepeatMatch:
      out_.Put(MatchPrefix, 2);
      out_.PutGamma(2);
      out_.PutGamma(code.length);
      break;
    case PackCodeKind::Match:
      out_.Put(MatchPrefix, 2);
      out_.PutGamma((code.offset >> indexWidth_) + 3);
      out_.Put(code.offset & ((1u << indexWidth_) - 1), indexWidth_);
      out_.PutGamma(code.length - NewOffsetLengthBonus(code.offset));
      break;
    case PackCodeKind::Literal:
    case PackCodeKind::RawGroup:
      assert(!"literals and raw groups carry their bytes: use Literal and RawGroup");
      break;
  }
}

void CodeWriter::RawGroup(const unsigned char* bytes, bool more) {
  if (!inRawRun_) {
    out_.Put(NearPrefix << 4, 7);
    out_.PutBit(1);
  }
  for (std::uint32_t i = 0; i < RawGroupLength; ++i) out_.Put(bytes[i], 8);
  out_.PutBit(more ? 1 : 0);
  inRawRun_ = more;
}

void CodeWriter::End() { out_.Put(0, EndCodeBits); }
