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
constexpr std::size_t ShortCopy = 16;

// Decodes the stream into out[0, limit); without Write it only follows the codes and counts the
// bytes they would write (out is not touched). The decoder state lives in locals so that the
// compiler can keep it in registers: stores to the output may alias any memory it does not own.
template <bool Write>
PackStatus Decode(const unsigned char* stream, std::size_t streamLength, unsigned char* out,
                  std::size_t limit, std::uint64_t storedLength, std::size_t& written) {
  BitReader in(stream, streamLength);
  std::size_t pos = 0;
  int indexWidth = PackInitialIndexWidth;
  std::uint64_t lastOffset = 1;
  int literalWidth = 8;
  std::uint32_t literalBase = 0;
  PackStatus status = PackStatus::Ok;
  std::size_t scribbled = 0;  // end of the bytes a short copy wrote beyond its length

  const auto fail = [&](PackStatus why) __attribute__((always_inline)) {
    status = why;
    return false;
  };
  const auto room = [&](std::uint64_t count) __attribute__((always_inline)) {
    if (count <= limit - pos) return true;
    return fail(pos + count > storedLength ? PackStatus::TooLong : PackStatus::OutputFull);
  };
  const auto copy = [&](std::uint64_t offset, std::uint64_t length) __attribute__((always_inline)) {
    if (offset == 0 || offset > pos) return fail(PackStatus::Corrupt);
    if (!room(length)) return false;
    if constexpr (!Write) {
      pos += length;
      return true;
    }
    unsigned char* to = out + pos;
    const unsigned char* from = to - offset;
    pos += length;
    if (offset >= ShortCopy && length <= ShortCopy && limit - (pos - length) >= ShortCopy) {
      // Most matches are short: copy a fixed 16 bytes, which the next codes overwrite past the end.
      std::memcpy(to, from, ShortCopy);
      if (to + ShortCopy > out + scribbled) scribbled = static_cast<std::size_t>(to + ShortCopy - out);
    } else if (offset >= length && length > ShortCopy) {
      std::memcpy(to, from, length);
    } else if (offset == 1) {
      std::memset(to, *from, length);
    } else {
      // Short or overlapping: byte by byte, so an overlap repeats the most recent bytes.
      for (std::uint64_t i = 0; i < length; ++i) to[i] = from[i];
    }
    return true;
  };

  for (;;) {
    const std::uint32_t prefix = in.Peek(3);
    if (prefix >= 0b100) {  // 1: literal
      in.Skip(1);
      if (!room(1)) break;
      const std::uint32_t literal = in.Bits(literalWidth) + literalBase;
      if constexpr (Write) out[pos] = static_cast<unsigned char>(literal);
      ++pos;
    } else if (prefix >= 0b010) {  // 01: match
      in.Skip(2);
      const std::uint64_t high = in.Gamma(GammaLimit);
      if (high == 0) {
        fail(PackStatus::Corrupt);
        break;
      }
      if (high == 2) {  // the repeat offset
        const std::uint64_t length = in.Gamma(GammaLimit);
        if (length == 0 ? fail(PackStatus::Corrupt) : !copy(lastOffset, length)) break;
        continue;
      }
      // The stream may set any width up to 63 bits; offsets beyond 2^40 never point into the output.
      std::uint64_t low = 0;
      if (indexWidth > 32) {
        low = std::uint64_t(in.Bits(indexWidth - 32)) << 32;
        low |= in.Bits(32);
      } else {
        low = in.Bits(indexWidth);
      }
      const std::uint64_t top = high - 3;
      const std::uint64_t length = in.Gamma(GammaLimit);
      if ((top != 0 && (indexWidth >= 40 || top > (OffsetLimit >> indexWidth))) || length == 0) {
        fail(PackStatus::Corrupt);
        break;
      }
      lastOffset = top << indexWidth | low;
      if (!copy(lastOffset, length + NewOffsetLengthBonus(lastOffset))) break;
    } else if (prefix == 0b001) {  // 001: near byte, zero byte, raw run or literal-mode change
      in.Skip(3);
      const std::uint32_t r = in.Bits(4);
      if (r >= 2) {
        if (!copy(r - 1, 1)) break;
      } else if (r == 1) {
        if (!room(1)) break;
        if constexpr (Write) out[pos] = 0;
        ++pos;
      } else if (in.Bit()) {
        bool ok = true;
        do {
          ok = room(RawGroupLength);
          for (std::uint32_t i = 0; ok && i < RawGroupLength; ++i) {
            const std::uint32_t byte = in.Bits(8);
            if constexpr (Write) out[pos] = static_cast<unsigned char>(byte);
            ++pos;
          }
        } while (ok && in.Bit());
        if (!ok) break;
      } else {
        literalWidth = 7 + static_cast<int>(in.Bit());
        literalBase = literalWidth == 7 ? in.Bits(8) : 0;
      }
    } else {  // 000: short match, end, or index width change
      in.Skip(3);
      const std::uint32_t offset = in.Bits(7);
      const std::uint32_t k = in.Bits(2);
      if (offset != 0) {
        lastOffset = offset;
        if (!copy(offset, k + 2)) break;
      } else if (k == 0) {
        break;
      } else {
        indexWidth = static_cast<int>(in.Bits(static_cast<int>(k) + 3));
      }
    }
  }
  // A step that failed on a stream that ran out of words reports the truncation, whatever it
  // decoded; so does an end code read from beyond the last word.
  if (in.Truncated()) status = PackStatus::Truncated;
  // A stream that stopped short of its fixed-size copies leaves no stray bytes behind.
  if (Write && scribbled > pos) std::memset(out + pos, 0, scribbled - pos);
  written = pos;
  return status;
}

}  // namespace

std::uint32_t unpackedLength(const unsigned char* block, std::size_t blockLength) {
  if (block == nullptr || blockLength < PackHeaderSize) return 0;
  if (block[0] != PackMagic[0] || block[1] != PackMagic[1]) return 0;
  return ReadLe32(block + PackLengthOffset);
}

std::uint32_t ProvenUnpackedLength(const unsigned char* block, std::size_t blockLength) {
  const std::uint32_t stored = unpackedLength(block, blockLength);
  if (stored == 0) return 0;
  std::size_t produced = 0;
  const PackStatus status =
      Decode<false>(block + PackHeaderSize, blockLength - PackHeaderSize, nullptr, stored, stored, produced);
  return status == PackStatus::Ok && produced == stored ? stored : 0;
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
    const std::uint32_t storedLength = ReadLe32(block + PackLengthOffset);
    const std::size_t limit = destinationCapacity < storedLength ? destinationCapacity : storedLength;
    result = Decode<true>(block + PackHeaderSize, blockLength - PackHeaderSize, destination, limit, storedLength,
                    written);
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
