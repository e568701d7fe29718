#include "store/thumbnail_reader.h"

#include <cstdint>

#include "core/file_bytes.h"
#include "exchange/image/image_codecs.h"

namespace {

// A 278 x 60 thumbnail is about 50 KB even stored uncompressed; anything far larger is no
// thumbnail and is left to the caller's loaders instead of being read here.
constexpr size_t kMaxThumbnailFileBytes = size_t{4} << 20;
// The file buffer kept from one thumbnail to the next: a few thumbnails' worth.
constexpr size_t kKeptFileBytes = size_t{256} << 10;

}  // namespace

bool ReadThumbnailFile(const std::string& path, int width, int height, PixelImage& pixels) {
  ThumbnailScratch scratch;
  return ReadThumbnailFile(path, width, height, pixels, scratch);
}

bool ReadThumbnailFile(const std::string& path, int width, int height, PixelImage& pixels,
                       ThumbnailScratch& scratch) {
  pixels = PixelImage{};
  std::vector<uint8_t>& bytes = scratch.bytes;
  const bool read = ReadWholeFile(path, bytes, kMaxThumbnailFileBytes) == FileRead::Ok;
  // Any other size is refused by the header, before the decoders allocate for it.
  const RequiredSize required{width, height};
  DecodeStatus status = DecodeStatus::NotThisFormat;
  if (read && IsPngFile(bytes.data(), bytes.size())) {
    status = DecodePngQuickly(scratch.png, bytes.data(), bytes.size(), pixels, required);
  } else if (read && IsJpegFile(bytes.data(), bytes.size())) {
    status = DecodeJpeg(bytes.data(), bytes.size(), pixels, required);
  }
  if (bytes.capacity() > kKeptFileBytes) std::vector<uint8_t>().swap(bytes);  // assigning {} would keep it
  if (status == DecodeStatus::Ok && pixels.width == width && pixels.height == height) return true;
  pixels = PixelImage{};
  return false;
}
