// The image part of capture: a clipboard bitmap or a loaded picture becomes an image item.
#include <windows.h>

#include "app/app_state.h"
#include "exchange/image/images_win.h"
#include "settings/settings.h"
#include "store/capture.h"
#include "store/capture_item.h"
#include "store/clock.h"
#include "store/item_store.h"
#include "store/thumbnail.h"
#include "ui/layer/drawing.h"

namespace {

// A copy of the clipboard bitmap at its own size; 0 when it cannot be read.
int CopyClipboardBitmap(HBITMAP bitmap, int width, int height) {
  const int picture = NewImage(-1, width, height);
  if (!picture) return 0;
  if (!BeginDrawing(picture)) {
    DisposeImage(picture);
    return 0;
  }
  PaintImage(bitmap, 0, 0, 0, 0);
  EndDrawing();
  return picture;
}

bool SavePicture(int picture, const std::string& name) {
  const ImageEncoding encoding = Settings.CompressImages == 1 ? ImageEncoding::Png : ImageEncoding::Bmp;
  const std::string& extension = App.ImageExtensions[Settings.CompressImages != 0 ? 1 : 0];
  return SaveImageFile(picture, WorkingPath(name + extension), encoding) == 1;
}

// The clipboard gets a copy of the picture of its own: it frees what it holds when it is next
// emptied, and the picture is released here.
void HandPictureToClipboard(int picture) {
  HANDLE copy = CopyImage(ImageBitmap(picture), IMAGE_BITMAP, 0, 0, 0);
  if (!copy) return;
  if (!EmptyClipboard()) {
    DeleteObject(copy);
    return;
  }
  HANDLE placed = SetClipboardData(CF_BITMAP, copy);
  if (!placed) {
    DeleteObject(copy);
    return;
  }
  Capture.LastOwnBitmap = static_cast<HBITMAP>(placed);
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

int TakeClipboardBitmap(HBITMAP bitmap) {
  if (!bitmap || bitmap == Capture.LastOwnBitmap) return 0;
  Capture.LastOwnBitmap = bitmap;
  BITMAP size{};
  if (!GetObjectA(bitmap, sizeof size, &size)) return 0;
  PlayCaptureSound();
  const int picture = CopyClipboardBitmap(bitmap, size.bmWidth, size.bmHeight);
  if (picture) HandPictureToClipboard(picture);
  return picture;
}

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
