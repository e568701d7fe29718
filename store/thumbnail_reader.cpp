#include "store/thumbnail_reader.h"

#include <cstdint>

#include "core/file_bytes.h"
#include "exchange/image/image_codecs.h"

namespace {

// A 278 x 60 thumbnail is about 50 KB even stored uncompressed; anything far larger is no
// thumbnail and is left to the caller's loaders instead of being read here.
constexpr size_t kMaxThumbnailFileBytes = size_t{4} << 20;

}  // namespace

bool ReadThumbnailFile(const std::string& path, int width, int height, PixelImage& pixels) {
  ThumbnailScratch scratch;
  return ReadThumbnailFile(path, width, height, pixels, scratch);
}

bool ReadThumbnailFile(const std::string& path, int width, int height, PixelImage& pixels,
                       ThumbnailScratch& scratch) {
  pixels = PixelImage{};
  std::vector<uint8_t>& bytes = scratch.bytes;
  if (ReadWholeFile(path, bytes, kMaxThumbnailFileBytes) != FileRead::Ok) return false;
  DecodeStatus status = DecodeStatus::NotThisFormat;
  if (IsPngFile(bytes.data(), bytes.size())) {
    status = DecodePngQuickly(scratch.png, bytes.data(), bytes.size(), pixels);
  } else if (IsJpegFile(bytes.data(), bytes.size())) {
    status = DecodeJpeg(bytes.data(), bytes.size(), pixels);
  }
  if (status == DecodeStatus::Ok && pixels.width == width && pixels.height == height) return true;
  pixels = PixelImage{};
  return false;
}
