// libFuzzer target: any bytes through the PNG decoder; a decoded picture must survive the encoder
// and come back unchanged. The quick path for 8-bit RGB files may only ever accept what the full
// decoder accepts, with the same pixels; its decoder state carries over from run to run, as it does
// from file to file at start-up. Asked for a thumbnail's size, they take no other.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "exchange/image/image_codecs.h"
#include "exchange/image/png_quick.h"

namespace {

bool SamePixels(const PixelImage& a, const PixelImage& b) {
  if (a.width != b.width || a.height != b.height) return false;
  for (int y = 0; y < a.height; ++y) {
    for (int i = 0; i < a.width * 3; ++i) {
      if (a.Row(y)[i] != b.Row(y)[i]) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QuickPngDecoder quick;
  PixelImage quickImage;
  const DecodeStatus quickStatus = quick.Decode(data, size, quickImage);
  if (quickStatus != DecodeStatus::Ok && !quickImage.pixels.empty()) std::abort();

  // Asked for one size, both paths take only that size.
  const RequiredSize thumbnail{278, 60};
  PixelImage required;
  const DecodeStatus requiredStatus = DecodePngQuickly(quick, data, size, required, thumbnail);
  if (requiredStatus == DecodeStatus::Ok ? required.width != 278 || required.height != 60 : !required.pixels.empty()) {
    std::abort();
  }

  // What the first bytes refuse, no decoder takes.
  if (CheckPngStart(data, size, thumbnail) != DecodeStatus::Ok && requiredStatus == DecodeStatus::Ok) std::abort();
  const bool startFits = CheckPngStart(data, size, AnySize) == DecodeStatus::Ok;

  PixelImage image;
  if (DecodePng(data, size, image) != DecodeStatus::Ok) {
    if (requiredStatus == DecodeStatus::Ok) std::abort();
    if (!image.pixels.empty() || quickStatus == DecodeStatus::Ok) std::abort();
    return 0;
  }
  if (!startFits || image.pixels.size() != static_cast<size_t>(RowSize(image.width)) * image.height) std::abort();
  if (quickStatus == DecodeStatus::Ok && !SamePixels(quickImage, image)) std::abort();
  if (image.pixels.size() > (size_t{1} << 20)) return 0;  // keep the runs fast
  std::vector<uint8_t> encoded;
  if (!EncodePng(image, 0, encoded)) std::abort();
  PixelImage again;
  if (DecodePng(encoded.data(), encoded.size(), again) != DecodeStatus::Ok || !SamePixels(again, image)) {
    std::abort();
  }
  return 0;
}
