// Packs data into a packed block: parse a segment by cost, plan the literal modes over its
// literals, write its codes; repeat to the end of the input.
#include <algorithm>
#include <new>
#include <vector>

#include "exchange/pack/bit_writer.h"
#include "exchange/pack/block_format.h"
#include "exchange/pack/code_writer.h"
#include "exchange/pack/literal_modes.h"
#include "exchange/pack/pack.h"
#include "exchange/pack/parser.h"

namespace {

ParserSettings SettingsForLevel(int level, std::size_t length) {
  level = std::clamp(level, 1, PackMaxLevel);
  std::uint32_t window = std::max(std::uint32_t(1) << (level + 7), PackMinWindow);
  if (window > length) window = static_cast<std::uint32_t>(length);
  // Level 9 searches deep: boards hold texts of at most 64 000 bytes, so packing stays quick.
  return ParserSettings{MatchSearch{window, 1 << level, static_cast<std::uint32_t>(32 * level)}};
}

// Literal costs the parser plans with: bytes the current 7-bit mode covers are cheap; others will
// need a mode change or a copy, which the planner settles once the parse is known.
void EstimateLiteralBits(const LiteralMode& mode, std::uint32_t bits[256]) {
  for (int b = 0; b < 256; ++b) {
    const bool covered = mode.Covers(static_cast<unsigned char>(b));
    bits[b] = mode.width == 8 ? 9 : (covered ? 8 : 10);
  }
}

class Packer {
 public:
  Packer(const unsigned char* source, std::size_t length, BitWriter& out)
      : source_(source), length_(length), out_(out), codes_(out) {}

  PackStatus Run(int level);

 private:
  bool WriteSegment(std::size_t start);

  const unsigned char* source_;
  std::size_t length_;
  BitWriter& out_;
  CodeWriter codes_;
  Parser parser_;
  LiteralModePlanner planner_;
  ParserSettings settings_{};
  std::vector<PackCode> parse_;
  std::vector<unsigned char> literals_;
  std::vector<ModeChange> changes_;
  LiteralMode plannedMode_{8, 0};
};

PackStatus Packer::Run(int level) {
  settings_ = SettingsForLevel(level, length_);
  plannedMode_ = InitialLiteralMode(source_, length_);
  codes_.ModeChange(plannedMode_);
  if (!parser_.Init(source_, length_, settings_)) return PackStatus::NoMemory;
  std::uint32_t repeat = 1;
  std::uint32_t literalBits[256];
  for (std::size_t pos = 0; pos < length_ && !out_.Overflowed();) {
    const std::size_t start = pos;
    EstimateLiteralBits(plannedMode_, literalBits);
    parse_.clear();
    try {
      pos = parser_.ParseSegment(start, repeat, literalBits, parse_);
    } catch (const std::bad_alloc&) {
      return PackStatus::NoMemory;
    }
    if (!WriteSegment(start)) return PackStatus::NoMemory;
  }
  codes_.End();
  out_.Finish();
  return PackStatus::Ok;
}

bool Packer::WriteSegment(std::size_t start) {
  literals_.clear();
  changes_.clear();
  try {
    std::size_t pos = start;
    for (const PackCode& code : parse_) {
      if (code.kind == PackCodeKind::Literal) literals_.push_back(source_[pos]);
      pos += code.length;
    }
    if (!planner_.Plan(literals_, plannedMode_, changes_)) return false;
  } catch (const std::bad_alloc&) {
    return false;
  }

  std::size_t pos = start;
  std::size_t literal = 0;
  auto change = changes_.begin();
  for (std::size_t i = 0; i < parse_.size(); ++i) {
    const PackCode& code = parse_[i];
    // Offsets may reach back min(position, window) bytes; widen the index once that passes the
    // thresholds. Raw groups carry no offset and continue their run, so widen only before a new code.
    const int width = IndexWidthForReach(std::min<std::size_t>(pos, settings_.search.window));
    if (width != codes_.CurrentIndexWidth() && !codes_.InRawRun()) codes_.IndexWidth(width);
    switch (code.kind) {
      case PackCodeKind::Literal:
        if (change != changes_.end() && change->literalIndex == literal) codes_.ModeChange((change++)->mode);
        codes_.Literal(source_[pos]);
        ++literal;
        break;
      case PackCodeKind::RawGroup: {
        const bool more = i + 1 < parse_.size() && parse_[i + 1].kind == PackCodeKind::RawGroup;
        codes_.RawGroup(source_ + pos, more);
        break;
      }
      default:
        codes_.Copy(code);
        break;
    }
    pos += code.length;
  }
  return true;
}

}  // namespace

std::size_t pack(const unsigned char* source, std::size_t length, unsigned char* destination,
                 std::size_t destinationCapacity, int level, PackStatus* status) {
  PackStatus result = PackStatus::Ok;
  std::size_t size = 0;
  // The stream, whole words only, may not be longer than the input.
  const std::size_t inputWords = length / 4;
  const std::size_t roomWords =
      destinationCapacity > PackHeaderSize ? (destinationCapacity - PackHeaderSize) / 4 : 0;
  if (source == nullptr || destination == nullptr || length == 0) {
    result = PackStatus::NoInput;
  } else if (length > 0xFFFFFFFFu) {
    result = PackStatus::TooLarge;
  } else if (roomWords == 0) {
    result = inputWords == 0 ? PackStatus::NotSmaller : PackStatus::OutputFull;
  } else {
    BitWriter out(destination + PackHeaderSize, std::min(inputWords, roomWords));
    Packer packer(source, length, out);
    result = packer.Run(level);
    if (result == PackStatus::Ok && out.Overflowed()) {
      result = roomWords < inputWords ? PackStatus::OutputFull : PackStatus::NotSmaller;
    }
    if (result == PackStatus::Ok) {
      destination[0] = PackMagic[0];
      destination[1] = PackMagic[1];
      WriteLe32(destination + PackLengthOffset, static_cast<std::uint32_t>(length));
      WriteLe32(destination + PackChecksumOffset, PackChecksum(source, length));
      size = PackHeaderSize + 4 * out.WordsWritten();
    }
  }
  if (status != nullptr) *status = result;
  return size;
}
