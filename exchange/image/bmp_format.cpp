#include <cstdint>
#include <new>
#include <vector>

#include "exchange/image/image_codecs.h"

namespace {

void PutLittleEndian(std::vector<uint8_t>& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

bool IsPlausibleBmpFile(const uint8_t* start, size_t startSize, uint64_t fileSize, RequiredSize required) {
  if (startSize < 18 || start[0] != 'B' || start[1] != 'M' || fileSize > UINT32_MAX) return false;
  const auto read16 = [start](size_t at) { return uint32_t{start[at]} | uint32_t{start[at + 1]} << 8; };
  const auto read32 = [start](size_t at) {
    return uint32_t{start[at]} | uint32_t{start[at + 1]} << 8 | uint32_t{start[at + 2]} << 16 |
           uint32_t{start[at + 3]} << 24;
  };
  const uint32_t pixelOffset = read32(10);
  const uint32_t infoSize = read32(14);
  // The core header (12 bytes) and the information headers of every later version.
  const bool knownHeader = infoSize == 12 || infoSize == 40 || infoSize == 52 || infoSize == 56 ||
                           infoSize == 64 || infoSize == 108 || infoSize == 124;
  if (!knownHeader || fileSize < 14 + uint64_t{infoSize} || pixelOffset < 14 + infoSize || pixelOffset >= fileSize) {
    return false;
  }
  // The sides, and for uncompressed rows their bytes, before the loader sizes a picture from them.
  const bool core = infoSize == 12;
  if (startSize < (core ? 26u : BmpStartSize)) return false;
  // The core header's sides are unsigned 16-bit numbers, the later headers' signed 32-bit ones.
  const int64_t width = core ? int64_t{read16(18)} : int64_t{static_cast<int32_t>(read32(18))};
  const int64_t height = core ? int64_t{read16(20)} : int64_t{static_cast<int32_t>(read32(22))};
  const uint32_t bitCount = read16(core ? 24 : 28);
  const uint32_t compression = core ? 0 : read32(30);
  const uint64_t rows = static_cast<uint64_t>(height < 0 ? -height : height);
  if (CheckHeaderSize(width < 0 ? 0 : static_cast<uint64_t>(width), rows, required) != DecodeStatus::Ok) return false;
  constexpr uint32_t Uncompressed = 0, BitFields = 3, AlphaBitFields = 6;
  if (compression != Uncompressed && compression != BitFields && compression != AlphaBitFields) return true;
  // Every row padded to 4 bytes, except that some writers leave the last row's padding out.
  const uint64_t rowBits = static_cast<uint64_t>(width) * bitCount;
  const uint64_t stride = (rowBits + 31) / 32 * 4;
  return bitCount != 0 && stride * (rows - 1) + (rowBits + 7) / 8 <= fileSize - pixelOffset;
}

uint64_t BmpFileSize(int width, int height) {
  return BmpHeaderSize + static_cast<uint64_t>(height) * static_cast<uint64_t>(RowSize(width));
}

bool EncodeBmp(const PixelImage& image, int /*quality*/, std::vector<uint8_t>& out) {
  if (image.width < 1 || image.height < 1 || image.width > MaxImageSide || image.height > MaxImageSide) return false;
  const size_t rowSize = static_cast<size_t>(RowSize(image.width));
  if (image.pixels.size() < rowSize * static_cast<size_t>(image.height)) return false;
  const uint64_t fileSize = BmpFileSize(image.width, image.height);
  try {
    out.reserve(out.size() + fileSize);
    // File header.
    out.push_back('B');
    out.push_back('M');
    PutLittleEndian(out, fileSize, 4);
    PutLittleEndian(out, 0, 4);  // two reserved words
    PutLittleEndian(out, BmpHeaderSize, 4);
    // Information header: 24 bits, uncompressed, no palette, no resolution.
    PutLittleEndian(out, 40, 4);
    PutLittleEndian(out, static_cast<uint32_t>(image.width), 4);
    PutLittleEndian(out, static_cast<uint32_t>(image.height), 4);
    PutLittleEndian(out, 1, 2);
    PutLittleEndian(out, 24, 2);
    PutLittleEndian(out, 0, 4);
    PutLittleEndian(out, rowSize * static_cast<size_t>(image.height), 4);
    out.insert(out.end(), 16, 0);  // resolution and palette counts
    for (int y = image.height - 1; y >= 0; --y) {
      const uint8_t* row = image.Row(y);
      out.insert(out.end(), row, row + rowSize);
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}
