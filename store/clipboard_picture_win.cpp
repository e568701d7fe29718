// The clipboard side of a bitmap capture. While the clipboard is held only the pixels are copied,
// into memory written once ahead (a spare) when there is one of that size.
#include "store/clipboard_picture_win.h"

#include "exchange/image/images_win.h"
#include "exchange/image/pixel_image.h"
#include "store/spare_picture_win.h"

HBITMAP CopyClipboardBitmap(HBITMAP bitmap) {
  BITMAP size{};
  // A bitmap beyond the budget is not copied at all: the copy alone would cost gigabytes.
  if (!bitmap || !GetObjectW(bitmap, sizeof size, &size) || !FitsImageBudget(size.bmWidth, size.bmHeight)) return nullptr;
  PicturePixels pixels;
  if (!SparePictures.Take(size.bmWidth, size.bmHeight, pixels) &&
      !MakePicturePixels(size.bmWidth, size.bmHeight, pixels)) {
    return nullptr;
  }
  BITMAPINFO info = TopDownHeader32(size.bmWidth, size.bmHeight);
  HDC screen = GetDC(nullptr);
  const bool copied =
      screen && GetDIBits(screen, bitmap, 0, size.bmHeight, pixels.bits, &info, DIB_RGB_COLORS) == size.bmHeight;
  if (screen) ReleaseDC(nullptr, screen);
  if (!copied) {
    DeletePicturePixels(pixels);
    return nullptr;
  }
  // Made while nobody waits for the clipboard, ready for the next capture of this size.
  SparePictures.Prepare(size.bmWidth, size.bmHeight);
  return pixels.bitmap;
}
