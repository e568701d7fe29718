#include "exchange/image/png_quick.h"

#include <zlib.h>

#include <cstring>
#include <new>

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint32_t kLargestChunk = 0x7FFFFFFF;
// libpng refuses ancillary chunks above this size.
constexpr uint32_t kLargestAncillaryChunk = 8000000;
// As DecodePng: deflate expands at most 1032 times, so the file's size bounds the data it holds.
constexpr uint64_t kMaxDeflateRatio = 1032;

uint32_t Big32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

bool IsChunkType(const uint8_t* type) {
  for (int i = 0; i < 4; ++i) {
    const uint8_t c = type[i];
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
  }
  return true;
}

// A chunk's type and data hold the checksum that follows them.
bool ChecksumMatches(const uint8_t* chunk, uint32_t length) {
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), chunk + 4, length + 4);
  return crc == Big32(chunk + 8 + length);
}

// The Paeth predictor without branches: of a (left), b (above) and c (above left), the one nearest
// to a + b - c, ties going to a, then b.
int Paeth(int a, int b, int c) {
  const int threshold = c * 3 - (a + b);
  const int low = a < b ? a : b;
  const int high = a < b ? b : a;
  const int notLow = high <= threshold ? low : c;
  return threshold <= low ? high : notLow;
}

// Undoes one row's filter in place; `prior` is the row above, already undone (zeros for the first).
bool Unfilter(uint8_t filter, uint8_t* row, const uint8_t* prior, size_t length) {
  constexpr size_t bpp = 3;
  switch (filter) {
    case 0: return true;
    case 1:
      for (size_t i = bpp; i < length; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - bpp]);
      return true;
    case 2:
      for (size_t i = 0; i < length; ++i) row[i] = static_cast<uint8_t>(row[i] + prior[i]);
      return true;
    case 3:
      for (size_t i = 0; i < bpp && i < length; ++i) row[i] = static_cast<uint8_t>(row[i] + (prior[i] >> 1));
      for (size_t i = bpp; i < length; ++i) {
        row[i] = static_cast<uint8_t>(row[i] + ((row[i - bpp] + prior[i]) >> 1));
      }
      return true;
    case 4:
      for (size_t i = 0; i < bpp && i < length; ++i) row[i] = static_cast<uint8_t>(row[i] + prior[i]);
      // A pixel's three samples depend only on the pixel before, so they are worked out side by side.
      for (size_t i = bpp; i + bpp <= length; i += bpp) {
        const uint8_t* left = row + i - bpp;
        const uint8_t* aboveLeft = prior + i - bpp;
        row[i] = static_cast<uint8_t>(row[i] + Paeth(left[0], prior[i], aboveLeft[0]));
        row[i + 1] = static_cast<uint8_t>(row[i + 1] + Paeth(left[1], prior[i + 1], aboveLeft[1]));
        row[i + 2] = static_cast<uint8_t>(row[i + 2] + Paeth(left[2], prior[i + 2], aboveLeft[2]));
      }
      return true;
    default: return false;
  }
}

}  // namespace

QuickPngDecoder::QuickPngDecoder() = default;

QuickPngDecoder::~QuickPngDecoder() {
  if (streamReady_) inflateEnd(static_cast<z_stream*>(stream_));
  delete static_cast<z_stream*>(stream_);
}

// Inflates the image data of consecutive IDAT chunks from `data` (at the first IDAT) into raw_.
// True only when the stream ends exactly at the end of a chunk with every row complete.
bool QuickPngDecoder::Inflate(const uint8_t* data, size_t size, size_t rawSize) {
  if (!stream_) stream_ = new (std::nothrow) z_stream{};
  auto* stream = static_cast<z_stream*>(stream_);
  if (!stream) return false;
  if (!streamReady_) {
    if (inflateInit(stream) != Z_OK) return false;
    streamReady_ = true;
  } else if (inflateReset(stream) != Z_OK) {
    return false;
  }
  raw_.resize(rawSize);
  stream->next_out = raw_.data();
  stream->avail_out = static_cast<uInt>(rawSize);
  size_t position = 0;
  for (;;) {
    if (size - position < 12) return false;
    const uint8_t* chunk = data + position;
    const uint32_t length = Big32(chunk);
    if (length > kLargestChunk || length > rawSize || std::memcmp(chunk + 4, "IDAT", 4) != 0 ||
        length > size - position - 12 || !ChecksumMatches(chunk, length)) {
      return false;
    }
    stream->next_in = const_cast<uint8_t*>(chunk + 8);
    stream->avail_in = length;
    const int result = inflate(stream, Z_NO_FLUSH);
    if (result == Z_STREAM_END) return stream->avail_out == 0 && stream->avail_in == 0;
    if (result != Z_OK && result != Z_BUF_ERROR) return false;
    // A full output with input left over means more data than the picture holds.
    if (stream->avail_in != 0) return false;
    position += size_t{length} + 12;
  }
}

DecodeStatus QuickPngDecoder::Decode(const uint8_t* data, size_t size, PixelImage& image, RequiredSize required) {
  const DecodeStatus status = DecodeRows(data, size, image, required);
  // Swapped with empty vectors: assigning {} would keep the memory.
  if (raw_.capacity() > KeptScratchBytes) std::vector<uint8_t>().swap(raw_);
  if (zeros_.capacity() > KeptScratchBytes) std::vector<uint8_t>().swap(zeros_);
  return status;
}

DecodeStatus QuickPngDecoder::DecodeRows(const uint8_t* data, size_t size, PixelImage& image, RequiredSize required) {
  image = PixelImage{};
  if (size < 8 + 25 || std::memcmp(data, kSignature, 8) != 0) return DecodeStatus::NotThisFormat;
  const uint8_t* header = data + 8;
  if (Big32(header) != 13 || std::memcmp(header + 4, "IHDR", 4) != 0 || !ChecksumMatches(header, 13)) {
    return DecodeStatus::NotThisFormat;
  }
  const uint32_t width = Big32(header + 8);
  const uint32_t height = Big32(header + 12);
  // Sides DecodePng refuses by the header alone are refused here as it would; a width or height of
  // 0 (or above 2^31, which libpng calls damage) is left to it.
  if (width < 1 || height < 1 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) return DecodeStatus::NotThisFormat;
  const DecodeStatus sides = CheckHeaderSize(width, height, required);
  if (sides != DecodeStatus::Ok) return sides;
  // 8-bit RGB, deflate, adaptive filters, no interlace.
  if (header[16] != 8 || header[17] != 2 || header[18] != 0 || header[19] != 0 || header[20] != 0) {
    return DecodeStatus::NotThisFormat;
  }
  const size_t rowLength = size_t{width} * 3;
  const size_t rawSize = (rowLength + 1) * height;
  if (rawSize > kMaxDeflateRatio * (uint64_t{size} + 1)) return DecodeStatus::NotThisFormat;

  // Ancillary chunks up to the image data are passed over, as DecodePng does; any critical one
  // (a palette, an unknown one) is left to it.
  size_t position = 8 + 25;
  for (;;) {
    if (size - position < 12) return DecodeStatus::NotThisFormat;
    const uint8_t* chunk = data + position;
    const uint32_t length = Big32(chunk);
    if (length > kLargestChunk || !IsChunkType(chunk + 4) || length > size - position - 12) {
      return DecodeStatus::NotThisFormat;
    }
    if (std::memcmp(chunk + 4, "IDAT", 4) == 0) break;
    if ((chunk[4] & 0x20) == 0 || length > kLargestAncillaryChunk) return DecodeStatus::NotThisFormat;
    position += size_t{length} + 12;
  }

  bool inflated = false;
  try {
    inflated = Inflate(data + position, size - position, rawSize);
  } catch (const std::bad_alloc&) {
    inflated = false;
  }
  if (!inflated) return DecodeStatus::NotThisFormat;

  if (zeros_.size() < rowLength) zeros_.assign(rowLength, 0);
  for (size_t y = 0; y < height; ++y) {
    uint8_t* row = raw_.data() + y * (rowLength + 1);
    const uint8_t* prior = y == 0 ? zeros_.data() : row - rowLength;
    if (!Unfilter(row[0], row + 1, prior, rowLength)) return DecodeStatus::NotThisFormat;
  }
  if (!AllocatePixelImage(image, static_cast<int>(width), static_cast<int>(height))) return DecodeStatus::TooLarge;
  for (size_t y = 0; y < height; ++y) {
    const uint8_t* source = raw_.data() + y * (rowLength + 1) + 1;
    uint8_t* target = image.Row(static_cast<int>(y));
    for (size_t x = 0; x < width; ++x, source += 3, target += 3) {
      target[0] = source[2];
      target[1] = source[1];
      target[2] = source[0];
    }
  }
  return DecodeStatus::Ok;
}

DecodeStatus DecodePngQuickly(QuickPngDecoder& decoder, const uint8_t* data, size_t size, PixelImage& image,
                              RequiredSize required) {
  const DecodeStatus status = decoder.Decode(data, size, image, required);
  if (status != DecodeStatus::NotThisFormat) return status;
  return DecodePng(data, size, image, required);
}
