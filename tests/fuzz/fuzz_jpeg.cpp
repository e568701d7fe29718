// libFuzzer target: any bytes through the JPEG decoder; a decoded picture must also encode.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "exchange/image/image_codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PixelImage image;
  if (DecodeJpeg(data, size, image) != DecodeStatus::Ok) {
    if (!image.pixels.empty()) std::abort();
    return 0;
  }
  if (image.pixels.size() != static_cast<size_t>(RowSize(image.width)) * image.height) std::abort();
  if (image.pixels.size() > (size_t{1} << 20)) return 0;  // keep the runs fast
  std::vector<uint8_t> encoded;
  if (!EncodeJpeg(image, 10, encoded)) std::abort();
  PixelImage again;
  if (DecodeJpeg(encoded.data(), encoded.size(), again) != DecodeStatus::Ok || again.width != image.width ||
      again.height != image.height) {
    std::abort();
  }
  return 0;
}
