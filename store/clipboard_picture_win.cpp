// The clipboard side of a bitmap capture. While the clipboard is held only the pixels are copied
// and an empty CF_BITMAP is announced; the bitmap itself is handed over when another program asks
// for it. (Handing a bitmap to the clipboard copies all of it again: under Wine it is sent to the
// wine server in full. That copy is no longer made while other programs wait for the clipboard.)
#include "store/clipboard_picture_win.h"

#include "exchange/image/images_win.h"
#include "store/capture_win.h"
#include "store/capture_item_win.h"
#include "store/spare_picture_win.h"

namespace {

// Copies the bitmap's pixels once into a shared picture of its size: the spare made ahead when
// there is one of that size, fresh memory otherwise. False when it cannot be made.
bool CopyToSharedPicture(HBITMAP bitmap, int width, int height, SharedPicture& shared) {
  if (!SparePictures.Take(width, height, shared) && !MakeSharedPicture(width, height, shared)) return false;
  BITMAPINFO info = TopDownHeader32(width, height);
  HDC screen = GetDC(nullptr);
  const bool copied = screen && GetDIBits(screen, bitmap, 0, height, shared.bits, &info, DIB_RGB_COLORS) == height;
  if (screen) ReleaseDC(nullptr, screen);
  if (!copied) DeleteSharedPicture(shared);
  return copied;
}

// A display-format bitmap (what other programs expect as CF_BITMAP) with the picture's pixels;
// nullptr when it cannot be made.
HBITMAP DisplayCopy(HBITMAP picture) {
  BITMAP size{};
  if (!GetObjectA(picture, sizeof size, &size)) return nullptr;
  HDC screen = GetDC(nullptr);
  if (!screen) return nullptr;
  HBITMAP copy = CreateCompatibleBitmap(screen, size.bmWidth, size.bmHeight);
  HDC source = CreateCompatibleDC(screen);
  HDC target = CreateCompatibleDC(screen);
  bool drawn = false;
  if (copy && source && target) {
    HGDIOBJ oldSource = SelectObject(source, picture);
    HGDIOBJ oldTarget = SelectObject(target, copy);
    drawn = BitBlt(target, 0, 0, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY) != 0;
    SelectObject(source, oldSource);
    SelectObject(target, oldTarget);
  }
  if (source) DeleteDC(source);
  if (target) DeleteDC(target);
  ReleaseDC(nullptr, screen);
  if (!drawn && copy) {
    DeleteObject(copy);
    copy = nullptr;
  }
  return copy;
}

// Hands a display copy of the picture to the open clipboard, which owns it from then on.
bool PlaceCopy(HBITMAP picture) {
  HBITMAP copy = DisplayCopy(picture);
  if (!copy) return false;
  HANDLE placed = SetClipboardData(CF_BITMAP, copy);
  if (!placed) {
    DeleteObject(copy);
    return false;
  }
  Capture.LastOwnBitmap = static_cast<HBITMAP>(placed);
  return true;
}

void DropOfferedPixels() {
  if (Capture.OfferedPicture) DeleteObject(Capture.OfferedPicture);
  Capture.OfferedPicture = nullptr;
}

// True while the clipboard still holds what the program offered. Emptying the clipboard tells
// the owner (WM_DESTROYCLIPBOARD); should that have been missed, another owner shows it.
bool ClipboardHoldsOffer() {
  if (!Capture.OfferingWindow) return false;
  if (GetClipboardOwner() == Capture.OfferingWindow) return true;
  ReleaseOfferedPicture();
  return false;
}

// Empties the open clipboard and offers the picture in place of what was there; takes the picture
// over. Without a window to answer for it, a copy is placed at once.
void OfferPicture(HBITMAP picture) {
  HWND owner = GetOpenClipboardWindow();
  // Emptying tells the previous owner; when that is the program, its earlier offer is released.
  if (!EmptyClipboard()) {
    DeleteObject(picture);
    return;
  }
  if (!owner) {
    PlaceCopy(picture);
    DeleteObject(picture);
    return;
  }
  // Announced without data (delayed rendering). SetClipboardData returns null either way; only a
  // failure sets the error.
  SetLastError(ERROR_SUCCESS);
  SetClipboardData(CF_BITMAP, nullptr);
  if (GetLastError() != ERROR_SUCCESS) {
    DeleteObject(picture);
    return;
  }
  Capture.OfferedPicture = picture;
  Capture.OfferingWindow = owner;
}

}  // namespace

int TakeClipboardBitmap(HBITMAP bitmap) {
  if (!bitmap || bitmap == Capture.LastOwnBitmap || ClipboardHoldsOffer()) return 0;
  Capture.LastOwnBitmap = bitmap;
  BITMAP size{};
  // A bitmap beyond the budget is not copied at all: the copy alone would cost gigabytes.
  if (!GetObjectA(bitmap, sizeof size, &size) || !FitsImageBudget(size.bmWidth, size.bmHeight)) return 0;
  SharedPicture shared;
  if (!CopyToSharedPicture(bitmap, size.bmWidth, size.bmHeight, shared)) return 0;
  // Made while nobody waits for the clipboard, ready for the next capture of this size.
  SparePictures.Prepare(size.bmWidth, size.bmHeight);
  const int picture = AdoptImageHandle(-1, shared.item, false);
  if (!picture) {
    DeleteObject(shared.offered);
    return 0;
  }
  OfferPicture(shared.offered);
  return picture;
}

void RenderOfferedPicture(UINT format) {
  if (format != CF_BITMAP || !Capture.OfferedPicture) return;
  // Once handed over the clipboard keeps its own copy: the shared pixels are not needed any more.
  if (PlaceCopy(Capture.OfferedPicture)) DropOfferedPixels();
}

void RenderAllOfferedPictures(HWND window) {
  if (!Capture.OfferedPicture) return;
  if (OpenClipboard(window)) {
    if (GetClipboardOwner() == window) PlaceCopy(Capture.OfferedPicture);
    CloseClipboard();
  }
  ReleaseOfferedPicture();
}

void ReleaseOfferedPicture() {
  DropOfferedPixels();
  Capture.OfferingWindow = nullptr;
}
