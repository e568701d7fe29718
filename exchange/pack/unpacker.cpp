// Unpacks a packed block. Every number in the stream is checked against the output written so far
// and the room left, so no block, however damaged, makes it read or write outside its buffers.
#include <cstring>

#include "exchange/pack/bit_reader.h"
#include "exchange/pack/block_format.h"
#include "exchange/pack/pack.h"

namespace {

// Gamma numbers above this are never valid: no block describes more than 4 GiB.
constexpr std::uint64_t GammaLimit = std::uint64_t(1) << 34;
constexpr std::uint64_t OffsetLimit = std::uint64_t(1) << 40;

class Unpacker {
 public:
  Unpacker(const unsigned char* block, std::size_t blockLength, unsigned char* destination,
           std::size_t capacity, std::uint32_t storedLength)
      : in_(block + PackHeaderSize, blockLength - PackHeaderSize),
        out_(destination),
        storedLength_(storedLength),
        limit_(capacity < storedLength ? capacity : storedLength) {}

  PackStatus Run();
  std::size_t Written() const { return pos_; }

 private:
  PackStatus Literal();
  PackStatus Match();
  PackStatus ShortMatchOrControl(bool& ended);
  PackStatus NearByteOrControl();
  PackStatus RawRun();

  // The status for a failed step: a stream that ran out of words is truncated, whatever it decoded.
  PackStatus Fail(PackStatus status) const {
    return in_.Truncated() ? PackStatus::Truncated : status;
  }
  PackStatus NoRoom(std::uint64_t count) const {
    return Fail(pos_ + count > storedLength_ ? PackStatus::TooLong : PackStatus::OutputFull);
  }
  bool HasRoom(std::uint64_t count) const { return count <= limit_ - pos_; }
  PackStatus Put(std::uint32_t byte) {
    if (!HasRoom(1)) return NoRoom(1);
    out_[pos_++] = static_cast<unsigned char>(byte);
    return PackStatus::Ok;
  }
  PackStatus Copy(std::uint64_t offset, std::uint64_t length);

  BitReader in_;
  unsigned char* out_;
  std::size_t pos_ = 0;
  std::uint64_t storedLength_;
  std::size_t limit_;
  int indexWidth_ = PackInitialIndexWidth;
  std::uint64_t lastOffset_ = 1;
  int literalWidth_ = 8;
  std::uint32_t literalBase_ = 0;
};

PackStatus Unpacker::Copy(std::uint64_t offset, std::uint64_t length) {
  if (offset == 0 || offset > pos_) return Fail(PackStatus::Corrupt);
  if (!HasRoom(length)) return NoRoom(length);
  unsigned char* to = out_ + pos_;
  const unsigned char* from = to - offset;
  if (offset >= length) {
    std::memcpy(to, from, length);
  } else {
    for (std::uint64_t i = 0; i < length; ++i) to[i] = from[i];  // overlapping: repeats recent bytes
  }
  pos_ += length;
  return PackStatus::Ok;
}

PackStatus Unpacker::Literal() {
  return Put((in_.Bits(literalWidth_) + literalBase_) & 0xFF);
}

PackStatus Unpacker::Match() {
  const std::uint64_t high = in_.Gamma(GammaLimit);
  if (high == 0) return Fail(PackStatus::Corrupt);
  if (high == 2) {
    const std::uint64_t length = in_.Gamma(GammaLimit);
    if (length == 0) return Fail(PackStatus::Corrupt);
    return Copy(lastOffset_, length);
  }
  // The stream may set any width up to 63 bits; offsets beyond 2^40 can never point into the output.
  const int width = indexWidth_;
  std::uint64_t low = 0;
  if (width > 32) {
    low = std::uint64_t(in_.Bits(width - 32)) << 32;
    low |= in_.Bits(32);
  } else {
    low = in_.Bits(width);
  }
  const std::uint64_t top = high - 3;
  if (top != 0 && (width >= 40 || top > (OffsetLimit >> width))) return Fail(PackStatus::Corrupt);
  const std::uint64_t offset = top << width | low;
  const std::uint64_t length = in_.Gamma(GammaLimit);
  if (length == 0) return Fail(PackStatus::Corrupt);
  lastOffset_ = offset;
  return Copy(offset, length + NewOffsetLengthBonus(offset));
}

PackStatus Unpacker::ShortMatchOrControl(bool& ended) {
  const std::uint32_t offset = in_.Bits(7);
  const std::uint32_t k = in_.Bits(2);
  if (offset != 0) {
    lastOffset_ = offset;
    return Copy(offset, k + 2);
  }
  if (k == 0) {
    ended = true;
  } else {
    indexWidth_ = static_cast<int>(in_.Bits(static_cast<int>(k) + 3));
  }
  return PackStatus::Ok;
}

PackStatus Unpacker::NearByteOrControl() {
  const std::uint32_t r = in_.Bits(4);
  if (r >= 2) return Copy(r - 1, 1);
  if (r == 1) return Put(0);
  if (in_.Bit()) return RawRun();
  literalWidth_ = 7 + static_cast<int>(in_.Bit());
  literalBase_ = literalWidth_ == 7 ? in_.Bits(8) : 0;
  return PackStatus::Ok;
}

PackStatus Unpacker::RawRun() {
  do {
    if (!HasRoom(RawGroupLength)) return NoRoom(RawGroupLength);
    for (std::uint32_t i = 0; i < RawGroupLength; ++i) out_[pos_++] = static_cast<unsigned char>(in_.Bits(8));
  } while (in_.Bit());
  return PackStatus::Ok;
}

PackStatus Unpacker::Run() {
  for (;;) {
    PackStatus status = PackStatus::Ok;
    if (in_.Bit()) {
      status = Literal();
    } else if (in_.Bit()) {
      status = Match();
    } else if (in_.Bit()) {
      status = NearByteOrControl();
    } else {
      bool ended = false;
      status = ShortMatchOrControl(ended);
      if (ended) break;
    }
    if (status != PackStatus::Ok) return status;
  }
  return in_.Truncated() ? PackStatus::Truncated : PackStatus::Ok;
}

}  // namespace

std::uint32_t unpackedLength(const unsigned char* block, std::size_t blockLength) {
  if (block == nullptr || blockLength < PackHeaderSize) return 0;
  if (block[0] != PackMagic[0] || block[1] != PackMagic[1]) return 0;
  return ReadLe32(block + PackLengthOffset);
}

std::size_t unpack(const unsigned char* block, std::size_t blockLength, unsigned char* destination,
                   std::size_t destinationCapacity, PackStatus* status) {
  PackStatus result = PackStatus::Ok;
  std::size_t written = 0;
  if (block == nullptr || blockLength < PackHeaderSize) {
    result = block == nullptr ? PackStatus::NoInput : PackStatus::Truncated;
  } else if (block[0] != PackMagic[0] || block[1] != PackMagic[1]) {
    result = PackStatus::BadMagic;
  } else if (destination == nullptr && destinationCapacity != 0) {
    result = PackStatus::NoInput;
  } else {
    Unpacker unpacker(block, blockLength, destination, destinationCapacity,
                      ReadLe32(block + PackLengthOffset));
    result = unpacker.Run();
    written = unpacker.Written();
    const std::uint32_t stored = ReadLe32(block + PackChecksumOffset);
    if (result == PackStatus::Ok && stored != 0 && PackChecksum(destination, written) != stored) {
      result = PackStatus::ChecksumMismatch;
    }
    if (result != PackStatus::Ok) {
      if (written > 0) std::memset(destination, 0, written);
      written = 0;
    }
  }
  if (status != nullptr) *status = result;
  return written;
}
