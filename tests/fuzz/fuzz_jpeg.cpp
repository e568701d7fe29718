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
  // The round trip shows the encoder takes what the decoder gives; large pictures add nothing to that
  // but time, and the runs stay fast enough for millions of inputs.
  if (image.pixels.size() > (size_t{1} << 16)) return 0;
  std::vector<uint8_t> encoded;
  if (!EncodeJpeg(image, 10, encoded)) std::abort();
  PixelImage again;
  if (DecodeJpeg(encoded.data(), encoded.size(), again) != DecodeStatus::Ok || again.width != image.width ||
      again.height != image.height) {
    std::abort();
  }
  return 0;
}
