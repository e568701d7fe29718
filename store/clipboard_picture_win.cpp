// The clipboard side of a bitmap capture: the picture is copied off the clipboard and the
// program's own copy is put back, all while the caller holds the clipboard open.
#include "store/clipboard_picture.h"

#include "exchange/image/images_win.h"
#include "store/capture.h"
#include "store/capture_item.h"
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
