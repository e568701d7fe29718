// The image part of capture: a clipboard picture or a loaded picture becomes an image item.
#include <windows.h>

#include "exchange/image/alpha_picture.h"
#include "exchange/image/clipboard_dib.h"
#include "exchange/image/images_win.h"
#include "settings/settings.h"
#include "store/capture_win.h"
#include "store/capture_item_win.h"
#include "store/clock.h"
#include "store/picture_writer_win.h"
#include "store/thumbnail_win.h"

namespace {

// The pixels are taken now; the file is encoded and written in the background, so the row shows
// without waiting for it. A file that cannot be written takes the item back later.
bool SavePicture(int picture, const std::string& name, const std::string& path) {
  const ImageEncoding encoding = Settings.CompressImages == 1 ? ImageEncoding::Png : ImageEncoding::Bmp;
  return QueuePictureWrite(picture, name, path, encoding);
}

// Makes the item from the working picture, which stays the caller's; the thumbnail shows
// `thumbnailPicture` (the picture itself, or its transparent original over the thumbnail's
// background). True when it was added.
bool AddImageItem(int picture, int thumbnailPicture, const std::vector<ItemExtra>& extras = {}) {
  const std::string name = MakeItemName();
  const int thumbnail = DrawImageThumbnail(thumbnailPicture, WidthOfImage(picture), HeightOfImage(picture),
                                           Collection.CaptureTime);
  if (!thumbnail) return false;
  const bool added = AddCapturedItem(
      ImageItem, name, thumbnail, [picture, name](const std::string& path) { return SavePicture(picture, name, path); },
      extras);
  DisposeImage(thumbnail);
  return added;
}

// A picture copied with transparency: its pixels, and the PNG that keeps them. "PNG" is kept as
// it was offered; a DIB only when its alpha means something, encoded as PNG.
struct TransparentOriginal {
  AlphaPicture pixels;
  std::vector<uint8_t> png;  // empty when the picture is opaque or too large to keep
  bool decoded = false;
};

TransparentOriginal DecodePictureBlocks(const std::vector<uint8_t>& pngBlock, const std::vector<uint8_t>& dibBlock) {
  TransparentOriginal original;
  if (!pngBlock.empty()) {
    original.decoded = DecodePngWithAlpha(pngBlock.data(), pngBlock.size(), original.pixels) == DecodeStatus::Ok;
    if (original.decoded && HasTransparency(original.pixels) && pngBlock.size() <= MaxExtraBytes) {
      original.png = pngBlock;
    }
    return original;
  }
  if (dibBlock.empty()) return original;
  bool alphaMeaningful = false;
  original.decoded =
      DecodeClipboardDib(dibBlock.data(), dibBlock.size(), original.pixels, alphaMeaningful) == DecodeStatus::Ok;
  if (original.decoded && alphaMeaningful && HasTransparency(original.pixels) &&
      (!EncodePngWithAlpha(original.pixels, original.png) || original.png.size() > MaxExtraBytes)) {
    original.png.clear();
  }
  return original;
}

// The picture over a solid colour, as a new image; 0 when it cannot be made.
int ImageOver(const AlphaPicture& picture, COLORREF colour) {
  PixelImage flat;
  if (!CompositeOver(picture, GetRValue(colour), GetGValue(colour), GetBValue(colour), flat)) return 0;
  return ImageFromPixels(-1, flat);
}

}  // namespace

void AddClipboardPicture(int picture, const std::vector<uint8_t>& pngBlock, const std::vector<uint8_t>& dibBlock) {
  PlayCaptureSound();
  const TransparentOriginal original = DecodePictureBlocks(pngBlock, dibBlock);
  // Without a bitmap the picture is the block's, over white as programs without transparency show it.
  if (!picture && original.decoded) picture = ImageOver(original.pixels, RGB(255, 255, 255));
  if (!picture) return;
  std::vector<ItemExtra> extras;
  int thumbnailPicture = picture;
  if (!original.png.empty()) {
    extras.push_back(ItemExtra{ExtraKind::AlphaPicture, original.png});
    if (const int over = ImageOver(original.pixels, BackgroundColour)) thumbnailPicture = over;
  }
  if (AddImageItem(picture, thumbnailPicture, extras)) ShowAfterCapture();
  if (thumbnailPicture != picture) DisposeImage(thumbnailPicture);
  DisposeImage(picture);
}

void CaptureFileImage(int fileImage) {
  if (!fileImage || !ImageExists(fileImage)) return;
  Capture.LastOwnBitmap = nullptr;
  if (AddImageItem(fileImage, fileImage)) ShowAfterCapture();
  DisposeImage(fileImage);
}
