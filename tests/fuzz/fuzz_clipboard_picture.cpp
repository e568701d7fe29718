// libFuzzer target: the pictures other programs put on the clipboard. The first byte chooses the
// block: even for a packed DIB (CF_DIB, CF_DIBV5), odd for the "PNG" format. A decoded picture must
// be complete, survive the matching writer (CF_DIBV5 block, PNG with alpha) and come back unchanged.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "exchange/image/alpha_picture.h"
#include "exchange/image/clipboard_dib.h"

namespace {

constexpr size_t KeepRunsFast = size_t{1} << 22;  // bytes of pixels worth writing back

bool Complete(const AlphaPicture& picture) {
  return IsCompleteAlphaPicture(picture) &&
         picture.bgra.size() == static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * 4;
}

bool AllOpaque(const AlphaPicture& picture) { return !HasTransparency(picture); }

void CheckDib(const uint8_t* data, size_t size) {
  AlphaPicture picture;
  bool alphaMeaningful = true;
  if (DecodeClipboardDib(data, size, picture, alphaMeaningful) != DecodeStatus::Ok) {
    if (!picture.bgra.empty() || alphaMeaningful) std::abort();
    return;
  }
  if (!Complete(picture) || (!alphaMeaningful && !AllOpaque(picture))) std::abort();
  if (picture.bgra.size() > KeepRunsFast) return;
  const std::vector<uint8_t> block = MakeClipboardDibV5(picture);
  AlphaPicture again;
  if (DecodeClipboardDib(block.data(), block.size(), again, alphaMeaningful) != DecodeStatus::Ok) std::abort();
  if (!alphaMeaningful || again.width != picture.width || again.height != picture.height || again.bgra != picture.bgra) {
    std::abort();
  }
}

void CheckPng(const uint8_t* data, size_t size) {
  AlphaPicture picture;
  if (DecodePngWithAlpha(data, size, picture) != DecodeStatus::Ok) {
    if (!picture.bgra.empty()) std::abort();
    return;
  }
  if (!Complete(picture)) std::abort();
  if (picture.bgra.size() > KeepRunsFast) return;
  std::vector<uint8_t> file;
  if (!EncodePngWithAlpha(picture, file)) std::abort();
  AlphaPicture again;
  if (DecodePngWithAlpha(file.data(), file.size(), again) != DecodeStatus::Ok || again.width != picture.width ||
      again.height != picture.height || again.bgra != picture.bgra) {
    std::abort();
  }
  PixelImage over;
  if (!CompositeOver(picture, 255, 255, 255, over)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  if (data[0] % 2 == 0) {
    CheckDib(data + 1, size - 1);
  } else {
    CheckPng(data + 1, size - 1);
  }
  return 0;
}
