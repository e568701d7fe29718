// The image part of capture: a clipboard bitmap or a loaded picture becomes an image item.
#include <windows.h>

#include "app/app_state.h"
#include "exchange/image/images_win.h"
#include "settings/settings.h"
#include "store/capture.h"
#include "store/capture_item.h"
#include "store/clock.h"
#include "store/item_store.h"
#include "store/picture_writes.h"
#include "store/thumbnail.h"

namespace {

// The pixels are taken now; the file is encoded and written in the background, so the row shows
// without waiting for it. A file that cannot be written takes the item back later.
bool SavePicture(int picture, const std::string& name) {
  const ImageEncoding encoding = Settings.CompressImages == 1 ? ImageEncoding::Png : ImageEncoding::Bmp;
  const std::string& extension = App.ImageExtensions[Settings.CompressImages != 0 ? 1 : 0];
  return QueuePictureWrite(picture, name, WorkingPath(name + extension), encoding);
}

// Makes the item from the working picture, which stays the caller's. True when it was added.
bool AddImageItem(int picture, int width, int height) {
  const std::string name = MakeItemName();
  const int thumbnail = DrawImageThumbnail(picture, width, height, Store.CaptureTime);
  if (!thumbnail) return false;
  const bool added = AddCapturedItem(ImageItem, name, thumbnail,
                                     [picture](const std::string& itemName) { return SavePicture(picture, itemName); });
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
