// libFuzzer target: any bytes through the PNG decoder; a decoded picture must survive the encoder
// and come back unchanged.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "exchange/image/image_codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PixelImage image;
  if (DecodePng(data, size, image) != DecodeStatus::Ok) {
    if (!image.pixels.empty()) std::abort();
    return 0;
  }
  if (image.pixels.size() != static_cast<size_t>(RowSize(image.width)) * image.height) std::abort();
  if (image.pixels.size() > (size_t{1} << 20)) return 0;  // keep the runs fast
  std::vector<uint8_t> encoded;
  if (!EncodePng(image, 0, encoded)) std::abort();
  PixelImage again;
  if (DecodePng(encoded.data(), encoded.size(), again) != DecodeStatus::Ok || again.width != image.width ||
      again.height != image.height) {
    std::abort();
  }
  for (int y = 0; y < image.height; ++y) {
    for (int i = 0; i < image.width * 3; ++i) {
      if (again.Row(y)[i] != image.Row(y)[i]) std::abort();
    }
  }
  return 0;
}
