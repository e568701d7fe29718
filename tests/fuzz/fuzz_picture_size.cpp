// libFuzzer target: the sides the find reads from the start of a picture file. It must never read
// past the bytes it is given, and where a decoder reads the same file, both must agree.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "exchange/image/alpha_picture.h"
#include "exchange/image/clipboard_dib.h"
#include "exchange/image/image_codecs.h"
#include "store/item_find.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int32_t width = -1;
  int32_t height = -1;
  const bool told = PictureFileSize(std::span<const uint8_t>(data, size), width, height);
  if (told) Check(width > 0 && height > 0);

  PixelImage png;
  if (DecodePng(data, size, png) == DecodeStatus::Ok) Check(told && width == png.width && height == png.height);

  // A BMP file is a file header before the block the clipboard decoder reads.
  if (size > 14 && data[0] == 'B' && data[1] == 'M') {
    AlphaPicture dib;
    bool alpha = false;
    if (DecodeClipboardDib(data + 14, size - 14, dib, alpha) == DecodeStatus::Ok) {
      Check(told && width == dib.width && height == dib.height);
    }
  }
  return 0;
}
