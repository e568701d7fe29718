#include "store/item_find.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "exchange/image/image_codecs.h"
#include "store/capture_rules.h"

namespace {

uint32_t LittleEndian32(std::span<const uint8_t> bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

uint32_t BigEndian32(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint32_t>(bytes[at]) << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
}

std::u16string Widened(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// A PNG's sides are in IHDR, its first critical chunk. Ancillary chunks before it, which the
// decoders pass over, are passed over here too; another critical chunk first makes no picture.
bool PngFileSize(std::span<const uint8_t> start, int32_t& width, int32_t& height) {
  if (!IsPngFile(start.data(), start.size())) return false;
  constexpr uint8_t kHeader[] = {'I', 'H', 'D', 'R'};
  size_t at = 8;
  while (start.size() - at >= 8) {
    const uint32_t length = BigEndian32(start, at);
    const std::span<const uint8_t> type = start.subspan(at + 4, 4);
    if (std::equal(type.begin(), type.end(), std::begin(kHeader))) {
      if (length != 13 || start.size() - at < 16) return false;
      const uint32_t w = BigEndian32(start, at + 8);
      const uint32_t h = BigEndian32(start, at + 12);
      if (w == 0 || h == 0 || w > INT32_MAX || h > INT32_MAX) return false;
      width = static_cast<int32_t>(w);
      height = static_cast<int32_t>(h);
      return true;
    }
    // A chunk's type starts with a capital letter when it is critical.
    if ((type[0] & 0x20) == 0 || length > INT32_MAX) return false;
    // The chunk (its length, type and checksum around the data) must end within the bytes given.
    const size_t remaining = start.size() - at;
    if (remaining < 12 || remaining - 12 < length) return false;
    at += 12 + size_t{length};
  }
  return false;
}

}  // namespace

bool PictureFileSize(std::span<const uint8_t> start, int32_t& width, int32_t& height) {
  if (PngFileSize(start, width, height)) return true;
  // BM, then the information header's size and the two sides (a bottom-up picture's height is
  // positive, a top-down one's negative).
  if (start.size() >= 26 && start[0] == 'B' && start[1] == 'M' && LittleEndian32(start, 14) >= 40) {
    const auto w = static_cast<int32_t>(LittleEndian32(start, 18));
    const auto h = static_cast<int32_t>(LittleEndian32(start, 22));
    if (w <= 0 || h == 0 || h == INT32_MIN) return false;
    width = w;
    height = std::abs(h);
    return true;
  }
  return false;
}

std::u16string PictureFindText(int32_t width, int32_t height) {
  const std::u16string w = Widened(std::to_string(width));
  const std::u16string h = Widened(std::to_string(height));
  return Widened(PictureSizeCaption(width, height)) + u"\n" + w + u" \u00D7 " + h + u"\n" + w + u" x " + h + u"\n" +
         w + u"x" + h;
}
