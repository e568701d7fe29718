// Packed data blocks: the compressed form in which boards store texts.
//
// A block is "JC", the unpacked length (u32 LE), the checksum of the unpacked data (u32 LE, 0 = none
// stored) and a bit stream of 32-bit little-endian words. Both directions work on caller-owned
// buffers whose lengths are passed in; neither reads or writes outside them.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t PackHeaderSize = 10;
// The level the program packs with: the largest window, 65 536 bytes.
inline constexpr int PackMaxLevel = 9;

// Why an operation failed. The operations themselves report only a length, 0 on failure; the status
// tells the cases apart for callers that care (tools, tests, logs).
enum class PackStatus {
  Ok,
  NoInput,           // a null buffer or a length of 0
  NotSmaller,        // the packed stream would be longer than the input
  TooLarge,          // the input is longer than a block can describe (4 GiB)
  NoMemory,          // work memory could not be obtained
  BadMagic,          // the block does not begin with "JC"
  Truncated,         // the stream needs bytes beyond the end of the block
  Corrupt,           // an impossible code: a copy from before the start, an offset of 0, an overlong number
  TooLong,           // the stream writes beyond the unpacked length stored in the block
  OutputFull,        // the stream writes beyond the destination's capacity
  ChecksumMismatch,  // a stored checksum differs from the checksum of the output
};

// A short English description of a status.
const char* PackStatusText(PackStatus status);

// Destination capacity that always suffices for pack: the input, the header and one final word.
constexpr std::size_t PackBound(std::size_t length) { return length + PackHeaderSize + 4; }

// Checksum of data stored in a block header. 0 for data shorter than 4 bytes.
std::uint32_t PackChecksum(const unsigned char* data, std::size_t length);

// Packs `length` bytes of `source` into `destination` (capacity `destinationCapacity`, PackBound
// always suffices). Level 1..9 selects the window (levels outside are clamped; 9 = 65 536 bytes).
// Returns the block size including the header, or 0 when the input is empty, too large, when work
// memory cannot be had, or when the packed stream (without header) would exceed `length`.
std::size_t pack(const unsigned char* source, std::size_t length, unsigned char* destination,
                 std::size_t destinationCapacity, int level, PackStatus* status = nullptr);

// The unpacked length stored in a block, or 0 when the block is absent, shorter than its header
// or not a packed block.
std::uint32_t unpackedLength(const unsigned char* block, std::size_t blockLength);

// The stored length when the block's codes write exactly that many bytes, 0 otherwise (no packed
// block, corrupt or truncated codes, more or fewer bytes than stored). Found by following the codes
// without writing any byte, so a caller can size its buffer from it: a block that claims more than
// its codes produce is refused before anything is allocated. The checksum is left to unpack.
std::uint32_t ProvenUnpackedLength(const unsigned char* block, std::size_t blockLength);

// Unpacks `block` into `destination` (capacity `destinationCapacity`; give it unpackedLength bytes).
// Returns the number of bytes written; a stream that ends before the stored length still succeeds,
// and up to 16 bytes of the destination past the returned count may then be set to 0. Returns 0
// when the block is not a packed block, is truncated or corrupt, writes beyond the stored length or
// the capacity, or fails its checksum; the bytes written so far are then cleared to 0.
std::size_t unpack(const unsigned char* block, std::size_t blockLength, unsigned char* destination,
                   std::size_t destinationCapacity, PackStatus* status = nullptr);
