// The image part of capture: a clipboard bitmap or a loaded picture becomes an image item.
#include <windows.h>

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

// Makes the item from the working picture, which stays the caller's. True when it was added.
bool AddImageItem(int picture, int width, int height) {
  const std::string name = MakeItemName();
  const int thumbnail = DrawImageThumbnail(picture, width, height, Collection.CaptureTime);
  if (!thumbnail) return false;
  const bool added = AddCapturedItem(ImageItem, name, thumbnail,
                                     [picture, name](const std::string& path) { return SavePicture(picture, name, path); });
  DisposeImage(thumbnail);
  return added;
}

}  // namespace

void AddClipboardPicture(int picture) {
  if (AddImageItem(picture, WidthOfImage(picture), HeightOfImage(picture))) ShowAfterCapture();
  DisposeImage(picture);
}

void CaptureFileImage(int fileImage) {
  if (!fileImage || !ImageExists(fileImage)) return;
  Capture.LastOwnBitmap = nullptr;
  if (AddImageItem(fileImage, WidthOfImage(fileImage), HeightOfImage(fileImage))) ShowAfterCapture();
  DisposeImage(fileImage);
}
